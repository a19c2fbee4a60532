// The three handle tables behind a graphics handle: creating, deriving and deleting graphics,
// and the start and end of graphics management.
#include "kumo/image/graph_handles.h"

#include <cstring>

#include "kumo/core/fatal_exit.h"
#include "kumo/image/color_format.h"
#include "kumo/render/display.h"
#include "kumo/render/draw_state.h"
#include "kumo/render/draw_target.h"
#include "kumo/render/surface_image.h"
#include "kumo/support/log.h"
#include "kumo/support/tracked_memory.h"

namespace kumo {

namespace {

struct GraphTables {
  HandleTable<GraphRecord, kHandleGraph, kGraphSlots> graphs;
  HandleTable<Piece2D, kHandlePiece2D, kPiece2DSlots> pieces;
  HandleTable<SurfaceData, kHandleSurfaceData, kSurfaceDataSlots> surfaces;
  GraphSettings settings;
};

// Zero-initialised storage: the tables are large and must start empty before InitGraphics.
GraphTables& Tables() {
  static GraphTables tables{};
  return tables;
}

void ResetSettings(GraphSettings* settings) {
  const int suspended = settings->suspended;
  const auto handler = settings->restoreHandler;
  *settings = GraphSettings{};
  settings->suspended = suspended;
  settings->restoreHandler = handler;
  settings->texturesAllowed = 1;
  settings->use3D = 0;
  settings->transparentColor = 0x000000;
  settings->colorDepth = 0;
  settings->alphaTest = 1;
}

void ReleaseSurfaceData(SurfaceData* surface) {
  ReleaseSurfaceImage(surface);
  Tables().surfaces.Remove(surface);
  TrackedFree(surface);
}

void ReleasePiece2D(int handle) {
  Piece2D* piece = GetPiece2D(handle);
  if (piece == nullptr) return;
  SurfaceData* surface = GetSurfaceData(piece->surfaceData);
  if (surface != nullptr && --surface->refCount <= 0) ReleaseSurfaceData(surface);
  if (piece->deleteFlag != nullptr) *piece->deleteFlag = 1;
  Tables().pieces.Remove(piece);
  TrackedFree(piece);
}

// Deletes a record however far it got; the pieces it holds go with it.
void DestroyGraph(GraphRecord* graph, int logFlag) {
  for (int i = 0; i < graph->pieceCount; ++i) ReleasePiece2D(graph->pieces[i]);
  if (logFlag) LogWriteFormat("グラフィック %s の削除", graph->fileName);
  TrackedFree(graph->extra);
  if (graph->deleteFlag != nullptr) *graph->deleteFlag = 1;
  Tables().graphs.Remove(graph);
  TrackedFree(graph);
}

}  // namespace

GraphSettings& GraphicsSettings() { return Tables().settings; }

GraphRecord* GetGraphRecord(int handle) { return Tables().graphs.Find(handle); }
GraphRecord* GetGraphRecordAt(int slot) {
  return slot >= 0 && slot < kGraphSlots ? Tables().graphs.slots[slot] : nullptr;
}
int GraphEndIndex() { return Tables().graphs.endIndex; }
Piece2D* GetPiece2D(int handle) { return Tables().pieces.Find(handle); }
SurfaceData* GetSurfaceData(int handle) { return Tables().surfaces.Find(handle); }
int GraphCount() { return Tables().graphs.count; }
int Piece2DCount() { return Tables().pieces.count; }
int SurfaceDataCount() { return Tables().surfaces.count; }

int NewGraphRecord(int width, int height, int textureWanted, int alpha, int palette) {
  GraphTables& tables = Tables();
  const GraphSettings& settings = tables.settings;
  if (settings.suspended) return 0;
  if (tables.graphs.Full()) FatalExit("グラフィックの数が許容量を越えました終了します");
  auto* graph = static_cast<GraphRecord*>(
      TrackedAllocZero(static_cast<int>(sizeof(GraphRecord)), __FILE__, __LINE__));
  if (graph == nullptr) FatalExit("メモリの確保に失敗しました");
  const int handle = tables.graphs.Insert(graph);
  graph->width = width;
  graph->height = height;
  graph->movie = -1;
  graph->maskSetting = settings.mask;

  const int software = IsSoftwareRender();
  const int screenDepth = ScreenColorDepth() != 0 ? ScreenColorDepth() : 16;
  GraphParams& params = graph->params;
  params.texture = textureWanted && settings.texturesAllowed && settings.use3D && !software;
  if (settings.drawable == 1) {
    params.drawable = 1;
    params.alphaTest = 0;
    params.mask = 0;
    params.alphaChannel = settings.drawableAlpha == 1;
  } else {
    params.alphaChannel = alpha != 0;
    params.drawable = 0;
    params.alphaTest = settings.alphaTest != 0;
    params.mask = static_cast<uint8_t>(settings.mask & 0xFF);
  }
  if (params.texture) {
    params.colorDepth = static_cast<uint8_t>(
        settings.colorDepth != 0 ? settings.colorDepth : (alpha == 1 ? 32 : screenDepth));
    params.systemMemory = 0;
  } else {
    params.colorDepth = static_cast<uint8_t>(
        settings.colorDepth == 0 || software ? screenDepth : settings.colorDepth);
    params.systemMemory = settings.systemMemory != 0;
  }
  params.palette = palette != 0;
  return handle;
}

int AddSurfaceData(int width, int height, uint32_t key, const GraphParams& params) {
  GraphTables& tables = Tables();
  if (tables.surfaces.Full()) return LogWrite("サーフェスのデータ数が許容量を越えました。\n");
  auto* surface = static_cast<SurfaceData*>(
      TrackedAllocZero(static_cast<int>(sizeof(SurfaceData)), __FILE__, __LINE__));
  if (surface == nullptr) {
    return LogWrite("サーフェス用データを保存するメモリ領域の確保に失敗しました\n");
  }
  surface->params = params;
  GraphParams& own = surface->params;
  if (own.texture) {
    own.systemMemory = 0;
    if (own.drawable || own.alphaChannel) own.alphaTest = 0;
  } else {
    own.drawable = 1;
    own.alphaTest = 0;
    if (own.alphaChannel || own.mask) own.systemMemory = 1;
  }
  // There are no device surfaces here, so every store is a memory image.
  surface->memImgFlag = 1;
  surface->width = static_cast<uint16_t>(width);
  surface->height = static_cast<uint16_t>(height);
  surface->transparentColor = key;
  surface->refCount = 1;
  const int handle = tables.surfaces.Insert(surface);
  if (CreateSurfaceImage(surface) != 0) {
    tables.surfaces.Remove(surface);
    TrackedFree(surface);
    return -1;
  }
  return handle;
}

int AddSurface2D(int width, int height, int x, int y, int owner, int parentPiece, int surfaceX,
                 int surfaceY, const GraphParams& params) {
  GraphTables& tables = Tables();
  Piece2D* piece = nullptr;
  if (!tables.pieces.Full()) {
    piece = static_cast<Piece2D*>(
        TrackedAllocZero(static_cast<int>(sizeof(Piece2D)), __FILE__, __LINE__));
  }
  if (piece == nullptr) return LogWrite("メモリの確保に失敗しました in AddSurface2D \n");
  int surfaceHandle;
  if (parentPiece != -1) {
    const Piece2D* parent = GetPiece2D(parentPiece);
    SurfaceData* surface = parent != nullptr ? GetSurfaceData(parent->surfaceData) : nullptr;
    if (surface == nullptr) {
      TrackedFree(piece);
      return -1;
    }
    ++surface->refCount;
    surfaceHandle = surface->handle;
  } else {
    surfaceHandle = AddSurfaceData(width, height, tables.settings.transparentColor, params);
    if (surfaceHandle == -1) {
      TrackedFree(piece);
      return -1;
    }
  }
  piece->x = static_cast<uint16_t>(x);
  piece->y = static_cast<uint16_t>(y);
  piece->surfaceX = static_cast<uint16_t>(surfaceX);
  piece->surfaceY = static_cast<uint16_t>(surfaceY);
  piece->width = static_cast<uint16_t>(width);
  piece->height = static_cast<uint16_t>(height);
  piece->owner = owner;
  piece->surfaceData = surfaceHandle;
  return tables.pieces.Insert(piece);
}

int MakeBlankGraph(int width, int height, int textureWanted, int alpha, int palette) {
  // Sizes travel in 16-bit piece fields; anything outside them would be cut silently.
  if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF) {
    return LogWrite("グラフィックの作成に失敗しました\n");
  }
  const int handle = NewGraphRecord(width, height, textureWanted, alpha, palette);
  if (handle == 0) return 0;
  GraphRecord* graph = GetGraphRecord(handle);
  // No hardware path exists, so texture graphics never arise; every graphic is one 2D piece.
  const int piece = AddSurface2D(width, height, 0, 0, handle, -1, 0, 0, graph->params);
  if (piece == -1) {
    DestroyGraph(graph, 0);
    return LogWrite("グラフィックの作成に失敗しました\n");
  }
  graph->pieces[0] = piece;
  graph->pieceCount = 1;
  return handle;
}

