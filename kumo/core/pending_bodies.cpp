// Bodies of the public operations whose subsystems are not built yet. Each returns its
// operation's failure value and does nothing else (sounds excepted, below); a body moves to its
// subsystem when that subsystem is built. Below them, the fonts and the sound system as the
// display and start-up see them until they are built: no default font, and no sound device.
#include "kumo/core/bodies.h"
#include "kumo/image/handle.h"
#include "kumo/render/display.h"
#include "kumo/sound/sound_system.h"
#include "kumo/support/file_access.h"
#include "kumo/support/log.h"

namespace kumo {

int PrintTextBody(int, int, const char*, int, int) { return -1; }
int SetDefaultFontSizeBody(int) { return -1; }
int SetDefaultFontWeightBody(int) { return -1; }
int SetDefaultFontStyleBody(int) { return -1; }
int MeasureTextBody(const char*, int, int) { return -1; }

// Until sounds are decoded and played, a sound file that opens loads as a silent sound handle,
// so that the game gets past its media and its screens can be seen; a missing file still fails.
int LoadSoundFileBody(const char* path, int, int) {
  const int file = Files().open(path, 0, 1, 0);
  if (file == 0) return -1;
  Files().close(file);
  static int loaded = 0;
  return MakeHandle(kHandleSound, 0, loaded++ & 0xFFF);
}
int StartSoundBody(int soundHandle, int, int) {
  return soundHandle >= 0 && HandleType(soundHandle) == kHandleSound ? 0 : -1;
}
int StopSoundBody(int soundHandle) { return StartSoundBody(soundHandle, 0, 0); }

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
