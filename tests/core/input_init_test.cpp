// Making and releasing the input devices, and what the log says about it.
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "kumo/core/input.h"
#include "tests/core/input_fixture.h"

namespace kumo::testing {
namespace {

using headless::HeadlessInputFault;
using platform::InputDeviceKind;
using platform::InputStep;
using Lines = std::vector<std::string>;

const Lines kVersion7Lines = {
    "DirectInput関係初期化処理",
    "\tDirectInput7 の取得中... 成功",
    "\t\t引き続き初期化処理... 初期化成功",
};

const Lines kKeyboardAndMouseLines = {
    "\tマウスデバイスの初期化... 初期化成功",
    "\tキーボードデバイスの初期化... 初期化成功",
    "DirectInput 関連の初期化は正常に終了しました",
};

Lines Concat(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

bool Contains(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

using InputInitTest = InputTest;

TEST_F(InputInitTest, DevicesComeUpWithEveryLineAndGoAgain) {
  headless::SetHeadlessPads({Pad("Pad A", true), Pad("Pad B", false)});
  ASSERT_EQ(InputInit(), 0);
  EXPECT_EQ(LogLines(),
            Concat({kVersion7Lines,
                    {"\tジョイパッドの初期化... ", "\t入力装置を見つけました",
                     "\t\tデバイスの登録名:Pad A", "\t\tデバイスの製品登録名:Pad A product",
                     "\tジョイパッドの追加は正常に終了しました", "\t入力装置を見つけました",
                     "\t\tデバイスの登録名:Pad B", "\t\tデバイスの製品登録名:Pad B product",
                     // Pad B has no force feedback.
                     "\t周期的エフェクトの作成に失敗しました。",
                     "\tジョイパッドの追加は正常に終了しました",
                     "\tジョイパッドの初期化は正常に終了しました"},
                    kKeyboardAndMouseLines}));
  const InputRecord& input = Input();
  EXPECT_EQ(input.padCount, 2);
  EXPECT_EQ(input.version8, 0);
  EXPECT_EQ(input.fallback, 0);
  EXPECT_NE(input.pads[0].constantEffect, nullptr);
  EXPECT_EQ(input.pads[1].constantEffect, nullptr);

  // Already up: nothing happens.
  const size_t lineCount = LogLines().size();
  EXPECT_EQ(InputInit(), 0);
  EXPECT_EQ(LogLines().size(), lineCount);

  EXPECT_EQ(InputTerm(), 0);
  EXPECT_EQ(LogLines().back(), "DirectInput 関連の終了処理... 完了");
  EXPECT_EQ(input.system, nullptr);
  EXPECT_EQ(input.pads[0].device, nullptr);
  EXPECT_EQ(input.keyboard, nullptr);
}

TEST_F(InputInitTest, VersionEightStandsInForSeven) {
  struct Case {
    const char* name;
    InputStep failing;
    Lines firstLines;
  };
  const Case cases[] = {
      {"seven cannot be had",
       InputStep::ObtainSystem,
       {"DirectInput関係初期化処理", "\tDirectInput7 の取得中... 取得に失敗。",
        "\tエラーコード 0x80040001", "", "\tDirectInput8 の取得を試みます...成功",
        "\t\t引き続き初期化処理... 初期化成功", "\tジョイパッドの初期化... "}},
      // The indentation of the failed initialisation is never taken back.
      {"seven cannot be initialised",
       InputStep::InitializeSystem,
       {"DirectInput関係初期化処理", "\tDirectInput7 の取得中... 成功",
        "\t\t引き続き初期化処理... 初期化に失敗。DirectInput8 の取得を試みます...成功",
        "\t\t\t引き続き初期化処理... 初期化成功", "\t\tジョイパッドの初期化... "}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LogStart();
    HeadlessInputFault fault{c.failing};
    fault.detail = 7;
    headless::SetHeadlessInputFaults({fault});
    ASSERT_EQ(InputInit(), 0);
    const Lines lines = LogLines();
    ASSERT_GE(lines.size(), c.firstLines.size());
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + c.firstLines.size()), c.firstLines);
    EXPECT_EQ(Input().version8, 1);
    EXPECT_EQ(Input().fallback, 0);
    InputTerm();
  }
}

TEST_F(InputInitTest, WithoutAnInputSystemTheFallbackCountsJoysticksAndStaysChosen) {
  setenv("KUMO_INPUT_FALLBACK", "1", 1);
  headless::SetHeadlessPads({Pad("Pad A"), Pad("Pad B")});
  ASSERT_EQ(InputInit(), 0);
  EXPECT_EQ(LogLines(),
            (Lines{"DirectInput関係初期化処理", "\tDirectInput7 の取得中... 取得に失敗。",
                   "\tエラーコード 0x80040001", "",
                   "\tDirectInput8 の取得を試みます...取得に失敗。エラーコード 0x80040001", "",
                   "\tDirectInput を使用しません。", "\tパッドの数は 2 個です", "",
                   "入力関連の初期化をしました"}));
  EXPECT_EQ(Input().system, kWithoutInputSystem);
  EXPECT_EQ(Input().fallback, 1);
  EXPECT_EQ(Input().padCount, kMaxPads);

  InputTerm();
  EXPECT_EQ(LogLines().back(), "入力関連の終了処理... 完了");

  // The input system object is not tried again, even where it could be had now.
  unsetenv("KUMO_INPUT_FALLBACK");
  LogStart();
  ASSERT_EQ(InputInit(), 0);
  EXPECT_EQ(LogLines(), (Lines{"\tパッドの数は 2 個です", "", "入力関連の初期化をしました"}));
  EXPECT_EQ(Input().system, kWithoutInputSystem);
}

TEST_F(InputInitTest, KeyboardTroublesThatDoNotStopTheProgram) {
  struct Case {
    const char* name;
    HeadlessInputFault fault;
    int result;
    const char* line;  // the line before the keyboard's success, or none
  };
  const Case cases[] = {
      {"buffer size",
       {InputStep::BufferSize},
       0,
       "\tキーボードデバイスの初期化... キーボードのプロパティ設定に失敗しました"},
      {"change event",
       {InputStep::ChangeEvent},
       1,
       "\tキーボードデバイスの初期化... キーボードイベントのセットアップが失敗しました"},
      // A result that succeeds but is neither of the two accepted ones.
      {"change event not accepted",
       {InputStep::ChangeEvent, InputDeviceKind::Keyboard, -1, -1, 2},
       1,
       "\tキーボードデバイスの初期化... キーボードイベントのセットアップが失敗しました"},
      {"first acquisition",
       {InputStep::Acquire, InputDeviceKind::Keyboard, -1, -1, platform::kInputUnavailable, 1},
       0,
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LogStart();
    headless::SetHeadlessInputFaults({c.fault});
    EXPECT_EQ(InputInit(), c.result);
    const Lines lines = LogLines();
    if (c.line != nullptr) {
      EXPECT_TRUE(Contains(lines, c.line));
    }
    if (c.result == 0) {
      EXPECT_EQ(lines.back(), "DirectInput 関連の初期化は正常に終了しました");
    }
    InputTerm();
  }
}

// Each runs in a forked child, which the library ends with status 255; the child's log lines
// stay in the file.
TEST_F(InputInitTest, DeviceFailuresWithoutWhichThereIsNoKeyboardEndTheProgram) {
  struct Case {
    HeadlessInputFault fault;
    const char* line;
  };
  const Case cases[] = {
      {{InputStep::CreateDevice, InputDeviceKind::Mouse},
       "\tマウスデバイスの初期化... マウスデバイスの取得に失敗しました"},
      {{InputStep::DataFormat, InputDeviceKind::Mouse},
       "\tマウスデバイスの初期化... マウスデバイスのデータ形式の設定に失敗しました"},
      {{InputStep::Cooperation, InputDeviceKind::Mouse},
       "\tマウスデバイスの初期化... マウスデバイスの協調レベルの設定に失敗しました"},
      {{InputStep::CreateDevice, InputDeviceKind::Keyboard},
       "\tキーボードデバイスの初期化... キーボードデバイスの取得に失敗しました"},
      {{InputStep::DataFormat, InputDeviceKind::Keyboard},
       "\tキーボードデバイスの初期化... キーボードデバイスのデータ形式の設定に失敗しました"},
      {{InputStep::Cooperation, InputDeviceKind::Keyboard},
       "\tキーボードデバイスの初期化... キーボードデバイスの協調レベルの設定に失敗しました"},
      {{InputStep::Acquire, InputDeviceKind::Keyboard, -1, -1, platform::kInputUnavailable, 2},
       "\tキーボードデバイスの初期化... キーボードデバイスの取得に失敗しました"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    LogStart();
    headless::SetHeadlessInputFaults({c.fault});
    EXPECT_EXIT(InputInit(), ::testing::ExitedWithCode(255), "");
    EXPECT_TRUE(Contains(LogLines(), c.line));
  }
}

TEST_F(InputInitTest, APadThatFailsItsSetUpIsSkipped) {
  struct Case {
    const char* name;
    HeadlessInputFault fault;
    const char* line;  // logged for the pad, or none
    int padCount;
  };
  const auto padFault = [](InputStep step, int detail = -1) {
    return HeadlessInputFault{step, InputDeviceKind::Pad, 0, detail};
  };
  constexpr int kX = 0, kY = 1, kZ = 2, kRz = 5;
  const Case cases[] = {
      {"create", padFault(InputStep::CreateDevice), "\t入力装置の取得に失敗しました", 0},
      {"data format", padFault(InputStep::DataFormat),
       "\tジョイパッドデバイスではありませんでした、又は設定に失敗しました", 0},
      {"cooperation", padFault(InputStep::Cooperation),
       "\tジョイパッドデバイスの協調レベルの設定に失敗しました", 0},
      {"X range", padFault(InputStep::AxisRange, kX),
       "\tジョイパッドデバイスのＸ軸関係の設定に失敗しました", 0},
      {"Y range", padFault(InputStep::AxisRange, kY),
       "\tジョイパッドデバイスのＹ軸関係の設定に失敗しました", 0},
      {"X dead zone", padFault(InputStep::AxisDeadZone, kX),
       "\tジョイパッドデバイスのＸ軸の無効ゾーンの設定に失敗しました", 0},
      {"Y dead zone", padFault(InputStep::AxisDeadZone, kY),
       "\tジョイパッドデバイスのＹ軸の無効ゾーンの設定に失敗しました", 0},
      {"change event", padFault(InputStep::ChangeEvent),
       "\tジョイパッドイベントのセットアップが失敗しました", 0},
      {"constant effect", padFault(InputStep::ConstantEffect),
       "\t周期的エフェクトの作成に失敗しました。", 1},
      {"Z range", padFault(InputStep::AxisRange, kZ), nullptr, 1},
      {"Z rotation range", padFault(InputStep::AxisRange, kRz), nullptr, 1},
      {"Z dead zone", padFault(InputStep::AxisDeadZone, kZ), nullptr, 1},
      {"Z rotation dead zone", padFault(InputStep::AxisDeadZone, kRz), nullptr, 1},
      {"sine effect", padFault(InputStep::SineEffect), nullptr, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LogStart();
    headless::SetHeadlessPads({Pad("Pad A")});
    headless::SetHeadlessInputFaults({c.fault});
    ASSERT_EQ(InputInit(), 0);
    const Lines lines = LogLines();
    const std::string last = c.padCount == 1 ? "\tジョイパッドの追加は正常に終了しました"
                                             : "\tジョイパッドの初期化は正常に終了しました";
    auto at = std::find(lines.begin(), lines.end(), "\t\tデバイスの製品登録名:Pad A product");
    if (c.fault.step == InputStep::CreateDevice) {
      at = std::find(lines.begin(), lines.end(), "\t入力装置を見つけました");
    }
    ASSERT_NE(at, lines.end());
    ++at;
    if (c.line != nullptr) {
      ASSERT_NE(at, lines.end());
      EXPECT_EQ(*at++, c.line);
    }
    ASSERT_NE(at, lines.end());
    EXPECT_EQ(*at, last);
    EXPECT_EQ(Input().padCount, c.padCount);
    EXPECT_EQ(Input().pads[0].device != nullptr, c.padCount == 1);
    InputTerm();
  }
}

TEST_F(InputInitTest, NoMoreThanEightPadsAreTaken) {
  std::vector<headless::HeadlessPad> pads;
  for (int i = 0; i < 10; ++i) pads.push_back(Pad("Pad " + std::to_string(i)));
  headless::SetHeadlessPads(pads);
  ASSERT_EQ(InputInit(), 0);
  const Lines lines = LogLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "\t入力装置を見つけました"), 8);
  EXPECT_EQ(Input().padCount, 8);
  EXPECT_STREQ(Input().pads[7].instanceName, "Pad 7");
}

TEST_F(InputInitTest, ReacquiringFollowsTheWindowsActivation) {
  headless::SetHeadlessPads({Pad("Pad A")});
  ASSERT_EQ(InputInit(), 0);
  const platform::InputDevice* pad = Input().pads[0].device;
  System().active = 0;
  EXPECT_EQ(InputReacquire(), 0);
  EXPECT_EQ(pad->cooperation, platform::InputCooperation::NonExclusiveBackground);
  EXPECT_TRUE(pad->acquired);
  System().active = 1;
  InputReacquire();
  EXPECT_EQ(pad->cooperation, platform::InputCooperation::ExclusiveForeground);
  EXPECT_TRUE(pad->acquired);
  EXPECT_TRUE(Input().keyboard->acquired);
}

}  // namespace
}  // namespace kumo::testing
