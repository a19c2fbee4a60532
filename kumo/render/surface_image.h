// Pixel stores of surface data records, and moving decoded pixels into them.
#pragma once

#include "kumo/image/graph_handles.h"

namespace kumo {

// Makes the record's store from its creation parameters. 0, or -1 (the store cleared).
int CreateSurfaceImage(SurfaceData* surface);
// Releases the store and the depth image.
void ReleaseSurfaceImage(SurfaceData* surface);

// The memory image of a graphic's first piece: its store's image, or `view` made into a window
// onto the piece when the piece is only part of the store. None when the graphic has no piece
// held in a memory image.
MEMIMG* PieceMemImg(const GraphRecord& graph, MEMIMG* view);

// Puts `srcRect` of a decoded image (and its alpha image) into the store of a 2D piece at (x, y)
// of its surface. 0, or -1 for an invalid piece, a block outside either image or a failed copy.
int TransferGraphImage(const GraphImage& image, const GraphImage* alphaImage, const Rect& srcRect,
                       int x, int y, int pieceHandle, int redToAlpha);

}  // namespace kumo
