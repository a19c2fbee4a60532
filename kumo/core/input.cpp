#include "kumo/core/input.h"

#include <cstdio>
#include <cstring>

#include "kumo/core/bodies.h"
#include "kumo/core/fatal_exit.h"
#include "kumo/core/system_record.h"
#include "kumo/core/window.h"
#include "kumo/platform/clock.h"
#include "kumo/platform/sync.h"
#include "kumo/platform/threads.h"
#include "kumo/platform/window.h"
#include "kumo/support/log.h"

namespace kumo {

namespace {

using platform::InputFailed;
using platform::InputResult;

constexpr int kKeyboardBufferSize = 100;
constexpr int32_t kAxisLimit = 1000;
constexpr uint32_t kDeadZone = 2500;  // 25 %
constexpr int kSelectorKeyboard = 0x1000;
constexpr int kPadButtonBits = 24;

// Virtual-key code to scan code. The first group is also merged over the device's keyboard
// state; the fall-back copies both.
struct KeyTranslation {
  uint8_t virtualKey;
  uint8_t scanCode;
};

constexpr KeyTranslation kMergedKeys[] = {
    {0x41, 0x1E}, {0x42, 0x30}, {0x43, 0x2E}, {0x44, 0x20}, {0x45, 0x12}, {0x46, 0x21},
    {0x47, 0x22}, {0x48, 0x23}, {0x49, 0x17}, {0x4A, 0x24}, {0x4B, 0x25}, {0x4C, 0x26},
    {0x4D, 0x32}, {0x4E, 0x31}, {0x4F, 0x18}, {0x50, 0x19}, {0x51, 0x10}, {0x52, 0x13},
    {0x53, 0x1F}, {0x54, 0x14}, {0x55, 0x16}, {0x56, 0x2F}, {0x57, 0x11}, {0x58, 0x2D},
    {0x59, 0x15}, {0x5A, 0x2C}, {0x30, 0x0B}, {0x31, 0x02}, {0x32, 0x03}, {0x33, 0x04},
    {0x34, 0x05}, {0x35, 0x06}, {0x36, 0x07}, {0x37, 0x08}, {0x38, 0x09}, {0x39, 0x0A},
    {0x25, 0xCB}, {0x26, 0xC8}, {0x27, 0xCD}, {0x28, 0xD0}, {0xBB, 0x27}, {0xBA, 0x92},
    {0xDB, 0x1A}, {0xDD, 0x1B}, {0xC0, 0x91}, {0xE2, 0x2B}, {0xBC, 0x33}, {0xBD, 0x0C},
    {0xDC, 0x7D}, {0xBE, 0x34}, {0xBF, 0x35}, {0x2E, 0xD3}, {0x1B, 0x01}, {0x20, 0x39},
    {0x08, 0x0E}, {0x09, 0x0F}, {0x0D, 0x1C}, {0x60, 0x52}, {0x61, 0x4F}, {0x62, 0x50},
    {0x63, 0x51}, {0x64, 0x4B}, {0x65, 0x4C}, {0x66, 0x4D}, {0x67, 0x47}, {0x68, 0x48},
    {0x69, 0x49}, {0x6A, 0x37}, {0x6B, 0x4E}, {0x6D, 0x4A}, {0x6E, 0x53}, {0x6F, 0xB5},
};
static_assert(sizeof kMergedKeys / sizeof kMergedKeys[0] == 72, "the merged group has 72 keys");

constexpr KeyTranslation kFallbackOnlyKeys[] = {
    {0x0D, 0x9C}, {0xA0, 0x2A}, {0xA1, 0x36}, {0xA2, 0x1D}, {0xA3, 0x9D}, {0x21, 0xC9},
    {0x22, 0xD1}, {0x23, 0xCF}, {0x24, 0xC7}, {0x2D, 0xD2}, {0xA4, 0x38}, {0xA5, 0xB8},
    {0x91, 0x46}, {0x14, 0x3A}, {0x13, 0xC5}, {0x70, 0x3B}, {0x71, 0x3C}, {0x72, 0x3D},
    {0x73, 0x3E}, {0x74, 0x3F}, {0x75, 0x40}, {0x76, 0x41}, {0x77, 0x42}, {0x78, 0x43},
    {0x79, 0x44}, {0x7A, 0x57}, {0x7B, 0x58},
};
static_assert(sizeof kFallbackOnlyKeys / sizeof kFallbackOnlyKeys[0] == 27,
              "the second group has 27 keys");

// The keyboard's share of GetPadState.
struct KeyBit {
  uint8_t scanCode;
  int bit;
};

constexpr KeyBit kPadKeys[] = {
    {0x50, 0x1},   {0xD0, 0x1},   {0x4B, 0x2},   {0xCB, 0x2},   {0x4D, 0x4},    {0xCD, 0x4},
    {0x48, 0x8},   {0xC8, 0x8},   {0x2C, 0x10},  {0x2D, 0x20},  {0x2E, 0x40},   {0x1E, 0x80},
    {0x1F, 0x100}, {0x20, 0x200}, {0x10, 0x400}, {0x11, 0x800}, {0x01, 0x1000}, {0x39, 0x2000},
};

char gWithoutInputSystem;
int gNotices[2];

bool IsInitialised() { return Input().system != nullptr; }

bool UsesInputSystem() {
  const InputRecord& input = Input();
  return input.system != nullptr && input.system != kWithoutInputSystem;
}

bool OnWindowThread() { return platform::CurrentThreadId() == System().mainThreadId; }

void CopyName(char (&to)[kPadNameSize], const char* from) {
  std::snprintf(to, sizeof to, "%s", from);
}

void ReleasePad(PadRecord& pad) {
  if (pad.device != nullptr) {
    platform::UnacquireDevice(pad.device);
    platform::SetChangeEvent(pad.device, nullptr);
    platform::ReleaseEffect(pad.constantEffect);
    platform::ReleaseEffect(pad.periodicEffect);
    platform::ReleaseDevice(pad.device);
  }
  if (pad.event != nullptr) platform::DestroyEvent(pad.event);
  pad = PadRecord{};
}

void ReleasePads(InputRecord& input) {
  for (PadRecord& pad : input.pads) ReleasePad(pad);
  input.padCount = 0;
}

void ReleaseKeyboardAndMouse(InputRecord& input) {
  if (input.keyboard != nullptr) {
    platform::UnacquireDevice(input.keyboard);
    platform::ReleaseDevice(input.keyboard);
    input.keyboard = nullptr;
  }
  if (input.keyboardEvent != nullptr) {
    platform::DestroyEvent(input.keyboardEvent);
    input.keyboardEvent = nullptr;
  }
  if (input.mouse != nullptr) {
    platform::UnacquireDevice(input.mouse);
    platform::ReleaseDevice(input.mouse);
    input.mouse = nullptr;
  }
}

// True when the step succeeded; a failure is logged with its text.
bool Succeeded(InputResult result, const char* failureText) {
  if (!InputFailed(result)) return true;
  LogWrite(failureText);
  return false;
}

// The set-up of one attached pad into the next free record; false stops the enumeration.
bool AddPad(const platform::PadIdentity& identity, void* context) {
  InputRecord& input = *static_cast<InputRecord*>(context);
  if (input.padCount >= kMaxPads) return false;
  LogWrite("入力装置を見つけました\n");
  PadRecord& pad = input.pads[input.padCount];
  if (InputFailed(platform::CreatePad(input.system, identity.id, &pad.device))) {
    LogWrite("入力装置の取得に失敗しました\n");
    pad = PadRecord{};
    return true;
  }

  platform::PadIdentity described{};
  platform::DescribeDevice(pad.device, &described);
  CopyName(pad.instanceName, described.instanceName);
  CopyName(pad.productName, described.productName);
  LogTabIn();
  LogWriteFormat("デバイスの登録名:%s", pad.instanceName);
  LogWriteFormat("デバイスの製品登録名:%s", pad.productName);
  LogTabOut();

  using platform::PadAxis;
  platform::InputDevice* device = pad.device;
  // The Z axes are set up where the pad has them; their failures do not count.
  bool usable =
      Succeeded(platform::SetDataFormat(device, platform::InputDataFormat::Joystick),
                "ジョイパッドデバイスではありませんでした、又は設定に失敗しました\n") &&
      Succeeded(platform::SetCooperation(device, platform::InputCooperation::ExclusiveForeground),
                "ジョイパッドデバイスの協調レベルの設定に失敗しました\n") &&
      Succeeded(platform::SetAxisRange(device, PadAxis::X, -kAxisLimit, kAxisLimit),
                "ジョイパッドデバイスのＸ軸関係の設定に失敗しました\n") &&
      Succeeded(platform::SetAxisRange(device, PadAxis::Y, -kAxisLimit, kAxisLimit),
                "ジョイパッドデバイスのＹ軸関係の設定に失敗しました\n");
  if (usable) {
    platform::SetAxisRange(device, PadAxis::Z, -kAxisLimit, kAxisLimit);
    platform::SetAxisRange(device, PadAxis::RotationZ, -kAxisLimit, kAxisLimit);
    usable = Succeeded(platform::SetAxisDeadZone(device, PadAxis::X, kDeadZone),
                       "ジョイパッドデバイスのＸ軸の無効ゾーンの設定に失敗しました\n") &&
             Succeeded(platform::SetAxisDeadZone(device, PadAxis::Y, kDeadZone),
                       "ジョイパッドデバイスのＹ軸の無効ゾーンの設定に失敗しました\n");
  }
  if (!usable) {
    ReleasePad(pad);
    return true;
  }
  platform::SetAxisDeadZone(device, PadAxis::Z, kDeadZone);
  platform::SetAxisDeadZone(device, PadAxis::RotationZ, kDeadZone);

  const platform::SineEffect sine{1500, 500, 1000, 10000, platform::kInfiniteEffect};
  platform::CreateSineEffect(device, sine, &pad.periodicEffect);
  if (InputFailed(platform::CreateConstantEffect(device, 10000, &pad.constantEffect))) {
    LogWrite("周期的エフェクトの作成に失敗しました。\n");
  }

  pad.event = platform::CreateEvent();
  const InputResult notified = platform::SetChangeEvent(device, pad.event);
  if (pad.event == nullptr ||
      (notified != platform::kInputOk && notified != platform::kInputPolledDevice)) {
    LogWrite("ジョイパッドイベントのセットアップが失敗しました\n");
    ReleasePad(pad);
    return true;
  }
  platform::AcquireDevice(device);
  pad.state = platform::PadState{};
  input.padCount += 1;
  LogWrite("ジョイパッドの追加は正常に終了しました\n");
  return input.padCount < kMaxPads;
}

void FindPads(InputRecord& input) {
  ReleasePads(input);
  LogWrite("ジョイパッドの初期化... \n");
  input.padCount = 0;
  platform::EnumeratePads(input.system, AddPad, &input);
  LogWrite("ジョイパッドの初期化は正常に終了しました\n");
}

// One version of the input system object, logged; none when it cannot be had or initialised.
platform::InputSystem* ObtainVersion(int version, const char* creationFailure) {
  platform::InputSystem* system = nullptr;
  const InputResult result = platform::ObtainInputSystem(version, &system);
  if (InputFailed(result)) {
    LogWrite(creationFailure);
    LogWriteFormat("エラーコード 0x%x\n", result);
    return nullptr;
  }
  LogWrite("成功\n");
  LogTabIn();
  LogWrite("引き続き初期化処理... ");
  if (!InputFailed(platform::InitializeInputSystem(system, static_cast<uint32_t>(version) << 8))) {
    LogWrite("初期化成功\n");
    LogTabOut();
    return system;
  }
  LogWrite("初期化に失敗。");
  platform::ReleaseInputSystem(system);
  return nullptr;
}

// Mouse and keyboard. Returns InputInit's result.
int StartDevices(InputRecord& input) {
  if (System().window != nullptr) platform::BringWindowToTop(System().window);
  ProcessMessageBody();
  FindPads(input);

  LogWrite("マウスデバイスの初期化... ");
  if (InputFailed(platform::CreateSystemMouse(input.system, &input.mouse))) {
    FatalExit("マウスデバイスの取得に失敗しました");
  }
  if (InputFailed(platform::SetDataFormat(input.mouse, platform::InputDataFormat::Mouse))) {
    FatalExit("マウスデバイスのデータ形式の設定に失敗しました");
  }
  if (InputFailed(platform::SetCooperation(input.mouse,
                                           platform::InputCooperation::NonExclusiveBackground))) {
    FatalExit("マウスデバイスの協調レベルの設定に失敗しました");
  }
  platform::AcquireDevice(input.mouse);
  LogWrite("初期化成功\n");
  input.keyboardTick = platform::TickMillis();

  LogWrite("キーボードデバイスの初期化... ");
  if (InputFailed(platform::CreateSystemKeyboard(input.system, &input.keyboard))) {
    FatalExit("キーボードデバイスの取得に失敗しました");
  }
  if (InputFailed(platform::SetDataFormat(input.keyboard, platform::InputDataFormat::Keyboard))) {
    FatalExit("キーボードデバイスのデータ形式の設定に失敗しました");
  }
  if (InputFailed(platform::SetCooperation(input.keyboard,
                                           platform::InputCooperation::NonExclusiveBackground))) {
    FatalExit("キーボードデバイスの協調レベルの設定に失敗しました");
  }
  if (InputFailed(platform::SetBufferSize(input.keyboard, kKeyboardBufferSize))) {
    LogWrite("キーボードのプロパティ設定に失敗しました\n");
  }
  input.keyboardEvent = platform::CreateEvent();
  const InputResult notified = platform::SetChangeEvent(input.keyboard, input.keyboardEvent);
  if (input.keyboardEvent == nullptr ||
      (notified != platform::kInputOk && notified != platform::kInputPolledDevice)) {
    LogWrite("キーボードイベントのセットアップが失敗しました\n");
    return 1;
  }
  if (InputFailed(platform::AcquireDevice(input.keyboard)) &&
      InputFailed(platform::AcquireDevice(input.keyboard))) {
    ReleasePads(input);
    ReleaseKeyboardAndMouse(input);
    platform::ReleaseInputSystem(input.system);
    input.system = nullptr;
    FatalExit("キーボードデバイスの取得に失敗しました");
  }
  LogWrite("初期化成功\n");
  input.keyboardTick = platform::TickMillis();
  LogTabOut();
  LogWrite("DirectInput 関連の初期化は正常に終了しました\n");
  return 0;
}

int StartWithoutInputSystem(InputRecord& input) {
  LogTabIn();
  int found = 0;
  for (; found < kMaxPads; ++found) {
    platform::JoystickCaps caps{};
    if (!platform::ReadJoystickCaps(found, &caps)) break;
    input.pads[found].hasZAndR = caps.hasZ && caps.hasRudder ? 1 : 0;
  }
  LogWriteFormat("パッドの数は %d 個です\n", found);
  LogTabOut();
  LogWrite("入力関連の初期化をしました\n");
  input.system = kWithoutInputSystem;
  // Every id is read from now on, whether a joystick answered at start or not.
  input.padCount = kMaxPads;
  return 0;
}

void CopyKeys(const uint8_t virtualKeys[256], uint8_t keyState[256], const KeyTranslation* pairs,
              size_t count) {
  for (size_t i = 0; i < count; ++i) keyState[pairs[i].scanCode] = virtualKeys[pairs[i].virtualKey];
}

template <size_t N>
void CopyKeys(const uint8_t virtualKeys[256], uint8_t keyState[256],
              const KeyTranslation (&pairs)[N]) {
  CopyKeys(virtualKeys, keyState, pairs, N);
}

void RefreshKeyboard(InputRecord& input) {
  const uint32_t now = platform::TickMillis();
  uint8_t virtualKeys[256];
  if (input.fallback == 0) {
    if (input.keyboard == nullptr) return;
    const bool signalled =
        input.keyboardEvent != nullptr && platform::IsEventSignalled(input.keyboardEvent);
    if (now == input.keyboardTick && !signalled) return;
    if (ProcessMessageBody() != 0) return;
    uint8_t state[256];
    InputResult result = platform::ReadKeyboardState(input.keyboard, state);
    if (InputFailed(result)) {
      platform::AcquireDevice(input.keyboard);
      result = platform::ReadKeyboardState(input.keyboard, state);
    }
    if (!InputFailed(result)) std::memcpy(input.keyState, state, sizeof input.keyState);
    input.keyboardTick = now;
    if (input.keyboardEvent != nullptr && platform::IsEventSignalled(input.keyboardEvent)) {
      platform::ResetEvent(input.keyboardEvent);
    }
    // The window system's keyboard state belongs to the thread of the window.
    if (OnWindowThread()) {
      platform::ReadVirtualKeyState(virtualKeys);
      CopyKeys(virtualKeys, input.keyState, kMergedKeys);
    }
    return;
  }
  if (now == input.keyboardTick) return;
  input.keyboardTick = now;
  if (ProcessMessageBody() != 0) return;
  platform::ReadVirtualKeyState(virtualKeys);
  std::memset(input.keyState, 0, sizeof input.keyState);
  CopyKeys(virtualKeys, input.keyState, kMergedKeys);
  CopyKeys(virtualKeys, input.keyState, kFallbackOnlyKeys);
}

// A joystick axis, 0 to 65535, to -1000 .. 1000 with a quarter of the travel on each side of
// the centre reading 0. The upper part divides by its own width, so that 65535 reaches 1000.
int32_t JoystickAxis(uint32_t value) {
  const int64_t v = value > 0xFFFF ? 0xFFFF : value;
  if (v < 0x6000) return static_cast<int32_t>((v - 0x6000) * kAxisLimit / 0x6000);
  if (v <= 0xA000) return 0;
  return static_cast<int32_t>((v - 0xA000) * kAxisLimit / (0xFFFF - 0xA000));
}

void RefreshPad(InputRecord& input, int n) {
  if (n < 0 || n >= kMaxPads) return;
  PadRecord& pad = input.pads[n];
  const uint32_t now = platform::TickMillis();
  if (input.fallback == 0) {
    if (pad.device == nullptr) return;
    const bool signalled = pad.event != nullptr && platform::IsEventSignalled(pad.event);
    if (now == pad.tick && !signalled) return;
    pad.tick = now;
    platform::PollDevice(pad.device);
    platform::PadState state{};
    InputResult result = platform::ReadPadState(pad.device, &state);
    if (InputFailed(result) && ProcessMessageBody() == 0) {
      platform::AcquireDevice(pad.device);
      result = platform::ReadPadState(pad.device, &state);
    }
    if (!InputFailed(result)) pad.state = state;
    if (pad.event != nullptr && platform::IsEventSignalled(pad.event)) {
      platform::ResetEvent(pad.event);
    }
    return;
  }
  if (now == pad.tick) return;
  pad.tick = now;
  platform::JoystickPosition position{};
  if (!platform::ReadJoystickPosition(n, &position)) {
    pad.state = platform::PadState{};
    return;
  }
  pad.state = platform::PadState{};
  pad.state.x = JoystickAxis(position.x);
  pad.state.y = JoystickAxis(position.y);
  if (pad.hasZAndR == 1) {
    pad.state.z = JoystickAxis(position.z);
    pad.state.rotationZ = JoystickAxis(position.rudder);
  }
  for (int button = 0; button < kPadButtonBits; ++button) {
    pad.state.buttons[button] = (position.buttons >> button & 1u) != 0 ? 0x80 : 0x00;
  }
}

}  // namespace

platform::InputSystem* const kWithoutInputSystem =
    reinterpret_cast<platform::InputSystem*>(&gWithoutInputSystem);

InputRecord& Input() {
  static InputRecord record{};
  return record;
}

int InputInit() {
  InputRecord& input = Input();
  if (input.system != nullptr) return 0;
  const int fallback = input.fallback;
  input = InputRecord{};
  input.fallback = fallback;

  if (input.fallback == 0) {
    LogWrite("DirectInput関係初期化処理\n");
    LogTabIn();
    LogWrite("DirectInput7 の取得中... ");
    platform::InputSystem* system = ObtainVersion(7, "取得に失敗。\n");
    if (system == nullptr) {
      LogWrite("DirectInput8 の取得を試みます...");
      system = ObtainVersion(8, "取得に失敗。");
      if (system != nullptr) input.version8 = 1;
    }
    if (system != nullptr) {
      input.system = system;
      return StartDevices(input);
    }
    LogWrite("DirectInput を使用しません。\n");
    LogTabOut();
    input.fallback = 1;
  }
  return StartWithoutInputSystem(input);
}

int InputTerm() {
  InputRecord& input = Input();
  if (input.system == nullptr) return 0;
  if (input.system == kWithoutInputSystem) {
    LogWrite("入力関連の終了処理... 完了\n");
  } else {
    LogWrite("DirectInput 関連の終了処理... 完了\n");
    ReleasePads(input);
    ReleaseKeyboardAndMouse(input);
    platform::ReleaseInputSystem(input.system);
  }
  input.system = nullptr;
  input.padCount = 0;
  return 0;
}

int InputReacquire() {
  InputRecord& input = Input();
  if (!UsesInputSystem()) return 0;
  const platform::InputCooperation level = System().active == 1
                                               ? platform::InputCooperation::ExclusiveForeground
                                               : platform::InputCooperation::NonExclusiveBackground;
  for (PadRecord& pad : input.pads) {
    if (pad.device == nullptr) continue;
    platform::UnacquireDevice(pad.device);
    platform::SetCooperation(pad.device, level);
    platform::AcquireDevice(pad.device);
  }
  if (input.keyboard != nullptr) {
    platform::UnacquireDevice(input.keyboard);
    platform::AcquireDevice(input.keyboard);
  }
  return 0;
}

void InputActivationHook() {
  InputRecord& input = Input();
  if (!IsInitialised()) return;
  // What was held when the window changed hands may have changed since the last read.
  const uint32_t stale = platform::TickMillis() - 1;
  input.keyboardTick = stale;
  for (PadRecord& pad : input.pads) pad.tick = stale;
}

void SetInputNotice(int which, int on) {
  if (which == 0 || which == 1) gNotices[which] = on == 1 ? 1 : 0;
}

int InputNotice(int which) { return which == 0 || which == 1 ? gNotices[which] : 0; }

int IsKeyDownBody(int keyCode) {
  WaitWhileInactive();
  InputRecord& input = Input();
  if (!IsInitialised()) {
    // The key is not read in this call, whatever start-up reports.
    if (System().closePosted == 0) InputInit();
    return 0;
  }
  if (keyCode < 0 || keyCode > 255) return 0;
  RefreshKeyboard(input);
  return (input.keyState[keyCode] & 0x80) != 0 ? 1 : 0;
}

int GetPadStateBody(int selector) {
  WaitWhileInactive();
  InputRecord& input = Input();
  if (!IsInitialised()) {
    if (System().closePosted == 0) InputInit();
    return 0;
  }
  const bool withKeyboard = (selector & kSelectorKeyboard) != 0;
  const int n = (selector & ~kSelectorKeyboard) - 1;
  if ((n < -1 || n >= input.padCount) && input.padCount != 0 && !withKeyboard) return 0;

  int result = 0;
  if (n >= 0 && n < input.padCount) {
    RefreshPad(input, n);
    const platform::PadState& state = input.pads[n].state;
    if (state.x < 0) result |= 0x2;
    if (state.x > 0) result |= 0x4;
    if (state.y < 0) result |= 0x8;
    if (state.y > 0) result |= 0x1;
    for (int button = 0; button < kPadButtonBits; ++button) {
      if ((state.buttons[button] & 0x80) != 0) result |= 0x10 << button;
    }
  }
  if (withKeyboard) {
    RefreshKeyboard(input);
    for (const KeyBit& key : kPadKeys) {
      if ((input.keyState[key.scanCode] & 0x80) != 0) result |= key.bit;
    }
  }
  return result;
}

}  // namespace kumo
