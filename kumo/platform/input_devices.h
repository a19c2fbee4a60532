// Keyboard, mouse and game controllers. The input system object makes the devices; each device
// is given its data format and cooperation level, acquired and then read, and signals an event
// when its data changes. Beside it, the plain fall-back reads: the keyboard by virtual-key codes
// and joysticks by id. KUMO_INPUT_FALLBACK=1 makes the input system object unobtainable, so that
// only the fall-back reads are left.
#pragma once

#include <cstdint>

namespace kumo::platform {

struct Event;
struct InputSystem;
struct InputDevice;
struct InputEffect;

// The result of an input call: kInputOk or kInputPolledDevice succeed, values with the top bit
// set fail.
using InputResult = uint32_t;
constexpr InputResult kInputOk = 0;
constexpr InputResult kInputPolledDevice = 1;  // accepted, but changes show only when polled
constexpr InputResult kInputUnavailable = 0x80040001;  // no such system or device, or it is gone
constexpr InputResult kInputNotAcquired = 0x80040002;  // the device must be acquired first
constexpr InputResult kInputAcquired = 0x80040003;     // not while the device is acquired
constexpr InputResult kInputUnsupported = 0x80040004;  // the device has no such part or format
constexpr InputResult kInputNotReady = 0x80040005;     // the system or the device is not set up

constexpr bool InputFailed(InputResult result) { return (result & 0x80000000u) != 0; }

// The input system object of interface version 7 or 8. It must be initialised, with that
// version as 0x0700 or 0x0800, before it makes devices.
InputResult ObtainInputSystem(int version, InputSystem** system);
InputResult InitializeInputSystem(InputSystem* system, uint32_t version);
void ReleaseInputSystem(InputSystem* system);

// The system's keyboard and mouse.
InputResult CreateSystemKeyboard(InputSystem* system, InputDevice** device);
InputResult CreateSystemMouse(InputSystem* system, InputDevice** device);

constexpr int kInputNameSize = 260;

// An attached game controller; the id names it while it stays attached. Names are Shift-JIS.
struct PadIdentity {
  uint32_t id;
  char instanceName[kInputNameSize];
  char productName[kInputNameSize];
};

// Calls `found` for each attached game controller, in order, until it returns false.
InputResult EnumeratePads(InputSystem* system, bool (*found)(const PadIdentity& pad, void* context),
                          void* context);
InputResult CreatePad(InputSystem* system, uint32_t id, InputDevice** device);
// A pad's identity and names.
InputResult DescribeDevice(InputDevice* device, PadIdentity* identity);

// Releases the device; it is unacquired first and its effects stop working.
void ReleaseDevice(InputDevice* device);

// The layout in which a device's state is read; each device takes only its own kind.
enum class InputDataFormat { Keyboard, Mouse, Joystick };
InputResult SetDataFormat(InputDevice* device, InputDataFormat format);

enum class InputCooperation { NonExclusiveBackground, ExclusiveForeground };
InputResult SetCooperation(InputDevice* device, InputCooperation level);

// How many buffered changes the device keeps.
InputResult SetBufferSize(InputDevice* device, uint32_t changes);

// A pad's axes, in the order of PadState.
enum class PadAxis { X, Y, Z, RotationX, RotationY, RotationZ, Slider0, Slider1 };
constexpr int kPadAxisCount = 8;
// The values an axis reports from one end of its travel to the other (0 to 65535 until set).
InputResult SetAxisRange(InputDevice* device, PadAxis axis, int32_t minimum, int32_t maximum);
// The part of the travel around the centre, in 1/10000 of the half travel, in which the axis
// reports its centre; the rest of the travel is stretched over the whole range.
InputResult SetAxisDeadZone(InputDevice* device, PadAxis axis, uint32_t tenThousandths);

// Force-feedback effects on the pad's X and Y axes, made but not started. Times in
// milliseconds; gain and magnitude from 0 to 10000.
constexpr uint32_t kInfiniteEffect = 0xFFFFFFFFu;
struct SineEffect {
  uint32_t periodMillis;
  uint32_t attackMillis;
  uint32_t fadeMillis;
  uint32_t gain;
  uint32_t durationMillis;  // kInfiniteEffect: until stopped
};
InputResult CreateSineEffect(InputDevice* device, const SineEffect& sine, InputEffect** effect);
InputResult CreateConstantEffect(InputDevice* device, int32_t magnitude, InputEffect** effect);
void ReleaseEffect(InputEffect* effect);

// `event` is signalled whenever the acquired device's data changes; none stops that.
InputResult SetChangeEvent(InputDevice* device, Event* event);

InputResult AcquireDevice(InputDevice* device);
InputResult UnacquireDevice(InputDevice* device);
// Fetches a pad's newest data from the machine.
InputResult PollDevice(InputDevice* device);

// The keyboard's state: one byte per scan code, bit 7 set while the key is held.
InputResult ReadKeyboardState(InputDevice* device, uint8_t state[256]);

// A pad's state, 80 bytes: axes in their set ranges, points of view in hundredths of a degree
// clockwise from up (all bits set when centred or missing), button bytes with bit 7 = pressed.
struct PadState {
  int32_t x, y, z;
  int32_t rotationX, rotationY, rotationZ;
  int32_t sliders[2];
  uint32_t pointOfView[4];
  uint8_t buttons[32];
};
static_assert(sizeof(PadState) == 80, "the pad state is read as one 80-byte block");
InputResult ReadPadState(InputDevice* device, PadState* state);

// The fall-back reads.

// The keyboard by virtual-key codes, one byte per code, bit 7 set while held; the generic
// Shift, Control and Alt codes are held when either of their keys is.
void ReadVirtualKeyState(uint8_t state[256]);

struct JoystickCaps {
  bool hasZ;       // a third axis
  bool hasRudder;  // a fourth axis
};
// False when there is no joystick of that id (0 to 7).
bool ReadJoystickCaps(int id, JoystickCaps* caps);

// Axes from 0 to 65535 (centre 32767 or 32768), bit n of the button mask for button n.
struct JoystickPosition {
  uint32_t x, y, z, rudder;
  uint32_t buttons;
};
bool ReadJoystickPosition(int id, JoystickPosition* position);

}  // namespace kumo::platform
