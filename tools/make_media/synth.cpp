#include "synth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace media {

namespace {

constexpr float kPi = 3.14159265358979f;

// The correction that takes the step out of a naive oscillator at each wrap of its phase.
float PolyBlep(float t, float dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1;
  }
  if (t > 1 - dt) {
    t = (t - 1) / dt;
    return t * t + t + t + 1;
  }
  return 0;
}

float Envelope(const Voice& v, float t, float held) {
  float level;
  if (t < v.attack) {
    level = t / v.attack;
  } else if (t < v.attack + v.decay) {
    level = 1 - (1 - v.sustain) * (t - v.attack) / v.decay;
  } else {
    level = v.sustain;
  }
  if (t > held) {
    // Release from wherever the note had got to when it ended.
    const float atEnd = Envelope(v, held, held + 1);
    level = atEnd * std::max(0.0f, 1 - (t - held) / v.release);
  }
  return level;
}

[[noreturn]] void Die(const std::string& message) {
  std::fprintf(stderr, "make_media: %s\n", message.c_str());
  std::exit(1);
}

}  // namespace

float Noise::Next() {
  state_ = state_ * 1664525u + 1013904223u;
  return static_cast<float>(state_ >> 8) / 8388608.0f - 1.0f;
}

int NoteNumber(const std::string& name) {
  static const int base[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (name.size() < 2 || name[0] < 'A' || name[0] > 'G') Die("bad note " + name);
  int n = base[name[0] - 'A'];
  size_t i = 1;
  if (name[i] == '#') n += 1, ++i;
  if (name[i] == 'b') n -= 1, ++i;
  return n + 12 * (std::atoi(name.c_str() + i) + 1);
}

float MidiFrequency(float note) { return 440.0f * std::pow(2.0f, (note - 69) / 12.0f); }

float NoteFrequency(const std::string& name) { return MidiFrequency(NoteNumber(name)); }

Samples Tone(const Voice& v, float frequency, float seconds, uint32_t seed) {
  const size_t count = static_cast<size_t>((seconds + v.release) * kSampleRate);
  Samples out(count);
  Noise noise(seed);
  float phase = 0, subPhase = 0, pole1 = 0, pole2 = 0;
  const float alpha = v.cutoff > 0 ? 1 - std::exp(-2 * kPi * v.cutoff / kSampleRate) : 1;
  for (size_t i = 0; i < count; ++i) {
    const float t = static_cast<float>(i) / kSampleRate;
    float semitones = v.glide * t;
    if (v.vibrato > 0) {
      semitones += v.vibrato * std::min(1.0f, t / 0.3f) * std::sin(2 * kPi * v.vibratoRate * t);
    }
    const float f = frequency * std::pow(2.0f, semitones / 12);
    const float dt = std::min(0.5f, f / kSampleRate);
    float s = 0;
    switch (v.wave) {
      case Wave::kSine:
        s = std::sin(2 * kPi * phase);
        break;
      case Wave::kTriangle:
        s = 4 * std::fabs(phase - 0.5f) - 1;
        break;
      case Wave::kSquare: {
        s = phase < v.duty ? 1.0f : -1.0f;
        s += PolyBlep(phase, dt);
        s -= PolyBlep(std::fmod(phase + 1 - v.duty, 1.0f), dt);
        break;
      }
      case Wave::kSaw:
        s = 2 * phase - 1 - PolyBlep(phase, dt);
        break;
      case Wave::kNoise:
        s = noise.Next();
        break;
    }
    if (v.sub > 0) s += v.sub * std::sin(2 * kPi * subPhase);
    phase += dt;
    if (phase >= 1) phase -= 1;
    subPhase += dt / 2;
    if (subPhase >= 1) subPhase -= 1;
    pole1 += alpha * (s - pole1);
    pole2 += alpha * (pole1 - pole2);
    out[i] = pole2 * Envelope(v, t, seconds);
  }
  return out;
}

Samples Kick(float level) {
  const size_t count = kSampleRate * 30 / 100;
  Samples out(count);
  float phase = 0;
  for (size_t i = 0; i < count; ++i) {
    const float t = static_cast<float>(i) / kSampleRate;
    const float f = 45 + 120 * std::exp(-t * 30);
    phase += f / kSampleRate;
    const float click = t < 0.004f ? (1 - t / 0.004f) * 0.5f : 0;
    out[i] = level * (std::sin(2 * kPi * phase) * std::exp(-t * 9) + click);
  }
  return out;
}

Samples Snare(float level, uint32_t seed) {
  const size_t count = kSampleRate * 22 / 100;
  Samples out(count);
  Noise noise(seed);
  float low = 0, phase = 0;
  for (size_t i = 0; i < count; ++i) {
    const float t = static_cast<float>(i) / kSampleRate;
    const float n = noise.Next();
    low += 0.25f * (n - low);
    phase += (180 + 60 * std::exp(-t * 40)) / kSampleRate;
    const float body = std::sin(2 * kPi * phase) * std::exp(-t * 30);
    out[i] = level * ((n - low * 0.6f) * std::exp(-t * 18) * 0.7f + body * 0.5f);
  }
  return out;
}

Samples HiHat(float level, float seconds, uint32_t seed) {
  const size_t count = static_cast<size_t>(seconds * kSampleRate);
  Samples out(count);
  Noise noise(seed);
  float low = 0;
  for (size_t i = 0; i < count; ++i) {
    const float t = static_cast<float>(i) / kSampleRate;
    const float n = noise.Next();
    low += 0.5f * (n - low);
    out[i] = level * (n - low) * std::exp(-t * 4 / seconds);
  }
  return out;
}

void MixInto(Samples& bus, const Samples& sound, size_t at, float gain) {
  for (size_t i = 0; i < sound.size() && at + i < bus.size(); ++i) bus[at + i] += gain * sound[i];
}

void Stereo::Add(const Samples& sound, size_t at, float gain, float pan) {
  // Equal-power panning.
  const float angle = (pan + 1) * kPi / 4;
  MixInto(left, sound, at, gain * std::cos(angle));
  MixInto(right, sound, at, gain * std::sin(angle));
}

void PingPongDelay(Stereo& mix, const Stereo& send, float seconds, float feedback) {
  const size_t d = static_cast<size_t>(seconds * kSampleRate);
  Samples a(send.left.size(), 0.0f), b(send.left.size(), 0.0f);
  for (size_t i = d; i < a.size(); ++i) {
    // Each repeat crosses to the other side.
    a[i] = (send.right[i - d] + b[i - d]) * feedback;
    b[i] = (send.left[i - d] + a[i - d]) * feedback;
  }
  LowPass(a, 3500);
  LowPass(b, 3500);
  for (size_t i = 0; i < a.size(); ++i) {
    mix.left[i] += a[i];
    mix.right[i] += b[i];
  }
}

void LowPass(Samples& samples, float cutoff) {
  const float alpha = 1 - std::exp(-2 * kPi * cutoff / kSampleRate);
  float y = 0;
  for (float& s : samples) s = y += alpha * (s - y);
}

namespace {

std::vector<int16_t> ToPcm(const std::vector<const Samples*>& channels, float peak) {
  float top = 1e-6f;
  for (const Samples* c : channels) {
    for (float s : *c) top = std::max(top, std::fabs(std::tanh(s)));
  }
  std::vector<int16_t> out;
  const size_t length = channels[0]->size();
  out.reserve(length * channels.size());
  for (size_t i = 0; i < length; ++i) {
    for (const Samples* c : channels) {
      const float s = std::tanh((*c)[i]) / top * peak;
      out.push_back(static_cast<int16_t>(std::lround(std::max(-1.0f, std::min(1.0f, s)) * 32767)));
    }
  }
  return out;
}

}  // namespace

std::vector<int16_t> Master(const Samples& mono, float peak) { return ToPcm({&mono}, peak); }

std::vector<int16_t> Master(const Stereo& stereo, float peak) {
  return ToPcm({&stereo.left, &stereo.right}, peak);
}

std::vector<Note> ParseNotes(const std::string& text, int stepsPerBar) {
  std::vector<Note> notes;
  std::istringstream in(text);
  std::string token;
  int step = 0, barStart = 0, bar = 1;
  auto endBar = [&] {
    if (step - barStart != stepsPerBar) {
      Die("bar " + std::to_string(bar) + " has " + std::to_string(step - barStart) + " steps");
    }
    barStart = step;
    ++bar;
  };
  while (in >> token) {
    if (token == "|") {
      endBar();
      continue;
    }
    const size_t colon = token.find(':');
    if (colon == std::string::npos) Die("bad note token " + token);
    const std::string name = token.substr(0, colon);
    const int length = std::atoi(token.c_str() + colon + 1);
    notes.push_back({step, length, name == "-" ? -1 : NoteNumber(name)});
    step += length;
  }
  if (step != barStart) endBar();
  return notes;
}

}  // namespace media
