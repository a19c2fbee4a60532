#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "kumo/core/system_record.h"
#include "kumo/platform/display_modes.h"
#include "kumo/platform/system_info.h"
#include "kumo/platform/window.h"
#include "kumo/render/display.h"
#include "tests/runtime/library_fixture.h"

namespace {

using kumo::System;
namespace platform = kumo::platform;

using Lines = std::vector<std::string>;

Lines Concat(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// What the headless machine reports, the same on every run.
const Lines kSystemLines = {
    "システムの情報を出力します",
    "\tＫｕｍｏライブラリ Ver2.24b",
    "\tＯＳ  Kumo headless ( Build 1  )",
    "\tＣＰＵ動作速度：大体3.00GHz",
    "\tＭＭＸ命令を使用します",
    "\tＣＰＵベンダ：KumoHeadless",
    "\tＣＰＵ名：Kumo headless processor",
    "ＣＯＭの初期化... 成功しました",
    "メモリ総量:1024.00MB  空きメモリ領域:512.00MB ",
    "タイマーの精度を検査します",
    "精度結果 更新回数 マルチメディアタイマー：0  パフォーマンスカウンター：60",
    " パフォーマンスカウンターを使用します タイマー分解能 : 10000.000000 KHz ",
    " ソフトの二重起動検査... 二重起動はされていませんでした",
    "ウインドウクラスを登録します... 登録に成功しました",
};

const Lines kInputLines = {
    "DirectInput関係初期化処理",
    "\tDirectInput7 の取得中... 成功",
    "\t\t引き続き初期化処理... 初期化成功",
    "\tジョイパッドの初期化... ",
    "\tジョイパッドの初期化は正常に終了しました",
    "\tマウスデバイスの初期化... 初期化成功",
    "\tキーボードデバイスの初期化... 初期化成功",
    "DirectInput 関連の初期化は正常に終了しました",
};

const Lines kSoundLines = {
    "DirectSound の初期化を行います",
    "DirectSound インターフェースの取得を行います....  "
    "DirectSoundインターフェースの作成に失敗しました",
};

enum class Screens { Window, FullScreen, Software };

// What the display logs as it comes up: in a window on the 1920 x 1080 x 32 desktop, in full
// screen at 640 x 480 x 16, or in software mode in a window.
Lines DisplayStartLines(Screens screens) {
  const bool software = screens == Screens::Software;
  Lines lines = {
      "DirectDraw 関連の初期化を行います",
      "\tDirectDraw オブジェクトの取得を行います....  成功",
      "\t引き続き初期化処理... 初期化に成功しました",
      "\tビデオカードの情報",
      "\t画面モード変更処理を開始します",
      "\t\t画面モードの変更処理を開始します 640 x 480  16 bit ",
      screens == Screens::FullScreen ? "\t\t画面解像度を変更します... 成功しました"
                                     : "\t\tウインドウモードにします",
      "\t\t画面モードの変更は正常に終了しました ",
  };
  if (!software) {
    lines.push_back("\t\tカラー情報");
    lines.push_back(screens == Screens::Window
                        ? "\t\t\tA:00000000  B:00ff0000  G:0000ff00  B:000000ff"
                        : "\t\t\tA:00000000  B:0000f800  G:000007e0  B:0000001f");
  }
  const Lines surfaces = {
      "\t\t出力画面用の DirectDrawSurface を作成します",
      "\t\t\t各スクリーンメモリの配置位置",
      software ? "\t\t\tPrimaryBuffer : SYSTEMMEMORY( MEMIMG ) "
               : "\t\t\tPrimaryBuffer : SYSTEMMEMORY  ",
      software ? "\t\t\tBaskBuffer : SYSTEMMEMORY( MEMIMG ) " : "\t\t\tBaskBuffer : SYSTEMMEMORY  ",
      "\t\tグラフィック管理系の初期化を行います",
      "\t\t\t３Ｄグラフィック描画機能は使用しません",
      "\t\tグラフィック管理系の初期化は正常に終了しました",
  };
  lines.insert(lines.end(), surfaces.begin(), surfaces.end());
  if (!software) {
    lines.push_back("\t\tサーフェス間転送には BltFast を使用します");
    lines.push_back("\t\tBitBlt:-1μs   BltFast:1μs");
    lines.push_back(screens == Screens::Window ? "\t\tスキャンラインの数:1080"
                                               : "\t\tスキャンラインの数:480");
    // 60 Hz frames on a millisecond clock: 17, 17 and 16 ms.
    for (int i = 0; i < 20; ++i) {
      char trial[32];
      std::snprintf(trial, sizeof trial, "\t\t\tTri%02d:%d msec", i, i % 3 == 2 ? 16 : 17);
      lines.push_back(trial);
    }
    lines.push_back("\t\t１フレーム当たりの時間は 17 msecです");
  }
  const Lines end = {
      "\t画面モード変更処理は正常に終了しました",
      "\tオーバーレイサーフェスは使用しません",
      "DirectDraw 関連の初期化は正常に終了しました",
      "文字コードバッファの初期化を行います... 完了しました",
  };
  lines.insert(lines.end(), end.begin(), end.end());
  return lines;
}

Lines EndLines(Screens screens) {
  Lines lines = {
      "DirectDraw 関連の終了処理をおこないます",
      "\tグラフィック管理系の終了処理は正常に終了しました",
  };
  if (screens != Screens::Software)
    lines.push_back("\tメインサーフェスを破棄をします... 完了しました");
  const Lines rest = {
      "\tＤｉｒｅｃｔＤｒａｗオブジェクトを解放します",
      "\tＤｉｒｅｃｔＤｒａｗオブジェクトを解放しました",
      "\t画面モードを元に戻す処理は正常に終了しました",
      "DirectDraw 関連の終了処理は正常に終了しました",
      "DirectInput 関連の終了処理... 完了",
      "ウインドウを閉じようとしています",
      "ウインドウが破棄されようとしています",
      "ソフトを終了する準備が整いました",
      "ＣＯＭを終了... 完了",
      "",
      "Alloc memory dump\tTotal size:0(0.000kb)  Alloc num:0",
      "",
  };
  lines.insert(lines.end(), rest.begin(), rest.end());
  return lines;
}

// Visible from the start (ChangeWindowMode before start-up), so the window is not re-styled when
// it is fitted.
const Lines kWindowLines = {"ウインドウモード起動用のウインドウを作成します",
                            "ＩＭＥを無効にしました"};

using StartUpTest = LibraryTest;

TEST_F(StartUpTest, WindowModeLogsEveryStepInOrderAndShutsDown) {
  ChangeWindowMode(1);
  ASSERT_EQ(InitLibrary(), 0);
  EXPECT_EQ(System().settings.windowMode, 1);
  const platform::Area client = platform::ClientArea(System().window);
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 480);
  // Centred on the 1920 x 1080 desktop.
  EXPECT_EQ(System().clientRect.left, 640);
  EXPECT_EQ(System().clientRect.top, 300);
  // A window takes the desktop's depth.
  EXPECT_EQ(kumo::ScreenColorDepth(), 32);
  EXPECT_EQ(EndLibrary(), 0);
  EXPECT_EQ(LogLines(), Concat({kSystemLines, kWindowLines, kInputLines, kSoundLines,
                                DisplayStartLines(Screens::Window), EndLines(Screens::Window)}));
  EXPECT_EQ(System().window, nullptr);
}

TEST_F(StartUpTest, FullScreenLogsItsOwnWindowLines) {
  ASSERT_EQ(InitLibrary(), 0);
  EXPECT_EQ(System().settings.windowMode, 0);
  EXPECT_EQ(System().mouseShown, 0);
  EXPECT_EQ(platform::CurrentDisplayMode(), (platform::DisplayMode{640, 480, 16, 60}));
  EXPECT_EQ(EndLibrary(), 0);
  EXPECT_EQ(platform::CurrentDisplayMode(), platform::DesktopDisplayMode());
  EXPECT_EQ(LogLines(), Concat({kSystemLines,
                                {"フルスクリーンモード用のウインドウを作成します",
                                 "カーソルを不可視にしました", "ＩＭＥを無効にしました"},
                                kInputLines,
                                kSoundLines,
                                DisplayStartLines(Screens::FullScreen),
                                EndLines(Screens::FullScreen)}));
}

TEST_F(StartUpTest, SoftwareModeMakesNoSurfacesAndMeasuresNoFrames) {
  ChangeWindowMode(1);
  kumo::SetUseSoftwareRender(0);
  ASSERT_EQ(InitLibrary(), 0);
  EXPECT_EQ(kumo::IsSoftwareRender(), 1);
  EXPECT_NE(kumo::ScreenImage(-2), nullptr);
  EXPECT_EQ(EndLibrary(), 0);
  EXPECT_EQ(LogLines(),
            Concat({kSystemLines, kWindowLines, kInputLines, kSoundLines,
                    DisplayStartLines(Screens::Software), EndLines(Screens::Software)}));
}

TEST_F(StartUpTest, EndLibraryThenInitLibraryStartsAgain) {
  ASSERT_EQ(InitLibrary(), 0);
  ASSERT_EQ(EndLibrary(), 0);
  ASSERT_EQ(InitLibrary(), 0);
  EXPECT_NE(System().window, nullptr);
  EXPECT_EQ(System().initialised, 1);
  EXPECT_EQ(ProcessMessage(), 0);
}

TEST_F(StartUpTest, ASecondStartUpWhileRunningChangesNothing) {
  ASSERT_EQ(InitLibrary(), 0);
  platform::Window* window = System().window;
  EXPECT_EQ(InitLibrary(), -1);
  EXPECT_EQ(System().window, window);
  EXPECT_EQ(LogLines()[0], "システムの情報を出力します");  // the log was not started anew
}

TEST_F(StartUpTest, ChangeWindowModeBeforeStartUpOnlySetsTheFlag) {
  EXPECT_EQ(ChangeWindowMode(1), 0);
  EXPECT_EQ(System().settings.windowMode, 1);
  EXPECT_EQ(System().window, nullptr);
}

TEST_F(StartUpTest, ChangeWindowModeAfterStartUpRestylesTheWindow) {
  ChangeWindowMode(1);
  ASSERT_EQ(InitLibrary(), 0);
  const size_t before = LogLines().size();
  EXPECT_EQ(ChangeWindowMode(0), 0);
  EXPECT_EQ(System().settings.windowMode, 0);
  EXPECT_EQ(System().mouseShown, 0);
  const platform::Area outer = platform::OuterArea(System().window);
  EXPECT_EQ(outer.left, 0);
  EXPECT_EQ(outer.right, 640);
  // The desktop's depth stays with the screen into full screen.
  EXPECT_EQ(platform::CurrentDisplayMode(), (platform::DisplayMode{640, 480, 32, 60}));
  const Lines lines = LogLines();
  EXPECT_EQ(Lines(lines.begin() + static_cast<long>(before),
                  lines.begin() + static_cast<long>(before) + 4),
            (Lines{"ChangeWindowMode実行 ", "ウインドウモードフラグが倒されました",
                   "ウインドウスタイルをフルスクリーンモード用に変更します... 完了",
                   "画面モード変更処理を開始します"}));
  EXPECT_EQ(lines.back(), "画面モード変更処理は正常に終了しました");
  EXPECT_EQ(ChangeWindowMode(0), 0);  // already so: only logged
}

// Another process holds the window class: start-up is refused and undone, and the process that
// holds it is untouched.
TEST_F(StartUpTest, ASecondCopyIsRefusedAndStartUpUndone) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t first = fork();
  ASSERT_GE(first, 0);
  if (first == 0) {
    const char held = platform::ClaimWindowClass("D123987X") ? 1 : 0;
    (void)!write(ready[1], &held, 1);
    pause();
    _exit(0);
  }
  char held = 0;
  const bool claimed = read(ready[0], &held, 1) == 1 && held == 1;
  if (!claimed) {
    // Someone else holds the class: end the child, which would otherwise outlive the test.
    kill(first, SIGTERM);
    waitpid(first, nullptr, 0);
    FAIL() << "the window class is held by another process";
  }

  EXPECT_EQ(InitLibrary(), -1);
  EXPECT_EQ(System().window, nullptr);
  EXPECT_EQ(System().comReady, 0);
  EXPECT_EQ(System().initialising, 0);
  const Lines lines = LogLines();
  EXPECT_EQ(Lines(lines.begin() + 12, lines.end()),
            (Lines{" ソフトの二重起動検査... 二重起動されています、ソフトを終了します",
                   "ＣＯＭを終了... 完了", "",
                   "Alloc memory dump\tTotal size:0(0.000kb)  Alloc num:0", ""}));

  // The first copy goes on; once it has gone, start-up works again.
  int status = 0;
  EXPECT_EQ(waitpid(first, &status, WNOHANG), 0);
  kill(first, SIGTERM);
  waitpid(first, &status, 0);
  close(ready[0]);
  close(ready[1]);
  EXPECT_EQ(InitLibrary(), 0);
}

}  // namespace
