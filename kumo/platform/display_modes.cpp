#include "kumo/platform/display_modes.h"

#include "kumo/platform/backend.h"
#include "kumo/platform/screen.h"

namespace kumo::platform {

std::vector<DisplayMode> ListDisplayModes() {
  std::lock_guard<std::mutex> hold(DisplayGuard());
  return ScreenReady() ? Displays().modes() : std::vector<DisplayMode>{};
}

DisplayMode DesktopDisplayMode() {
  std::lock_guard<std::mutex> hold(DisplayGuard());
  return ScreenReady() ? Displays().desktop() : DisplayMode{};
}

DisplayMode CurrentDisplayMode() {
  std::lock_guard<std::mutex> hold(DisplayGuard());
  return ScreenReady() ? TheScreen().mode : DisplayMode{};
}

PixelFormat DisplayPixelFormat(int bitsPerPixel) {
  switch (bitsPerPixel) {
    case 8:
      return {kPixelIndexed8, 8, 0, 0, 0, 0, 0};
    case 16:
      return {kPixelRgb, 16, 0xF800, 0x07E0, 0x001F, 0, 0};
    default:
      return {kPixelRgb, static_cast<uint32_t>(bitsPerPixel), 0xFF0000, 0x00FF00, 0x0000FF, 0, 0};
  }
}

}  // namespace kumo::platform
