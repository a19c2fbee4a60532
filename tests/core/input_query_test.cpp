// IsKeyDown and GetPadState: what they read, when they read it, and the fall-back's keyboard and
// joysticks.
#include <stdlib.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "kumo/core/input.h"
#include "kumo/kumo.h"
#include "kumo/platform/scan_codes.h"
#include "tests/core/input_fixture.h"

namespace kumo::testing {
namespace {

using headless::HeadlessPad;

std::string Hex(int code) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", code);
  return text;
}

// A script that holds these keys from the first frame.
std::string Holding(const std::vector<std::string>& keys) {
  std::string script;
  for (const std::string& key : keys) script += "1 down " + key + "\n";
  return script;
}

constexpr int kX = 0, kY = 1, kZ = 2, kRz = 5;

using InputQueryTest = InputTest;

TEST_F(InputQueryTest, ScriptedKeyGoesDownAndUp) {
  ASSERT_EQ(InputInit(), 0);
  UseScript("1 down A\n2 up A\n");
  PlayFrame();
  NextMillisecond();
  EXPECT_EQ(IsKeyDown(0x1E), 1);
  EXPECT_EQ(IsKeyDown(0x30), 0);
  PlayFrame();
  NextMillisecond();
  EXPECT_EQ(IsKeyDown(0x1E), 0);
  // Codes outside the keyboard are never held.
  EXPECT_EQ(IsKeyDown(256), 0);
  EXPECT_EQ(IsKeyDown(-1), 0);
}

TEST_F(InputQueryTest, PadStateCarriesTheKeyboardColumn) {
  struct Case {
    std::vector<std::string> keys;
    int bits;
  };
  const Case cases[] = {
      {{"Z", "DOWN"}, 0x11},
      {{"NUMPAD2"}, 0x1},
      {{"LEFT"}, 0x2},
      {{"NUMPAD4"}, 0x2},
      {{"RIGHT"}, 0x4},
      {{"NUMPAD6"}, 0x4},
      {{"UP"}, 0x8},
      {{"NUMPAD8"}, 0x8},
      {{"X"}, 0x20},
      {{"C"}, 0x40},
      {{"A"}, 0x80},
      {{"S"}, 0x100},
      {{"D"}, 0x200},
      {{"Q"}, 0x400},
      {{"W"}, 0x800},
      {{"ESCAPE"}, 0x1000},
      {{"SPACE"}, 0x2000},
      {{"B", "RETURN"}, 0},
      {{"LEFT", "RIGHT", "UP", "DOWN"}, 0xF},
  };
  ASSERT_EQ(InputInit(), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys.front());
    UseScript(Holding(c.keys));
    PlayFrame();
    NextMillisecond();
    EXPECT_EQ(GetPadState(0x1000), c.bits);
  }
}

TEST_F(InputQueryTest, SelectorsBeyondThePadsReadNothingOrOnlyTheKeyboard) {
  HeadlessPad left = Pad("Left");
  left.axes[kX] = -32768;
  left.buttons = 0x1;
  HeadlessPad down = Pad("Down");
  down.axes[kY] = 32767;
  headless::SetHeadlessPads({left, down});
  ASSERT_EQ(InputInit(), 0);
  ASSERT_EQ(Input().padCount, 2);
  UseScript(Holding({"Z"}));
  PlayFrame();
  struct Case {
    int selector;
    int bits;
  };
  const Case cases[] = {
      {1, 0x12},      {2, 0x1},       {3, 0},         {0, 0},         {9, 0},
      {0x1000, 0x10}, {0x1001, 0x12}, {0x1002, 0x11}, {0x1003, 0x10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.selector);
    NextMillisecond();
    EXPECT_EQ(GetPadState(c.selector), c.bits);
  }
}

