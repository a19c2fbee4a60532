#include <gtest/gtest.h>

#include "kumo/image/graph_handles.h"
#include "kumo/render/draw_target.h"
#include "tests/render/draw_fixture.h"
#include "tests/runtime/library_fixture.h"

namespace {

using kumo::draw_test::SetStorePixel;
using kumo::graph_test::StorePixel;

// The public drawing operations reach their bodies under the library lock.
TEST_F(LibraryTest, PublicDrawingSelectsTargetsAndDrawsGraphics) {
  ASSERT_EQ(InitLibrary(), 0);
  EXPECT_EQ(kumo::CurrentDrawTarget().target, kumo::kFrontBuffer);
  EXPECT_EQ(SetDrawTarget(-2), 0);
  EXPECT_EQ(SetDrawTarget(0x12345), -1);

  const int source = kumo::MakeBlankGraph(2, 2, 0, 0, 0);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 2; ++x) SetStorePixel(source, x, y, 0x1000u + 2 * y + x);
  }
  const int target = kumo::MakeBlankGraph(8, 8, 0, 0, 0);
  ASSERT_EQ(SetDrawTarget(target), 0);
  EXPECT_EQ(PutGraph(5, 6, source, 0), 0);
  EXPECT_EQ(StorePixel(target, 5, 6), 0x1000u);
  EXPECT_EQ(StorePixel(target, 6, 7), 0x1003u);
  EXPECT_EQ(PutGraph(5, 6, -1, 0), -1);
  EXPECT_EQ(PutGraphRotated(4, 4, 1.0, 0.0, source, 0, 0), 0);
  EXPECT_EQ(PutGraphRotated(4, 4, 1.0, 0.0, -1, 0, 0), -1);
}

}  // namespace