int MakeGraphFromGraphImage(GraphImage* image, GraphImage* alphaImage, int textureFlag,
                            int mirror) {
  FixPadMask(&image->format);
  if (alphaImage != nullptr) FixPadMask(&alphaImage->format);
  if (alphaImage != nullptr &&
      (alphaImage->width != image->width || alphaImage->height != image->height)) {
    return -1;
  }
  if (mirror) {
    MirrorGraphImage(image);
    if (alphaImage != nullptr) MirrorGraphImage(alphaImage);
  }
  const int palette =
      image->format.bytesPerPixel == 1 && image->format.alphaWidth == 0 && alphaImage == nullptr;
  const int alpha = alphaImage != nullptr || image->format.alphaWidth != 0;
  const int handle = MakeBlankGraph(image->width, image->height, textureFlag, alpha, palette);
  if (handle <= 0) return handle;
  GraphRecord* graph = GetGraphRecord(handle);
  const Piece2D* piece = GetPiece2D(graph->pieces[0]);
  if (TransferGraphImage(*image, alphaImage, Rect{0, 0, image->width, image->height},
                         piece->surfaceX, piece->surfaceY, piece->handle, 0) != 0) {
    DestroyGraph(graph, 0);
    return -1;
  }
  return handle;
}

int DeriveGraph(int x, int y, int width, int height, int parentHandle) {
  if (Tables().settings.suspended) return 0;
  const GraphRecord* parent = GetGraphRecord(parentHandle);
  if (parent == nullptr || parent->pieceCount < 1) return -1;
  // Anything at or past the parent's edges has no pixels to show.
  if (x < 0 || y < 0 || x >= parent->width || y >= parent->height || width <= 0 || height <= 0) {
    return -1;
  }
  if (x + width > parent->width) width = parent->width - x;
  if (y + height > parent->height) height = parent->height - y;
  const int handle = NewGraphRecord(width, height, parent->params.texture,
                                    parent->params.alphaChannel, parent->params.palette);
  GraphRecord* graph = GetGraphRecord(handle);
  graph->movie = parent->movie;
  std::memcpy(graph->fileName, parent->fileName, sizeof(graph->fileName));
  std::memcpy(graph->directory, parent->directory, sizeof(graph->directory));
  graph->params = parent->params;
  graph->convertFlag = parent->convertFlag;
  graph->fileX = parent->fileX + x;
  graph->fileY = parent->fileY + y;
  // Offset from the parent's own place in the surface, so a derived graphic can be derived again.
  const Piece2D* parentPiece = GetPiece2D(parent->pieces[0]);
  const int piece =
      parentPiece == nullptr
          ? -1
          : AddSurface2D(width, height, 0, 0, handle, parentPiece->handle,
                         parentPiece->surfaceX + x, parentPiece->surfaceY + y, graph->params);
  if (piece == -1) {
    DestroyGraph(graph, 0);
    return LogWrite("グラフィックの派生に失敗しました終了します");
  }
  graph->pieces[0] = piece;
  graph->pieceCount = 1;
  return handle;
}

