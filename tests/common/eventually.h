// Waiting in tests for something another thread does, on the real clock.
#pragma once

#include <chrono>
#include <thread>

namespace kumo::testing {

// True once `done()` holds; false when ten seconds pass first.
template <typename Condition>
bool Eventually(Condition done) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return true;
}

}  // namespace kumo::testing
