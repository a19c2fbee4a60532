// Bodies of the public operations whose subsystems are not built yet. Each returns its
// operation's failure value and does nothing else (sounds excepted, below); a body moves to its
// subsystem when that subsystem is built. Below them, the display and the sound system as start-up sees them until
// they are built: a display that comes up with nothing to show, and no sound device.
#include "kumo/core/bodies.h"
#include "kumo/core/system_record.h"
#include "kumo/core/window.h"
#include "kumo/image/graph_handles.h"
#include "kumo/image/handle.h"
#include "kumo/platform/window.h"
#include "kumo/render/display.h"
#include "kumo/sound/sound_system.h"
#include "kumo/support/file_access.h"
#include "kumo/support/log.h"

namespace kumo {

const DDPIXELFORMAT* GetScreenPixelFormatBody() { return nullptr; }
int MakeColorBody(int, int, int) { return -1; }
int FlipScreenBody() { return -1; }
int ClearScreenBody() { return -1; }

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

// The display makes graphics management ready when it comes up and ends it when it goes.
int InitDirectDraw() { return InitGraphics() == -1 ? -1 : 0; }
int EndDirectDraw() {
  TermGraphics();
  return 0;
}
// Nothing to change yet but the window's mode, which the desktop reports as changed.
int ChangeScreenMode() {
  if (System().window != nullptr) {
    const platform::Desktop desktop = platform::DesktopInfo();
    platform::PostWindowMessage(System().window, platform::WM_DISPLAYCHANGE,
                                static_cast<uintptr_t>(desktop.bitsPerPixel),
                                platform::MakeLParam(desktop.width, desktop.height));
  }
  return 0;
}
int SetUseSoftwareRender(int) { return 0; }
int IsSoftwareRender() { return 0; }
int SetWaitVSync(int) { return 0; }
int ScreenColorDepth() { return 16; }
int ScreenWidth() { return 640; }
int ScreenHeight() { return 480; }
void PrepareScreens() {}
// Graphics management comes up with the display, so it stands for the graphics system.
int IsGraphicsReady() { return GraphicsSettings().initialised; }
MEMIMG* ScreenImage(int) { return nullptr; }
void ReadFrontToMemImg() {}
void UpdateFrontRect(const Rect&) {}

// As a machine without a sound device answers.
int InitSound() {
  LogWrite("DirectSound の初期化を行います\n");
  LogWrite("DirectSound インターフェースの取得を行います....  ");
  LogWrite("DirectSoundインターフェースの作成に失敗しました\n");
  return -1;
}
int EndSound() { return -1; }

}  // namespace kumo
