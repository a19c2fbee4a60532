#include "tests/game/fake_kumo.h"

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
  return game::testing::Record("FlipScreen");
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