// The pads report axes from -1000 to 1000 with a quarter of each half travel around the centre
// reading 0.
TEST_F(InputQueryTest, PadAxesAndButtonsMapToTheirBits) {
  struct Case {
    int32_t x, y;
    uint32_t buttons;
    int bits;
    int32_t stateX;
  };
  const Case cases[] = {
      {-32768, 0, 0, 0x2, -1000}, {32767, 0, 0, 0x4, 1000}, {0, -32768, 0, 0x8, 0},
      {0, 32767, 0, 0x1, 0},      {8191, -8191, 0, 0, 0},  // inside the dead zone
      {16384, 0, 0, 0x4, 333},    {0, 0, 0x1, 0x10, 0},     {0, 0, 1u << 23, 0x10 << 23, 0},
      {0, 0, 1u << 24, 0, 0},  // only 24 buttons have bits
  };
  HeadlessPad pad = Pad("Pad");
  headless::SetHeadlessPads({pad});
  ASSERT_EQ(InputInit(), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.x << "," << c.y << " buttons " << c.buttons);
    pad.axes[kX] = c.x;
    pad.axes[kY] = c.y;
    pad.buttons = c.buttons;
    headless::UpdateHeadlessPad(0, pad);
    NextMillisecond();
    EXPECT_EQ(GetPadState(1), c.bits);
    EXPECT_EQ(Input().pads[0].state.x, c.stateX);
  }
}

TEST_F(InputQueryTest, DevicesAreReadOncePerMillisecondUnlessTheySignalNewData) {
  HeadlessPad pad = Pad("Pad");
  headless::SetHeadlessPads({pad});
  ASSERT_EQ(InputInit(), 0);
  UseScript("1 down A\n");
  NextMillisecond();

  const uint32_t keyboardReads = headless::HeadlessKeyboardReads();
  EXPECT_EQ(IsKeyDown(0x1E), 0);
  EXPECT_EQ(IsKeyDown(0x1E), 0);
  EXPECT_EQ(headless::HeadlessKeyboardReads(), keyboardReads + 1);
  // The key goes down, but nothing has told the keyboard yet: the state read stands.
  headless::FramePresented();
  EXPECT_EQ(IsKeyDown(0x1E), 0);
  EXPECT_EQ(headless::HeadlessKeyboardReads(), keyboardReads + 1);
  // The pump delivers the change: read again within the same millisecond, once.
  headless::PumpHeadlessInput();
  EXPECT_EQ(IsKeyDown(0x1E), 1);
  EXPECT_EQ(IsKeyDown(0x1E), 1);
  EXPECT_EQ(headless::HeadlessKeyboardReads(), keyboardReads + 2);
  NextMillisecond();
  IsKeyDown(0x1E);
  EXPECT_EQ(headless::HeadlessKeyboardReads(), keyboardReads + 3);

  const uint32_t padReads = headless::HeadlessPadReads();
  EXPECT_EQ(GetPadState(1), 0);
  EXPECT_EQ(GetPadState(1), 0);
  EXPECT_EQ(headless::HeadlessPadReads(), padReads + 1);
  pad.buttons = 0x1;
  headless::UpdateHeadlessPad(0, pad);
  EXPECT_EQ(GetPadState(1), 0x10);
  EXPECT_EQ(GetPadState(1), 0x10);
  EXPECT_EQ(headless::HeadlessPadReads(), padReads + 2);

  // A change of the window's activation has the next query read anew.
  InputActivationHook();
  IsKeyDown(0x1E);
  GetPadState(1);
  EXPECT_EQ(headless::HeadlessKeyboardReads(), keyboardReads + 4);
  EXPECT_EQ(headless::HeadlessPadReads(), padReads + 3);
}

