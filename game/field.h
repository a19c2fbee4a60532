// The battle field: the line segments the fighters stand on and walk against.
#pragma once

namespace game {

// Reads the whole field from an open file and closes the file. 0.
int LoadField(int fileHandle);

}  // namespace game
