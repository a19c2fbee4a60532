#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kumo/core/bodies.h"
#include "kumo/image/graph_handles.h"
#include "tests/image/graph_fixture.h"

namespace kumo::graph_test {
namespace {

using GraphLoading = GraphTest;

TEST_F(GraphLoading, FilePixelsLandInASixteenBitStore) {
  WriteFile("pic.bmp", GradientBmp(5, 3));
  const int graph = LoadGraphFile("pic.bmp", 0);
  ASSERT_GT(graph, 0);
  const GraphRecord* record = GetGraphRecord(graph);
  EXPECT_EQ(record->width, 5);
  EXPECT_EQ(record->height, 3);
  EXPECT_STREQ(record->fileName, "pic.bmp");
  EXPECT_EQ(std::string(record->directory), dir_.string());
  EXPECT_EQ(record->params.alphaChannel, 0);
  EXPECT_EQ(record->params.palette, 0);
  EXPECT_EQ(StorePixel(graph, 0, 0), R5G6B5(0, 0, 8));
  EXPECT_EQ(StorePixel(graph, 4, 2), R5G6B5(64, 32, 8));
  EXPECT_EQ(ReleaseGraph(graph, 0), 0);
  ExpectMemoryBack();
}

TEST_F(GraphLoading, PublicEntryBodyLoadsTheFile) {
  WriteFile("pic.bmp", GradientBmp(2, 2));
  const int graph = LoadGraphFileBody("pic.bmp", 0);
  EXPECT_GT(graph, 0);
  EXPECT_NE(GetGraphRecord(graph), nullptr);
}

TEST_F(GraphLoading, PaletteStoreKeysOnTheTransparentColoursIndex) {
  const std::vector<Rgb> palette = {{255, 0, 0}, {9, 9, 9}, {0, 0, 0}, {0, 0, 255}};
  WriteFile("indexed.bmp", Bmp(2, 1, {{0, 0, 0}, {3, 0, 0}}, &palette));
  const int graph = LoadGraphFile("indexed.bmp", 0);
  ASSERT_GT(graph, 0);
  const GraphRecord* record = GetGraphRecord(graph);
  EXPECT_EQ(record->params.palette, 1);
  const MEMIMG& image = GetSurfaceData(GetPiece2D(record->pieces[0])->surfaceData)->image;
  EXPECT_EQ(image.usesPalette, 1);
  EXPECT_EQ(image.colorKey, 2u);  // black, the transparent colour
  EXPECT_EQ(StorePixel(graph, 1, 0), 3u);
}

TEST_F(GraphLoading, AlphaFileSuppliesTheAlphaChannel) {
  WriteFile("dir.v/pic.bmp", GradientBmp(3, 2));
  // The alpha image's red channel becomes alpha.
  WriteFile("dir.v/pic_a.bmp",
            Bmp(3, 2, {{0, 0, 0}, {255, 0, 0}, {128, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}));
  const int graph = LoadGraphFile("dir.v\\pic.bmp", 0);
  ASSERT_GT(graph, 0);
  const GraphRecord* record = GetGraphRecord(graph);
  EXPECT_EQ(record->params.alphaChannel, 1);
  const MEMIMG& image = GetSurfaceData(GetPiece2D(record->pieces[0])->surfaceData)->image;
  EXPECT_EQ(image.hasAlpha, 1);
  const uint32_t alphaMask = image.format->alphaMask;
  const int alphaShift = image.format->alphaShift;
  EXPECT_EQ((StorePixel(graph, 0, 0) & alphaMask) >> alphaShift, 0u);
  EXPECT_EQ((StorePixel(graph, 1, 0) & alphaMask) >> alphaShift, 255u);
  EXPECT_EQ((StorePixel(graph, 2, 0) & alphaMask) >> alphaShift, 128u);
  ReleaseGraph(graph, 0);
  ExpectMemoryBack();

  // An alpha file of another size fails the whole load.
  WriteFile("other.bmp", GradientBmp(3, 2));
  WriteFile("other_a.bmp", GradientBmp(2, 2));
  EXPECT_EQ(LoadGraphFile("other.bmp", 0), -1);
  EXPECT_EQ(GraphCount(), 0);
  ExpectMemoryBack();
}

TEST_F(GraphLoading, FailuresAreLoggedAndLeaveNothingBehind) {
  WriteFile("notes.txt", "10,20,30,40\r\n");
  int handles[2] = {};
  const struct {
    const char* what;
    int result;
    const char* line;
  } cases[] = {
      {"missing file", LoadGraphFile("missing.bmp", 0),
       "グラフィックファイル missing.bmp がありません"},
      {"not a picture", LoadGraphFile("notes.txt", 0),
       "右記のグラフィックファイルのロードに失敗しました：notes.txt "},
      {"missing grid", LoadGraphGrid("gone.bmp", 2, 2, 1, 1, 1, handles, 0),
       "右記のグラフィックファイルのロードに失敗しました：gone.bmp"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.result, -1) << c.what;
    EXPECT_TRUE(LogHas(c.line)) << c.what;
  }
  EXPECT_EQ(GraphCount() + Piece2DCount() + SurfaceDataCount(), 0);
  ExpectMemoryBack();
}

TEST_F(GraphLoading, GridCellsRunRowByRowAndShareOneStoreUntilTheLastGoes) {
  WriteFile("grid.bmp", GradientBmp(8, 6));
  int handles[10] = {};
  ASSERT_EQ(LoadGraphGrid("grid.bmp", 10, 4, 3, 2, 2, handles, 0), 0);
  EXPECT_EQ(GraphCount(), 10);  // the base graphic is gone
  EXPECT_EQ(SurfaceDataCount(), 1);
  const int surface = GetPiece2D(GetGraphRecord(handles[0])->pieces[0])->surfaceData;
  EXPECT_EQ(GetSurfaceData(surface)->refCount, 10);
  for (int i = 0; i < 10; ++i) {
    const GraphRecord* cell = GetGraphRecord(handles[i]);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->fileX, i % 4 * 2) << i;
    EXPECT_EQ(cell->fileY, i / 4 * 2) << i;
    EXPECT_STREQ(cell->fileName, "grid.bmp");
    // Each cell shows its own part of the one store.
    EXPECT_EQ(StorePixel(handles[i], 1, 1),
              R5G6B5((cell->fileX + 1) * 16, (cell->fileY + 1) * 16, 8));
  }
  for (int i = 0; i < 9; ++i) ReleaseGraph(handles[i], 0);
  ASSERT_NE(GetSurfaceData(surface), nullptr);
  EXPECT_EQ(GetSurfaceData(surface)->refCount, 1);
  EXPECT_EQ(StorePixel(handles[9], 0, 0), R5G6B5(2 * 16, 4 * 16, 8));
  ReleaseGraph(handles[9], 0);
  EXPECT_EQ(GetSurfaceData(surface), nullptr);
  ExpectMemoryBack();
}

TEST_F(GraphLoading, GridCellsAreCutAtTheEdgeAndACellPastItFailsTheGrid) {
  WriteFile("row.bmp", GradientBmp(10, 2));
  int handles[3] = {};
  ASSERT_EQ(LoadGraphGrid("row.bmp", 3, 3, 1, 4, 2, handles, 0), 0);
  EXPECT_EQ(GetGraphRecord(handles[2])->width, 2);
  ReleaseAllGraphs();

  EXPECT_EQ(LoadGraphGrid("row.bmp", 3, 3, 1, 5, 2, handles, 0), -1);
  EXPECT_TRUE(LogHas("グラフィックの分割に失敗しました in CreateDivGraphFromGraphImage"));
  // More cells than the grid holds are refused before anything is made.
  EXPECT_EQ(LoadGraphGrid("row.bmp", 4, 3, 1, 2, 2, handles, 0), -1);
  EXPECT_EQ(GraphCount() + Piece2DCount() + SurfaceDataCount(), 0);
  ExpectMemoryBack();
}

TEST_F(GraphLoading, LostGraphsAreReloadedFromTheirFiles) {
  WriteFile("grid.bmp", GradientBmp(4, 2));
  int handles[2] = {};
  ASSERT_EQ(LoadGraphGrid("grid.bmp", 2, 2, 1, 2, 2, handles, 0), 0);
  const int blank = MakeBlankGraph(2, 2, 0, 0, 0);
  MEMIMG& image =
      GetSurfaceData(GetPiece2D(GetGraphRecord(handles[0])->pieces[0])->surfaceData)->image;
  FillMemImg(&image, nullptr, 0x1234);
  FillMemImg(&GetSurfaceData(GetPiece2D(GetGraphRecord(blank)->pieces[0])->surfaceData)->image,
             nullptr, 0x4321);
  GraphicsSettings().restoreHandler = RestoreGraphs;
  MarkGraphsLost();
  GraphicsSettings().restoreHandler = nullptr;
  EXPECT_TRUE(LogHas("グラフィックを復帰します"));
  EXPECT_EQ(StorePixel(handles[0], 1, 1), R5G6B5(16, 16, 8));
  EXPECT_EQ(StorePixel(handles[1], 1, 0), R5G6B5(48, 0, 8));
  EXPECT_EQ(StorePixel(blank, 0, 0), 0x4321u);  // made, not loaded: kept as it is
  EXPECT_EQ(GetGraphRecord(handles[0])->needsRestore, 0);
  EXPECT_EQ(GetGraphRecord(handles[1])->needsRestore, 0);
  ReleaseAllGraphs();
  ExpectMemoryBack();
}

TEST_F(GraphLoading, GamesOwnPicturesLoad) {
  const std::string root = KUMO_SOURCE_DIR;
  const int background = LoadGraphFile((root + "/media/back.png").c_str(), 0);
  ASSERT_GT(background, 0);
  EXPECT_EQ(GetGraphRecord(background)->width, 640);
  // Too long for the record's name field: loaded, but not kept for restoring.
  EXPECT_EQ(GetGraphRecord(background)->fileName[0] == '\0', root.size() + 15 >= 64);
  int cells[4] = {};
  EXPECT_EQ(LoadGraphGrid((root + "/media/chara/yusya.png").c_str(), 1, 1, 1, 32, 32, cells, 0), 0);
  ReleaseAllGraphs();
  ExpectMemoryBack();
}

}  // namespace
}  // namespace kumo::graph_test
