// Clipping a rectangle to another, wherever a rectangle meets a drawing area.
#include <algorithm>

#include "kumo/core/bodies.h"

namespace kumo {

// An empty result has left = right or top = bottom.
int ClipRectBody(Rect* rect, const Rect* clip) {
  rect->right = std::max(rect->right, rect->left);
  rect->bottom = std::max(rect->bottom, rect->top);
  rect->bottom = std::clamp(rect->bottom, clip->top, std::max(clip->top, clip->bottom));
  rect->top = std::clamp(rect->top, clip->top, std::max(clip->top, clip->bottom));
  rect->right = std::clamp(rect->right, clip->left, std::max(clip->left, clip->right));
  rect->left = std::clamp(rect->left, clip->left, std::max(clip->left, clip->right));
  return 0;
}

}  // namespace kumo
