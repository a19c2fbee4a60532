#include "kumo/platform/message_box.h"

#include "kumo/platform/backend.h"

namespace kumo::platform {

void ShowMessageBox(const char* caption, const char* text) {
  static const MessageBoxService& service = Choose(kSdlMessageBox, kHeadlessMessageBox);
  service.show(caption, text);
}

}  // namespace kumo::platform
