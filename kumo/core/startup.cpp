// Start-up and shutdown: the fixed order in which the library comes up and goes down again.
#include "kumo/core/startup.h"

#include <cstdio>
#include <cstdlib>

#include "kumo/core/bodies.h"
#include "kumo/core/fatal_exit.h"
#include "kumo/core/input.h"
#include "kumo/core/message_thread.h"
#include "kumo/core/system_record.h"
#include "kumo/core/text_input.h"
#include "kumo/core/window.h"
#include "kumo/image/graph_handles.h"
#include "kumo/image/graph_image.h"
#include "kumo/platform/clock.h"
#include "kumo/platform/debug_output.h"
#include "kumo/platform/system_info.h"
#include "kumo/platform/threads.h"
#include "kumo/platform/window.h"
#include "kumo/render/display.h"
#include "kumo/render/draw_graph.h"
#include "kumo/render/draw_state.h"
#include "kumo/render/draw_target.h"
#include "kumo/sound/sound_system.h"
#include "kumo/support/archive_lookup.h"
#include "kumo/support/file_access.h"
#include "kumo/support/log.h"
#include "kumo/support/tracked_memory.h"

namespace kumo {

namespace {

constexpr char kLibraryVersion[] = "2.24b";
constexpr char kDefaultClassName[] = "D123987X";
constexpr char kDefaultTitle[] = "KumoLib";
// The timer test stops when either clock has changed this often, or after a second.
constexpr int kTimerTestChanges = 60;
constexpr uint32_t kTimerTestMillis = 1000;
// Messages are pumped this long after the window is brought to the top.
constexpr uint32_t kSettleMillis = 200;
// The processor's clock is counted over at least this long.
constexpr uint32_t kClockMeasureMillis = 100;
// The side of the graphics the screens' first pictures are drawn with.
constexpr int kPrepareSize = 256;

double Megabytes(uint64_t bytes) { return static_cast<double>(bytes) / 1048576.0; }

void LogProcessor() {
  SystemRecord& system = System();
  const platform::ProcessorInfo processor = platform::ReadProcessorInfo();
  if (!processor.hasCpuid) {
    LogWrite("ＣＰＵＩＤ命令は使えません\n");
    return;
  }
  system.facts.hasTsc = processor.hasTsc ? 1 : 0;
  std::snprintf(system.facts.cpuName, sizeof system.facts.cpuName, "%s", processor.brand);
  if (system.facts.hasTsc == 1) {
    const uint64_t before = platform::CycleCounter();
    const uint32_t start = platform::TickMillis();
    while (platform::TickMillis() - start < kClockMeasureMillis) {
    }
    const uint64_t counted = platform::CycleCounter() - before;
    system.facts.cpuMHz = static_cast<int>(static_cast<double>(counted) * 0.00001);
    system.facts.tscPerSecond = static_cast<int64_t>(counted * 10);
    LogWriteFormat("ＣＰＵ動作速度：大体%.2fGHz", system.facts.cpuMHz / 1000.0);
  }
  if (processor.hasMmx) {
    LogWrite("ＭＭＸ命令を使用します\n");
    system.facts.mmxInUse = 1;
  } else {
    LogWrite("ＭＭＸは使えません\n");
  }
  LogPrint("ＣＰＵベンダ：%.12s\n", processor.vendor);
  if (processor.brand[0] != '\0') LogWriteFormat("ＣＰＵ名：%s", processor.brand);
}

void LogSystemInformation() {
  SystemRecord& system = System();
  LogWrite("システムの情報を出力します\n");
  LogTabIn();
  LogPrint("Ｋｕｍｏライブラリ Ver%s\n", kLibraryVersion);
  // None of the versions the library knows by number applies here, so osCode stays 0.
  const platform::OsVersion os = platform::ReadOsVersion();
  std::snprintf(system.facts.osText, sizeof system.facts.osText, "%s ( Build %d %s )", os.name,
                os.build, os.servicePack);
  LogWrite("ＯＳ  ");
  LogWriteFormat("%s", system.facts.osText);
  platform::TimerBeginPeriod(platform::TimerFinestPeriod());
  LogProcessor();
  LogTabOut();
}

// Which clock changes more often: the millisecond tick or the high-resolution counter.
void TestTimers() {
  SystemRecord& system = System();
  LogWrite("タイマーの精度を検査します\n");
  int tickChanges = 0;
  int counterChanges = 0;
  const uint32_t start = platform::TickMillis();
  uint32_t lastTick = start;
  uint64_t lastCounter = platform::CounterValue();
  while (tickChanges < kTimerTestChanges && counterChanges < kTimerTestChanges) {
    const uint32_t tick = platform::TickMillis();
    const uint64_t counter = platform::CounterValue();
    if (tick != lastTick) ++tickChanges;
    if (counter != lastCounter) ++counterChanges;
    lastTick = tick;
    lastCounter = counter;
    if (tick - start >= kTimerTestMillis || ProcessMessageBody() != 0) break;
  }
  LogWriteFormat("精度結果 更新回数 マルチメディアタイマー：%d  パフォーマンスカウンター：%d",
                 tickChanges, counterChanges);
  LogWrite(" ");
  if (tickChanges > counterChanges) {
    LogWriteFormat("マルチメディアタイマーを使用します タイマー分解能 : %d.00 ms ",
                   static_cast<int>(platform::TimerFinestPeriod()));
    system.facts.usePerformanceCounter = 0;
  } else {
    LogWriteFormat("パフォーマンスカウンターを使用します タイマー分解能 : %lf KHz ",
                   static_cast<double>(system.facts.counterFrequency) / 1000.0);
  }
  LogWrite(" ");
}

void ChooseTimer() {
  SystemRecord& system = System();
  system.facts.counterFrequency = static_cast<int64_t>(platform::CounterFrequency());
  system.facts.usePerformanceCounter = system.facts.counterFrequency != 0 ? 1 : 0;
}

// The window step: the system record anew, the machine's facts, the timers, the second-copy
// check, the window class, the window and the message thread. -1 when the program must end.
int StartWindowAndSystem() {
  ResetSystemRecordForWindowStep();
  SystemRecord& system = System();
  if (system.settings.className[0] == '\0') {
    std::snprintf(system.settings.className, sizeof system.settings.className, "%s",
                  system.settings.title[0] != '\0' ? system.settings.title : kDefaultClassName);
  }
  system.mainThreadId = platform::CurrentThreadId();

  const platform::MemoryStatus memory = platform::ReadMemoryStatus();
  system.totalMemory = memory.totalBytes;
  system.freeMemory = memory.freeBytes;
  LogWriteFormat("メモリ総量:%.2fMB  空きメモリ領域:%.2fMB ", Megabytes(memory.totalBytes),
                 Megabytes(memory.freeBytes));
  char free[64];
  const int freeLength = std::snprintf(free, sizeof free, "%.2fMB\n", Megabytes(memory.freeBytes));
  platform::DebugOutput(free, static_cast<size_t>(freeLength));

  const platform::Desktop desktop = platform::DesktopInfo();
  system.desktopWidth = desktop.width;
  system.desktopHeight = desktop.height;
  system.desktopBits = desktop.bitsPerPixel;

  ChooseTimer();
  platform::TimerBeginPeriod(platform::TimerFinestPeriod());
  if (system.facts.usePerformanceCounter == 1) TestTimers();

  std::srand(platform::TickMillis());
  platform::SetScreenSaverEnabled(false);

  LogWrite("ソフトの二重起動検査... ");
  if (!platform::ClaimWindowClass(system.settings.className)) {
    LogWrite("二重起動されています、ソフトを終了します\n");
    system.quitRequested = 1;
    return -1;
  }
  LogWrite("二重起動はされていませんでした\n");

  LogWrite("ウインドウクラスを登録します... ");
  if (!platform::RegisterWindowClass(system.settings.className, LibraryWindowProcedure)) {
    LogWrite("ウインドウクラスの登録に失敗しました\n");
    system.quitRequested = 1;
    return -1;
  }
  LogWrite("登録に成功しました\n");
  if (system.settings.title[0] == '\0')
    std::snprintf(system.settings.title, sizeof system.settings.title, kDefaultTitle);

  if (system.settings.windowMode == 1) {
    LogWrite("ウインドウモード起動用のウインドウを作成します\n");
  } else {
    LogWrite("フルスクリーンモード用のウインドウを作成します\n");
  }
  const WindowShape shape = system.settings.windowMode == 1 ? WindowModeShape() : FullScreenShape();
  system.window =
      platform::CreateTopWindow(system.settings.className, system.settings.title, shape.style,
                                shape.exStyle, shape.x, shape.y, shape.width, shape.height);
  if (system.window == nullptr) {
    LogWrite("ウインドウの作成に失敗しました\n");
    system.quitRequested = 1;
    return -1;
  }
  platform::ShowTopWindow(system.window);

  if (system.settings.windowMode == 0) {
    LogWrite("カーソルを不可視にしました\n");
    platform::SetCursorShape(false);
  }
  system.active = 1;
  LogWrite("ＩＭＥを無効にしました\n");
  platform::SetInputMethodEnabled(system.window, false);
  if (system.settings.windowMode == 1) {
    int clientX = 0, clientY = 0;
    platform::ClientOrigin(system.window, &clientX, &clientY);
    const platform::Area client = platform::ClientArea(system.window);
    system.clientRect = {clientX, clientY, clientX + client.right, clientY + client.bottom};
  }
  system.oemCodePage = platform::OemCodePage() == 949 ? 2 : 1;
  SetMouseShown(system.settings.windowMode == 1 ? 1 : 0);

  platform::BringWindowToTop(system.window);
  const uint32_t settleStart = platform::TickMillis();
  while (platform::TickMillis() - settleStart < kSettleMillis) ProcessMessageBody();
  FitWindow();

  system.messageThread = platform::StartThread(MessageThreadEntry, nullptr);
  if (system.messageThread == nullptr) {
    LogWrite("ProcessMessage をひたすら呼びつづけるスレッドの立ち上げに失敗しました\n");
  }
  return 0;
}

// The window's end: the screen saver and input method back on, the window closed and its class
// given up, the message thread ended.
void EndWindow() {
  SystemRecord& system = System();
  // A start-up that failed before its window may still hold the class.
  platform::ReleaseWindowClass();
  if (system.window == nullptr) return;
  platform::SetScreenSaverEnabled(true);
  platform::SetInputMethodEnabled(system.window, true);
  SetMouseShown(1);
  if (system.closePosted == 0) {
    system.closePosted = 1;
    platform::PostWindowMessage(system.window, platform::WM_CLOSE, 0, 0);
  }
  while (ProcessMessageBody() == 0) {
  }
  platform::UnregisterWindowClass(system.settings.className);
  if (system.messageThread != nullptr) {
    while (system.messageThreadEnded.load() == 0) platform::SleepMillis(1);
    platform::CloseThread(system.messageThread);
    system.messageThread = nullptr;
  }
  platform::TimerEndPeriod(platform::TimerFinestPeriod());
  system.window = nullptr;
}

// A black graphic of the screens' first pictures, made from a cleared image.
int MakeBlackGraph(GraphImage* image) {
  CreateArgb32Image(kPrepareSize, kPrepareSize, image);
  FillGraphImage(image, 0, 0, 0, 0);
  return MakeGraphFromGraphImage(image, nullptr, 0, 0);
}

// Both screens get their first, black pictures; a drawable graphic is selected as the draw
// target and dropped once before.
void PrepareScreens() {
  GraphSettings& settings = GraphicsSettings();
  settings.drawable = 1;
  const int drawable = MakeBlankGraph(kPrepareSize, kPrepareSize, 0, 0, 0);
  settings.drawable = 0;
  SetDrawTargetBody(drawable);
  SetDrawTargetBody(kFrontBuffer);
  ReleaseGraph(drawable, 0);
  SetDrawTargetBody(kBackBuffer);

  GraphImage image{};
  int black = MakeBlackGraph(&image);
  ReleaseGraphImage(&image);
  SetBlendMode(3, 128);
  PutGraphBody(0, 0, black, 1);
  SetBlendMode(0, 0);
  SetDrawTargetBody(kFrontBuffer);
  PutGraphBody(0, 0, black, 1);
  ReleaseGraph(black, 0);

  black = MakeBlackGraph(&image);
  PutGraphStretched(0, 0, 640, 480, black, 1);
  ReleaseGraph(black, 0);
  ReleaseGraphImage(&image);
}

// Undoes a start-up that failed after the log had started.
int FailStartUp() {
  EndLibraryBody();
  System().initialising = 0;
  return -1;
}

}  // namespace

void BringToForeground(platform::Window* window, int topmost) {
  platform::SetForegroundWindow(window);
  if (topmost == 1) {
    const platform::Area outer = platform::OuterArea(window);
    platform::SetWindowPlace(window, outer.left, outer.top, outer.right - outer.left,
                             outer.bottom - outer.top, true);
  }
}

int InitLibraryBody() {
  SystemRecord& system = System();
  // A second start-up while the library runs would start the log anew and empty the file table.
  if (system.initialised == 1 || system.initialising == 1) return -1;
  system.initialising = 1;

  FileAccessStart();
  Files().getDir(system.facts.workingDirectory);
  LogSetDirectory(system.facts.workingDirectory);
  LogStart();

  if ((platform::DesktopInfo().bitsPerPixel == 24 && system.settings.windowMode == 1) ||
      ScreenColorDepth() == 24) {
    LogWrite("Ｋｕｍｏライブラリは２４ビットカラーモードに対応していません\n");
    system.initialising = 0;
    return -1;
  }
  ChooseTimer();
  LogSystemInformation();
  // Graphics lost with the display are loaded again from their files.
  GraphicsSettings().restoreHandler = RestoreGraphs;

  if (system.comReady == 1) return FailStartUp();
  LogWrite("ＣＯＭの初期化... ");
  if (!platform::ComStart()) {
    LogWrite("ＣＯＭの初期化に失敗しました\n");
    return FailStartUp();
  }
  LogWrite("成功しました\n");
  system.comReady = 1;

  if (StartWindowAndSystem() == -1) return FailStartUp();
  if (InputInit() == -1) return FailStartUp();
  InitSound();  // without sound the program runs on silent
  if (InitDirectDraw() == -1) {
    const bool canFallBack = IsSoftwareRender() == 0;
    if (canFallBack) {
      LogWrite("ソフトウエアレンダリングモードに変更します\n");
      SetUseSoftwareRender(0);
    }
    if (!canFallBack || InitDirectDraw() == -1) FatalExit("DirectDraw の初期化に失敗しました");
  }

  LogWrite("文字コードバッファの初期化を行います... ");
  TextInputClear();
  MakeColorBody(255, 255, 255);
  MakeColorBody(0, 0, 0);
  LogWrite("完了しました\n");

  system.initialised = 1;
  SetWaitVSync(1);
  if (system.settings.windowMode == 0) BringToForeground(system.window, 1);
  ScreenLogStart();
  SetDrawTargetBody(kBackBuffer);
  SetDrawTargetBody(kFrontBuffer);
  PrepareScreens();
  system.initialising = 0;
  return 0;
}

int EndLibraryBody() {
  SystemRecord& system = System();
  ScreenLogEnd();
  EndDirectDraw();
  InputTerm();
  EndSound();
  EndWindow();
  if (system.comReady == 1) {
    platform::ComEnd();
    LogWrite("ＣＯＭを終了... 完了\n");
    system.comReady = 0;
  }
  system.initialised = 0;
  // Without a window nothing would ever report the end.
  while (system.window != nullptr && ProcessMessageBody() == 0 &&
         system.quitRequested.load() == 0) {
  }
  if (system.facts.workingDirectory[0] != '\0') Files().setDir(system.facts.workingDirectory);
  ForgetFoundArchive();
  TrackedDump();
  return 0;
}

}  // namespace kumo
