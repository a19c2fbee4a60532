// The library's window: pumping its messages, pausing while it is inactive, its styles and its
// cursor.
#pragma once

namespace kumo {

// Pumps messages until the window is active again; called first by every drawing, presenting
// and input operation.
void WaitWhileInactive();

}  // namespace kumo
