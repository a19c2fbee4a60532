// Making, destroying and restoring the screen objects.
#include "kumo/render/screen_surfaces.h"

#include <cstring>

#include "kumo/core/fatal_exit.h"
#include "kumo/core/system_record.h"
#include "kumo/platform/draw_surfaces.h"
#include "kumo/render/display.h"
#include "kumo/render/display_palette.h"
#include "kumo/render/display_state.h"
#include "kumo/render/draw_target.h"
#include "kumo/render/screen_color.h"
#include "kumo/support/log.h"

namespace kumo {

namespace {

using platform::DrawFailed;

// Every buffer of a full-screen flip chain is cleared by clearing and flipping this often.
constexpr int kFlipChainClears = 3;

void MakeScreenImages() {
  DisplayState& display = TheDisplay();
  const int width = ScreenWidth(), height = ScreenHeight(), kind = ScreenImageKind();
  if (CreateScreenMemImg(&display.primaryImage, width, height, kind) != 0) {
    FatalExit("プライマリサーフェス用の MEMIMG の作成に失敗しました\n");
  }
  if (CreateScreenMemImg(&display.backImage, width, height, kind) != 0) {
    FatalExit("バックサーフェス用の MEMIMG の作成に失敗しました\n");
  }
  if (CreateDepthMemImg(&display.depthImage, width, height) != 0) {
    FatalExit("Ｚバッファサーフェス用の MEMIMG の作成に失敗しました\n");
  }
  FillMemImg(&display.primaryImage, nullptr, BackgroundPixel(*display.primaryImage.format));
  FillMemImg(&display.backImage, nullptr, BackgroundPixel(*display.backImage.format));
}

platform::Surface* MakeSurface(platform::SurfaceKind kind, const char* failure) {
  platform::Surface* surface = nullptr;
  const platform::SurfaceRequest request = {kind, ScreenWidth(), ScreenHeight(), {}};
  if (DrawFailed(platform::CreateSurface(TheDisplay().display, request, &surface))) {
    FatalExit(failure);
  }
  return surface;
}

void MakeWindowScreens() {
  DisplayState& display = TheDisplay();
  display.primary =
      MakeSurface(platform::SurfaceKind::Primary, "プライマリサーフェスの作成に失敗しました");
  platform::AttachClipper(display.primary, display.clipper);
  display.back =
      MakeSurface(platform::SurfaceKind::OffScreen, "バックサーフェスの作成に失敗しました");
  platform::FillColor(display.back, nullptr, BackgroundColor());
}

void MakeFlipChain() {
  DisplayState& display = TheDisplay();
  display.primary =
      MakeSurface(platform::SurfaceKind::FlipChain, "プライマリサーフェスの作成に失敗しました");
  if (DrawFailed(platform::BackBufferOf(display.primary, &display.back))) {
    FatalExit("バックバッファのポインタ取得に失敗しました");
  }
  for (int i = 0; i < kFlipChainClears; ++i) {
    platform::FillColor(display.back, nullptr, BackgroundColor());
    platform::Flip(display.primary, false);
  }
}

platform::Surface* MakeWorkSurface(const char* failure) {
  platform::Surface* surface = MakeSurface(platform::SurfaceKind::OffScreen, failure);
  const uint32_t key = 0;
  platform::SetSourceColorKey(surface, &key);
  return surface;
}

const char* MemoryOf(platform::Surface* surface) {
  platform::SurfaceInfo info{};
  platform::DescribeSurface(surface, &info);
  return info.videoMemory ? "VIDEOMEMORY" : "SYSTEMMEMORY";
}

void LogPlacement() {
  const DisplayState& display = TheDisplay();
  LogWrite("各スクリーンメモリの配置位置\n");
  if (display.software != 0) {
    LogWriteFormat("PrimaryBuffer : SYSTEMMEMORY( MEMIMG ) ");
    LogWriteFormat("BaskBuffer : SYSTEMMEMORY( MEMIMG ) ");
  } else {
    LogWriteFormat("PrimaryBuffer : %s  ", MemoryOf(display.primary));
    LogWriteFormat("BaskBuffer : %s  ", MemoryOf(display.back));
  }
}

void ReleaseSurface(platform::Surface** surface) {
  platform::ReleaseSurface(*surface);
  *surface = nullptr;
}

void RestoreIfLost(platform::Surface* surface) {
  if (surface != nullptr && platform::SurfaceLostState(surface) == platform::kDrawSurfaceLost) {
    platform::RestoreSurface(surface);
  }
}

}  // namespace

int CreateScreenSurfaces() {
  DisplayState& display = TheDisplay();
  LogWrite("出力画面用の DirectDrawSurface を作成します\n");
  LogTabIn();
  if (display.software != 0) {
    MakeScreenImages();
  } else {
    if (System().settings.windowMode == 1) {
      MakeWindowScreens();
    } else {
      MakeFlipChain();
    }
    display.work1 = MakeWorkSurface("作業用サーフェスの作成に失敗しました");
    display.work2 = MakeWorkSurface("作業用サーフェス２の作成に失敗しました");
    const platform::SurfaceRequest depth = {
        platform::SurfaceKind::Depth, ScreenWidth(), ScreenHeight(), {}};
    if (DrawFailed(platform::CreateSurface(display.display, depth, &display.depth))) {
      LogWrite("Ｚバッファの作成に失敗しました\n");
      LogTabOut();
      return -1;
    }
  }
  LogPlacement();
  LogTabOut();
  return 0;
}

void DestroyScreenSurfaces() {
  DisplayState& display = TheDisplay();
  ReleaseSurface(&display.depth);
  if (display.primary != nullptr) {
    LogWrite("メインサーフェスを破棄をします... ");
    platform::AttachClipper(display.primary, nullptr);
    ReleaseSurface(&display.back);
    ReleaseSurface(&display.primary);
    LogWrite("完了しました\n");
  }
  ReleaseSurface(&display.work1);
  ReleaseSurface(&display.work2);
  for (MEMIMG* image : {&display.primaryImage, &display.backImage, &display.depthImage}) {
    ReleaseMemImg(image);
    std::memset(image, 0, sizeof *image);
  }
}

void CreateScreenPalette() {
  DisplayState& display = TheDisplay();
  if (DrawFailed(
          platform::CreatePalette(display.display, FixedPalette().data(), &display.palette)) ||
      DrawFailed(platform::AttachPalette(display.primary, display.palette))) {
    FatalExit("パレットの作成に失敗しました");
  }
}

void ReleaseScreenPalette() {
  DisplayState& display = TheDisplay();
  platform::ReleasePalette(display.palette);
  display.palette = nullptr;
}

void RestoreLostSurfaces() {
  const DisplayState& display = TheDisplay();
  RestoreIfLost(display.primary);
  RestoreIfLost(display.back);
  RestoreIfLost(display.depth);
}

MEMIMG* ScreenImage(int target) {
  DisplayState& display = TheDisplay();
  MEMIMG* image = target == kFrontBuffer ? &display.primaryImage : &display.backImage;
  return image->magic == kMemImgMagic ? image : nullptr;
}

}  // namespace kumo
