// Bitmaps drawn into a window and read back from it, through the screen that the window shows.
#include "kumo/platform/window_bitmaps.h"

#include <algorithm>
#include <vector>

#include "kumo/platform/pixel_codec.h"
#include "kumo/platform/screen.h"

namespace kumo::platform {

namespace {

using Hold = std::lock_guard<std::mutex>;

bool ValidLayout(const BitmapLayout& layout) {
  if (layout.bitsPerPixel != 16 && layout.bitsPerPixel != 32) return false;
  if (layout.width <= 0 || layout.height <= 0) return false;
  if (layout.pitch < layout.width * (layout.bitsPerPixel / 8)) return false;
  const uint64_t outside = ~((uint64_t{1} << layout.bitsPerPixel) - 1);
  return ((layout.redMask | layout.greenMask | layout.blueMask) & outside) == 0;
}

PixelCodec BitmapCodec(const BitmapLayout& layout) {
  const PixelFormat format = {kPixelRgb,
                              static_cast<uint32_t>(layout.bitsPerPixel),
                              layout.redMask,
                              layout.greenMask,
                              layout.blueMask,
                              0,
                              0};
  return MakePixelCodec(format, nullptr);
}

struct Placement {
  int originX, originY;  // the client area's corner on the screen
  Area visible;          // the part of the client area on the screen, in client coordinates
};

// False without a display or a window to draw in.
bool Place(Window* window, Placement* placement) {
  if (!ScreenReady()) return false;
  const Area client = ClientArea(window);
  if (client.right <= 0 || client.bottom <= 0) return false;
  const Screen& screen = TheScreen();
  ClientOrigin(window, &placement->originX, &placement->originY);
  placement->visible = {std::max(0, -placement->originX), std::max(0, -placement->originY),
                        std::min(client.right, screen.mode.width - placement->originX),
                        std::min(client.bottom, screen.mode.height - placement->originY)};
  return true;
}

// Whether a pixel keeps its colour bits on the way from one layout through RGB to the other:
// the same bits for each channel, none wider than the 8 bits of RGB.
bool SameColourBits(const PixelCodec& from, const PixelCodec& to) {
  if (from.indexed || to.indexed || from.bytes != to.bytes) return false;
  for (int c = 0; c < 3; ++c) {
    if (from.mask[c] != to.mask[c] || from.width[c] > 8) return false;
  }
  return true;
}

// `count` pixels' colour bits, every other bit cleared.
void CopyColourBits(const uint8_t* in, uint8_t* out, int count, int bytes, uint32_t colourBits) {
  if (bytes == 4) {
    for (int i = 0; i < count; ++i)
      StorePixel(out + 4 * i, 4, LoadPixel(in + 4 * i, 4) & colourBits);
  } else {
    for (int i = 0; i < count; ++i)
      StorePixel(out + 2 * i, 2, LoadPixel(in + 2 * i, 2) & colourBits);
  }
}

uint8_t* ScreenRow(int y) {
  Screen& screen = TheScreen();
  return screen.pixels.data() + static_cast<size_t>(y) * screen.pitch;
}

}  // namespace

bool DrawBitmap(Window* window, int x, int y, const BitmapLayout& layout, const void* pixels) {
  return StretchBitmap(window, {x, y, x + layout.width, y + layout.height}, layout, pixels,
                       {0, 0, layout.width, layout.height});
}

bool StretchBitmap(Window* window, const Area& destination, const BitmapLayout& layout,
                   const void* pixels, const Area& source) {
  Hold hold(DisplayGuard());
  Placement placement{};
  if (pixels == nullptr || !ValidLayout(layout) || !Place(window, &placement)) return false;
  if (source.left < 0 || source.top < 0 || source.right > layout.width ||
      source.bottom > layout.height || source.left >= source.right || source.top >= source.bottom ||
      destination.left >= destination.right || destination.top >= destination.bottom) {
    return false;
  }
  Screen& screen = TheScreen();
  screen.window = window;
  const PixelCodec from = BitmapCodec(layout);
  const PixelCodec to = MakePixelCodec(screen.format, screen.palette);
  const Area& visible = placement.visible;
  const Area drawn = {
      std::max(destination.left, visible.left), std::max(destination.top, visible.top),
      std::min(destination.right, visible.right), std::min(destination.bottom, visible.bottom)};
  const int64_t width = int64_t{destination.right} - destination.left;
  const int64_t height = int64_t{destination.bottom} - destination.top;
  const int sourceWidth = source.right - source.left;
  const auto* bitmap = static_cast<const uint8_t*>(pixels);
  // A bitmap laid out as the screen is, drawn at its own width, keeps its colour bits as they
  // are: its rows are copied, which is what the way through RGB would give.
  const bool sameBits = SameColourBits(from, to) && width == sourceWidth;
  const uint32_t colourBits = from.mask[0] | from.mask[1] | from.mask[2];
  std::vector<int> columns;
  if (!sameBits && drawn.left < drawn.right) {
    columns.resize(static_cast<size_t>(drawn.right - drawn.left));
    for (int x = drawn.left; x < drawn.right; ++x) {
      columns[x - drawn.left] = NearestSource(x, destination.left, width, source.left, sourceWidth);
    }
  }
  for (int y = drawn.top; y < drawn.bottom; ++y) {
    const int sourceY =
        NearestSource(y, destination.top, height, source.top, source.bottom - source.top);
    const uint8_t* in = bitmap + static_cast<size_t>(sourceY) * layout.pitch;
    uint8_t* out = ScreenRow(placement.originY + y) + (placement.originX + drawn.left) * to.bytes;
    if (sameBits) {
      const uint8_t* first = in + (source.left + drawn.left - destination.left) * from.bytes;
      CopyColourBits(first, out, drawn.right - drawn.left, from.bytes, colourBits);
      continue;
    }
    for (int x = drawn.left; x < drawn.right; ++x) {
      const uint8_t* at = in + columns[x - drawn.left] * from.bytes;
      const uint32_t rgb = PixelToRgb(from, LoadPixel(at, from.bytes));
      StorePixel(out + (x - drawn.left) * to.bytes, to.bytes, RgbToPixel(to, rgb));
    }
  }
  if (drawn.left < drawn.right && drawn.top < drawn.bottom) {
    ShowScreen(false, CoversShownArea(
                          {placement.originX + drawn.left, placement.originY + drawn.top,
                           placement.originX + drawn.right, placement.originY + drawn.bottom}));
  }
  return true;
}

bool ReadWindowBitmap(Window* window, const BitmapLayout& layout, void* pixels) {
  Hold hold(DisplayGuard());
  Placement placement{};
  if (pixels == nullptr || !ValidLayout(layout) || !Place(window, &placement)) return false;
  const Screen& screen = TheScreen();
  const PixelCodec from = MakePixelCodec(screen.format, screen.palette);
  const PixelCodec to = BitmapCodec(layout);
  const Area& visible = placement.visible;
  auto* bitmap = static_cast<uint8_t*>(pixels);
  for (int y = 0; y < layout.height; ++y) {
    uint8_t* out = bitmap + static_cast<size_t>(y) * layout.pitch;
    const bool rowVisible = y >= visible.top && y < visible.bottom;
    const uint8_t* in = rowVisible ? ScreenRow(placement.originY + y) : nullptr;
    for (int x = 0; x < layout.width; ++x) {
      uint32_t rgb = 0;
      if (rowVisible && x >= visible.left && x < visible.right) {
        rgb = PixelToRgb(from, LoadPixel(in + (placement.originX + x) * from.bytes, from.bytes));
      }
      StorePixel(out + x * to.bytes, to.bytes, RgbToPixel(to, rgb));
    }
  }
  return true;
}

bool FillWindowRect(Window* window, const Area& rect, uint32_t rgb) {
  Hold hold(DisplayGuard());
  Placement placement{};
  if (!Place(window, &placement)) return false;
  Screen& screen = TheScreen();
  screen.window = window;
  const PixelCodec to = MakePixelCodec(screen.format, screen.palette);
  const uint32_t pixel = RgbToPixel(to, rgb);
  const Area& visible = placement.visible;
  const Area filled = {std::max(rect.left, visible.left), std::max(rect.top, visible.top),
                       std::min(rect.right, visible.right), std::min(rect.bottom, visible.bottom)};
  for (int y = filled.top; y < filled.bottom; ++y) {
    uint8_t* out = ScreenRow(placement.originY + y);
    for (int x = filled.left; x < filled.right; ++x) {
      StorePixel(out + (placement.originX + x) * to.bytes, to.bytes, pixel);
    }
  }
  if (filled.left < filled.right && filled.top < filled.bottom) ShowScreen(false, false);
  return true;
}

bool ChangeDisplayModeFor(Window* window, const DisplayMode& mode, bool testOnly) {
  Hold hold(DisplayGuard());
  DisplayMode accepted{};
  if (!FindDisplayMode(mode, &accepted)) return false;
  return testOnly || ChangeScreenMode(window, &accepted);
}

void RestoreDesktopDisplayMode() {
  Hold hold(DisplayGuard());
  ChangeScreenMode(nullptr, nullptr);
}

}  // namespace kumo::platform
