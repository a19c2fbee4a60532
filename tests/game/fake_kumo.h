// A recording double of the library's public operations, so that the game's logic runs in tests
// without a window, pictures or sound. The test sets what the operations answer; the double
// records what the game asked for.
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace game::testing {

struct FakeKumo {
  // Answers
  int initLibraryResult = 0;
  std::set<std::string> missingFiles;  // paths whose load or open fails
  int processMessageCallsUntilEnd = 1 << 30;
  int now = 0;             // the tick GetTickMillis returns
  int millisPerFrame = 0;  // added to `now` by every FlipScreen
  std::set<int> keysDown;

  // Records
  std::vector<std::string> calls;   // operation names, in order
  std::vector<std::string> loaded;  // paths of every picture, sound and file asked for
  std::vector<std::pair<std::string, std::string>> messageBoxes;  // caption, text
  std::vector<std::string> logTexts;
  int processMessageCalls = 0;
  int nextHandle = 1;
};

// The double's state; reset it with `Fake() = FakeKumo{}`.
FakeKumo& Fake();

}  // namespace game::testing
