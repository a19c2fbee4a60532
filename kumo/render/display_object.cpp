// The display object and the facts about the video card it reports.
#include "kumo/render/display_object.h"

#include "kumo/core/bodies.h"
#include "kumo/core/fatal_exit.h"
#include "kumo/core/system_record.h"
#include "kumo/platform/draw_surfaces.h"
#include "kumo/render/display_state.h"
#include "kumo/support/log.h"

namespace kumo {

namespace {

constexpr int kLeftShift = 0x2A;
constexpr int kRightShift = 0x36;

double Megabytes(uint64_t bytes) { return static_cast<double>(bytes) * (1.0 / 1048576.0); }

// The video card is described only on request: while Shift is held.
void LogVideoCard(platform::Display* display) {
  if (IsKeyDownBody(kLeftShift) == 0 && IsKeyDownBody(kRightShift) == 0) return;
  platform::DisplayCaps caps{};
  if (platform::DrawFailed(platform::DescribeDisplay(display, &caps))) return;
  LogWriteFormat("ビデオカードドライバ:%s バージョン:%u.%u.%u.%u ", caps.driver,
                 caps.driverVersion[0], caps.driverVersion[1], caps.driverVersion[2],
                 caps.driverVersion[3]);
  LogPrint("ドライバ記述:%s \n", caps.description);
  LogWriteFormat("ビデオメモリ総量:%.2fMB ビデオメモリ空き容量:%.2fMB", Megabytes(caps.videoMemory),
                 Megabytes(caps.freeVideoMemory));
}

// Results of taking the display whole that still leave it usable.
bool CooperationAccepted(platform::DrawResult result, bool exclusive) {
  if (!platform::DrawFailed(result)) return true;
  return exclusive && (result == 0x8876023A || result == 0x8876023B || result == 0x88760245);
}

}  // namespace

void AcquireDirectDraw() {
  DisplayState& display = TheDisplay();
  LogWrite("DirectDraw オブジェクトの取得を行います....  ");
  if (platform::DrawFailed(platform::CreateDisplay(&display.display))) {
    LogWrite("オブジェクトの取得に失敗しました\n");
    FatalExit("DirectDrawオブジェクトの作成に失敗しました");
  }
  LogWrite("成功\n");
  LogWrite("引き続き初期化処理... ");
  LogWrite("初期化に成功しました\n");
  LogWrite("ビデオカードの情報\n");
  LogVideoCard(display.display);
}

void ReleaseDirectDraw() {
  DisplayState& display = TheDisplay();
  platform::ReleaseDisplay(display.display);
  display.display = nullptr;
  display.exclusive = 0;
  if (display.software == 0) display.displayModeChanged = 0;
}

void SetCooperativeLevel(bool exclusive) {
  DisplayState& display = TheDisplay();
  const platform::DrawResult result = platform::SetCooperation(
      display.display, System().window,
      exclusive ? platform::Cooperation::ExclusiveFullScreen : platform::Cooperation::Normal,
      false);
  if (!CooperationAccepted(result, exclusive)) {
    FatalExit("DirectDrawの協調レベルの設定に失敗しました、ソフトを終了します");
  }
  display.exclusive = exclusive ? 1 : 0;
}

}  // namespace kumo
