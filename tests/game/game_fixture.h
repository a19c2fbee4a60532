// Each game test starts from a fresh game and a fresh library double.
#pragma once

#include <gtest/gtest.h>

#include "game/game_state.h"
#include "tests/game/fake_kumo.h"

namespace game::testing {

class GameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Fake() = FakeKumo{};
    Game() = GameState{};
  }
};

}  // namespace game::testing
