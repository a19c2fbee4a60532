// The sound system: its start and end.
#pragma once

namespace kumo {

// Brings the sound device up; -1 when there is none (the program then runs silent).
int InitSound();
// Shuts it down; -1 when it is down.
int EndSound();

}  // namespace kumo