TEST_F(InputQueryTest, AQueryWithoutInputStartsItAndReadsNothing) {
  UseScript(Holding({"A"}));
  PlayFrame();
  const uint32_t reads = headless::HeadlessKeyboardReads();
  EXPECT_EQ(IsKeyDown(0x1E), 0);
  EXPECT_NE(Input().system, nullptr);
  EXPECT_EQ(headless::HeadlessKeyboardReads(), reads);
  NextMillisecond();
  EXPECT_EQ(IsKeyDown(0x1E), 1);

  InputTerm();
  EXPECT_EQ(GetPadState(0x1000), 0);
  EXPECT_NE(Input().system, nullptr);
  NextMillisecond();
  EXPECT_EQ(GetPadState(0x1000), 0x80);

  // Once the window is being closed, nothing starts again.
  InputTerm();
  System().closePosted = 1;
  EXPECT_EQ(IsKeyDown(0x1E), 0);
  EXPECT_EQ(GetPadState(0x1000), 0);
  EXPECT_EQ(Input().system, nullptr);
}

TEST_F(InputQueryTest, AFailedReadKeepsTheLastState) {
  HeadlessPad pad = Pad("Pad");
  pad.buttons = 0x1;
  headless::SetHeadlessPads({pad});
  ASSERT_EQ(InputInit(), 0);
  // F1 is outside the keys that the window system's state is merged for.
  UseScript("1 down F1\n2 up F1\n");
  PlayFrame();
  NextMillisecond();
  ASSERT_EQ(IsKeyDown(0x3B), 1);
  ASSERT_EQ(GetPadState(1), 0x10);

  PlayFrame();
  // Both the read and the read after acquiring again fail.
  headless::SetHeadlessInputFaults({{platform::InputStep::Read, platform::InputDeviceKind::Keyboard,
                                     -1, -1, platform::kInputNotAcquired, 2}});
  NextMillisecond();
  EXPECT_EQ(IsKeyDown(0x3B), 1);
  // Only the first read fails.
  headless::SetHeadlessInputFaults({{platform::InputStep::Read, platform::InputDeviceKind::Keyboard,
                                     -1, -1, platform::kInputNotAcquired, 1}});
  NextMillisecond();
  EXPECT_EQ(IsKeyDown(0x3B), 0);

  // A pad that was pulled out keeps reporting what it last reported.
  headless::SetHeadlessPads({});
  NextMillisecond();
  EXPECT_EQ(GetPadState(1), 0x10);
}

// Every key the library names reads as itself, also after the window system's state is merged
// over the keyboard's.
TEST_F(InputQueryTest, EveryNamedKeyReadsAsItself) {
  ASSERT_EQ(InputInit(), 0);
  for (int i = 0; i < platform::kScanCodeNameCount; ++i) {
    const platform::ScanCodeName& pressed = platform::kScanCodeNames[i];
    SCOPED_TRACE(pressed.name);
    UseScript(Holding({pressed.name}));
    PlayFrame();
    NextMillisecond();
    for (int j = 0; j < platform::kScanCodeNameCount; ++j) {
      const uint8_t code = platform::kScanCodeNames[j].code;
      // Both Enter keys are one key to the window system.
      const bool alsoHeld = pressed.code == 0x9C && code == 0x1C;
      EXPECT_EQ(IsKeyDown(code), code == pressed.code || alsoHeld ? 1 : 0)
          << platform::kScanCodeNames[j].name;
    }
  }
}

