// Graphics management started (see tests/image/graph_fixture.h) with small graphics to draw and to
// draw into, their pixels set and read through their stores.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>

#include "kumo/core/bodies.h"
#include "kumo/image/graph_handles.h"
#include "kumo/render/display_state.h"
#include "kumo/render/draw_state.h"
#include "tests/image/graph_fixture.h"

namespace kumo::draw_test {

using graph_test::StorePixel;

// The target's background, and the value of the source's transparent colour (black).
constexpr uint32_t kBackground = 0x5555;
constexpr uint32_t kKey = 0x0000;
// What an expectation gives for a pixel the draw must leave alone.
constexpr uint32_t kUntouched = 0xFFFFFFFFu;

inline void SetStorePixel(int graph, int x, int y, uint32_t value) {
  const GraphRecord* record = GetGraphRecord(graph);
  const Piece2D* piece = GetPiece2D(record->pieces[0]);
  const MEMIMG& image = GetSurfaceData(piece->surfaceData)->image;
  const int bytes = MemImgBytesPerPixel(image);
  auto* at = static_cast<uint8_t*>(image.pixels) + (piece->surfaceY + y) * image.pitch +
             (piece->surfaceX + x) * bytes;
  std::memcpy(at, &value, static_cast<size_t>(bytes));
}

// A distinct, never transparent value for each pixel of a source.
inline uint32_t SourceValue(int x, int y) { return static_cast<uint32_t>(0x8000 + y * 64 + x); }

// Drawing runs on the software route, straight into the graphics' memory images.
class DrawTest : public graph_test::GraphTest {
 protected:
  void SetUp() override {
    TheDisplay().software = 1;
    GraphTest::SetUp();
  }

  void TearDown() override {
    GraphTest::TearDown();
    TheDisplay().software = 0;
  }

  static void Fill(int graph, uint32_t value) {
    const GraphRecord* record = GetGraphRecord(graph);
    for (int y = 0; y < record->height; ++y) {
      for (int x = 0; x < record->width; ++x) SetStorePixel(graph, x, y, value);
    }
  }

  // A blank graphic of the screen's 16-bit format filled with `value`.
  static int FilledGraph(int width, int height, uint32_t value) {
    const int graph = MakeBlankGraph(width, height, 0, 0, 0);
    Fill(graph, value);
    return graph;
  }

  // An 8 x 4 source of distinct values with its transparent colour at (1, 1), and a 32 x 24
  // target of the background colour, selected as the draw target.
  void MakeSourceAndTarget() {
    source_ = FilledGraph(8, 4, 0);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 8; ++x) SetStorePixel(source_, x, y, SourceValue(x, y));
    }
    SetStorePixel(source_, 1, 1, kKey);
    target_ = FilledGraph(32, 24, kBackground);
    ASSERT_EQ(SetDrawTargetBody(target_), 0);
  }

  // Every pixel of a graphic equals `expected` (the background where it gives kUntouched).
  static void ExpectPixels(int graph, const std::function<uint32_t(int x, int y)>& expected) {
    const GraphRecord* record = GetGraphRecord(graph);
    for (int y = 0; y < record->height; ++y) {
      for (int x = 0; x < record->width; ++x) {
        const uint32_t want = expected(x, y);
        ASSERT_EQ(StorePixel(graph, x, y), want != kUntouched ? want : kBackground)
            << "pixel " << x << "," << y;
      }
    }
  }

  static void ExpectUntouched(int graph) {
    ExpectPixels(graph, [](int, int) { return kUntouched; });
  }

  int source_ = -1;
  int target_ = -1;
};

}  // namespace kumo::draw_test
