// The draw state's setters and the rectangle helpers that go with the draw area.
#include "kumo/render/draw_state.h"

#include <algorithm>
#include <utility>

#include "kumo/core/window.h"
#include "kumo/image/graph_handles.h"
#include "kumo/render/display.h"
#include "kumo/render/draw_target.h"

namespace kumo {

namespace {

bool DrawingSuspended() { return GraphicsSettings().suspended != 0; }

// Alpha = the blend parameter while blending, colour = the brightness.
void UpdateDiffuseColor() {
  DrawState& state = gDrawState;
  const uint32_t alpha = state.blendMode != 0 ? static_cast<uint32_t>(state.blendParam) : 255u;
  state.diffuseColor = alpha << 24 | (state.brightness & 0xFFFFFFu);
}

}  // namespace

void ResetDrawState() {
  gDrawState = DefaultDrawState();
  const Rect whole = {0, 0, ScreenWidth(), ScreenHeight()};
  gDrawState.requestedArea = whole;
  SetDrawArea(whole);
}

int SetBlendMode(int mode, int param) {
  DrawState& state = gDrawState;
  if (DrawingSuspended()) return 0;
  if (mode == state.blendMode && param == state.blendParam) return 0;
  WaitWhileInactive();
  state.blendMode = mode;
  state.blendParam = std::clamp(param, 0, 255);
  UpdateDiffuseColor();
  return 0;
}

int SetBrightness(int red, int green, int blue) {
  const uint32_t rgb = static_cast<uint32_t>(std::clamp(red, 0, 255)) << 16 |
                       static_cast<uint32_t>(std::clamp(green, 0, 255)) << 8 |
                       static_cast<uint32_t>(std::clamp(blue, 0, 255));
  if (rgb == gDrawState.brightness) return 0;
  gDrawState.brightness = rgb;
  UpdateDiffuseColor();
  return 0;
}

int SetBrightnessColor(uint32_t rgb) {
  rgb &= 0xFFFFFFu;
  if (rgb == gDrawState.brightness) return 0;
  gDrawState.brightness = rgb;
  UpdateDiffuseColor();
  return 0;
}

int SetSamplingMode(int mode) {
  if (DrawingSuspended()) return 0;
  gDrawState.drawMode = mode;
  return 0;
}

int SelectBlendGraph(int handle, int borderParam, int borderRange) {
  DrawState& state = gDrawState;
  if (DrawingSuspended()) return 0;
  if (handle == state.blendGraph && borderParam == state.blendGraphBorderParam &&
      borderRange == state.blendGraphBorderRange) {
    return 0;
  }
  if (handle != -1 && GetGraphRecord(handle) == nullptr) return -1;
  WaitWhileInactive();
  state.blendGraph = handle;
  state.blendGraphBorderParam = std::clamp(borderParam, 0, 255);
  state.blendGraphBorderRange = std::clamp(borderRange, 0, 255);
  BuildBlendGraphTable(state.blendGraphBorderParam, state.blendGraphBorderRange,
                       state.blendGraphTable);
  return 0;
}

int SetDrawClip(int x1, int y1, int x2, int y2) {
  if (DrawingSuspended()) return 0;
  gDrawState.requestedArea = {x1, y1, x2, y2};
  Rect limits;
  if (!DrawTargetLimits(&limits)) return 0;
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  x1 = std::clamp(x1, limits.left, limits.right);
  x2 = std::clamp(x2, limits.left, limits.right);
  y1 = std::clamp(y1, limits.top, limits.bottom);
  y2 = std::clamp(y2, limits.top, limits.bottom);
  SetDrawArea({x1, y1, x2, y2});
  return 0;
}

int NormalizeRect(Rect* rect) {
  if (rect->left > rect->right) std::swap(rect->left, rect->right);
  if (rect->top > rect->bottom) std::swap(rect->top, rect->bottom);
  return 0;
}

int GetRectSize(const Rect* rect, int* width, int* height) {
  if (width != nullptr) *width = rect->right - rect->left;
  if (height != nullptr) *height = rect->bottom - rect->top;
  return 0;
}

void SetDrawArea(const Rect& area) {
  DrawState& state = gDrawState;
  state.drawArea = area;
  state.drawAreaF = {static_cast<float>(area.left), static_cast<float>(area.top),
                     static_cast<float>(area.right), static_cast<float>(area.bottom)};
  state.drawAreaEmpty = area.left >= area.right || area.top >= area.bottom ? 1 : 0;
}

SavedDrawArea SaveDrawArea() {
  return {gDrawState.drawArea, gDrawState.drawAreaF, gDrawState.drawAreaEmpty};
}

void RestoreDrawArea(const SavedDrawArea& saved) {
  gDrawState.drawArea = saved.area;
  gDrawState.drawAreaF = saved.areaF;
  gDrawState.drawAreaEmpty = saved.empty;
}

}  // namespace kumo
