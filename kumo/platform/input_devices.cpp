#include "kumo/platform/input_devices.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

#include "kumo/platform/backend.h"
#include "kumo/platform/input_device_record.h"
#include "kumo/platform/sync.h"

namespace kumo::platform {

namespace {

// More than the library registers, so that a controller it cannot use costs no place.
constexpr int kListedPads = 16;
constexpr int kFallbackJoysticks = 8;
constexpr int32_t kPhysicalHalfTravel = 32767;

const InputDeviceService& Backend() {
  static const InputDeviceService& service = Choose(kSdlInputDevices, kHeadlessInputDevices);
  return service;
}

// The live devices, for the change notices, which the window pump delivers. The guard also
// covers each device's acquired flag and change event.
std::mutex gDevicesGuard;
std::vector<InputDevice*> gDevices;

bool FallbackForced() {
  const char* value = std::getenv("KUMO_INPUT_FALLBACK");
  return value != nullptr && std::strcmp(value, "1") == 0;
}

InputResult Refused(InputStep step, const InputDevice* device, int detail = -1) {
  const InputCall call{step, device != nullptr ? device->kind : InputDeviceKind::Keyboard,
                       device != nullptr ? device->identity.id : 0, detail};
  return Backend().refuse(call);
}

bool IsAcquired(const InputDevice* device) {
  std::lock_guard<std::mutex> hold(gDevicesGuard);
  return device->acquired;
}

void SetAcquired(InputDevice* device, bool acquired) {
  std::lock_guard<std::mutex> hold(gDevicesGuard);
  device->acquired = acquired;
}

void CopyName(char (&to)[kInputNameSize], const char* from) {
  std::strncpy(to, from, kInputNameSize - 1);
  to[kInputNameSize - 1] = '\0';
}

bool FindPad(uint32_t id, PadIdentity* identity) {
  PadIdentity pads[kListedPads];
  const int count = Backend().listPads(pads, kListedPads);
  for (int i = 0; i < count; ++i) {
    if (pads[i].id == id) {
      *identity = pads[i];
      return true;
    }
  }
  return false;
}

InputResult CreateDevice(InputSystem* system, InputDeviceKind kind, uint32_t padId,
                         InputDevice** device) {
  *device = nullptr;
  if (system == nullptr || !system->initialised) return kInputNotReady;
  InputDevice probe;
  probe.kind = kind;
  probe.identity.id = padId;
  if (const InputResult refused = Refused(InputStep::CreateDevice, &probe)) return refused;

  InputDevice* made = new (std::nothrow) InputDevice;
  if (made == nullptr) return kInputUnavailable;
  made->kind = kind;
  if (kind == InputDeviceKind::Pad) {
    Backend().start();
    if (!FindPad(padId, &made->identity) ||
        (made->native = Backend().openPad(padId, &made->axisMask)) == nullptr) {
      Backend().stop();
      delete made;
      return kInputUnavailable;
    }
  } else {
    CopyName(made->identity.instanceName, kind == InputDeviceKind::Keyboard ? "Keyboard" : "Mouse");
    CopyName(made->identity.productName, kind == InputDeviceKind::Keyboard ? "Keyboard" : "Mouse");
  }
  {
    std::lock_guard<std::mutex> hold(gDevicesGuard);
    gDevices.push_back(made);
  }
  *device = made;
  return kInputOk;
}

bool IsAxis(PadAxis axis) {
  const int index = static_cast<int>(axis);
  return index >= 0 && index < kPadAxisCount;
}

// The checks every axis property shares.
InputResult CheckAxisCall(const InputDevice* device, PadAxis axis) {
  if (device == nullptr) return kInputNotReady;
  if (device->kind != InputDeviceKind::Pad || !IsAxis(axis)) return kInputUnsupported;
  if ((device->axisMask & (1u << static_cast<int>(axis))) == 0) return kInputUnsupported;
  if (IsAcquired(device)) return kInputAcquired;
  return kInputOk;
}

InputResult CreateEffect(InputDevice* device, EffectKind kind, const SineEffect& sine,
                         int32_t magnitude, InputEffect** effect) {
  *effect = nullptr;
  if (device == nullptr) return kInputNotReady;
  if (device->kind != InputDeviceKind::Pad) return kInputUnsupported;
  const InputStep step =
      kind == EffectKind::Sine ? InputStep::SineEffect : InputStep::ConstantEffect;
  if (const InputResult refused = Refused(step, device)) return refused;
  void* native = Backend().createEffect(device->native, kind, sine, magnitude);
  if (native == nullptr) return kInputUnsupported;
  InputEffect* made = new (std::nothrow) InputEffect{device, native};
  if (made == nullptr) {
    Backend().releaseEffect(device->native, native);
    return kInputUnavailable;
  }
  device->effects.push_back(made);
  *effect = made;
  return kInputOk;
}

// The fall-back's joysticks, opened at their first read and kept while the same pad holds
// that id.
struct FallbackJoystick {
  uint32_t id = 0;
  void* native = nullptr;
  uint32_t axisMask = 0;
};
FallbackJoystick gJoysticks[kFallbackJoysticks];
bool gJoysticksStarted = false;

FallbackJoystick* OpenJoystick(int id) {
  if (id < 0 || id >= kFallbackJoysticks) return nullptr;
  if (!gJoysticksStarted) {
    Backend().start();
    gJoysticksStarted = true;
  }
  PadIdentity pads[kFallbackJoysticks];
  const int count = Backend().listPads(pads, kFallbackJoysticks);
  FallbackJoystick& joystick = gJoysticks[id];
  if (joystick.native != nullptr && (id >= count || joystick.id != pads[id].id)) {
    Backend().closePad(joystick.native);
    joystick = FallbackJoystick{};
  }
  if (id >= count) return nullptr;
  if (joystick.native == nullptr) {
    joystick.native = Backend().openPad(pads[id].id, &joystick.axisMask);
    if (joystick.native == nullptr) return nullptr;
    joystick.id = pads[id].id;
  }
  return &joystick;
}

bool HasAxis(uint32_t mask, PadAxis axis) { return (mask & (1u << static_cast<int>(axis))) != 0; }

// A physical position to 0 .. 65535.
uint32_t JoystickAxis(const RawPadState& raw, PadAxis axis) {
  if (!HasAxis(raw.axisMask, axis)) return 32767;
  return static_cast<uint32_t>(std::clamp(raw.axes[static_cast<int>(axis)], -32768, 32767) + 32768);
}

}  // namespace

int32_t ScaleAxis(int32_t raw, const AxisSetting& setting) {
  const double travel = std::clamp(raw, -kPhysicalHalfTravel, kPhysicalHalfTravel) /
                        static_cast<double>(kPhysicalHalfTravel);
  const double deadZone = std::min<uint32_t>(setting.deadZone, 10000) / 10000.0;
  const double magnitude = std::fabs(travel);
  const double beyond = magnitude <= deadZone ? 0.0 : (magnitude - deadZone) / (1.0 - deadZone);
  const double centre = (static_cast<double>(setting.minimum) + setting.maximum) / 2.0;
  const double half = (static_cast<double>(setting.maximum) - setting.minimum) / 2.0;
  const double value = centre + (travel < 0 ? -beyond : beyond) * half;
  return static_cast<int32_t>(
      std::clamp<double>(std::llround(value), setting.minimum, setting.maximum));
}

void NotifyKeyboardChanged() {
  std::lock_guard<std::mutex> hold(gDevicesGuard);
  for (InputDevice* device : gDevices) {
    if (device->kind == InputDeviceKind::Keyboard && device->acquired &&
        device->changeEvent != nullptr) {
      SignalEvent(device->changeEvent);
    }
  }
}

void NotifyPadChanged(uint32_t padId) {
  std::lock_guard<std::mutex> hold(gDevicesGuard);
  for (InputDevice* device : gDevices) {
    if (device->kind == InputDeviceKind::Pad && device->identity.id == padId && device->acquired &&
        device->changeEvent != nullptr) {
      SignalEvent(device->changeEvent);
    }
  }
}

InputResult ObtainInputSystem(int version, InputSystem** system) {
  *system = nullptr;
  if (version != 7 && version != 8) return kInputUnsupported;
  if (FallbackForced()) return kInputUnavailable;
  const InputCall call{InputStep::ObtainSystem, InputDeviceKind::Keyboard, 0, version};
  if (const InputResult refused = Backend().refuse(call)) return refused;
  InputSystem* made = new (std::nothrow) InputSystem;
  if (made == nullptr) return kInputUnavailable;
  made->version = version;
  *system = made;
  return kInputOk;
}

InputResult InitializeInputSystem(InputSystem* system, uint32_t version) {
  if (system == nullptr) return kInputNotReady;
  if (version != static_cast<uint32_t>(system->version) << 8) return kInputUnsupported;
  const InputCall call{InputStep::InitializeSystem, InputDeviceKind::Keyboard, 0, system->version};
  if (const InputResult refused = Backend().refuse(call)) return refused;
  system->initialised = true;
  return kInputOk;
}

void ReleaseInputSystem(InputSystem* system) { delete system; }

InputResult CreateSystemKeyboard(InputSystem* system, InputDevice** device) {
  return CreateDevice(system, InputDeviceKind::Keyboard, 0, device);
}

InputResult CreateSystemMouse(InputSystem* system, InputDevice** device) {
  return CreateDevice(system, InputDeviceKind::Mouse, 0, device);
}

InputResult EnumeratePads(InputSystem* system, bool (*found)(const PadIdentity& pad, void* context),
                          void* context) {
  if (system == nullptr || !system->initialised) return kInputNotReady;
  Backend().start();
  PadIdentity pads[kListedPads];
  const int count = Backend().listPads(pads, kListedPads);
  for (int i = 0; i < count; ++i) {
    if (!found(pads[i], context)) break;
  }
  Backend().stop();
  return kInputOk;
}

InputResult CreatePad(InputSystem* system, uint32_t id, InputDevice** device) {
  return CreateDevice(system, InputDeviceKind::Pad, id, device);
}

InputResult DescribeDevice(InputDevice* device, PadIdentity* identity) {
  if (device == nullptr) return kInputNotReady;
  *identity = device->identity;
  return kInputOk;
}

void ReleaseDevice(InputDevice* device) {
  if (device == nullptr) return;
  {
    std::lock_guard<std::mutex> hold(gDevicesGuard);
    gDevices.erase(std::remove(gDevices.begin(), gDevices.end(), device), gDevices.end());
  }
  for (InputEffect* effect : device->effects) {
    Backend().releaseEffect(device->native, effect->native);
    effect->device = nullptr;
  }
  if (device->kind == InputDeviceKind::Pad) {
    Backend().closePad(device->native);
    Backend().stop();
  }
  delete device;
}

InputResult SetDataFormat(InputDevice* device, InputDataFormat format) {
  if (device == nullptr) return kInputNotReady;
  if (IsAcquired(device)) return kInputAcquired;
  const InputDataFormat own = device->kind == InputDeviceKind::Keyboard ? InputDataFormat::Keyboard
                              : device->kind == InputDeviceKind::Mouse  ? InputDataFormat::Mouse
                                                                        : InputDataFormat::Joystick;
  if (format != own) return kInputUnsupported;
  if (const InputResult refused = Refused(InputStep::DataFormat, device)) return refused;
  device->formatSet = true;
  return kInputOk;
}

InputResult SetCooperation(InputDevice* device, InputCooperation level) {
  if (device == nullptr) return kInputNotReady;
  if (IsAcquired(device)) return kInputAcquired;
  if (const InputResult refused = Refused(InputStep::Cooperation, device)) return refused;
  device->cooperation = level;
  device->cooperationSet = true;
  return kInputOk;
}

InputResult SetBufferSize(InputDevice* device, uint32_t changes) {
  if (device == nullptr) return kInputNotReady;
  if (IsAcquired(device)) return kInputAcquired;
  if (const InputResult refused = Refused(InputStep::BufferSize, device)) return refused;
  device->bufferSize = changes;
  return kInputOk;
}

InputResult SetAxisRange(InputDevice* device, PadAxis axis, int32_t minimum, int32_t maximum) {
  if (const InputResult checked = CheckAxisCall(device, axis)) return checked;
  if (minimum >= maximum) return kInputUnsupported;
  if (const InputResult refused = Refused(InputStep::AxisRange, device, static_cast<int>(axis))) {
    return refused;
  }
  AxisSetting& setting = device->axes[static_cast<int>(axis)];
  setting.minimum = minimum;
  setting.maximum = maximum;
  return kInputOk;
}

InputResult SetAxisDeadZone(InputDevice* device, PadAxis axis, uint32_t tenThousandths) {
  if (const InputResult checked = CheckAxisCall(device, axis)) return checked;
  if (tenThousandths > 10000) return kInputUnsupported;
  if (const InputResult refused =
          Refused(InputStep::AxisDeadZone, device, static_cast<int>(axis))) {
    return refused;
  }
  device->axes[static_cast<int>(axis)].deadZone = tenThousandths;
  return kInputOk;
}

InputResult CreateSineEffect(InputDevice* device, const SineEffect& sine, InputEffect** effect) {
  return CreateEffect(device, EffectKind::Sine, sine, 0, effect);
}

InputResult CreateConstantEffect(InputDevice* device, int32_t magnitude, InputEffect** effect) {
  return CreateEffect(device, EffectKind::Constant, SineEffect{}, magnitude, effect);
}

void ReleaseEffect(InputEffect* effect) {
  if (effect == nullptr) return;
  if (InputDevice* device = effect->device) {
    Backend().releaseEffect(device->native, effect->native);
    device->effects.erase(std::remove(device->effects.begin(), device->effects.end(), effect),
                          device->effects.end());
  }
  delete effect;
}

InputResult SetChangeEvent(InputDevice* device, Event* event) {
  if (device == nullptr) return kInputNotReady;
  if (IsAcquired(device)) return kInputAcquired;
  if (const InputResult refused = Refused(InputStep::ChangeEvent, device)) return refused;
  std::lock_guard<std::mutex> hold(gDevicesGuard);
  device->changeEvent = event;
  return kInputOk;
}

InputResult AcquireDevice(InputDevice* device) {
  if (device == nullptr || !device->formatSet) return kInputNotReady;
  if (IsAcquired(device)) return kInputOk;
  if (const InputResult refused = Refused(InputStep::Acquire, device)) return refused;
  PadIdentity attached{};
  if (device->kind == InputDeviceKind::Pad && !FindPad(device->identity.id, &attached)) {
    return kInputUnavailable;
  }
  SetAcquired(device, true);
  return kInputOk;
}

InputResult UnacquireDevice(InputDevice* device) {
  if (device == nullptr) return kInputNotReady;
  SetAcquired(device, false);
  return kInputOk;
}

InputResult PollDevice(InputDevice* device) {
  if (device == nullptr) return kInputNotReady;
  if (!IsAcquired(device)) return kInputNotAcquired;
  if (device->kind == InputDeviceKind::Pad) Backend().pollPads();
  return kInputOk;
}

InputResult ReadKeyboardState(InputDevice* device, uint8_t state[256]) {
  if (device == nullptr) return kInputNotReady;
  if (device->kind != InputDeviceKind::Keyboard) return kInputUnsupported;
  if (!IsAcquired(device)) return kInputNotAcquired;
  if (const InputResult refused = Refused(InputStep::Read, device)) return refused;
  Backend().readKeys(state);
  return kInputOk;
}

InputResult ReadPadState(InputDevice* device, PadState* state) {
  if (device == nullptr) return kInputNotReady;
  if (device->kind != InputDeviceKind::Pad) return kInputUnsupported;
  if (!IsAcquired(device)) return kInputNotAcquired;
  if (const InputResult refused = Refused(InputStep::Read, device)) return refused;
  RawPadState raw{};
  if (!Backend().readPad(device->native, &raw)) {
    // A pad that is gone stays unusable until it is acquired again, which fails while it is.
    SetAcquired(device, false);
    return kInputUnavailable;
  }
  int32_t axes[kPadAxisCount] = {};
  for (int i = 0; i < kPadAxisCount; ++i) {
    if ((device->axisMask & raw.axisMask & (1u << i)) != 0) {
      axes[i] = ScaleAxis(raw.axes[i], device->axes[i]);
    }
  }
  state->x = axes[0];
  state->y = axes[1];
  state->z = axes[2];
  state->rotationX = axes[3];
  state->rotationY = axes[4];
  state->rotationZ = axes[5];
  state->sliders[0] = axes[6];
  state->sliders[1] = axes[7];
  std::memcpy(state->pointOfView, raw.pointOfView, sizeof state->pointOfView);
  for (int i = 0; i < 32; ++i) state->buttons[i] = (raw.buttons >> i & 1u) != 0 ? 0x80 : 0x00;
  return kInputOk;
}

void ReadVirtualKeyState(uint8_t state[256]) {
  uint8_t keys[256] = {};
  Backend().readWindowKeys(keys);
  std::memset(state, 0, 256);
  for (int code = 0; code < 256; ++code) {
    if ((keys[code] & 0x80) == 0) continue;
    if (const uint8_t virtualKey = VirtualKeyOfScanCode(static_cast<uint8_t>(code))) {
      state[virtualKey] = 0x80;
    }
  }
  // The generic Shift, Control and Alt codes stand for either key.
  state[0x10] = state[0xA0] | state[0xA1];
  state[0x11] = state[0xA2] | state[0xA3];
  state[0x12] = state[0xA4] | state[0xA5];
}

bool ReadJoystickCaps(int id, JoystickCaps* caps) {
  const FallbackJoystick* joystick = OpenJoystick(id);
  if (joystick == nullptr) return false;
  caps->hasZ = HasAxis(joystick->axisMask, PadAxis::Z);
  caps->hasRudder = HasAxis(joystick->axisMask, PadAxis::RotationZ);
  return true;
}

bool ReadJoystickPosition(int id, JoystickPosition* position) {
  const FallbackJoystick* joystick = OpenJoystick(id);
  if (joystick == nullptr) return false;
  Backend().pollPads();
  RawPadState raw{};
  if (!Backend().readPad(joystick->native, &raw)) return false;
  raw.axisMask &= joystick->axisMask;
  position->x = JoystickAxis(raw, PadAxis::X);
  position->y = JoystickAxis(raw, PadAxis::Y);
  position->z = JoystickAxis(raw, PadAxis::Z);
  position->rudder = JoystickAxis(raw, PadAxis::RotationZ);
  position->buttons = raw.buttons;
  return true;
}

}  // namespace kumo::platform
