// The SDL keyboard's keys in the library's scan codes. SDL scan codes are the USB keyboard usage
// numbers, so the cases below name keys by those numbers.
#include <gtest/gtest.h>

#include <map>

#include "kumo/platform/scan_codes.h"
#include "kumo/platform/sdl/scan_code_table.h"

namespace kumo::platform::sdl {
namespace {

constexpr int kSdlScanCodes = 512;

// The library scan code each SDL key gives when it is held alone; none for an unmapped key.
std::map<int, int> CodesBySdlKey() {
  std::map<int, int> codes;
  for (int sdlKey = 0; sdlKey < kSdlScanCodes; ++sdlKey) {
    uint8_t sdlState[kSdlScanCodes] = {};
    sdlState[sdlKey] = 1;
    uint8_t state[256];
    SdlKeysToScanCodes(sdlState, kSdlScanCodes, state);
    int held = 0;
    for (int code = 0; code < 256; ++code) {
      if (state[code] == 0x80) {
        codes[sdlKey] = code;
        ++held;
      }
    }
    EXPECT_LE(held, 1) << "SDL key " << sdlKey;
  }
  return codes;
}

TEST(SdlKeys, EveryNamedKeyCanBePressedAndNoTwoKeysShareACode) {
  const std::map<int, int> codes = CodesBySdlKey();
  std::map<int, int> sdlKeysPerCode;
  for (const auto& [sdlKey, code] : codes) sdlKeysPerCode[code] += 1;
  for (int i = 0; i < kScanCodeNameCount; ++i) {
    EXPECT_EQ(sdlKeysPerCode.count(kScanCodeNames[i].code), 1u) << kScanCodeNames[i].name;
  }
  for (const auto& [code, count] : sdlKeysPerCode) {
    // The backslash key sits at one of two places, depending on the keyboard.
    EXPECT_EQ(count, code == 0x2B ? 2 : 1) << "scan code " << code;
  }
}

TEST(SdlKeys, KeysByTheirMeaning) {
  const std::map<int, int> codes = CodesBySdlKey();
  const std::map<int, int> cases = {
      {4, 0x1E},    // A
      {29, 0x2C},   // Z
      {39, 0x0B},   // 0
      {41, 0x01},   // Escape
      {69, 0x58},   // F12
      {80, 0xCB},   // Left arrow
      {81, 0xD0},   // Down arrow
      {88, 0x9C},   // keypad Enter
      {89, 0x4F},   // keypad 1
      {137, 0x7D},  // yen
      {225, 0x2A},  // left Shift
      {230, 0xB8},  // right Alt
  };
  for (const auto& [sdlKey, code] : cases) {
    ASSERT_EQ(codes.count(sdlKey), 1u) << "SDL key " << sdlKey;
    EXPECT_EQ(codes.at(sdlKey), code) << "SDL key " << sdlKey;
  }
}

TEST(SdlKeys, NoStateReadsNothingHeld) {
  uint8_t state[256];
  state[0x1E] = 0x80;
  SdlKeysToScanCodes(nullptr, 0, state);
  EXPECT_EQ(state[0x1E], 0);
}

}  // namespace
}  // namespace kumo::platform::sdl
