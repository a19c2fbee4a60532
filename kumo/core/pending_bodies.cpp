// Bodies of the public operations whose subsystems are not built yet. Each returns its
// operation's failure value and does nothing else; a body moves to its subsystem when that
// subsystem is built. Below them, the fonts and the sound system as the display and start-up
// see them until they are built: no default font, and no sound device.
#include "kumo/core/bodies.h"
#include "kumo/render/display.h"
#include "kumo/sound/sound_system.h"
#include "kumo/support/log.h"

namespace kumo {

int PrintTextBody(int, int, const char*, int, int) { return -1; }
int SetDefaultFontSizeBody(int) { return -1; }
int SetDefaultFontWeightBody(int) { return -1; }
int SetDefaultFontStyleBody(int) { return -1; }
int MeasureTextBody(const char*, int, int) { return -1; }

int LoadSoundFileBody(const char*, int, int) { return -1; }
int StartSoundBody(int, int, int) { return -1; }
int StopSoundBody(int) { return -1; }

// The fonts as a screen-mode change sees them until they are built: no default font.
bool GetDefaultFontSizeAndWeight(int*, int*) { return false; }
int SetDefaultFontSizeAndWeight(int, int) { return -1; }

// As a machine without a sound device answers.
int InitSound() {
  LogWrite("DirectSound の初期化を行います\n");
  LogWrite("DirectSound インターフェースの取得を行います....  ");
  LogWrite("DirectSoundインターフェースの作成に失敗しました\n");
  return -1;
}
int EndSound() { return -1; }

}  // namespace kumo
