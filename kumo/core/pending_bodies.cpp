// Bodies of the public operations whose subsystems are not built yet. Each returns its
// operation's failure value and does nothing else; a body moves to its subsystem when that
// subsystem is built.
#include "kumo/core/bodies.h"

#include <cstdlib>

#include "kumo/core/fatal_exit.h"
#include "kumo/core/window.h"
#include "kumo/support/log.h"

namespace kumo {

int InitLibraryBody() { return -1; }
int EndLibraryBody() { return 0; }

int ProcessMessageBody() { return -1; }
int ChangeWindowModeBody(int) { return -1; }

int IsKeyDownBody(int) { return 0; }
int GetPadStateBody(int) { return 0; }

const DDPIXELFORMAT* GetScreenPixelFormatBody() { return nullptr; }
int MakeColorBody(int, int, int) { return -1; }
int BuildColorFormatBody(ColorFormat*, int, uint32_t, uint32_t, uint32_t, uint32_t) { return -1; }
int BuildDDPixelFormatBody(DDPIXELFORMAT*, int, uint32_t, uint32_t, uint32_t, uint32_t) {
  return -1;
}
int FlipScreenBody() { return -1; }
int ClearScreenBody() { return -1; }
int SetDrawTargetBody(int) { return -1; }
int ClipRectBody(Rect*, const Rect*) { return -1; }

int LoadGraphFileBody(const char*, int) { return -1; }
int LoadGraphGridBody(const char*, int, int, int, int, int, int*, int) { return -1; }
int PutGraphBody(int, int, int, int) { return -1; }
int PutGraphRotatedBody(int, int, double, double, int, int, int) { return -1; }

int PrintTextBody(int, int, const char*, int, int) { return -1; }
int SetDefaultFontSizeBody(int) { return -1; }
int SetDefaultFontWeightBody(int) { return -1; }
int SetDefaultFontStyleBody(int) { return -1; }
int MeasureTextBody(const char*, int, int) { return -1; }

int LoadSoundFileBody(const char*, int, int) { return -1; }
int StartSoundBody(int, int, int) { return -1; }
int StopSoundBody(int) { return -1; }

void WaitWhileInactive() {}

void FatalExit(const char* message) {
  LogWrite(message);
  LogWrite("\n");
  std::exit(255);
}

}  // namespace kumo
