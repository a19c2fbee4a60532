// A message box without owner window: a caption, a text and one OK button. Returns once the
// user has closed it.
#pragma once

namespace kumo::platform {

// Both texts are Shift-JIS.
void ShowMessageBox(const char* caption, const char* text);

}  // namespace kumo::platform
