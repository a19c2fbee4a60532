// Graphics handles: the graphics records, the 2D pieces they are made of and the surface data
// records (pixel stores) the pieces point into, each in a handle table of its own.
#pragma once

#include <cstdint>

#include "kumo/image/graph_image.h"
#include "kumo/image/handle.h"
#include "kumo/render/mem_img.h"

namespace kumo {

constexpr int kGraphSlots = 32768;
constexpr int kPiece2DSlots = 32768;
constexpr int kSurfaceDataSlots = 65536;
constexpr int kGraphPieces = 64;

// How a graphic's stores are to be made; one byte each, copied into every surface data record.
struct GraphParams {
  uint8_t texture;
  uint8_t alphaChannel;
  uint8_t drawable;
  uint8_t systemMemory;
  uint8_t alphaTest;
  uint8_t colorDepth;  // 16 or 32
  uint8_t mask;        // 8-bit single-channel store
  uint8_t palette;     // 8-bit indexed store
};

struct GraphRecord {
  int id;
  int* deleteFlag;  // set to 1 when the graphic is deleted
  int handle;
  GraphParams params;
  int convertFlag;
  int maskSetting;
  int pieces[kGraphPieces];
  int pieceCount;
  char fileName[64];    // empty unless loaded from a file whose name fits
  char directory[256];  // the current directory at loading
  int fileX, fileY;     // top-left corner in the file's image
  int width, height;
  int movie;  // -1: none
  int needsRestore;
  void* extra;  // tracked block released with the graphic
};

struct Piece2D {
  int id;
  int* deleteFlag;
  int handle;
  uint16_t x, y;                // in the graphic
  uint16_t surfaceX, surfaceY;  // in the surface
  uint16_t width, height;
  int owner;        // graphics handle
  int surfaceData;  // surface data handle
};

struct SurfaceData {
  int id;
  int handle;
  GraphParams params;
  int memImgFlag;
  uint16_t width, height;
  int refCount;               // pieces using the store
  uint32_t transparentColor;  // 0x00RRGGBB
  MEMIMG image;
  MEMIMG depthImage;
};

struct GraphSettings {
  int initialised;
  int suspended;  // 1: creating, deriving and deleting do nothing
  int texturesAllowed;
  int use3D;
  uint32_t transparentColor;
  int colorDepth;  // 0: the screen's
  int alphaTest;
  int systemMemory;
  int drawable;
  int drawableAlpha;  // the second drawable setting: draw targets with alpha
  int mask;
  int (*restoreHandler)();
};

GraphSettings& GraphicsSettings();

GraphRecord* GetGraphRecord(int handle);
// The record in a slot, or none; slots at and above the end index are empty.
GraphRecord* GetGraphRecordAt(int slot);
int GraphEndIndex();
Piece2D* GetPiece2D(int handle);
SurfaceData* GetSurfaceData(int handle);
// Records held now: graphics, 2D pieces, surface data.
int GraphCount();
int Piece2DCount();
int SurfaceDataCount();

// A new graphics record without pieces: its handle, 0 while suspended. Overflow and memory
// failure end the program.
int NewGraphRecord(int width, int height, int textureWanted, int alpha, int palette);
// A piece; with a parent piece it shares the parent's store, else it gets a new one.
int AddSurface2D(int width, int height, int x, int y, int owner, int parentPiece, int surfaceX,
                 int surfaceY, const GraphParams& params);
int AddSurfaceData(int width, int height, uint32_t key, const GraphParams& params);

int MakeBlankGraph(int width, int height, int textureWanted, int alpha, int palette);
int MakeGraphFromGraphImage(GraphImage* image, GraphImage* alphaImage, int textureFlag, int mirror);
int CreateDivGraphFromGraphImage(GraphImage* image, GraphImage* alphaImage, int count, int countX,
                                 int countY, int cellWidth, int cellHeight, int* handles,
                                 int textureFlag, int mirror);
int DeriveGraph(int x, int y, int width, int height, int parent);

// texture wanted = flag is 0 (the public entries pass their flag negated).
int LoadGraphFile(const char* path, int flag);
int LoadGraphGrid(const char* path, int count, int countX, int countY, int cellWidth,
                  int cellHeight, int* handles, int flag);

int ReleaseGraph(int handle, int logFlag);
void ReleaseAllGraphs();
int SetDeleteFlag(int handle, int* flag);

// Reloads every graphic marked as needing it from its file; the default restore handler.
int RestoreGraphs();
// Marks every graphic as needing restore and runs the installed restore handler.
int MarkGraphsLost();

int InitGraphics();
int TermGraphics();

}  // namespace kumo
