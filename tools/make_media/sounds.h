// Every sound of the media folder: two looping tunes and the effects, synthesised in code.
#pragma once

#include <string>

namespace media {

// Writes the MP3 and WAV files into `folder` (which ends with a separator).
void WriteSounds(const std::string& folder);

}  // namespace media