int CreateDivGraphFromGraphImage(GraphImage* image, GraphImage* alphaImage, int count, int countX,
                                 int countY, int cellWidth, int cellHeight, int* handles,
                                 int textureFlag, int mirror) {
  // Cells beyond the grid would lie outside the picture.
  if (handles == nullptr || count <= 0 || countX <= 0 || countY <= 0 || count > countX * countY) {
    return -1;
  }
  const int base = MakeGraphFromGraphImage(image, alphaImage, textureFlag, mirror);
  if (base == -1) return -1;
  if (base == 0) return 0;
  for (int made = 0; made < count; ++made) {
    const int column = made % countX;
    const int row = made / countX;
    const int x = (mirror == 1 ? countX - 1 - column : column) * cellWidth;
    handles[made] = DeriveGraph(x, row * cellHeight, cellWidth, cellHeight, base);
    if (handles[made] == -1) {
      LogWrite("グラフィックの分割に失敗しました in CreateDivGraphFromGraphImage\n");
      for (int i = 0; i < made; ++i) ReleaseGraph(handles[i], 0);
      ReleaseGraph(base, 0);
      return -1;
    }
  }
  ReleaseGraph(base, 0);
  return 0;
}

int ReleaseGraph(int handle, int logFlag) {
  if (Tables().settings.suspended) return 0;
  GraphRecord* graph = GetGraphRecord(handle);
  if (graph == nullptr) return -1;
  DestroyGraph(graph, logFlag);
  return 0;
}

