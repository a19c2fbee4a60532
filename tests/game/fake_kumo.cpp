#include "tests/game/fake_kumo.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "kumo/kumo.h"

namespace game::testing {

FakeKumo& Fake() {
  static FakeKumo fake;
  return fake;
}

namespace {

// Records a load of `path`: a new handle, or `failure` when the test made the file missing.
int Load(const char* operation, const char* path, int failure) {
  FakeKumo& fake = Fake();
  fake.calls.push_back(operation);
  fake.loaded.push_back(path);
  return fake.missingFiles.count(path) != 0 ? failure : fake.nextHandle++;
}

int Record(const char* operation, int result = 0) {
  Fake().calls.push_back(operation);
  return result;
}

}  // namespace

}  // namespace game::testing

using game::testing::Fake;

int InitLibrary() { return game::testing::Record("InitLibrary", Fake().initLibraryResult); }
int EndLibrary() { return game::testing::Record("EndLibrary"); }
int ChangeWindowMode(int windowFlag) {
  return game::testing::Record(windowFlag == 1 ? "ChangeWindowMode(1)" : "ChangeWindowMode(0)");
}
int SetDrawTarget(int target) {
  return game::testing::Record(target == -2 ? "SetDrawTarget(-2)" : "SetDrawTarget");
}

int ProcessMessage() {
  game::testing::Record("ProcessMessage");
  return ++Fake().processMessageCalls > Fake().processMessageCallsUntilEnd ? -1 : 0;
}
void ShowMessageBox(const char* caption, const char* text) {
  game::testing::Record("ShowMessageBox");
  Fake().messageBoxes.emplace_back(caption, text);
}

int WriteToLog(const char* text) {
  Fake().logTexts.push_back(text);
  return -1;
}

int GetTickMillis(int) { return Fake().now; }
int IsKeyDown(int keyCode) { return Fake().keysDown.count(keyCode) != 0 ? 1 : 0; }

int ClearScreen() { return game::testing::Record("ClearScreen"); }
int FlipScreen() {
  Fake().now += Fake().millisPerFrame;
  game::testing::Record("FlipScreen");
  if (Fake().onFlipScreen) Fake().onFlipScreen();
  return 0;
}

// White is 0xFFFFFF, so a test can tell the colour it was made from.
int MakeColor(int red, int green, int blue) {
  return game::testing::Record("MakeColor", red << 16 | green << 8 | blue);
}

int PutGraph(int x, int y, int graphHandle, int) {
  Fake().pictures.push_back({false, x, y, graphHandle, 0});
  return game::testing::Record("PutGraph");
}
int PutGraphRotated(int x, int y, double, double, int graphHandle, int, int mirror) {
  Fake().pictures.push_back({true, x, y, graphHandle, mirror});
  return game::testing::Record("PutGraphRotated");
}

int PrintText(int x, int y, const char* text, int color, int) {
  Fake().texts.push_back({x, y, color, text});
  return game::testing::Record("PrintText");
}
int PrintTextFormat(int x, int y, int color, const char* format, ...) {
  char text[1024];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  Fake().texts.push_back({x, y, color, text});
  return game::testing::Record("PrintTextFormat");
}
int SetDefaultFontSize(int size) {
  Fake().fontSize = size;
  return game::testing::Record("SetDefaultFontSize");
}
int SetDefaultFontWeight(int thickness) {
  Fake().fontWeight = thickness;
  return game::testing::Record("SetDefaultFontWeight");
}
int SetDefaultFontStyle(int fontType) {
  Fake().fontStyle = fontType;
  return game::testing::Record("SetDefaultFontStyle");
}
int MeasureText(const char* text, int length, int) {
  Fake().measuredLengths.push_back(length);
  const int bytes = length < 0 ? static_cast<int>(std::strlen(text)) : length;
  return game::testing::Record("MeasureText", bytes * Fake().textWidthPerByte);
}

int StartSound(int soundHandle, int playType, int fromStart) {
  Fake().sounds.push_back({"StartSound", soundHandle, playType, fromStart});
  return game::testing::Record("StartSound");
}
int StopSound(int soundHandle) {
  Fake().sounds.push_back({"StopSound", soundHandle});
  return game::testing::Record("StopSound");
}

int LoadGraphFile(const char* path, int) { return game::testing::Load("LoadGraphFile", path, -1); }
int LoadGraphGrid(const char* path, int total, int, int, int, int, int* handles, int) {
  const int first = game::testing::Load("LoadGraphGrid", path, -1);
  if (first == -1) return -1;
  for (int i = 0; i < total; ++i) handles[i] = first + i;
  Fake().nextHandle += total;
  return 0;
}
int LoadSoundFile(const char* path, int, int) {
  return game::testing::Load("LoadSoundFile", path, -1);
}

int FileOpenForRead(const char* path, int) {
  const int handle = game::testing::Load("FileOpenForRead", path, 0);
  return handle == 0 ? 0 : static_cast<int>(0xF0000000u | static_cast<unsigned>(handle));
}
int FileCloseRead(int) { return game::testing::Record("FileCloseRead"); }
// Every file reads as empty: reading a field is tested on the real library.
int FileIsEof(int) { return 1; }
int FileReadLine(char*, int, int) { return -1; }
