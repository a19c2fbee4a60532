// Drawing surfaces: the display object with its cooperation and display mode, surfaces in system
// memory (the primary, which is the display's own memory, a flip chain with one back buffer,
// off-screen surfaces and 16-bit depth buffers), locking, fills and blits with a source colour
// key, flips, the clipper that keeps blits onto the primary inside a window, the 8-bit palette,
// surfaces that are lost and restored, and the vertical blank. What the primary holds is what
// the display shows.
#pragma once

#include <cstdint>

#include "kumo/platform/display_modes.h"
#include "kumo/platform/window.h"

namespace kumo::platform {

// The result of a drawing call: kDrawOk succeeds, values with the top bit set fail.
using DrawResult = uint32_t;
constexpr DrawResult kDrawOk = 0;
constexpr DrawResult kDrawFailed = 0x80004005;                   // no display, or it refused
constexpr DrawResult kDrawUnsupported = 0x80004001;              // not with this surface or display
constexpr DrawResult kDrawOutOfMemory = 0x8007000E;              //
constexpr DrawResult kDrawInvalidParams = 0x80070057;            // a missing object or a bad value
constexpr DrawResult kDrawInvalidRect = 0x88760096;              // a rectangle outside its surface
constexpr DrawResult kDrawSurfaceBusy = 0x887601AE;              // the surface is locked
constexpr DrawResult kDrawSurfaceLost = 0x887601C2;              // its memory is gone: restore it
constexpr DrawResult kDrawNoExclusiveMode = 0x887600E1;          // needs the exclusive cooperation
constexpr DrawResult kDrawPrimaryExists = 0x88760234;            // one primary surface at a time
constexpr DrawResult kDrawVerticalBlankInProgress = 0x88760219;  // no scan line in the blank
constexpr DrawResult kDrawNotLocked = 0x88760248;                //
constexpr DrawResult kDrawWrongMode = 0x8876024B;                // made for another display mode
constexpr DrawResult kDrawUnsupportedMode = 0x8876024E;          // the display refuses the mode

constexpr bool DrawFailed(DrawResult result) { return (result & 0x80000000u) != 0; }

struct Display;
struct Surface;
struct Clipper;
struct Palette;

// The display object. Without a display (no video system) there is none.
DrawResult CreateDisplay(Display** display);
// Gives the desktop's mode back when this display had changed it.
void ReleaseDisplay(Display* display);

// How the display is shared: with the desktop's other windows, or taken whole by `window`,
// which then alone may change the display mode and make a flip chain.
enum class Cooperation { Normal, ExclusiveFullScreen };
// `multithreaded` asks for calls from several threads; every call here takes a guard anyway.
DrawResult SetCooperation(Display* display, Window* window, Cooperation level, bool multithreaded);

// Exclusive cooperation only. A mode not in ListDisplayModes is refused (refresh rate 0: any);
// every surface is lost when the mode changes.
DrawResult SetDisplayMode(Display* display, const DisplayMode& mode);
DrawResult RestoreDisplayMode(Display* display);

struct DisplayCaps {
  bool device3D;             // a 3D device: none
  bool overlays;             // video overlays: none
  uint64_t videoMemory;      // total and free bytes of video memory: none, every surface is in
  uint64_t freeVideoMemory;  // system memory
  char driver[64];           // what draws, and how
  char description[128];
  uint16_t driverVersion[4];
};
DrawResult DescribeDisplay(Display* display, DisplayCaps* caps);

enum class SurfaceKind {
  Primary,    // the display's memory, in the display's format
  FlipChain,  // the primary with one back buffer (exclusive cooperation)
  OffScreen,  // a plain surface of any size
  Depth,      // a 16-bit depth buffer
};

struct SurfaceRequest {
  SurfaceKind kind;
  int width, height;   // OffScreen and Depth
  PixelFormat format;  // OffScreen: 8, 16, 24 or 32 bits; bitsPerPixel 0 takes the display's
};

DrawResult CreateSurface(Display* display, const SurfaceRequest& request, Surface** surface);
// A flip chain's back buffer; released on its own, like any surface.
DrawResult BackBufferOf(Surface* primary, Surface** back);
// A chain's buffers go when both are released.
void ReleaseSurface(Surface* surface);

struct SurfaceInfo {
  int width, height;
  PixelFormat format;
  bool videoMemory;  // always false
};
DrawResult DescribeSurface(Surface* surface, SurfaceInfo* info);

// The pixels of `rect` (the whole surface when none): the first pixel, the bytes from one row
// to the next, and the format. Until unlocked, the surface takes no other lock, blit or flip.
struct LockedPixels {
  uint8_t* pixels;
  int pitch;
  int width, height;
  PixelFormat format;
};
DrawResult LockSurface(Surface* surface, const Area* rect, LockedPixels* locked);
DrawResult UnlockSurface(Surface* surface);

// Pixels of the source with this raw value (compared on the format's channel bits) are left out
// by blits that ask for the source key. None: no key.
DrawResult SetSourceColorKey(Surface* surface, const uint32_t* key);

// Fills the rectangle (whole surface when none) with a raw pixel, or a depth buffer with a depth.
DrawResult FillColor(Surface* surface, const Area* rect, uint32_t pixel);
DrawResult FillDepth(Surface* surface, const Area* rect, uint32_t depth);

// Copies the source rectangle onto the destination rectangle, scaled to it (nearest pixel);
// rectangles default to their whole surfaces. With a clipper attached to the destination, what
// falls outside its window or the surface is left out; without one, rectangles must lie inside
// their surfaces. Both surfaces have the same format.
DrawResult Blit(Surface* destination, const Area* destinationRect, Surface* source,
                const Area* sourceRect, bool sourceKey);
// The same without scaling or clipping, to (x, y); not onto a surface with a clipper.
DrawResult BlitFast(Surface* destination, int x, int y, Surface* source, const Area* sourceRect,
                    bool sourceKey);

// Swaps a flip chain's buffers, so that the back buffer is shown; waiting, at the next vertical
// blank.
DrawResult Flip(Surface* primary, bool waitForVerticalBlank);

// A clipper bound to a window keeps blits inside the window's client area on the desktop.
DrawResult CreateClipper(Display* display, Clipper** clipper);
DrawResult BindClipperToWindow(Clipper* clipper, Window* window);
// Attaches the clipper to a surface; none detaches it.
DrawResult AttachClipper(Surface* surface, Clipper* clipper);
void ReleaseClipper(Clipper* clipper);

// The 256 colours of an 8-bit surface; attached to the primary, the display's colours.
struct PaletteColor {
  uint8_t red, green, blue;
};
DrawResult CreatePalette(Display* display, const PaletteColor colors[256], Palette** palette);
DrawResult SetPaletteColors(Palette* palette, int first, int count, const PaletteColor* colors);
// 8-bit surfaces only; none detaches.
DrawResult AttachPalette(Surface* surface, Palette* palette);
void ReleasePalette(Palette* palette);

// kDrawOk, or kDrawSurfaceLost once the surface's memory is gone. Restoring gives it memory
// again, cleared; a primary made for another display mode stays lost (kDrawWrongMode).
DrawResult SurfaceLostState(Surface* surface);
DrawResult RestoreSurface(Surface* surface);
// Every surface is lost, as when another program takes the display (tests use this).
void LoseAllSurfaces();

// The vertical blank follows the display's refresh rate: waiting ends when the next blank
// begins; the status is true during a blank; the scan line runs from 0 to the screen's height
// between blanks (kDrawVerticalBlankInProgress during one).
DrawResult WaitForVerticalBlank(Display* display);
DrawResult VerticalBlankStatus(Display* display, bool* inBlank);
DrawResult ScanLine(Display* display, uint32_t* line);

}  // namespace kumo::platform