void ReleaseAllGraphs() {
  auto& graphs = Tables().graphs;
  for (int i = graphs.endIndex - 1; i >= 0; --i) {
    if (graphs.slots[i] != nullptr) DestroyGraph(graphs.slots[i], 0);
  }
}

int SetDeleteFlag(int handle, int* flag) {
  GraphRecord* graph = GetGraphRecord(handle);
  if (graph == nullptr) return -1;
  graph->deleteFlag = flag;
  if (flag != nullptr) *flag = 0;
  return 0;
}

int MarkGraphsLost() {
  auto& graphs = Tables().graphs;
  for (int i = 0; i < graphs.endIndex; ++i) {
    if (graphs.slots[i] != nullptr) graphs.slots[i]->needsRestore = 1;
  }
  if (Tables().settings.restoreHandler != nullptr) Tables().settings.restoreHandler();
  return 0;
}

int InitGraphics() {
  GraphTables& tables = Tables();
  if (tables.settings.initialised) return 0;
  LogWrite("グラフィック管理系の初期化を行います\n");
  LogTabIn();
  // Graphics made before the first initialisation would otherwise be lost with their stores.
  ReleaseAllGraphs();
  tables.graphs.Clear();
  tables.pieces.Clear();
  tables.surfaces.Clear();
  ResetSettings(&tables.settings);
  // Drawing starts plain, onto the whole back buffer.
  ResetDrawState();
  ResetDrawTarget();
  // No hardware path exists on this system.
  tables.settings.use3D = 0;
  LogWrite("３Ｄグラフィック描画機能は使用しません\n");
  tables.settings.suspended = 0;
  tables.settings.initialised = 1;
  LogTabOut();
  LogWrite("グラフィック管理系の初期化は正常に終了しました\n");
  return 0;
}

int TermGraphics() {
  GraphTables& tables = Tables();
  if (!tables.settings.initialised) return 0;
  ReleaseAllGraphs();
  tables.settings.initialised = 0;
  LogWrite("グラフィック管理系の終了処理は正常に終了しました\n");
  return 0;
}

}  // namespace kumo
