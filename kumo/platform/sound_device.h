// The sound device: output started in a primary format, and static play buffers of PCM (8 or 16
// bits, mono or stereo, any rate) that a mixer plays into it with their volume, pan and
// frequency, once or looping. Duplicates of a buffer share its data. On the headless backend the
// output runs in virtual time and, with KUMO_AUDIO_OUT=FILE.wav, is written to that file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kumo/platform/wave_format.h"

namespace kumo::platform {

// The result of a sound call: kSoundOk succeeds, values with the top bit set fail.
using SoundResult = uint32_t;
constexpr SoundResult kSoundOk = 0;
constexpr SoundResult kSoundFailed = 0x80004005;         // the output refused
constexpr SoundResult kSoundOutOfMemory = 0x8007000E;    //
constexpr SoundResult kSoundInvalidParams = 0x80070057;  // a missing object or a bad value
constexpr SoundResult kSoundNoControl = 0x8878001E;      // the buffer was made without it
constexpr SoundResult kSoundInvalidCall = 0x88780032;    // not now: locked, or open already
constexpr SoundResult kSoundBadFormat = 0x88780064;      // not PCM the device plays
constexpr SoundResult kSoundNoDevice = 0x88780078;       // no audio output on this machine

constexpr bool SoundFailed(SoundResult result) { return (result & 0x80000000u) != 0; }

struct SoundDevice;
struct PlayBuffer;

// Starts the output in 16-bit stereo at 44100 Hz. One device at a time.
SoundResult OpenSoundDevice(SoundDevice** device);
// Releases every buffer still there and ends the output.
void CloseSoundDevice(SoundDevice* device);

// The primary format: the output's rate and channels (its samples stay 16-bit). The headless
// output keeps 16-bit stereo at 44100 Hz whatever is asked.
SoundResult SetOutputFormat(SoundDevice* device, const WaveFormat& format);

// What the device plays: every PCM format of 8 or 16 bits, mono or stereo, at any rate in the
// range, mixed in software (so there is no hardware sound memory).
struct SoundDeviceCaps {
  bool primaryMono, primaryStereo, primary8Bit, primary16Bit;
  bool secondaryMono, secondaryStereo, secondary8Bit, secondary16Bit;
  uint32_t minSecondaryRate, maxSecondaryRate;       // Hz
  uint32_t totalHardwareMemory, freeHardwareMemory;  // bytes
};
SoundResult DescribeSoundDevice(SoundDevice* device, SoundDeviceCaps* caps);

// The machine's sound outputs, the default first: the module that drives each and its
// description, in Shift-JIS.
struct SoundDriver {
  std::string module;
  std::string description;
};
std::vector<SoundDriver> ListSoundDrivers();

// How a play buffer is made, with the values of the device's buffer flags: the controls it takes
// and how it is held (every buffer is static and keeps playing without focus, so those two are
// accepted and change nothing).
constexpr uint32_t kPlayBufferStatic = 0x2;
constexpr uint32_t kPlayControlFrequency = 0x20;
constexpr uint32_t kPlayControlPan = 0x40;
constexpr uint32_t kPlayControlVolume = 0x80;
constexpr uint32_t kPlayBufferGlobalFocus = 0x8000;

// Volumes in hundredths of a decibel, from silence to full; pans from the left only to the right
// only; frequencies in Hz (kPlayOriginalFrequency: the format's rate).
constexpr int32_t kPlayVolumeMin = -10000;
constexpr int32_t kPlayVolumeMax = 0;
constexpr int32_t kPlayPanLeft = -10000;
constexpr int32_t kPlayPanRight = 10000;
constexpr uint32_t kPlayOriginalFrequency = 0;
constexpr uint32_t kPlayFrequencyMin = 100;
constexpr uint32_t kPlayFrequencyMax = 100000;

// A stopped buffer of `bytes` (4 or more, and at least one frame) of zeros in a PCM format.
SoundResult CreatePlayBuffer(SoundDevice* device, const WaveFormat& format, uint32_t bytes,
                             uint32_t flags, PlayBuffer** buffer);
// A stopped buffer at position 0 sharing the original's data, format, controls and settings.
SoundResult DuplicatePlayBuffer(SoundDevice* device, PlayBuffer* original, PlayBuffer** copy);
void ReleasePlayBuffer(PlayBuffer* buffer);

// `bytes` of the data from `offset` on, wrapping to the start: one region, or two when they
// pass the end. Until unlocked (with the regions given) no other lock of the data is taken, and
// the data plays as silence.
struct PlayRegions {
  uint8_t* first;
  uint32_t firstBytes;
  uint8_t* second;  // none when the first region holds them all
  uint32_t secondBytes;
};
SoundResult LockPlayBuffer(PlayBuffer* buffer, uint32_t offset, uint32_t bytes,
                           PlayRegions* regions);
SoundResult UnlockPlayBuffer(PlayBuffer* buffer, const PlayRegions& regions);

// Plays from the position on, to the end (then it stops, and its position is 0 again) or
// round and round; a playing buffer goes on, looping as now asked.
SoundResult PlayPlayBuffer(PlayBuffer* buffer, bool looping);
// Stops where it is.
SoundResult StopPlayBuffer(PlayBuffer* buffer);

struct PlayStatus {
  bool playing;
  bool looping;
};
SoundResult PlayBufferStatus(PlayBuffer* buffer, PlayStatus* status);
// The play position as a byte offset into the data: a whole frame's start, below its size.
SoundResult PlayBufferPosition(PlayBuffer* buffer, uint32_t* offset);
SoundResult SetPlayBufferPosition(PlayBuffer* buffer, uint32_t offset);

SoundResult SetPlayBufferVolume(PlayBuffer* buffer, int32_t hundredthsOfDecibel);
// Attenuates the other side by |pan| hundredths of a decibel.
SoundResult SetPlayBufferPan(PlayBuffer* buffer, int32_t pan);
SoundResult SetPlayBufferFrequency(PlayBuffer* buffer, uint32_t hz);

}  // namespace kumo::platform
