// A recording double of the library's public operations, so that the game's logic runs in tests
// without a window, pictures or sound. The test sets what the operations answer; the double
// records what the game asked for.
#pragma once

#include <functional>
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
  std::function<void()> onFlipScreen;  // runs after every FlipScreen: a script of keys per frame
  int textWidthPerByte = 7;            // MeasureText's answer, per byte measured

  // Records
  std::vector<std::string> calls;   // operation names, in order
  std::vector<std::string> loaded;  // paths of every picture, sound and file asked for
  std::vector<std::pair<std::string, std::string>> messageBoxes;  // caption, text
  std::vector<std::string> logTexts;
  int processMessageCalls = 0;
  int nextHandle = 1;

  struct Picture {
    bool rotated;  // PutGraphRotated (centred on x, y), else PutGraph (top-left corner)
    int x, y, handle, mirror;
  };
  std::vector<Picture> pictures;
  struct Text {
    int x, y, color;
    std::string text;  // as formatted
  };
  std::vector<Text> texts;  // PrintText and PrintTextFormat
  std::vector<int> measuredLengths;
  int fontSize = -1, fontWeight = -1, fontStyle = -1;  // the last values set
  struct Sound {
    std::string operation;  // "StartSound" or "StopSound"
    int handle, playType = 0, fromStart = 0;
    bool operator==(const Sound& o) const {
      return operation == o.operation && handle == o.handle && playType == o.playType &&
             fromStart == o.fromStart;
    }
  };
  std::vector<Sound> sounds;
};

// The double's state; reset it with `Fake() = FakeKumo{}`.
FakeKumo& Fake();

}  // namespace game::testing
