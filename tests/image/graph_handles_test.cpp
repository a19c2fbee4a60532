#include "kumo/image/graph_handles.h"

#include <gtest/gtest.h>

#include "kumo/image/handle.h"
#include "tests/image/graph_fixture.h"

namespace kumo::graph_test {
namespace {

TEST(HandleEncoding, PacksTypeIdAndIndex) {
  EXPECT_EQ(MakeHandle(kHandleGraph, 5, 3), 0x08050003);
  EXPECT_EQ(MakeHandle(kHandleSurfaceData, 2047, 0xFFFF), 0x3FFFFFFF);
  const int handle = MakeHandle(kHandlePiece2D, 0x123, 0x4567);
  EXPECT_EQ(HandleType(handle), kHandlePiece2D);
  EXPECT_EQ(HandleId(handle), 0x123);
  EXPECT_EQ(HandleIndex(handle), 0x4567);
}

// One table of records, tiny so that its edges are easy to reach.
struct Item {
  int id;
  int handle;
};
using SmallTable = HandleTable<Item, kHandleFont, 4>;

TEST(HandleTable, ValidOnlyWhenTypeIndexSlotAndIdAllMatch) {
  static SmallTable table;
  table.Clear();
  Item first{}, second{};
  const int handle = table.Insert(&first);
  table.Insert(&second);
  ASSERT_EQ(handle, MakeHandle(kHandleFont, 0, 0));
  EXPECT_EQ(table.Find(handle), &first);

  const struct {
    const char* what;
    int handle;
  } invalid[] = {
      {"failure value", -1},
      {"bit 31 set", handle | static_cast<int>(0x80000000u)},
      {"other type", MakeHandle(kHandleGraph, 0, 0)},
      {"index past the table", MakeHandle(kHandleFont, 0, 4)},
      {"empty slot", MakeHandle(kHandleFont, 2, 2)},
      {"wrong ID", MakeHandle(kHandleFont, 1, 0)},
  };
  for (const auto& c : invalid) EXPECT_EQ(table.Find(c.handle), nullptr) << c.what;
}

TEST(HandleTable, FillsEndFirstThenReusesGapsAndLowersTheEnd) {
  static SmallTable table;
  table.Clear();
  Item items[5] = {};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(HandleIndex(table.Insert(&items[i])), i);
  EXPECT_EQ(table.Insert(&items[4]), -1);  // full
  table.Remove(&items[1]);
  EXPECT_EQ(table.endIndex, 4);
  EXPECT_EQ(HandleIndex(table.Insert(&items[4])), 1);  // end reached: the first gap
  table.Remove(&items[3]);
  table.Remove(&items[2]);
  EXPECT_EQ(table.endIndex, 2);
  table.Remove(&items[4]);
  table.Remove(&items[0]);
  EXPECT_EQ(table.endIndex, 0);
  EXPECT_EQ(table.count, 0);
}

using GraphHandles = GraphTest;

TEST_F(GraphHandles, BlankGraphHasOnePieceOverItsOwnStore) {
  const int graph = MakeBlankGraph(20, 10, 1, 0, 0);
  ASSERT_GT(graph, 0);
  EXPECT_EQ(HandleType(graph), kHandleGraph);
  const GraphRecord* record = GetGraphRecord(graph);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->handle, graph);
  EXPECT_EQ(record->movie, -1);
  EXPECT_EQ(record->params.texture, 0);  // no hardware path
  EXPECT_EQ(record->params.colorDepth, 16);
  EXPECT_EQ(record->params.alphaTest, 1);
  ASSERT_EQ(record->pieceCount, 1);
  const Piece2D* piece = GetPiece2D(record->pieces[0]);
  ASSERT_NE(piece, nullptr);
  EXPECT_EQ(piece->owner, graph);
  const SurfaceData* surface = GetSurfaceData(piece->surfaceData);
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(surface->refCount, 1);
  EXPECT_EQ(surface->params.drawable, 1);
  EXPECT_EQ(surface->params.alphaTest, 0);
  EXPECT_EQ(surface->image.magic, kMemImgMagic);
  EXPECT_EQ(surface->image.width, 20);
  EXPECT_EQ(surface->image.formatKind, kKindColor16);

