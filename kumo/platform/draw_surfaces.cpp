// The drawing surfaces' objects: the display object, surfaces and their memory, locks, flips,
// clippers, palettes, and losing and restoring surfaces. Blits and fills are in
// surface_blits.cpp, the vertical blank in vertical_blank.cpp.
#include "kumo/platform/draw_surfaces.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "kumo/platform/backend.h"
#include "kumo/platform/pixel_codec.h"
#include "kumo/platform/screen.h"
#include "kumo/platform/surface_record.h"

namespace kumo::platform {

namespace {

using Hold = std::lock_guard<std::mutex>;

constexpr int kLargestSide = 16384;

std::vector<Surface*>& LiveSurfaces() {
  static std::vector<Surface*>* surfaces = new std::vector<Surface*>;
  return *surfaces;
}

bool ValidOffScreenFormat(const PixelFormat& format) {
  const uint32_t bits = format.bitsPerPixel;
  if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  const bool rgb = (format.flags & kPixelRgb) != 0;
  const bool indexed = (format.flags & kPixelIndexed8) != 0;
  if (rgb == indexed || (format.flags & kPixelDepth) != 0) return false;
  if (indexed) return bits == 8;
  const uint64_t outside = ~((uint64_t{1} << bits) - 1);
  return ((format.redMask | format.greenMask | format.blueMask | format.alphaMask) & outside) == 0;
}

constexpr PixelFormat kDepth16 = {kPixelDepth, 16, 0, 0, 0, 0, 0xFFFF};

// A surface of its own memory, cleared.
DrawResult MakeSurface(SurfaceKind kind, int width, int height, const PixelFormat& format,
                       Surface** made) {
  Surface* surface = new (std::nothrow) Surface;
  if (surface == nullptr) return kDrawOutOfMemory;
  surface->kind = kind;
  surface->width = width;
  surface->height = height;
  surface->format = format;
  surface->pitch = RowPitch(width, static_cast<int>(format.bitsPerPixel));
  surface->generation = TheScreen().generation;
  try {
    surface->memory.assign(static_cast<size_t>(surface->pitch) * static_cast<size_t>(height), 0);
  } catch (const std::bad_alloc&) {
    delete surface;
    return kDrawOutOfMemory;
  }
  *made = surface;
  return kDrawOk;
}

// The primary: the screen's memory in the screen's mode.
Surface* MakePrimary(SurfaceKind kind) {
  Surface* surface = new (std::nothrow) Surface;
  if (surface == nullptr) return nullptr;
  const Screen& screen = TheScreen();
  surface->kind = kind;
  surface->onScreen = true;
  surface->width = screen.mode.width;
  surface->height = screen.mode.height;
  surface->format = screen.format;
  surface->pitch = screen.pitch;
  surface->generation = screen.generation;
  return surface;
}

bool PrimaryExists() {
  for (const Surface* surface : LiveSurfaces()) {
    if (surface->onScreen && !surface->released) return true;
  }
  return false;
}

void Forget(Surface* surface) {
  auto& live = LiveSurfaces();
  live.erase(std::remove(live.begin(), live.end(), surface), live.end());
  delete surface;
}

// Gives the desktop's mode back and the display up, if this display object held them.
void GiveBack(Display* display) {
  Screen& screen = TheScreen();
  if (display->changedMode) ChangeScreenMode(display->window, nullptr);
  display->changedMode = false;
  display->exclusive = false;
  if (screen.exclusiveOwner == display) screen.exclusiveOwner = nullptr;
}

void CopyPaletteToScreen(const Palette& palette) {
  for (int i = 0; i < 256; ++i) {
    const PaletteColor& color = palette.colors[i];
    TheScreen().palette[i] =
        (uint32_t{color.red} << 16) | (uint32_t{color.green} << 8) | color.blue;
  }
}

DrawResult Restore(Surface* surface) {
  Screen& screen = TheScreen();
  if (surface->onScreen) {
    if (surface->width != screen.mode.width || surface->height != screen.mode.height ||
        !SamePixelFormat(surface->format, screen.format)) {
      return kDrawWrongMode;
    }
    std::fill(screen.pixels.begin(), screen.pixels.end(), 0);
  } else {
    std::fill(surface->memory.begin(), surface->memory.end(), 0);
  }
  surface->generation = screen.generation;
  return kDrawOk;
}

}  // namespace

uint8_t* PixelsOf(Surface* surface) {
  return surface->onScreen ? TheScreen().pixels.data() : surface->memory.data();
}

DrawResult Usable(const Surface* surface) {
  if (surface == nullptr) return kDrawInvalidParams;
  if (surface->generation != TheScreen().generation) return kDrawSurfaceLost;
  if (surface->locked) return kDrawSurfaceBusy;
  return kDrawOk;
}

void SurfaceChanged(const Surface* surface, const Area& area, bool frame) {
  if (surface->onScreen) ShowScreen(false, frame && CoversShownArea(area));
}

DrawResult CreateDisplay(Display** display) {
  Hold hold(DisplayGuard());
  *display = nullptr;
  if (!ScreenReady()) return kDrawFailed;
  *display = new (std::nothrow) Display;
  return *display != nullptr ? kDrawOk : kDrawOutOfMemory;
}

void ReleaseDisplay(Display* display) {
  if (display == nullptr) return;
  Hold hold(DisplayGuard());
  GiveBack(display);
  delete display;
}

DrawResult SetCooperation(Display* display, Window* window, Cooperation level, bool) {
  if (display == nullptr) return kDrawInvalidParams;
  Hold hold(DisplayGuard());
  Screen& screen = TheScreen();
  if (level == Cooperation::ExclusiveFullScreen) {
    if (window == nullptr) return kDrawInvalidParams;
    if (screen.exclusiveOwner != nullptr && screen.exclusiveOwner != display) return kDrawFailed;
    screen.exclusiveOwner = display;
    display->exclusive = true;
  } else if (display->exclusive) {
    GiveBack(display);
  }
  if (window != nullptr) {
    display->window = window;
    screen.window = window;
  }
  return kDrawOk;
}

DrawResult SetDisplayMode(Display* display, const DisplayMode& mode) {
  if (display == nullptr) return kDrawInvalidParams;
  Hold hold(DisplayGuard());
  if (!display->exclusive) return kDrawNoExclusiveMode;
  DisplayMode accepted{};
  if (!FindDisplayMode(mode, &accepted)) return kDrawUnsupportedMode;
  if (!ChangeScreenMode(display->window, &accepted)) return kDrawFailed;
  display->changedMode = accepted != Displays().desktop();
  return kDrawOk;
}

DrawResult RestoreDisplayMode(Display* display) {
  if (display == nullptr) return kDrawInvalidParams;
  Hold hold(DisplayGuard());
  if (display->changedMode && !ChangeScreenMode(display->window, nullptr)) return kDrawFailed;
  display->changedMode = false;
  return kDrawOk;
}

DrawResult DescribeDisplay(Display* display, DisplayCaps* caps) {
  if (display == nullptr || caps == nullptr) return kDrawInvalidParams;
  *caps = DisplayCaps{};
  std::snprintf(caps->driver, sizeof caps->driver, "%s", Displays().driver);
  std::snprintf(caps->description, sizeof caps->description, "%s", Displays().description);
  return kDrawOk;
}

DrawResult CreateSurface(Display* display, const SurfaceRequest& request, Surface** surface) {
  if (display == nullptr || surface == nullptr) return kDrawInvalidParams;
  *surface = nullptr;
  Hold hold(DisplayGuard());
  Surface* made = nullptr;
  switch (request.kind) {
    case SurfaceKind::Primary:
    case SurfaceKind::FlipChain: {
      if (PrimaryExists()) return kDrawPrimaryExists;
      const bool chain = request.kind == SurfaceKind::FlipChain;
      if (chain && !display->exclusive) return kDrawNoExclusiveMode;
      made = MakePrimary(request.kind);
      if (made == nullptr) return kDrawOutOfMemory;
      if (chain) {
        Surface* back = nullptr;
        const DrawResult result =
            MakeSurface(SurfaceKind::OffScreen, made->width, made->height, made->format, &back);
        if (result != kDrawOk) {
          delete made;
          return result;
        }
        made->partner = back;
        back->partner = made;
        LiveSurfaces().push_back(back);
      }
      break;
    }
    case SurfaceKind::OffScreen:
    case SurfaceKind::Depth: {
      if (request.width < 1 || request.height < 1 || request.width > kLargestSide ||
          request.height > kLargestSide) {
        return kDrawInvalidParams;
      }
      PixelFormat format = kDepth16;
      if (request.kind == SurfaceKind::OffScreen) {
        format = request.format.bitsPerPixel == 0 ? TheScreen().format : request.format;
        if (!ValidOffScreenFormat(format)) return kDrawInvalidParams;
      }
      const DrawResult result =
          MakeSurface(request.kind, request.width, request.height, format, &made);
      if (result != kDrawOk) return result;
      break;
    }
  }
  LiveSurfaces().push_back(made);
  *surface = made;
  return kDrawOk;
}

DrawResult BackBufferOf(Surface* primary, Surface** back) {
  if (primary == nullptr || back == nullptr) return kDrawInvalidParams;
  Hold hold(DisplayGuard());
  if (primary->kind != SurfaceKind::FlipChain || primary->partner == nullptr) {
    return kDrawUnsupported;
  }
  *back = primary->partner;
  return kDrawOk;
}

void ReleaseSurface(Surface* surface) {
  if (surface == nullptr) return;
  Hold hold(DisplayGuard());
  surface->released = true;
  if (surface->partner != nullptr && !surface->partner->released) return;
  if (surface->partner != nullptr) Forget(surface->partner);
  Forget(surface);
}

DrawResult DescribeSurface(Surface* surface, SurfaceInfo* info) {
  if (surface == nullptr || info == nullptr) return kDrawInvalidParams;
  Hold hold(DisplayGuard());
  *info = {surface->width, surface->height, surface->format, false};
  return kDrawOk;
}

DrawResult LockSurface(Surface* surface, const Area* rect, LockedPixels* locked) {
  if (locked == nullptr) return kDrawInvalidParams;
  Hold hold(DisplayGuard());
  const DrawResult usable = Usable(surface);
  if (usable != kDrawOk) return usable;
  const Area area = rect != nullptr ? *rect : Area{0, 0, surface->width, surface->height};
  if (area.left < 0 || area.top < 0 || area.right > surface->width ||
      area.bottom > surface->height || area.left >= area.right || area.top >= area.bottom) {
    return kDrawInvalidRect;
  }
  const int bytes = BytesPerPixel(surface->format);
  locked->pixels = PixelsOf(surface) + static_cast<size_t>(area.top) * surface->pitch +
                   static_cast<size_t>(area.left) * bytes;
  locked->pitch = surface->pitch;
  locked->width = area.right - area.left;
  locked->height = area.bottom - area.top;
  locked->format = surface->format;
  surface->locked = true;
  return kDrawOk;
}

DrawResult UnlockSurface(Surface* surface) {
  if (surface == nullptr) return kDrawInvalidParams;
  Hold hold(DisplayGuard());
  if (!surface->locked) return kDrawNotLocked;
  surface->locked = false;
  SurfaceChanged(surface, {0, 0, 0, 0}, false);
  return kDrawOk;
}

DrawResult SetSourceColorKey(Surface* surface, const uint32_t* key) {
  if (surface == nullptr) return kDrawInvalidParams;
  Hold hold(DisplayGuard());
  surface->hasKey = key != nullptr;
  surface->key = key != nullptr ? *key : 0;
  return kDrawOk;
}

DrawResult Flip(Surface* primary, bool waitForVerticalBlank) {
  if (primary == nullptr) return kDrawInvalidParams;
  Hold hold(DisplayGuard());
  if (primary->kind != SurfaceKind::FlipChain || primary->partner == nullptr) {
    return kDrawUnsupported;
  }
  DrawResult usable = Usable(primary);
  if (usable == kDrawOk) usable = Usable(primary->partner);
  if (usable != kDrawOk) return usable;
  TheScreen().pixels.swap(primary->partner->memory);
  ShowScreen(waitForVerticalBlank, true);
  return kDrawOk;
}

DrawResult CreateClipper(Display* display, Clipper** clipper) {
  if (display == nullptr || clipper == nullptr) return kDrawInvalidParams;
  *clipper = new (std::nothrow) Clipper;
  return *clipper != nullptr ? kDrawOk : kDrawOutOfMemory;
}

DrawResult BindClipperToWindow(Clipper* clipper, Window* window) {
  if (clipper == nullptr) return kDrawInvalidParams;
  Hold hold(DisplayGuard());
  clipper->window = window;
  if (window != nullptr) TheScreen().window = window;
  return kDrawOk;
}

DrawResult AttachClipper(Surface* surface, Clipper* clipper) {
  if (surface == nullptr) return kDrawInvalidParams;
  Hold hold(DisplayGuard());
  surface->clipper = clipper;
  return kDrawOk;
}

void ReleaseClipper(Clipper* clipper) {
  if (clipper == nullptr) return;
  Hold hold(DisplayGuard());
  for (Surface* surface : LiveSurfaces()) {
    if (surface->clipper == clipper) surface->clipper = nullptr;
  }
  delete clipper;
}

DrawResult CreatePalette(Display* display, const PaletteColor colors[256], Palette** palette) {
  if (display == nullptr || colors == nullptr || palette == nullptr) return kDrawInvalidParams;
  *palette = new (std::nothrow) Palette;
  if (*palette == nullptr) return kDrawOutOfMemory;
  std::memcpy((*palette)->colors, colors, sizeof(*palette)->colors);
  return kDrawOk;
}

DrawResult SetPaletteColors(Palette* palette, int first, int count, const PaletteColor* colors) {
  if (palette == nullptr || colors == nullptr || first < 0 || count < 0 || first + count > 256) {
    return kDrawInvalidParams;
  }
  Hold hold(DisplayGuard());
  std::memcpy(palette->colors + first, colors, sizeof(PaletteColor) * count);
  for (const Surface* surface : LiveSurfaces()) {
    if (surface->onScreen && surface->palette == palette) {
      CopyPaletteToScreen(*palette);
      ShowScreen(false, false);
    }
  }
  return kDrawOk;
}

DrawResult AttachPalette(Surface* surface, Palette* palette) {
  if (surface == nullptr) return kDrawInvalidParams;
  Hold hold(DisplayGuard());
  if ((surface->format.flags & kPixelIndexed8) == 0) return kDrawUnsupported;
  surface->palette = palette;
  if (surface->onScreen && palette != nullptr) {
    CopyPaletteToScreen(*palette);
    ShowScreen(false, false);
  }
  return kDrawOk;
}

void ReleasePalette(Palette* palette) {
  if (palette == nullptr) return;
  Hold hold(DisplayGuard());
  for (Surface* surface : LiveSurfaces()) {
    if (surface->palette == palette) surface->palette = nullptr;
  }
  delete palette;
}

DrawResult SurfaceLostState(Surface* surface) {
  if (surface == nullptr) return kDrawInvalidParams;
  Hold hold(DisplayGuard());
  return surface->generation != TheScreen().generation ? kDrawSurfaceLost : kDrawOk;
}

DrawResult RestoreSurface(Surface* surface) {
  if (surface == nullptr) return kDrawInvalidParams;
  Hold hold(DisplayGuard());
  if (surface->generation == TheScreen().generation) return kDrawOk;
  // A flip chain comes back whole.
  const DrawResult result = Restore(surface);
  if (result == kDrawOk && surface->partner != nullptr) return Restore(surface->partner);
  return result;
}

void LoseAllSurfaces() {
  Hold hold(DisplayGuard());
  TheScreen().generation += 1;
}

}  // namespace kumo::platform
