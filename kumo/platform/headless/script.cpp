#include "kumo/platform/headless/script.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "kumo/platform/scan_codes.h"

namespace kumo::platform::headless {

namespace {

struct ScriptRun {
  bool loaded = false;
  std::vector<ScriptCommand> commands;
  size_t next = 0;  // the first command not yet run
  int frame = 0;    // frames presented
  uint8_t keys[256] = {};
  uint32_t keyChanges = 0;
  int closeRequests = 0;
  std::vector<uint32_t> deactivations;
  std::vector<std::string> shots;
};

ScriptRun gRun;

// A whole number in decimal or with 0x in hex; false when `word` is anything else.
bool ParseNumber(const std::string& word, long* value) {
  if (word.empty()) return false;
  char* end = nullptr;
  errno = 0;
  *value = std::strtol(word.c_str(), &end, 0);
  return errno == 0 && *end == '\0' && word[0] != '-' && word[0] != '+';
}

bool ParseKey(const std::string& word, int* key) {
  const int named = ScanCodeByName(word.c_str());
  if (named >= 0) {
    *key = named;
    return true;
  }
  long code = 0;
  if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X') &&
      ParseNumber(word, &code) && code <= 255) {
    *key = static_cast<int>(code);
    return true;
  }
  return false;
}

bool Fail(std::string* error, int line, const std::string& why, const std::string& text) {
  *error = "line " + std::to_string(line) + ": " + why + ": \"" + text + "\"";
  return false;
}

}  // namespace

bool ParseScript(const std::string& text, std::vector<ScriptCommand>* commands,
                 std::string* error) {
  commands->clear();
  std::istringstream lines(text);
  std::string raw;
  for (int line = 1; std::getline(lines, raw); ++line) {
    std::string content = raw.substr(0, raw.find('#'));
    if (!content.empty() && content.back() == '\r') content.pop_back();
    std::istringstream words(content);
    std::vector<std::string> parts;
    for (std::string word; words >> word;) parts.push_back(word);
    if (parts.empty()) continue;

    ScriptCommand command{line, 0, ScriptVerb::Close, 0, 0, ""};
    long frame = 0;
    if (!ParseNumber(parts[0], &frame) || frame < 1 || frame > 0x7FFFFFFF) {
      return Fail(error, line, "a frame number from 1 is expected first", raw);
    }
    command.frame = static_cast<int>(frame);
    if (parts.size() < 2) return Fail(error, line, "a verb is missing", raw);
    const std::string& verb = parts[1];
    const size_t arguments = parts.size() - 2;
    if (verb == "down" || verb == "up") {
      command.verb = verb == "down" ? ScriptVerb::Down : ScriptVerb::Up;
      if (arguments != 1 || !ParseKey(parts[2], &command.key)) {
        return Fail(error, line, "a key name or scan code is expected", raw);
      }
    } else if (verb == "shot") {
      command.verb = ScriptVerb::Shot;
      if (arguments != 1) return Fail(error, line, "one file name is expected", raw);
      command.file = parts[2];
    } else if (verb == "deactivate") {
      command.verb = ScriptVerb::Deactivate;
      long millis = 0;
      if (arguments != 1 || !ParseNumber(parts[2], &millis) || millis > 0x7FFFFFFF) {
        return Fail(error, line, "milliseconds are expected", raw);
      }
      command.millis = static_cast<uint32_t>(millis);
    } else if (verb == "close") {
      command.verb = ScriptVerb::Close;
      if (arguments != 0) return Fail(error, line, "close takes nothing more", raw);
    } else {
      return Fail(error, line, "unknown verb", raw);
    }
    commands->push_back(command);
  }
  // Commands run frame by frame, in file order within a frame.
  std::stable_sort(
      commands->begin(), commands->end(),
      [](const ScriptCommand& a, const ScriptCommand& b) { return a.frame < b.frame; });
  return true;
}

void ScriptKeyState(uint8_t state[256]) { std::memcpy(state, gRun.keys, sizeof gRun.keys); }

uint32_t ScriptKeyChanges() { return gRun.keyChanges; }

bool TakeCloseRequest() {
  if (gRun.closeRequests == 0) return false;
  gRun.closeRequests -= 1;
  return true;
}

bool TakeDeactivation(uint32_t* millis) {
  if (gRun.deactivations.empty()) return false;
  *millis = gRun.deactivations.front();
  gRun.deactivations.erase(gRun.deactivations.begin());
  return true;
}

bool TakeShot(std::string* file) {
  if (gRun.shots.empty()) return false;
  *file = gRun.shots.front();
  gRun.shots.erase(gRun.shots.begin());
  return true;
}

void LoadScript() {
  if (gRun.loaded) return;
  gRun.loaded = true;
  const char* path = std::getenv("KUMO_SCRIPT");
  if (path == nullptr || path[0] == '\0') return;
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "KUMO_SCRIPT: cannot read %s\n", path);
    std::exit(2);
  }
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::string error;
  if (!ParseScript(text, &gRun.commands, &error)) {
    std::fprintf(stderr, "KUMO_SCRIPT %s, %s\n", path, error.c_str());
    std::exit(2);
  }
}

bool UseScript(const std::string& text, std::string* error) {
  gRun = ScriptRun{};
  gRun.loaded = true;
  if (ParseScript(text, &gRun.commands, error)) return true;
  gRun.commands.clear();
  return false;
}

void FramePresented() {
  LoadScript();
  gRun.frame += 1;
  while (gRun.next < gRun.commands.size() && gRun.commands[gRun.next].frame <= gRun.frame) {
    const ScriptCommand& command = gRun.commands[gRun.next++];
    switch (command.verb) {
      case ScriptVerb::Down:
      case ScriptVerb::Up:
        gRun.keys[command.key] = command.verb == ScriptVerb::Down ? 0x80 : 0x00;
        gRun.keyChanges += 1;
        break;
      case ScriptVerb::Shot:
        gRun.shots.push_back(command.file);
        break;
      case ScriptVerb::Deactivate:
        gRun.deactivations.push_back(command.millis);
        break;
      case ScriptVerb::Close:
        gRun.closeRequests += 1;
        break;
    }
  }
}

int PresentedFrames() { return gRun.frame; }

}  // namespace kumo::platform::headless
