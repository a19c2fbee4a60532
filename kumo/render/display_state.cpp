// The display's record and the settings read from it.
#include "kumo/render/display_state.h"

#include "kumo/render/display.h"

namespace kumo {

namespace {

constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

}  // namespace

DisplayState& TheDisplay() {
  static DisplayState display;
  return display;
}

int ScreenWidth() {
  const int width = TheDisplay().mode.width;
  return width != 0 ? width : kDefaultWidth;
}

int ScreenHeight() {
  const int height = TheDisplay().mode.height;
  return height != 0 ? height : kDefaultHeight;
}

int ScreenColorDepth() {
  const int depth = TheDisplay().mode.colorDepth;
  return depth != 0 ? depth : 16;
}

int ScreenImageKind() { return ScreenColorDepth() == 16 ? kKindColor16 : kKindColor32; }

int IsSoftwareRender() { return TheDisplay().software; }

int IsGraphicsReady() {
  const DisplayState& display = TheDisplay();
  return display.display != nullptr || display.software != 0 ? 1 : 0;
}

int SetWaitVSync(int flag) {
  TheDisplay().waitVSync = flag;
  return 0;
}

}  // namespace kumo
