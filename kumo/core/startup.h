// Start-up's helpers that other parts of the runtime use.
#pragma once

namespace kumo {

namespace platform {
struct Window;
}

// Makes the window the foreground window; with `topmost` 1 it also stays above all others.
void BringToForeground(platform::Window* window, int topmost);

}  // namespace kumo
