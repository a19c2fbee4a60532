// The headless backend's input script (KUMO_SCRIPT): one command per line, "FRAME VERB [ARGS]",
// "#" starting a comment. FRAME counts presented frames from 1; a frame's commands run in file
// order just after it is presented.
//   down KEY / up KEY   a key goes down / up (a name such as ESCAPE, A, LEFT, F1, or 0x39)
//   shot FILE.png       save the picture just presented (the headless display writes it)
//   deactivate MS       the window loses activation and regains it MS ms of virtual time later
//   close               the user closes the window
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kumo::platform::headless {

enum class ScriptVerb { Down, Up, Shot, Deactivate, Close };

struct ScriptCommand {
  int line;  // in the script file, from 1
  int frame;
  ScriptVerb verb;
  int key;           // Down, Up: the scan code
  uint32_t millis;   // Deactivate
  std::string file;  // Shot
};

// Parses a script; false with a message naming the line when a line is malformed.
bool ParseScript(const std::string& text, std::vector<ScriptCommand>* commands, std::string* error);

// The script plays the user: the keys it holds, and what it asked of the window, which the
// headless services take from here when they look.

// The keyboard as the script holds it: 0x80 for each scan code that is down.
void ScriptKeyState(uint8_t state[256]);
// Grows by one with every key that goes down or up.
uint32_t ScriptKeyChanges();

// True once for each close command run.
bool TakeCloseRequest();
// True once for each deactivate command run, with its milliseconds.
bool TakeDeactivation(uint32_t* millis);
// True once for each shot command run, with its file.
bool TakeShot(std::string* file);

// Loads KUMO_SCRIPT, if set, at the first call; a script that cannot be read or parsed ends
// the program at once with a message naming the line.
void LoadScript();

// Replaces the run's script with `text` and starts counting frames anew; false with a message
// naming the line when it is malformed (the script is then empty).
bool UseScript(const std::string& text, std::string* error);

// Counts a presented frame and runs the commands for it.
void FramePresented();

// Frames presented so far.
int PresentedFrames();

}  // namespace kumo::platform::headless
