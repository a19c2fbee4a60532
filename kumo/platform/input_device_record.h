// The records behind the input service's objects, shared by the service and its backends, and
// what a backend supplies: the machine's keyboard and pads as they are, before the devices'
// formats, ranges and dead zones.
#pragma once

#include <cstdint>
#include <vector>

#include "kumo/platform/input_devices.h"

namespace kumo::platform {

enum class InputDeviceKind { Keyboard, Mouse, Pad };

// A pad as the machine reports it.
struct RawPadState {
  uint32_t axisMask;            // bit n: the pad has axis n (PadAxis order)
  int32_t axes[kPadAxisCount];  // -32768 to 32767, centre 0
  uint32_t pointOfView[4];      // as in PadState
  uint32_t buttons;             // bit n: button n held
};

struct AxisSetting {
  int32_t minimum = 0;
  int32_t maximum = 65535;
  uint32_t deadZone = 0;  // 1/10000 of the half travel
};

struct InputSystem {
  int version = 0;  // 7 or 8
  bool initialised = false;
};

struct InputDevice {
  InputDeviceKind kind = InputDeviceKind::Keyboard;
  PadIdentity identity{};
  void* native = nullptr;  // the backend's pad
  uint32_t axisMask = 0;
  bool formatSet = false;
  bool cooperationSet = false;
  InputCooperation cooperation = InputCooperation::NonExclusiveBackground;
  bool acquired = false;
  uint32_t bufferSize = 0;
  Event* changeEvent = nullptr;
  AxisSetting axes[kPadAxisCount];
  std::vector<InputEffect*> effects;
};

struct InputEffect {
  InputDevice* device;  // none once the device is released
  void* native;
};

// A call of the library that a backend may refuse, so that tests reach every failure branch.
enum class InputStep {
  ObtainSystem,
  InitializeSystem,
  CreateDevice,
  DataFormat,
  Cooperation,
  BufferSize,
  AxisRange,
  AxisDeadZone,
  SineEffect,
  ConstantEffect,
  ChangeEvent,
  Acquire,
  Read,
};

struct InputCall {
  InputStep step;
  InputDeviceKind kind;  // device steps
  uint32_t padId;        // pad steps
  int detail;            // ObtainSystem: the version; axis steps: the axis; else -1
};

enum class EffectKind { Sine, Constant };

struct InputDeviceService {
  // What the pads need, brought up and taken down; counted, so each start has its stop.
  void (*start)();
  void (*stop)();
  // The attached pads, in order, at most `capacity`; the number found.
  int (*listPads)(PadIdentity* pads, int capacity);
  // Opens a pad: the backend's pad and the axes it has; none when it is not attached.
  void* (*openPad)(uint32_t id, uint32_t* axisMask);
  void (*closePad)(void* pad);
  // False once the pad is gone.
  bool (*readPad)(void* pad, RawPadState* state);
  void (*pollPads)();
  // The keyboard by scan code, bit 7 for a held key: as the keyboard device reads it, and as
  // the window system holds it (the fall-back's source).
  void (*readKeys)(uint8_t state[256]);
  void (*readWindowKeys)(uint8_t state[256]);
  // An effect on the pad's X and Y axes, or none when the pad cannot play it.
  void* (*createEffect)(void* pad, EffectKind kind, const SineEffect& sine, int32_t magnitude);
  void (*releaseEffect)(void* pad, void* effect);
  // A failure imposed on the call, or kInputOk.
  InputResult (*refuse)(const InputCall& call);
};

extern const InputDeviceService kSdlInputDevices;
extern const InputDeviceService kHeadlessInputDevices;

// Signal the change events of the acquired keyboards, or of the acquired devices of one pad.
void NotifyKeyboardChanged();
void NotifyPadChanged(uint32_t padId);

// A physical position to the axis' range, with its dead zone.
int32_t ScaleAxis(int32_t raw, const AxisSetting& setting);

// The virtual-key code of a scan code, 0 for none.
uint8_t VirtualKeyOfScanCode(uint8_t code);

}  // namespace kumo::platform
