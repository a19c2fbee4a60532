// The SDL display: the first display's modes and the classic sizes that fit on it, each offered
// at 8, 16 and 32 bits since every picture is converted when shown; a window shows its picture
// through one streaming texture on an SDL renderer, scaled to the window, with the display's
// vertical sync where the renderer offers it. SDL gives no vertical-blank signal, so the blank
// follows the refresh rate on the real clock.
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <utility>

#include "kumo/platform/backend.h"
#include "kumo/platform/sdl/sdl_video.h"
#include "kumo/platform/window_record.h"

namespace kumo::platform {

namespace sdl {

namespace {

constexpr const char* kTextureKey = "kumo.picture";
constexpr int kDepths[] = {8, 16, 32};
constexpr std::pair<int, int> kClassicSizes[] = {{640, 480}, {800, 600}, {1024, 768}};

bool Available() {
  // A display that failed to start once is not asked again (each try would report it).
  static bool failed = false;
  if (failed) return false;
  failed = !StartSdlVideo() || SDL_GetNumVideoDisplays() < 1;
  return !failed;
}

DisplayMode FromSdl(const SDL_DisplayMode& mode, int bitsPerPixel) {
  return {mode.w, mode.h, bitsPerPixel, mode.refresh_rate > 0 ? mode.refresh_rate : 60};
}

DisplayMode DesktopMode() {
  SDL_DisplayMode mode{};
  if (!Available() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return {};
  // Bytes, not bits: a 32-bit desktop reports 24 colour bits in 4 bytes.
  return FromSdl(mode, static_cast<int>(SDL_BYTESPERPIXEL(mode.format)) * 8);
}

std::vector<DisplayMode> Modes() {
  std::vector<DisplayMode> modes;
  if (!Available()) return modes;
  const auto add = [&modes](const DisplayMode& mode) {
    if (std::find(modes.begin(), modes.end(), mode) == modes.end()) modes.push_back(mode);
  };
  const int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode{};
    if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
    for (const int bits : kDepths) add(FromSdl(mode, bits));
  }
  // Pictures are scaled to the window, so the classic sizes that fit the desktop are offered
  // too, shown on the nearest larger mode: many displays list only their native one.
  const DisplayMode desktop = DesktopMode();
  for (const auto& [width, height] : kClassicSizes) {
    if (width > desktop.width || height > desktop.height) continue;
    for (const int bits : kDepths) add({width, height, bits, desktop.refreshRate});
  }
  add(desktop);
  return modes;
}

SDL_Window* Native(const Window* window) {
  return window != nullptr ? static_cast<SDL_Window*>(window->native) : nullptr;
}

// The window takes the nearest of SDL's modes when it is full screen; none: the desktop's.
bool Apply(Window* window, const DisplayMode* mode) {
  SDL_Window* native = Native(window);
  if (native == nullptr) return true;
  if (mode == nullptr) return SDL_SetWindowDisplayMode(native, nullptr) == 0;
  SDL_DisplayMode wanted{SDL_PIXELFORMAT_UNKNOWN, mode->width, mode->height, mode->refreshRate,
                         nullptr};
  SDL_DisplayMode closest{};
  if (SDL_GetClosestDisplayMode(0, &wanted, &closest) == nullptr) return false;
  return SDL_SetWindowDisplayMode(native, &closest) == 0;
}

// Whether the renderer now presents at the vertical sync; -1 for a new renderer, whose setting
// is not known.
int gRendererVsync = -1;

SDL_Renderer* RendererOf(SDL_Window* native) {
  SDL_Renderer* renderer = SDL_GetRenderer(native);
  if (renderer != nullptr) return renderer;
  gRendererVsync = -1;
  renderer = SDL_CreateRenderer(native, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
  if (renderer == nullptr) renderer = SDL_CreateRenderer(native, -1, SDL_RENDERER_SOFTWARE);
  if (renderer == nullptr) std::fprintf(stderr, "SDL renderer: %s\n", SDL_GetError());
  return renderer;
}

// The window's texture, of the picture's size. The renderer owns it, and the window the
// renderer, so it goes with the window.
SDL_Texture* TextureOf(SDL_Window* native, SDL_Renderer* renderer, int width, int height) {
  auto* texture = static_cast<SDL_Texture*>(SDL_GetWindowData(native, kTextureKey));
  int textureWidth = 0, textureHeight = 0;
  if (texture != nullptr &&
      SDL_QueryTexture(texture, nullptr, nullptr, &textureWidth, &textureHeight) == 0 &&
      textureWidth == width && textureHeight == height) {
    return texture;
  }
  if (texture != nullptr) SDL_DestroyTexture(texture);
  texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width,
                              height);
  SDL_SetWindowData(native, kTextureKey, texture);
  // A full-screen mode of another shape shows the picture with bars, not stretched.
  SDL_RenderSetLogicalSize(renderer, width, height);
  return texture;
}

void Show(Window* window, const uint32_t* picture, int width, int height, bool vsync, bool) {
  SDL_Window* native = Native(window);
  if (native == nullptr) return;
  SDL_Renderer* renderer = RendererOf(native);
  if (renderer == nullptr) return;
  SDL_Texture* texture = TextureOf(native, renderer, width, height);
  if (texture == nullptr) return;
  // Only a flip that asks for it waits for the display; other presents come after the caller's
  // own wait for the blank.
  if (gRendererVsync != static_cast<int>(vsync)) {
    gRendererVsync = static_cast<int>(vsync);
    SDL_RenderSetVSync(renderer, gRendererVsync);
  }
  SDL_UpdateTexture(texture, nullptr, picture, width * 4);
  SDL_RenderClear(renderer);
  SDL_RenderCopy(renderer, texture, nullptr, nullptr);
  SDL_RenderPresent(renderer);
}

uint64_t Nanos() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

// Sleeps most of the way, then yields until the time.
void WaitUntil(uint64_t nanos) {
  for (uint64_t now = Nanos(); now < nanos; now = Nanos()) {
    if (nanos - now > 2000000u) {
      std::this_thread::sleep_for(std::chrono::nanoseconds(nanos - now - 1000000u));
    } else {
      std::this_thread::yield();
    }
  }
}

}  // namespace

}  // namespace sdl

const DisplayService kSdlDisplay = {sdl::Available,
                                    sdl::DesktopMode,
                                    sdl::Modes,
                                    sdl::Apply,
                                    sdl::Show,
                                    sdl::Nanos,
                                    sdl::WaitUntil,
                                    "sdl",
                                    "SDL2 renderer onto the window"};

}  // namespace kumo::platform
