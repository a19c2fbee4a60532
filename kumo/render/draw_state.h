// The draw state every drawing operation obeys: one library-wide record, changed by the setters
// below and read by every blit while the library lock is held. The draw state has no lock of its
// own and the setters take none.
#pragma once

#include <cstdint>

#include "kumo/kumo.h"

namespace kumo {

struct RectF {
  float left, top, right, bottom;
};

struct DrawState {
  int blendMode;                 // 0 none, 1 alpha, 2 add, 3 subtract, 4 multiply
  int blendParam;                // 0..255
  uint32_t brightness;           // 0x00RRGGBB; 0xFFFFFF leaves colours alone
  uint8_t blendGraphTable[256];  // blend graph pixel -> weight 0..255
  Rect drawArea;                 // every blit clips to it
  int drawMode;                  // texture sampling: 0 nearest, 1 bilinear
  int blendGraph;                // graphics handle of the blend graph, -1 for none
  int blendGraphBorderParam;     // 0..255
  int blendGraphBorderRange;     // 0..255
  Rect requestedArea;            // the draw area last asked for, before clamping
  RectF drawAreaF;               // the draw area again, for the hardware path
  int drawAreaEmpty;             // 1 while the draw area has no width or no height
  uint32_t diffuseColor;         // the hardware path's vertex colour: blend alpha, brightness
};

// The blend graph's threshold table for a border parameter and range (0..255 each).
constexpr void BuildBlendGraphTable(int borderParam, int borderRange, uint8_t table[256]) {
  const int b = borderRange + 1;
  const int a = borderParam * (65536 / b + 256) / 256;
  for (int i = 0; i < 256; ++i) {
    const int entry = i * 256 / b - a + 256;
    table[i] = static_cast<uint8_t>(entry < 0 ? 0 : entry > 255 ? 255 : entry);
  }
}

constexpr DrawState DefaultDrawState() {
  DrawState state{};
  state.brightness = 0xFFFFFFu;
  state.drawArea = {0, 0, 640, 480};
  state.blendGraph = -1;
  state.requestedArea = state.drawArea;
  state.drawAreaF = {0.0f, 0.0f, 640.0f, 480.0f};
  state.diffuseColor = 0xFFFFFFFFu;
  BuildBlendGraphTable(0, 0, state.blendGraphTable);
  return state;
}

inline DrawState gDrawState = DefaultDrawState();

// Back to the defaults, with the draw area the whole back buffer (graphics initialisation).
void ResetDrawState();

// Each returns 0. SetBlendMode, SetSamplingMode, SelectBlendGraph and SetDrawClip do nothing
// while drawing is suspended.
int SetBlendMode(int mode, int param);            // param clamped to 0..255
int SetBrightness(int red, int green, int blue);  // each clamped to 0..255
int SetBrightnessColor(uint32_t rgb);             // the low 24 bits
int SetSamplingMode(int mode);
// -1 for a handle that is neither -1 nor a valid graphics handle. Both numbers clamped to 0..255.
int SelectBlendGraph(int handle, int borderParam, int borderRange);
// The draw area: the rectangle ordered and clamped to the current draw target.
int SetDrawClip(int x1, int y1, int x2, int y2);

// Swaps left/right and top/bottom where reversed.
int NormalizeRect(Rect* rect);
// right - left and bottom - top; either output may be none.
int GetRectSize(const Rect* rect, int* width, int* height);

// Sets the draw area as given (ints, floats and the empty flag), for drawing that narrows it for
// a moment; the caller has clamped it to the target.
void SetDrawArea(const Rect& area);

struct SavedDrawArea {
  Rect area;
  RectF areaF;
  int empty;
};
SavedDrawArea SaveDrawArea();
void RestoreDrawArea(const SavedDrawArea& saved);

}  // namespace kumo