// The fall-back sees the keyboard through the 99 keys of its translation table only.
TEST_F(InputQueryTest, TheFallbackKeyboardReadsItsTranslatedKeys) {
  const std::vector<int> translated = {
      0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32, 0x31, 0x18,
      0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C, 0x0B, 0x02, 0x03, 0x04,
      0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0xCB, 0xC8, 0xCD, 0xD0, 0x27, 0x92, 0x1A, 0x1B, 0x91,
      0x2B, 0x33, 0x0C, 0x7D, 0x34, 0x35, 0xD3, 0x01, 0x39, 0x0E, 0x0F, 0x1C, 0x52, 0x4F, 0x50,
      0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49, 0x37, 0x4E, 0x4A, 0x53, 0xB5, 0x9C, 0x2A, 0x36,
      0x1D, 0x9D, 0xC9, 0xD1, 0xCF, 0xC7, 0xD2, 0x38, 0xB8, 0x46, 0x3A, 0xC5, 0x3B, 0x3C, 0x3D,
      0x3E, 0x3F, 0x40, 0x41, 0x42, 0x43, 0x44, 0x57, 0x58};
  ASSERT_EQ(translated.size(), 99u);
  setenv("KUMO_INPUT_FALLBACK", "1", 1);
  ASSERT_EQ(InputInit(), 0);
  ASSERT_EQ(Input().fallback, 1);
  for (const int pressed : translated) {
    SCOPED_TRACE(Hex(pressed));
    UseScript(Holding({Hex(pressed)}));
    PlayFrame();
    NextMillisecond();
    std::set<int> held;
    for (int code = 0; code < 256; ++code) {
      if (IsKeyDown(code) == 1) held.insert(code);
    }
    // Both Enter keys are one virtual key.
    const bool enter = pressed == 0x1C || pressed == 0x9C;
    const std::set<int> expected = enter ? std::set<int>{0x1C, 0x9C} : std::set<int>{pressed};
    EXPECT_EQ(held, expected);
  }
  // A key outside the table is not seen.
  UseScript(Holding({"EQUALS"}));
  PlayFrame();
  NextMillisecond();
  EXPECT_EQ(IsKeyDown(0x0D), 0);
}

TEST_F(InputQueryTest, FallbackJoystickAxesAndButtons) {
  setenv("KUMO_INPUT_FALLBACK", "1", 1);
  HeadlessPad pad = Pad("Stick");
  headless::SetHeadlessPads({pad});
  ASSERT_EQ(InputInit(), 0);
  ASSERT_EQ(Input().pads[0].hasZAndR, 1);
  struct Case {
    uint32_t position;
    int32_t value;
  };
  const Case cases[] = {
      {0, -1000},  {0x5000, -166}, {0x5FFF, 0},   {0x6000, 0},   {0x8000, 0},
      {0xA000, 0}, {0xA001, 0},    {0xB000, 166}, {65535, 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(static_cast<int>(c.position)));
    const int32_t raw = static_cast<int32_t>(c.position) - 32768;
    pad.axes[kX] = raw;
    pad.axes[kY] = raw;
    pad.axes[kZ] = raw;
    pad.axes[kRz] = raw;
    headless::UpdateHeadlessPad(0, pad);
    NextMillisecond();
    GetPadState(1);
    const platform::PadState& state = Input().pads[0].state;
    EXPECT_EQ(state.x, c.value);
    EXPECT_EQ(state.y, c.value);
    EXPECT_EQ(state.z, c.value);
    EXPECT_EQ(state.rotationZ, c.value);
  }

  pad.axes[kX] = pad.axes[kY] = 0;
  pad.buttons = 0x1 | 1u << 23 | 1u << 24;
  headless::UpdateHeadlessPad(0, pad);
  NextMillisecond();
  EXPECT_EQ(GetPadState(1), 0x10 | 0x10 << 23);

  // Joystick ids that answered nothing at start are read too.
  std::vector<HeadlessPad> eight(8, Pad("Stick"));
  eight[7].buttons = 0x2;
  headless::SetHeadlessPads(eight);
  NextMillisecond();
  EXPECT_EQ(GetPadState(8), 0x20);
  // A joystick that does not answer reads as nothing held.
  headless::SetHeadlessPads({});
  NextMillisecond();
  EXPECT_EQ(GetPadState(8), 0);
}

TEST_F(InputQueryTest, FallbackJoystickWithoutRudderLeavesZAlone) {
  setenv("KUMO_INPUT_FALLBACK", "1", 1);
  HeadlessPad pad = Pad("Stick");
  pad.axisMask = 0x7;  // X, Y, Z
  pad.axes[kZ] = -32768;
  headless::SetHeadlessPads({pad});
  ASSERT_EQ(InputInit(), 0);
  EXPECT_EQ(Input().pads[0].hasZAndR, 0);
  NextMillisecond();
  GetPadState(1);
  EXPECT_EQ(Input().pads[0].state.z, 0);
}

}  // namespace
}  // namespace kumo::testing
