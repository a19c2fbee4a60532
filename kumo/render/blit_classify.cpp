// Classifying a blit request under the current draw state, shared by every blit member.
#include <cstring>

#include "kumo/core/bodies.h"
#include "kumo/render/blit_pixel.h"
#include "kumo/render/draw_state.h"

namespace kumo {
namespace blit {
namespace {

// The copied palette; only one blit runs at a time (the library lock), so fixed storage does.
uint32_t gScratchPalette[256];

// The operation for a blend mode and parameter, or false when nothing is to be drawn.
bool ClassifyOp(int mode, int p, bool graph, bool halving, Op* op) {
  if (mode < 0 || mode > 4 || p < 0 || p > 255) return false;
  if (p == 0 && (mode == 1 || mode == 2 || mode == 3)) return false;
  switch (mode) {
    case 0:
      *op = kCopy;
      return true;
    case 1:
      *op = p == 255 ? kCopy : (p == 128 && !graph && halving) ? kHalve : kBlend;
      return true;
    case 2:
      *op = p == 255 && !graph ? kAddFull : kAdd;
      return true;
    case 3:
      *op = p == 255 && !graph ? kSubFull : kSub;
      return true;
    default:
      *op = kMultiply;
      return true;
  }
}

}  // namespace

Rect ClippedDrawArea(const MEMIMG& dest) {
  Rect area = {0, 0, dest.width, dest.height};
  ClipRectBody(&area, &gDrawState.drawArea);
  return area;
}

bool IsBlitTarget(const MEMIMG* dest) {
  return dest != nullptr && dest->magic == kMemImgMagic &&
         (dest->formatKind == kKindColor16 || dest->formatKind == kKindColor32) &&
         !dest->usesPalette && !dest->hasAlpha;
}

bool ClassifyBlend(int kind, bool graph, bool halving, Blend* b) {
  const DrawState& state = gDrawState;
  b->graph = graph;
  if (!ClassifyOp(state.blendMode, state.blendParam, graph, halving, &b->op)) return false;
  b->kind = kind;
  b->bright = (state.brightness & 0xFFFFFFu) != 0xFFFFFFu;
  b->p = state.blendParam;
  const BlendTables& tables = GetBlendTables();
  b->scaleRow = tables.scale[b->p];
  b->signedRow = tables.signedScale[b->p];
  b->mixRow = &tables.mix6[b->p / 4][0][0];
  b->brightRow[0] = tables.scale[state.brightness & 0xFF];
  b->brightRow[1] = tables.scale[(state.brightness >> 8) & 0xFF];
  b->brightRow[2] = tables.scale[(state.brightness >> 16) & 0xFF];
  b->graphTable = state.blendGraphTable;
  return true;
}

bool ClassifyBlit(const MEMIMG* dest, const MEMIMG& src, int transparent, const MEMIMG* graph,
                  int graphWidth, int graphHeight, bool halving, Blend* out) {
  if (!IsBlitTarget(dest) || src.magic != kMemImgMagic) return false;
  const int kind = src.formatKind;
  if (kind != dest->formatKind) return false;
  if (graph != nullptr && (graph->magic != kMemImgMagic || graph->formatKind != kKindChannel8 ||
                           graph->width < graphWidth || graph->height < graphHeight))
    return false;

  Blend b{};
  if (!ClassifyBlend(kind, graph != nullptr, halving, &b)) return false;
  b.palette = src.usesPalette != 0;
  b.transparency = (!b.palette && src.hasAlpha) ? kAlphaChannel : transparent ? kKey : kOpaque;
  b.key = src.colorKey;
  b.palette32 = gScratchPalette;
  if (b.palette) {
    const int entryBytes = kind == kKindColor32 ? 4 : 2;
    for (int i = 0; i < 256; ++i) {
      uint32_t entry = 0;
      std::memcpy(&entry, src.palette + entryBytes * i, entryBytes);
      gScratchPalette[i] = entry;
    }
  }
  *out = b;
  return true;
}

}  // namespace blit
}  // namespace kumo
