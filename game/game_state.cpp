#include "game/game_state.h"

#include <cstdint>

#include "kumo/kumo.h"

namespace game {

GameState& Game() {
  static GameState state;
  return state;
}

namespace {

constexpr uint32_t kClockMask = 0x7FFFFFFF;
constexpr uint32_t kHalfClock = 0x40000000;

}  // namespace

int GameClock() { return GetTickMillis(0) & kClockMask; }

int ClockAfter(int millis) {
  // Unsigned, so that a deadline past the clock's top wraps instead of overflowing.
  return static_cast<int>((static_cast<uint32_t>(GameClock()) + static_cast<uint32_t>(millis)) &
                          kClockMask);
}

int ClockSince(int deadline) {
  const uint32_t since =
      (static_cast<uint32_t>(GameClock()) - static_cast<uint32_t>(deadline)) & kClockMask;
  // The upper half of the 31-bit circle lies ahead of now.
  return since < kHalfClock ? static_cast<int>(since)
                            : static_cast<int>(since) - static_cast<int>(kClockMask) - 1;
}

}  // namespace game
