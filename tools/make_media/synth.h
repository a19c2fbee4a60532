// A small synthesiser: band-limited oscillators with envelopes, drums and a sequencer for tunes
// written as note names, rendered into floating-point sample buffers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace media {

constexpr int kSampleRate = 44100;

enum class Wave { kSine, kTriangle, kSquare, kSaw, kNoise };

// How one note sounds.
struct Voice {
  Wave wave = Wave::kSquare;
  float duty = 0.5f;      // square waves: the part of the period that is high
  float attack = 0.005f;  // seconds
  float decay = 0.1f;     // seconds from the peak down to the sustain level
  float sustain = 0.7f;   // 0 to 1
  float release = 0.08f;  // seconds after the note ends
  float vibrato = 0.0f;   // depth in semitones, growing in over the first 0.3 s
  float vibratoRate = 5.5f;
  float cutoff = 0.0f;  // two-pole low-pass in Hz; 0 for none
  float glide = 0.0f;   // semitones per second (negative falls)
  float sub = 0.0f;     // a sine an octave below, mixed in at this level
};

// A mono sound: one float per sample, full scale at 1.
using Samples = std::vector<float>;

// Deterministic white noise for drums and effects.
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed) {}
  float Next();

 private:
  uint32_t state_;
};

// The frequency of a note such as "C4", "F#5" or "Bb3" (A4 = 440 Hz).
float NoteFrequency(const std::string& name);
// The MIDI number of a note name.
int NoteNumber(const std::string& name);
float MidiFrequency(float note);

// One note of `seconds` (the release comes after it) at `frequency`.
Samples Tone(const Voice& voice, float frequency, float seconds, uint32_t seed = 1);
Samples Kick(float level);
Samples Snare(float level, uint32_t seed);
Samples HiHat(float level, float seconds, uint32_t seed);

// Adds `sound` at sample `at` with `gain`, clipping nothing (the mix is scaled at the end).
void MixInto(Samples& bus, const Samples& sound, size_t at, float gain);

// A stereo mix: two buses of equal length.
struct Stereo {
  Samples left, right;
  explicit Stereo(size_t length) : left(length, 0.0f), right(length, 0.0f) {}
  // Adds a mono sound panned between -1 (left) and 1 (right).
  void Add(const Samples& sound, size_t at, float gain, float pan);
};

// An echo that bounces between the channels: `seconds` apart, each repeat `feedback` as loud.
void PingPongDelay(Stereo& mix, const Stereo& send, float seconds, float feedback);
// A one-pole low-pass over a whole buffer.
void LowPass(Samples& samples, float cutoff);

// Scales to `peak` after a gentle saturation; 16-bit samples, interleaved when stereo.
std::vector<int16_t> Master(const Samples& mono, float peak);
std::vector<int16_t> Master(const Stereo& stereo, float peak);

// Notes written "E4:2 G4:2 C5:3 B4:1 | A4:4 -:4 | ...": a note name (or "-" for a rest) and its
// length in steps; "|" marks a bar, whose steps are checked against `stepsPerBar`.
struct Note {
  int step;    // start, in steps from the beginning
  int length;  // in steps
  int midi;    // -1 for a rest
};
std::vector<Note> ParseNotes(const std::string& text, int stepsPerBar);

}  // namespace media
