// The display's memory and the picture each present hands to the backend.
#include "kumo/platform/screen.h"

#include <algorithm>
#include <new>

#include "kumo/platform/backend.h"
#include "kumo/platform/pixel_codec.h"
#include "kumo/platform/window_record.h"

namespace kumo::platform {

namespace {

Screen& Storage() {
  static Screen* screen = new Screen;  // kept to the end: a present may come late at exit
  return *screen;
}

void FillGreyRamp(uint32_t palette[256]) {
  for (uint32_t i = 0; i < 256; ++i) palette[i] = i * 0x010101u;
}

// Memory for `mode`, cleared; false when there is not enough.
bool Allocate(Screen* screen, const DisplayMode& mode) {
  const int pitch = RowPitch(mode.width, mode.bitsPerPixel);
  try {
    screen->pixels.assign(static_cast<size_t>(pitch) * static_cast<size_t>(mode.height), 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  screen->mode = mode;
  screen->format = DisplayPixelFormat(mode.bitsPerPixel);
  screen->pitch = pitch;
  return true;
}

}  // namespace

const DisplayService& Displays() {
  static const DisplayService& service = Choose(kSdlDisplay, kHeadlessDisplay);
  return service;
}

std::mutex& DisplayGuard() {
  static std::mutex* guard = new std::mutex;
  return *guard;
}

bool ScreenReady() {
  Screen& screen = Storage();
  if (screen.mode.width > 0) return true;
  if (!Displays().available()) return false;
  const DisplayMode desktop = Displays().desktop();
  if (desktop.width <= 0 || desktop.height <= 0) return false;
  FillGreyRamp(screen.palette);
  return Allocate(&screen, desktop);
}

Screen& TheScreen() { return Storage(); }

int RowPitch(int width, int bitsPerPixel) {
  // Rows start on 8-byte boundaries.
  return (width * ((bitsPerPixel + 7) / 8) + 7) & ~7;
}

bool FindDisplayMode(const DisplayMode& request, DisplayMode* found) {
  if (!ScreenReady()) return false;
  for (const DisplayMode& mode : Displays().modes()) {
    if (mode.width == request.width && mode.height == request.height &&
        mode.bitsPerPixel == request.bitsPerPixel &&
        (request.refreshRate == 0 || mode.refreshRate == request.refreshRate)) {
      *found = mode;
      return true;
    }
  }
  return false;
}

Window* ShowingWindow() {
  Screen& screen = TheScreen();
  if (screen.window != nullptr && !WindowExists(screen.window)) screen.window = nullptr;
  return screen.window;
}

bool ChangeScreenMode(Window* window, const DisplayMode* mode) {
  if (!ScreenReady()) return false;
  Screen& screen = TheScreen();
  const DisplayMode target = mode != nullptr ? *mode : Displays().desktop();
  if (target == screen.mode) return true;
  if (window != nullptr) screen.window = window;
  if (!Displays().apply(ShowingWindow(), mode)) return false;
  if (!Allocate(&screen, target)) return false;
  screen.generation += 1;
  PostWindowSystemMessage(ShowingWindow(), WM_DISPLAYCHANGE,
                          static_cast<uintptr_t>(target.bitsPerPixel),
                          MakeLParam(target.width, target.height));
  return true;
}

Area ShownArea(Window* window) {
  const Screen& screen = TheScreen();
  if (screen.exclusiveOwner != nullptr) return {0, 0, screen.mode.width, screen.mode.height};
  const Area client = ClientArea(window);
  int x = 0, y = 0;
  ClientOrigin(window, &x, &y);
  return {x, y, x + client.right, y + client.bottom};
}

bool CoversShownArea(const Area& area) {
  const Area shown = ShownArea(ShowingWindow());
  return area.left <= shown.left && area.top <= shown.top && area.right >= shown.right &&
         area.bottom >= shown.bottom;
}

void ShowScreen(bool vsync, bool frame) {
  const Screen& screen = TheScreen();
  Window* window = ShowingWindow();
  if (window == nullptr || screen.mode.width == 0) return;
  const Area shown = ShownArea(window);
  const int width = shown.right - shown.left;
  const int height = shown.bottom - shown.top;
  if (width <= 0 || height <= 0) return;

  // Kept between presents: a frame's picture is as large as the last one, as a rule.
  static std::vector<uint32_t>* picture = new std::vector<uint32_t>;
  // What lies outside the display stays black; a window wholly on it is wholly overwritten.
  const bool onDisplay = shown.left >= 0 && shown.top >= 0 && shown.right <= screen.mode.width &&
                         shown.bottom <= screen.mode.height;
  const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height);
  try {
    if (onDisplay) {
      picture->resize(size);
    } else {
      picture->assign(size, 0);
    }
  } catch (const std::bad_alloc&) {
    return;
  }
  const PixelCodec codec = MakePixelCodec(screen.format, screen.palette);
  const int left = std::max(shown.left, 0);
  const int right = std::min(shown.right, screen.mode.width);
  for (int y = std::max(shown.top, 0); y < std::min(shown.bottom, screen.mode.height); ++y) {
    const uint8_t* row = screen.pixels.data() + static_cast<size_t>(y) * screen.pitch;
    uint32_t* out = picture->data() + static_cast<size_t>(y - shown.top) * width;
    if (left < right) {
      RowToRgb(codec, row + left * codec.bytes, out + (left - shown.left), right - left);
    }
  }
  Displays().show(window, picture->data(), width, height, vsync, frame);
}

}  // namespace kumo::platform
