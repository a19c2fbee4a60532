// Loading image files (and their "_a" alpha files) into graphics, cutting them into grids, and
// reloading them after the platform lost its surfaces.
#include <cstring>

#include "kumo/core/bodies.h"
#include "kumo/core/window.h"
#include "kumo/image/decoders.h"
#include "kumo/image/graph_handles.h"
#include "kumo/render/surface_image.h"
#include "kumo/support/file_access.h"
#include "kumo/support/log.h"

namespace kumo {

namespace {

constexpr int kPathBytes = 1024;

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The alpha file's name: "_a" before the extension of the last path element. The separators are
// looked for outside double-byte characters, whose second byte may be a backslash. False when the
// result does not fit.
bool AlphaFilePath(const char* path, char* out) {
  const size_t length = std::strlen(path);
  if (length + 3 > kPathBytes) return false;
  size_t dot = length;
  for (size_t i = 0; i < length; ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (IsLeadByte(c) && i + 1 < length) {
      ++i;
    } else if (c == '\\' || c == '/') {
      dot = length;
    } else if (c == '.') {
      dot = i;
    }
  }
  std::memcpy(out, path, dot);
  std::memcpy(out + dot, "_a", 2);
  std::memcpy(out + dot + 2, path + dot, length - dot + 1);
  return true;
}

// Decodes one file; 0, -1 when it does not decode, -2 when it cannot be opened.
int DecodeFile(const char* path, GraphImage* image) {
  const int file = Files().open(path, 0, 1, 0);
  if (file == 0) return -2;
  const StreamSource source{&GetFileStreamOps(), FileStreamData(file)};
  const int result = DecodeImage(source, image);
  source.ops->close(source.data);
  return result == 0 ? 0 : -1;
}

// The picture and, when its alpha file decodes, the alpha image (else left empty).
int DecodeWithAlpha(const char* path, GraphImage* image, GraphImage* alphaImage, bool* hasAlpha) {
  *image = GraphImage{};
  *alphaImage = GraphImage{};
  *hasAlpha = false;
  const int result = DecodeFile(path, image);
  if (result != 0) {
    ReleaseGraphImage(image);
    return result;
  }
  char alphaPath[kPathBytes];
  if (AlphaFilePath(path, alphaPath)) {
    if (DecodeFile(alphaPath, alphaImage) == 0) {
      *hasAlpha = true;
    } else {
      ReleaseGraphImage(alphaImage);
    }
  }
  return 0;
}

// Names that do not fit the record are left out, so the graphic is simply not restored.
void RecordSource(GraphRecord* graph, const char* path, const char* directory) {
  if (std::strlen(path) < sizeof(graph->fileName)) {
    std::strcpy(graph->fileName, path);
    std::strcpy(graph->directory, directory);
  }
}

}  // namespace

int LoadGraphFile(const char* path, int flag) {
  if (GraphicsSettings().suspended) return -1;
  WaitWhileInactive();
  GraphImage image, alphaImage;
  bool hasAlpha;
  const int decoded = DecodeWithAlpha(path, &image, &alphaImage, &hasAlpha);
  if (decoded == -2) {
    LogWriteFormat("グラフィックファイル %s がありません", path);
    return -1;
  }
  if (decoded != 0) {
    // Movie playback does not exist here: a file that is no picture fails as a movie would.
    LogWriteFormat("右記のグラフィックファイルのロードに失敗しました：%s \n", path);
    return -1;
  }
  const int handle =
      MakeGraphFromGraphImage(&image, hasAlpha ? &alphaImage : nullptr, flag == 0, 0);
  if (handle > 0) {
    char directory[256] = {};
    Files().getDir(directory);
    RecordSource(GetGraphRecord(handle), path, directory);
  }
  ReleaseGraphImage(&image);
  ReleaseGraphImage(&alphaImage);
  return handle;
}

int LoadGraphGrid(const char* path, int count, int countX, int countY, int cellWidth,
                  int cellHeight, int* handles, int flag) {
  if (GraphicsSettings().suspended) return 0;
  WaitWhileInactive();
  GraphImage image, alphaImage;
  bool hasAlpha;
  if (DecodeWithAlpha(path, &image, &alphaImage, &hasAlpha) != 0) {
    LogWriteFormat("右記のグラフィックファイルのロードに失敗しました：%s", path);
    return -1;
  }
  const int result =
      CreateDivGraphFromGraphImage(&image, hasAlpha ? &alphaImage : nullptr, count, countX, countY,
                                   cellWidth, cellHeight, handles, flag == 0, 0);
  if (result == 0) {
    char directory[256] = {};
    Files().getDir(directory);
    for (int i = 0; i < count; ++i) {
      GraphRecord* graph = GetGraphRecord(handles[i]);
      if (graph != nullptr) RecordSource(graph, path, directory);
    }
  }
  ReleaseGraphImage(&image);
  ReleaseGraphImage(&alphaImage);
  return result;
}

int RestoreGraphs() {
  LogWrite("グラフィックを復帰します\n");
  char saved[256] = {};
  Files().getDir(saved);
  GraphImage image{}, alphaImage{};
  bool hasAlpha = false;
  bool decoded = false;
  char previousName[64] = {}, previousDir[256] = {};
  int previousConvert = 0;
  for (int index = 0; index < GraphEndIndex(); ++index) {
    GraphRecord* graph = GetGraphRecordAt(index);
    if (graph == nullptr || graph->needsRestore != 1 || graph->fileName[0] == '\0') continue;
    if (std::strlen(graph->directory) > 128) continue;
    // Cells of one grid follow each other and share one decoding of their file.
    if (!decoded || std::strcmp(previousName, graph->fileName) != 0 ||
        std::strcmp(previousDir, graph->directory) != 0 || previousConvert != graph->convertFlag) {
      ReleaseGraphImage(&image);
      ReleaseGraphImage(&alphaImage);
      Files().setDir(graph->directory);
      decoded = DecodeWithAlpha(graph->fileName, &image, &alphaImage, &hasAlpha) == 0;
      std::strcpy(previousName, graph->fileName);
      std::strcpy(previousDir, graph->directory);
      previousConvert = graph->convertFlag;
      if (!decoded) {
        graph->needsRestore = 0;
        continue;
      }
    }
    const Piece2D* piece = graph->pieceCount > 0 ? GetPiece2D(graph->pieces[0]) : nullptr;
    if (piece != nullptr) {
      const Rect source{graph->fileX, graph->fileY, graph->fileX + graph->width,
                        graph->fileY + graph->height};
      TransferGraphImage(image, hasAlpha ? &alphaImage : nullptr, source, piece->surfaceX,
                         piece->surfaceY, piece->handle, 0);
    }
    graph->needsRestore = 0;
  }
  ReleaseGraphImage(&image);
  ReleaseGraphImage(&alphaImage);
  Files().setDir(saved);
  return 0;
}

int LoadGraphFileBody(const char* path, int flag) { return LoadGraphFile(path, flag); }

int LoadGraphGridBody(const char* path, int total, int across, int down, int cellWidth,
                      int cellHeight, int* handles, int flag) {
  return LoadGraphGrid(path, total, across, down, cellWidth, cellHeight, handles, flag);
}

}  // namespace kumo