  EXPECT_EQ(ReleaseGraph(graph, 0), 0);
  EXPECT_EQ(GetGraphRecord(graph), nullptr);
  EXPECT_EQ(ReleaseGraph(graph, 0), -1);
  EXPECT_EQ(GraphCount() + Piece2DCount() + SurfaceDataCount(), 0);
  ExpectMemoryBack();
}

TEST_F(GraphHandles, StaleHandleStaysInvalidUntilTheIdWrapsRound) {
  const int old = MakeBlankGraph(1, 1, 0, 0, 0);
  ASSERT_EQ(ReleaseGraph(old, 0), 0);
  const int reused = MakeBlankGraph(1, 1, 0, 0, 0);
  EXPECT_EQ(HandleIndex(reused), HandleIndex(old));  // the emptied end slot is taken again
  EXPECT_NE(reused, old);
  EXPECT_EQ(GetGraphRecord(old), nullptr);
  EXPECT_EQ(ReleaseGraph(old, 0), -1);
  EXPECT_NE(GetGraphRecord(reused), nullptr);
  ReleaseGraph(reused, 0);
  // 2048 graphics after the first, its ID comes round again in the same slot.
  for (int i = 0; i < kHandleIdLimit - 2; ++i) ReleaseGraph(MakeBlankGraph(1, 1, 0, 0, 0), 0);
  EXPECT_EQ(MakeBlankGraph(1, 1, 0, 0, 0), old);
}

TEST_F(GraphHandles, DeletingSetsTheRegisteredFlagAndCanBeLogged) {
  const int graph = MakeBlankGraph(4, 4, 0, 0, 0);
  int deleted = 7;
  ASSERT_EQ(SetDeleteFlag(graph, &deleted), 0);
  EXPECT_EQ(deleted, 0);
  std::strcpy(GetGraphRecord(graph)->fileName, "pic.bmp");
  ReleaseGraph(graph, 1);
  EXPECT_EQ(deleted, 1);
  EXPECT_TRUE(LogHas("グラフィック pic.bmp の削除"));
  EXPECT_EQ(SetDeleteFlag(graph, &deleted), -1);
}

TEST_F(GraphHandles, SuspendedCreationAndDeletionDoNothing) {
  const int graph = MakeBlankGraph(4, 4, 0, 0, 0);
  GraphicsSettings().suspended = 1;
  EXPECT_EQ(MakeBlankGraph(4, 4, 0, 0, 0), 0);
  EXPECT_EQ(DeriveGraph(0, 0, 2, 2, graph), 0);
  EXPECT_EQ(ReleaseGraph(graph, 0), 0);
  EXPECT_EQ(LoadGraphFile("none.bmp", 0), -1);
  GraphicsSettings().suspended = 0;
  EXPECT_NE(GetGraphRecord(graph), nullptr);
  EXPECT_EQ(GraphCount(), 1);
}

TEST_F(GraphHandles, DerivedGraphsShareTheStoreAndClipToTheParent) {
  const int parent = MakeBlankGraph(10, 8, 0, 0, 0);
  const struct {
    int x, y, width, height;
    int result;  // 0: made, -1: refused
    int madeWidth, madeHeight;
  } cases[] = {
      {2, 3, 4, 4, 0, 4, 4},  {8, 6, 5, 5, 0, 2, 2},   {10, 0, 1, 1, -1, 0, 0},
      {0, 8, 1, 1, -1, 0, 0}, {11, 0, 1, 1, -1, 0, 0}, {-1, 0, 4, 4, -1, 0, 0},
  };
  for (const auto& c : cases) {
    const int derived = DeriveGraph(c.x, c.y, c.width, c.height, parent);
    if (c.result == -1) {
      EXPECT_EQ(derived, -1) << c.x << "," << c.y;
      continue;
    }
    ASSERT_GT(derived, 0);
    const GraphRecord* record = GetGraphRecord(derived);
    EXPECT_EQ(record->width, c.madeWidth);
    EXPECT_EQ(record->height, c.madeHeight);
    EXPECT_EQ(record->fileX, c.x);
    const Piece2D* piece = GetPiece2D(record->pieces[0]);
    EXPECT_EQ(piece->surfaceX, c.x);
    EXPECT_EQ(piece->surfaceY, c.y);
    EXPECT_EQ(piece->surfaceData, GetPiece2D(GetGraphRecord(parent)->pieces[0])->surfaceData);
    ReleaseGraph(derived, 0);
  }
  EXPECT_FALSE(LogHas("グラフィックの派生に失敗しました終了します"));
  EXPECT_EQ(DeriveGraph(0, 0, 1, 1, -1), -1);
  // A graphic derived from a derived one lands where it shows in the first parent.
  const int middle = DeriveGraph(2, 1, 6, 6, parent);
  const int inner = DeriveGraph(1, 2, 2, 2, middle);
  const Piece2D* piece = GetPiece2D(GetGraphRecord(inner)->pieces[0]);
  EXPECT_EQ(piece->surfaceX, 3);
  EXPECT_EQ(piece->surfaceY, 3);
  EXPECT_EQ(GetGraphRecord(inner)->fileX, 3);
  EXPECT_EQ(GetSurfaceData(piece->surfaceData)->refCount, 3);
  ReleaseAllGraphs();
  EXPECT_EQ(GraphCount() + Piece2DCount() + SurfaceDataCount(), 0);
  ExpectMemoryBack();
}

TEST_F(GraphHandles, OutOfRangeSizesAreRefused) {
  for (const int width : {0, -3, 0x10000}) {
    EXPECT_EQ(MakeBlankGraph(width, 4, 0, 0, 0), -1) << width;
  }
  EXPECT_TRUE(LogHas("グラフィックの作成に失敗しました"));
  EXPECT_EQ(GraphCount(), 0);
  ExpectMemoryBack();
}

}  // namespace
}  // namespace kumo::graph_test
