// The public entry points: each takes the library lock, runs its body with its arguments
// unchanged, releases the lock and returns the body's result unchanged.
#include <cstdarg>
#include <cstdio>

#include "kumo/core/api_lock.h"
#include "kumo/core/bodies.h"
#include "kumo/kumo.h"
#include "kumo/platform/message_box.h"
#include "kumo/support/file_access.h"
#include "kumo/support/log.h"

namespace {

template <typename Result, typename... Parameters, typename... Arguments>
Result Locked(Result (*body)(Parameters...), Arguments... arguments) {
  kumo::ApiEnter();
  Result result = body(arguments...);
  kumo::ApiLeave();
  return result;
}

// printf-style operations format into a buffer of this size.
constexpr int kFormatBufferSize = 1024;

}  // namespace

using namespace kumo;

int InitLibrary() { return Locked(InitLibraryBody); }

int EndLibrary() {
  const int result = Locked(EndLibraryBody);
  ApiLockDestroy();
  return result;
}

int WriteToLog(const char* text) { return Locked(LogWrite, text); }

int FileOpenForRead(const char* path, int asyncFlag) {
  return Locked(FileOpenForReadBody, path, asyncFlag);
}
int FileCloseRead(int fileHandle) { return Locked(FileCloseReadBody, fileHandle); }
int FileIsEof(int fileHandle) { return Locked(FileIsEofBody, fileHandle); }
// Waits under the lock for a pending read of the file to finish before reading the line.
int FileReadLine(char* buffer, int bufferSize, int fileHandle) {
  ApiEnter();
  WaitUntilFileReady(fileHandle);
  const int result = FileReadLineBody(buffer, bufferSize, fileHandle);
  ApiLeave();
  return result;
}

int ProcessMessage() { return Locked(ProcessMessageBody); }
int ChangeWindowMode(int windowFlag) { return Locked(ChangeWindowModeBody, windowFlag); }

void ShowMessageBox(const char* caption, const char* text) {
  platform::ShowMessageBox(caption, text);
}

int GetTickMillis(int ignored) { return Locked(GetTickMillisBody, ignored); }
int IsKeyDown(int keyCode) { return Locked(IsKeyDownBody, keyCode); }
int GetPadState(int selector) { return Locked(GetPadStateBody, selector); }

const DDPIXELFORMAT* GetScreenPixelFormat() { return Locked(GetScreenPixelFormatBody); }
int MakeColor(int red, int green, int blue) { return Locked(MakeColorBody, red, green, blue); }

// These three touch only the records passed to them, so they take no lock.
int BuildColorFormat(ColorFormat* format, int bits, uint32_t redMask, uint32_t greenMask,
                     uint32_t blueMask, uint32_t alphaMask) {
  return BuildColorFormatBody(format, bits, redMask, greenMask, blueMask, alphaMask);
}
int BuildDDPixelFormat(DDPIXELFORMAT* format, int bits, uint32_t redMask, uint32_t greenMask,
                       uint32_t blueMask, uint32_t alphaMask) {
  return BuildDDPixelFormatBody(format, bits, redMask, greenMask, blueMask, alphaMask);
}
int ClipRect(Rect* rect, const Rect* clip) { return ClipRectBody(rect, clip); }

int FlipScreen() { return Locked(FlipScreenBody); }
int ClearScreen() { return Locked(ClearScreenBody); }
int SetDrawTarget(int target) { return Locked(SetDrawTargetBody, target); }

// The graphics bodies take the flag negated.
int LoadGraphFile(const char* path, int flag) { return Locked(LoadGraphFileBody, path, -flag); }
int LoadGraphGrid(const char* path, int total, int across, int down, int cellWidth, int cellHeight,
                  int* handles, int flag) {
  return Locked(LoadGraphGridBody, path, total, across, down, cellWidth, cellHeight, handles,
                -flag);
}
int PutGraph(int x, int y, int graphHandle, int transparent) {
  return Locked(PutGraphBody, x, y, graphHandle, transparent);
}
int PutGraphRotated(int x, int y, double scale, double angle, int graphHandle, int transparent,
                    int mirror) {
  return Locked(PutGraphRotatedBody, x, y, scale, angle, graphHandle, transparent, mirror);
}

int PrintText(int x, int y, const char* text, int color, int edgeColor) {
  return Locked(PrintTextBody, x, y, text, color, edgeColor);
}

// Formats before taking the lock, then draws exactly as PrintText with edge colour 0.
int PrintTextFormat(int x, int y, int color, const char* format, ...) {
  char text[kFormatBufferSize];
  va_list values;
  va_start(values, format);
  std::vsnprintf(text, sizeof text, format, values);
  va_end(values);
  return Locked(PrintTextBody, x, y, static_cast<const char*>(text), color, 0);
}

int SetDefaultFontSize(int size) { return Locked(SetDefaultFontSizeBody, size); }
int SetDefaultFontWeight(int thickness) { return Locked(SetDefaultFontWeightBody, thickness); }
int SetDefaultFontStyle(int fontType) { return Locked(SetDefaultFontStyleBody, fontType); }
int MeasureText(const char* text, int length, int vertical) {
  return Locked(MeasureTextBody, text, length, vertical);
}

int LoadSoundFile(const char* path, int playBuffers, int unused) {
  return Locked(LoadSoundFileBody, path, playBuffers, unused);
}
int StartSound(int soundHandle, int playType, int fromStart) {
  return Locked(StartSoundBody, soundHandle, playType, fromStart);
}
int StopSound(int soundHandle) { return Locked(StopSoundBody, soundHandle); }
