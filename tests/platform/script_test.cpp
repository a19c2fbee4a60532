#include "kumo/platform/headless/script.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kumo::platform::headless {
namespace {

TEST(Script, ParsesEveryVerbAndRunsFramesInOrder) {
  const std::string text =
      "# a round\n"
      "3 up A\n"
      "1 down A   # held from the first frame\n"
      "\n"
      "2 down 0x39\n"
      "2 shot frame2.png\n"
      "3 deactivate 500\r\n"
      "4 close\n";
  std::string error;
  ASSERT_TRUE(UseScript(text, &error)) << error;
  uint8_t keys[256];

  FramePresented();
  ScriptKeyState(keys);
  EXPECT_EQ(keys[0x1E], 0x80);
  FramePresented();
  ScriptKeyState(keys);
  EXPECT_EQ(keys[0x39], 0x80);
  std::string file;
  EXPECT_TRUE(TakeShot(&file));
  EXPECT_EQ(file, "frame2.png");
  EXPECT_FALSE(TakeCloseRequest());

  FramePresented();
  ScriptKeyState(keys);
  EXPECT_EQ(keys[0x1E], 0x00);
  uint32_t millis = 0;
  EXPECT_TRUE(TakeDeactivation(&millis));
  EXPECT_EQ(millis, 500u);
  FramePresented();
  EXPECT_TRUE(TakeCloseRequest());
  EXPECT_FALSE(TakeCloseRequest());
  EXPECT_EQ(PresentedFrames(), 4);
  EXPECT_EQ(ScriptKeyChanges(), 3u);
}

TEST(Script, AMalformedLineIsNamed) {
  struct Case {
    std::string text;
    std::string error;
  };
  const Case cases[] = {
      {"1 down A\nx down A\n", "line 2: a frame number from 1 is expected first: \"x down A\""},
      {"0 close\n", "line 1: a frame number from 1 is expected first: \"0 close\""},
      {"1\n", "line 1: a verb is missing: \"1\""},
      {"1 press A\n", "line 1: unknown verb: \"1 press A\""},
      {"1 down NOSUCHKEY\n", "line 1: a key name or scan code is expected: \"1 down NOSUCHKEY\""},
      {"1 down 0x100\n", "line 1: a key name or scan code is expected: \"1 down 0x100\""},
      {"1 up\n", "line 1: a key name or scan code is expected: \"1 up\""},
      {"1 deactivate -5\n", "line 1: milliseconds are expected: \"1 deactivate -5\""},
      {"1 shot\n", "line 1: one file name is expected: \"1 shot\""},
      {"1 close now\n", "line 1: close takes nothing more: \"1 close now\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<ScriptCommand> commands;
    std::string error;
    EXPECT_FALSE(ParseScript(c.text, &commands, &error));
    EXPECT_EQ(error, c.error);
  }
}

}  // namespace
}  // namespace kumo::platform::headless
