// The SDL input devices: SDL's keyboard state, its joysticks and game controllers as the pads,
// and its haptic devices for their effects. Game controllers are read through their mapping,
// so that every kind of pad shows its sticks and buttons in the same places.
#include <SDL.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "kumo/platform/input_device_record.h"
#include "kumo/platform/sdl/scan_code_table.h"
#include "kumo/platform/sdl/sdl_input_events.h"
#include "kumo/platform/text_encoding.h"
#include "kumo/platform/threads.h"

namespace kumo::platform {

namespace sdl {

namespace {

int gStarts = 0;
bool gJoysticksUp = false;
bool gHapticsUp = false;

struct SdlPad {
  SDL_JoystickID id;
  SDL_Joystick* joystick;          // the controller's own when `controller` is set
  SDL_GameController* controller;  // none for a joystick without a mapping
  SDL_Haptic* haptic;              // opened with the first effect
};

struct SdlEffect {
  int id;
};

// A plain joystick's axes in the order a joystick driver reports them: the fourth is the
// rudder, which the pad state keeps as its Z rotation.
constexpr PadAxis kJoystickAxes[kPadAxisCount] = {
    PadAxis::X,         PadAxis::Y,         PadAxis::Z,       PadAxis::RotationZ,
    PadAxis::RotationX, PadAxis::RotationY, PadAxis::Slider0, PadAxis::Slider1};

constexpr SDL_GameControllerButton kControllerButtons[] = {
    SDL_CONTROLLER_BUTTON_A,
    SDL_CONTROLLER_BUTTON_B,
    SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,
    SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
    SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_BACK,
    SDL_CONTROLLER_BUTTON_START,
    SDL_CONTROLLER_BUTTON_LEFTSTICK,
    SDL_CONTROLLER_BUTTON_RIGHTSTICK,
    SDL_CONTROLLER_BUTTON_GUIDE,
    SDL_CONTROLLER_BUTTON_MISC1,
    SDL_CONTROLLER_BUTTON_PADDLE1,
    SDL_CONTROLLER_BUTTON_PADDLE2,
    SDL_CONTROLLER_BUTTON_PADDLE3,
    SDL_CONTROLLER_BUTTON_PADDLE4,
    SDL_CONTROLLER_BUTTON_TOUCHPAD,
};

constexpr uint32_t kCentred = 0xFFFFFFFFu;

uint32_t AxisBit(PadAxis axis) { return 1u << static_cast<int>(axis); }

// A hat's direction in hundredths of a degree clockwise from up.
uint32_t PointOfView(bool up, bool right, bool down, bool left) {
  const int x = (right ? 1 : 0) - (left ? 1 : 0);
  const int y = (down ? 1 : 0) - (up ? 1 : 0);
  if (x == 0 && y == 0) return kCentred;
  static constexpr uint32_t kByPlace[3][3] = {
      {31500, 0, 4500}, {27000, kCentred, 9000}, {22500, 18000, 13500}};
  return kByPlace[y + 1][x + 1];
}

// Device names arrive in UTF-8; the log takes Shift-JIS, cut between whole characters.
void ToShiftJis(char (&to)[kInputNameSize], const char* from) {
  to[0] = '\0';
  if (from == nullptr) return;
  const std::string text = Utf8ToShiftJis(from);
  size_t length = 0;
  while (length < text.size()) {
    const unsigned char byte = static_cast<unsigned char>(text[length]);
    const size_t step = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC) ? 2 : 1;
    if (length + step > sizeof to - 1) break;
    length += step;
  }
  std::memcpy(to, text.data(), length);
  to[length] = '\0';
}

int DeviceIndex(SDL_JoystickID id) {
  const int count = SDL_NumJoysticks();
  for (int index = 0; index < count; ++index) {
    if (SDL_JoystickGetDeviceInstanceID(index) == id) return index;
  }
  return -1;
}

void Start() {
  if (gStarts++ > 0) return;
  // Pads are read while the window is in the background too.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  gJoysticksUp = SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) == 0;
  if (!gJoysticksUp) std::fprintf(stderr, "SDL joysticks: %s\n", SDL_GetError());
  gHapticsUp = SDL_InitSubSystem(SDL_INIT_HAPTIC) == 0;
}

void Stop() {
  if (gStarts == 0 || --gStarts > 0) return;
  if (gHapticsUp) SDL_QuitSubSystem(SDL_INIT_HAPTIC);
  if (gJoysticksUp) SDL_QuitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
  gHapticsUp = false;
  gJoysticksUp = false;
}

int ListPads(PadIdentity* pads, int capacity) {
  if (!gJoysticksUp) return 0;
  int found = 0;
  const int count = SDL_NumJoysticks();
  for (int index = 0; index < count && found < capacity; ++index) {
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
    if (id < 0) continue;
    PadIdentity& identity = pads[found++];
    identity.id = static_cast<uint32_t>(id);
    const char* own = SDL_JoystickNameForIndex(index);
    const char* mapped = SDL_IsGameController(index) ? SDL_GameControllerNameForIndex(index) : own;
    ToShiftJis(identity.instanceName, mapped != nullptr ? mapped : own);
    ToShiftJis(identity.productName, own);
  }
  return found;
}

void* OpenPad(uint32_t id, uint32_t* axisMask) {
  if (!gJoysticksUp) return nullptr;
  const int index = DeviceIndex(static_cast<SDL_JoystickID>(id));
  if (index < 0) return nullptr;
  SdlPad pad{static_cast<SDL_JoystickID>(id), nullptr, nullptr, nullptr};
  if (SDL_IsGameController(index)) {
    pad.controller = SDL_GameControllerOpen(index);
    if (pad.controller != nullptr) pad.joystick = SDL_GameControllerGetJoystick(pad.controller);
  } else {
    pad.joystick = SDL_JoystickOpen(index);
  }
  if (pad.joystick == nullptr) {
    if (pad.controller != nullptr) SDL_GameControllerClose(pad.controller);
    return nullptr;
  }
  uint32_t mask = 0;
  if (pad.controller != nullptr) {
    mask = AxisBit(PadAxis::X) | AxisBit(PadAxis::Y) | AxisBit(PadAxis::Z) |
           AxisBit(PadAxis::RotationX) | AxisBit(PadAxis::RotationY) | AxisBit(PadAxis::RotationZ);
  } else {
    const int axes = std::min(SDL_JoystickNumAxes(pad.joystick), kPadAxisCount);
    for (int i = 0; i < axes; ++i) mask |= AxisBit(kJoystickAxes[i]);
  }
  SdlPad* made = new (std::nothrow) SdlPad(pad);
  if (made == nullptr) {
    if (pad.controller != nullptr) {
      SDL_GameControllerClose(pad.controller);
    } else {
      SDL_JoystickClose(pad.joystick);
    }
    return nullptr;
  }
  *axisMask = mask;
  return made;
}

void ClosePad(void* native) {
  SdlPad* pad = static_cast<SdlPad*>(native);
  if (pad == nullptr) return;
  if (pad->haptic != nullptr) SDL_HapticClose(pad->haptic);
  if (pad->controller != nullptr) {
    SDL_GameControllerClose(pad->controller);
  } else {
    SDL_JoystickClose(pad->joystick);
  }
  delete pad;
}

void ReadController(SDL_GameController* controller, RawPadState* state) {
  const auto axis = [controller](SDL_GameControllerAxis which) {
    return static_cast<int32_t>(SDL_GameControllerGetAxis(controller, which));
  };
  // A trigger rests at one end of its travel.
  const auto trigger = [&axis](SDL_GameControllerAxis which) { return axis(which) * 2 - 32767; };
  state->axes[static_cast<int>(PadAxis::X)] = axis(SDL_CONTROLLER_AXIS_LEFTX);
  state->axes[static_cast<int>(PadAxis::Y)] = axis(SDL_CONTROLLER_AXIS_LEFTY);
  state->axes[static_cast<int>(PadAxis::Z)] = axis(SDL_CONTROLLER_AXIS_RIGHTX);
  state->axes[static_cast<int>(PadAxis::RotationZ)] = axis(SDL_CONTROLLER_AXIS_RIGHTY);
  state->axes[static_cast<int>(PadAxis::RotationX)] = trigger(SDL_CONTROLLER_AXIS_TRIGGERLEFT);
  state->axes[static_cast<int>(PadAxis::RotationY)] = trigger(SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
  const auto held = [controller](SDL_GameControllerButton button) {
    return SDL_GameControllerGetButton(controller, button) != 0;
  };
  state->pointOfView[0] =
      PointOfView(held(SDL_CONTROLLER_BUTTON_DPAD_UP), held(SDL_CONTROLLER_BUTTON_DPAD_RIGHT),
                  held(SDL_CONTROLLER_BUTTON_DPAD_DOWN), held(SDL_CONTROLLER_BUTTON_DPAD_LEFT));
  for (size_t i = 0; i < sizeof kControllerButtons / sizeof kControllerButtons[0]; ++i) {
    if (held(kControllerButtons[i])) state->buttons |= 1u << i;
  }
}

void ReadJoystick(SDL_Joystick* joystick, RawPadState* state) {
  const int axes = std::min(SDL_JoystickNumAxes(joystick), kPadAxisCount);
  for (int i = 0; i < axes; ++i) {
    state->axes[static_cast<int>(kJoystickAxes[i])] = SDL_JoystickGetAxis(joystick, i);
  }
  const int hats = std::min(SDL_JoystickNumHats(joystick), 4);
  for (int i = 0; i < hats; ++i) {
    const Uint8 hat = SDL_JoystickGetHat(joystick, i);
    state->pointOfView[i] = PointOfView((hat & SDL_HAT_UP) != 0, (hat & SDL_HAT_RIGHT) != 0,
                                        (hat & SDL_HAT_DOWN) != 0, (hat & SDL_HAT_LEFT) != 0);
  }
  const int buttons = std::min(SDL_JoystickNumButtons(joystick), 32);
  for (int i = 0; i < buttons; ++i) {
    if (SDL_JoystickGetButton(joystick, i) != 0) state->buttons |= 1u << i;
  }
}

bool ReadPad(void* native, RawPadState* state) {
  const SdlPad* pad = static_cast<const SdlPad*>(native);
  if (pad == nullptr || !gJoysticksUp || SDL_JoystickGetAttached(pad->joystick) != SDL_TRUE) {
    return false;
  }
  *state = RawPadState{};
  std::fill(std::begin(state->pointOfView), std::end(state->pointOfView), kCentred);
  if (pad->controller != nullptr) {
    state->axisMask = AxisBit(PadAxis::X) | AxisBit(PadAxis::Y) | AxisBit(PadAxis::Z) |
                      AxisBit(PadAxis::RotationX) | AxisBit(PadAxis::RotationY) |
                      AxisBit(PadAxis::RotationZ);
    ReadController(pad->controller, state);
  } else {
    const int axes = std::min(SDL_JoystickNumAxes(pad->joystick), kPadAxisCount);
    for (int i = 0; i < axes; ++i) state->axisMask |= AxisBit(kJoystickAxes[i]);
    ReadJoystick(pad->joystick, state);
  }
  return true;
}

// The window pump updates the pads on the main thread; a poll there fetches what arrived since.
void PollPads() {
  if (gJoysticksUp && IsMainThread()) SDL_JoystickUpdate();
}

void ReadKeys(uint8_t state[256]) {
  int count = 0;
  const Uint8* keys = SDL_GetKeyboardState(&count);
  SdlKeysToScanCodes(keys, count, state);
}

Sint16 Level(int32_t tenThousandths) {
  return static_cast<Sint16>(std::clamp(tenThousandths, -10000, 10000) * 32767 / 10000);
}

void* CreateEffect(void* native, EffectKind kind, const SineEffect& sine, int32_t magnitude) {
  SdlPad* pad = static_cast<SdlPad*>(native);
  if (pad == nullptr || !gHapticsUp) return nullptr;
  if (pad->haptic == nullptr) {
    if (SDL_JoystickIsHaptic(pad->joystick) != SDL_TRUE) return nullptr;
    pad->haptic = SDL_HapticOpenFromJoystick(pad->joystick);
    if (pad->haptic == nullptr) return nullptr;
  }
  SDL_HapticEffect effect{};
  SDL_HapticDirection direction{};
  direction.type = SDL_HAPTIC_CARTESIAN;
  direction.dir[0] = 1;  // along both the X and the Y axis
  direction.dir[1] = 1;
  if (kind == EffectKind::Sine) {
    if ((SDL_HapticQuery(pad->haptic) & SDL_HAPTIC_SINE) == 0) return nullptr;
    effect.type = SDL_HAPTIC_SINE;
    effect.periodic.direction = direction;
    effect.periodic.period = static_cast<Uint16>(std::min<uint32_t>(sine.periodMillis, 0xFFFF));
    effect.periodic.magnitude = Level(static_cast<int32_t>(std::min<uint32_t>(sine.gain, 10000)));
    effect.periodic.length =
        sine.durationMillis == kInfiniteEffect ? SDL_HAPTIC_INFINITY : sine.durationMillis;
    effect.periodic.attack_length =
        static_cast<Uint16>(std::min<uint32_t>(sine.attackMillis, 0xFFFF));
    effect.periodic.fade_length = static_cast<Uint16>(std::min<uint32_t>(sine.fadeMillis, 0xFFFF));
  } else {
    if ((SDL_HapticQuery(pad->haptic) & SDL_HAPTIC_CONSTANT) == 0) return nullptr;
    effect.type = SDL_HAPTIC_CONSTANT;
    effect.constant.direction = direction;
    effect.constant.level = Level(magnitude);
    effect.constant.length = SDL_HAPTIC_INFINITY;
  }
  const int id = SDL_HapticNewEffect(pad->haptic, &effect);
  if (id < 0) return nullptr;
  SdlEffect* made = new (std::nothrow) SdlEffect{id};
  if (made == nullptr) SDL_HapticDestroyEffect(pad->haptic, id);
  return made;
}

void ReleaseEffect(void* native, void* effect) {
  SdlPad* pad = static_cast<SdlPad*>(native);
  SdlEffect* made = static_cast<SdlEffect*>(effect);
  if (pad != nullptr && pad->haptic != nullptr && made != nullptr) {
    SDL_HapticDestroyEffect(pad->haptic, made->id);
  }
  delete made;
}

InputResult Refuse(const InputCall&) { return kInputOk; }

}  // namespace

}  // namespace sdl

void HandleSdlInputEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
      if (event.key.repeat == 0) NotifyKeyboardChanged();
      break;
    case SDL_KEYUP:
      NotifyKeyboardChanged();
      break;
    case SDL_JOYAXISMOTION:
      NotifyPadChanged(static_cast<uint32_t>(event.jaxis.which));
      break;
    case SDL_JOYBALLMOTION:
      NotifyPadChanged(static_cast<uint32_t>(event.jball.which));
      break;
    case SDL_JOYHATMOTION:
      NotifyPadChanged(static_cast<uint32_t>(event.jhat.which));
      break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
      NotifyPadChanged(static_cast<uint32_t>(event.jbutton.which));
      break;
    case SDL_JOYDEVICEREMOVED:
      NotifyPadChanged(static_cast<uint32_t>(event.jdevice.which));
      break;
    case SDL_CONTROLLERAXISMOTION:
      NotifyPadChanged(static_cast<uint32_t>(event.caxis.which));
      break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      NotifyPadChanged(static_cast<uint32_t>(event.cbutton.which));
      break;
    default:
      break;
  }
}

// SDL keeps one keyboard state, which stands for both the device's and the window system's.
const InputDeviceService kSdlInputDevices = {sdl::Start,        sdl::Stop,          sdl::ListPads,
                                             sdl::OpenPad,      sdl::ClosePad,      sdl::ReadPad,
                                             sdl::PollPads,     sdl::ReadKeys,      sdl::ReadKeys,
                                             sdl::CreateEffect, sdl::ReleaseEffect, sdl::Refuse};

}  // namespace kumo::platform
