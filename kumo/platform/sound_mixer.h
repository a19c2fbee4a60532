// The mixer: every playing buffer, resampled to the output's rate, scaled by its volume and pan
// and summed into 16-bit output frames with saturation. Buffers move on as they play; one that
// reaches its end stops (or wraps, looping). Used only inside the platform layer, with the sound
// guard held.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "kumo/platform/play_buffer_record.h"

namespace kumo::platform {

// Fills `frames` frames of `channels` (1 or 2) native 16-bit samples at `rate`.
void MixPlayBuffers(const std::vector<PlayBuffer*>& buffers, uint32_t rate, int channels,
                    int16_t* out, size_t frames);

// Sets the buffer's gains from its volume and pan.
void UpdateGains(PlayBuffer* buffer);

}  // namespace kumo::platform
