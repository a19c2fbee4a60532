#include "sounds.h"

#include <cmath>
#include <sstream>
#include <vector>

#include "sound_files.h"
#include "synth.h"

namespace media {

namespace {

constexpr float kPi = 3.14159265358979f;

size_t At(float seconds) { return static_cast<size_t>(seconds * kSampleRate + 0.5f); }

// The notes of a chord named like "C", "Am" or "E7", from `octave` up.
std::vector<int> ChordNotes(const std::string& name, int octave) {
  size_t i = 1;
  std::string rootName = name.substr(0, 1);
  if (name.size() > 1 && (name[1] == '#' || name[1] == 'b')) rootName += name[i++];
  const int root = NoteNumber(rootName + std::to_string(octave));
  const bool minor = name.find('m', i) != std::string::npos;
  std::vector<int> notes{root, root + (minor ? 3 : 4), root + 7};
  if (name.find('7', i) != std::string::npos) notes.push_back(root + 10);
  return notes;
}

// The chords of a tune, one or two a bar ("F G" splits the bar in halves), bars split by "|".
std::vector<std::vector<std::string>> ParseChords(const std::string& text) {
  std::vector<std::vector<std::string>> bars;
  std::istringstream in(text);
  std::string token;
  bars.emplace_back();
  while (in >> token) {
    if (token == "|") {
      bars.emplace_back();
    } else {
      bars.back().push_back(token);
    }
  }
  return bars;
}

// Which chord sounds at `step` of a bar of `stepsPerBar`.
const std::string& ChordAt(const std::vector<std::string>& bar, int step, int stepsPerBar) {
  return bar[bar.size() == 1 ? 0 : (step * 2 >= stepsPerBar ? 1 : 0)];
}

struct Line {
  const std::vector<Note>& notes;
  Voice voice;
  float gain, pan;
  int transpose;
  float gate;  // the part of each note's length that sounds
  float send;  // how much goes to the echo
};

void AddLine(Stereo& mix, Stereo& send, const Line& line, float stepSeconds, float offset) {
  uint32_t seed = 1;
  for (const Note& n : line.notes) {
    if (n.midi < 0) continue;
    const Samples tone = Tone(line.voice, MidiFrequency(n.midi + line.transpose),
                              n.length * stepSeconds * line.gate, ++seed);
    const size_t at = At(offset + n.step * stepSeconds);
    mix.Add(tone, at, line.gain, line.pan);
    if (line.send > 0) send.Add(tone, at, line.gain * line.send, line.pan);
  }
}

// A tune is rendered twice over and the second pass kept, so that its echoes and last notes
// ring into its own beginning and the loop has no seam.
struct Tune {
  float stepSeconds;
  int steps;
  Stereo mix, send;
  Tune(float seconds, int totalSteps)
      : stepSeconds(seconds),
        steps(totalSteps),
        mix(At(seconds * totalSteps * 2 + 2)),
        send(At(seconds * totalSteps * 2 + 2)) {}

  float Length() const { return stepSeconds * steps; }

  std::vector<int16_t> Finish(float echoSteps, float feedback) {
    PingPongDelay(mix, send, stepSeconds * echoSteps, feedback);
    const size_t from = At(Length()), to = At(Length() * 2);
    Stereo loop(to - from);
    for (size_t i = from; i < to; ++i) {
      loop.left[i - from] = mix.left[i];
      loop.right[i - from] = mix.right[i];
    }
    return Master(loop, 0.9f);
  }
};

// The title tune: C major at 120 beats a minute, a singing lead over a harp, bass and a light
// beat; sixteen bars, 32 seconds.
std::vector<int16_t> TitleTune() {
  const std::string melody =
      "E5:2 G5:2 C6:3 B5:1 | A5:4 E5:2 C5:2 | F5:2 A5:2 C6:2 A5:2 | B5:2 A5:2 G5:4 | "
      "E5:2 G5:2 C6:3 D6:1 | E6:4 D6:2 C6:2 | A5:2 C6:2 B5:2 G5:2 | C6:6 -:2 | "
      "A5:3 G5:1 F5:2 A5:2 | G5:3 F5:1 E5:2 D5:2 | E5:3 D5:1 E5:2 G5:2 | A5:4 B5:2 C6:2 | "
      "D6:3 C6:1 A5:2 F5:2 | B5:3 A5:1 G5:2 D5:2 | E5:2 G5:2 C6:2 E6:2 | D6:4 B5:2 G5:2";
  const auto chords =
      ParseChords("C | Am | F | G | C | Am | F G | C | F | G | Em | Am | F | G | C | G7");
  const int stepsPerBar = 8;
  Tune tune(60.0f / 120 / 2, 16 * stepsPerBar);
  const std::vector<Note> lead = ParseNotes(melody, stepsPerBar);

  Voice leadVoice;
  leadVoice.wave = Wave::kSquare;
  leadVoice.duty = 0.25f;
  leadVoice.attack = 0.01f;
  leadVoice.decay = 0.25f;
  leadVoice.sustain = 0.55f;
  leadVoice.release = 0.12f;
  leadVoice.vibrato = 0.18f;
  leadVoice.cutoff = 3200;

  Voice harp;
  harp.wave = Wave::kTriangle;
  harp.attack = 0.002f;
  harp.decay = 0.45f;
  harp.sustain = 0.0f;
  harp.release = 0.2f;

  Voice bass;
  bass.wave = Wave::kTriangle;
  bass.attack = 0.005f;
  bass.decay = 0.2f;
  bass.sustain = 0.6f;
  bass.release = 0.06f;
  bass.sub = 0.5f;

  Voice pad;
  pad.wave = Wave::kSaw;
  pad.attack = 0.35f;
  pad.decay = 0.5f;
  pad.sustain = 0.7f;
  pad.release = 0.5f;
  pad.cutoff = 900;

  std::vector<Note> harpNotes, bassNotes, padNotes;
  const int harpOrder[8] = {0, 1, 2, 3, 2, 1, 2, 1};
  for (int bar = 0; bar < 16; ++bar) {
    for (int s = 0; s < stepsPerBar; ++s) {
      std::vector<int> tones = ChordNotes(ChordAt(chords[bar], s, stepsPerBar), 4);
      tones.resize(3);
      tones.push_back(tones[0] + 12);
      harpNotes.push_back({bar * stepsPerBar + s, 1, tones[harpOrder[s]]});
      if (s % 2 == 0) {
        // Root, fifth, octave, fifth on the beats.
        const int root = tones[0] - 24;
        const int pick[4] = {root, root + 7, root + 12, root + 7};
        bassNotes.push_back({bar * stepsPerBar + s, 2, pick[s / 2]});
      }
      if (s == 0 || (s == 4 && chords[bar].size() == 2)) {
        for (int t : ChordNotes(ChordAt(chords[bar], s, stepsPerBar), 3)) {
          padNotes.push_back({bar * stepsPerBar + s, chords[bar].size() == 2 ? 4 : 8, t});
        }
      }
    }
  }

  for (int pass = 0; pass < 2; ++pass) {
    const float offset = pass * tune.Length();
    AddLine(tune.mix, tune.send, {lead, leadVoice, 0.30f, -0.1f, -12, 0.9f, 0.35f},
            tune.stepSeconds, offset);
    AddLine(tune.mix, tune.send, {harpNotes, harp, 0.16f, 0.35f, 0, 1.0f, 0.25f}, tune.stepSeconds,
            offset);
    AddLine(tune.mix, tune.send, {bassNotes, bass, 0.34f, 0.0f, 0, 0.85f, 0.0f}, tune.stepSeconds,
            offset);
    AddLine(tune.mix, tune.send, {padNotes, pad, 0.045f, -0.3f, 0, 0.95f, 0.0f}, tune.stepSeconds,
            offset);
    // A light beat: kick on one and three, snare on two and four, hats on the eighths.
    for (int step = 0; step < tune.steps; ++step) {
      const size_t at = At(offset + step * tune.stepSeconds);
      const int s = step % stepsPerBar;
      if (s == 0 || s == 4) tune.mix.Add(Kick(1.0f), at, 0.42f, 0);
      if (s == 2 || s == 6) tune.mix.Add(Snare(1.0f, 7 + step), at, 0.16f, 0.05f);
      tune.mix.Add(HiHat(1.0f, s % 2 ? 0.05f : 0.09f, 3 + step), at, s % 2 ? 0.05f : 0.07f, 0.3f);
    }
  }
  return tune.Finish(3, 0.35f);
}

// The battle tune: A minor at 150 beats a minute, a driving bass under a bright lead and a
// sixteenth-note arpeggio; sixteen bars, 25.6 seconds.
std::vector<int16_t> BattleTune() {
  const std::string melody =
      "A4:1 C5:1 E5:1 A5:1 G5:2 E5:2 | F5:2 E5:1 D5:1 C5:2 A4:2 | B4:1 D5:1 G5:2 F5:1 E5:1 D5:2 | "
      "E5:6 -:2 | A5:2 G5:1 A5:1 C6:2 B5:1 A5:1 | F5:2 A5:2 C6:2 A5:2 | G5:2 B5:2 D6:2 B5:1 G5:1 | "
      "G#5:4 B5:2 E5:2 | F5:2 E5:1 D5:1 A5:2 D5:2 | E5:2 D5:1 C5:1 E5:2 A5:2 | "
      "C6:2 B5:1 A5:1 F5:2 A5:2 | G#5:2 A5:1 B5:1 E5:4 | D6:2 C6:1 A5:1 F5:2 D6:2 | "
      "C6:2 B5:1 A5:1 E5:2 C6:2 | A5:2 C6:2 B5:2 D6:2 | E6:4 D6:1 C6:1 B5:1 G#5:1";
  const auto chords =
      ParseChords("Am | F | G | Am | Am | F | G | E | Dm | Am | F | E | Dm | Am | F G | E7");
  const int stepsPerBar = 8;
  Tune tune(60.0f / 150 / 2, 16 * stepsPerBar);
  const std::vector<Note> lead = ParseNotes(melody, stepsPerBar);

  Voice leadVoice;
  leadVoice.wave = Wave::kSquare;
  leadVoice.duty = 0.5f;
  leadVoice.attack = 0.004f;
  leadVoice.decay = 0.15f;
  leadVoice.sustain = 0.6f;
  leadVoice.release = 0.06f;
  leadVoice.vibrato = 0.12f;
  leadVoice.vibratoRate = 6.5f;
  leadVoice.cutoff = 3800;

  Voice leadBody = leadVoice;
  leadBody.wave = Wave::kSaw;
  leadBody.cutoff = 2200;
  leadBody.vibrato = 0;

  Voice bass;
  bass.wave = Wave::kSquare;
  bass.duty = 0.5f;
  bass.attack = 0.003f;
  bass.decay = 0.12f;
  bass.sustain = 0.5f;
  bass.release = 0.03f;
  bass.cutoff = 700;
  bass.sub = 0.6f;

  Voice arp;
  arp.wave = Wave::kSquare;
  arp.duty = 0.125f;
  arp.attack = 0.002f;
  arp.decay = 0.09f;
  arp.sustain = 0.0f;
  arp.release = 0.03f;
  arp.cutoff = 3000;

  // The bass and arpeggio run on sixteenths: steps of half the melody's.
  std::vector<Note> bassNotes, arpNotes;
  const int bassOctave[8] = {0, 0, 12, 0, 0, 0, 12, 0};
  for (int bar = 0; bar < 16; ++bar) {
    for (int s = 0; s < stepsPerBar * 2; ++s) {
      const std::vector<int> tones = ChordNotes(ChordAt(chords[bar], s / 2, stepsPerBar), 4);
      const int step = (bar * stepsPerBar) * 2 + s;
      const int up[4] = {tones[0], tones[1], tones[2], tones[0] + 12};
      arpNotes.push_back({step, 1, up[s % 4] + (s % 8 >= 4 ? 12 : 0)});
      if (s % 2 == 0) bassNotes.push_back({step, 2, tones[0] - 24 + bassOctave[s / 2]});
    }
  }

  for (int pass = 0; pass < 2; ++pass) {
    const float offset = pass * tune.Length();
    AddLine(tune.mix, tune.send, {lead, leadVoice, 0.26f, -0.12f, -12, 0.9f, 0.3f},
            tune.stepSeconds, offset);
    AddLine(tune.mix, tune.send, {lead, leadBody, 0.09f, 0.15f, -12, 0.9f, 0.0f}, tune.stepSeconds,
            offset);
    AddLine(tune.mix, tune.send, {bassNotes, bass, 0.36f, 0.0f, 0, 0.8f, 0.0f},
            tune.stepSeconds / 2, offset);
    AddLine(tune.mix, tune.send, {arpNotes, arp, 0.07f, 0.4f, -12, 0.9f, 0.4f},
            tune.stepSeconds / 2, offset);
    // A rock beat on sixteenths, with a crash at the top of each half.
    for (int step = 0; step < tune.steps * 2; ++step) {
      const size_t at = At(offset + step * tune.stepSeconds / 2);
      const int s = step % 16;
      if (s == 0 || s == 7 || s == 8 || s == 10) tune.mix.Add(Kick(1.0f), at, 0.5f, 0);
      if (s == 4 || s == 12) tune.mix.Add(Snare(1.0f, 11 + step), at, 0.3f, 0.05f);
      if (s == 15 && step % 64 == 63) tune.mix.Add(Snare(1.0f, 5 + step), at, 0.18f, -0.1f);
      tune.mix.Add(HiHat(1.0f, s % 4 == 2 ? 0.12f : 0.04f, 13 + step), at, s % 2 ? 0.035f : 0.06f,
                   0.35f);
      if (step % 128 == 0) tune.mix.Add(HiHat(1.0f, 1.2f, 99 + step), at, 0.12f, -0.2f);
    }
  }
  return tune.Finish(3, 0.25f);
}

// Effects are mono, built sample by sample.
Samples Silence(float seconds) { return Samples(At(seconds), 0.0f); }

// A zap: a square wave falling fast in pitch over a breath of noise.
Samples Fire() {
  Samples out = Silence(0.28f);
  Noise noise(21);
  float phase = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    const float t = static_cast<float>(i) / kSampleRate;
    const float f = 220 + 1300 * std::exp(-t * 16);
    phase += f / kSampleRate;
    const float square = std::fmod(phase, 1.0f) < 0.5f ? 1.0f : -1.0f;
    out[i] = square * 0.55f * std::exp(-t * 11) + noise.Next() * 0.2f * std::exp(-t * 30);
  }
  LowPass(out, 6000);
  return out;
}

// A sword cutting the air: noise through a band that sweeps up and back, then a thin ring.
Samples Slash() {
  Samples out = Silence(0.42f);
  Noise noise(33);
  float low = 0, band = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    const float t = static_cast<float>(i) / kSampleRate;
    const float centre = 700 + 4200 * std::sin(std::min(1.0f, t / 0.22f) * kPi);
    const float f = 2 * std::sin(kPi * centre / kSampleRate);
    // A state-variable filter: the band output follows the sweeping centre.
    const float high = noise.Next() - low - 0.5f * band;
    band += f * high;
    low += f * band;
    const float swell = std::sin(std::min(1.0f, t / 0.25f) * kPi);
    const float ring = (std::sin(2 * kPi * 2960 * t) + 0.6f * std::sin(2 * kPi * 4430 * t)) *
                       (t > 0.12f ? std::exp(-(t - 0.12f) * 14) : 0.0f);
    out[i] = band * 0.5f * swell + ring * 0.08f;
  }
  return out;
}

// Level up: a bright rising arpeggio that opens into a chord.
Samples LevelUp() {
  Samples out = Silence(1.1f);
  Voice v;
  v.wave = Wave::kSquare;
  v.duty = 0.25f;
  v.attack = 0.003f;
  v.decay = 0.1f;
  v.sustain = 0.6f;
  v.release = 0.1f;
  v.cutoff = 5000;
  const char* steps[] = {"C5", "E5", "G5", "C6", "E6", "G6"};
  for (int i = 0; i < 6; ++i)
    MixInto(out, Tone(v, NoteFrequency(steps[i]), 0.06f), At(i * 0.065f), 0.4f);
  v.vibrato = 0.25f;
  v.vibratoRate = 7;
  v.release = 0.35f;
  for (const char* n : {"C6", "E6", "G6"})
    MixInto(out, Tone(v, NoteFrequency(n), 0.35f), At(0.39f), 0.25f);
  return out;
}

// A blow that lands: a low thump with a crack of noise on top.
Samples Hit() {
  Samples out = Silence(0.32f);
  Noise noise(44);
  float phase = 0, low = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    const float t = static_cast<float>(i) / kSampleRate;
    phase += (45 + 150 * std::exp(-t * 25)) / kSampleRate;
    const float thump = std::sin(2 * kPi * phase) * std::exp(-t * 14);
    low += 0.3f * (noise.Next() - low);
    const float crack = low * std::exp(-t * 40);
    out[i] = std::tanh(2.2f * (thump * 0.8f + crack * 0.9f)) * 0.8f;
  }
  return out;
}

// A brass voice for the fanfares: a saw whose filter opens with the note.
Samples Brass(const std::string& note, float seconds, float level) {
  Voice v;
  v.wave = Wave::kSaw;
  v.attack = 0.02f;
  v.decay = 0.2f;
  v.sustain = 0.75f;
  v.release = 0.15f;
  v.cutoff = 2400;
  v.vibrato = 0.15f;
  Samples s = Tone(v, NoteFrequency(note), seconds);
  for (float& x : s) x *= level;
  return s;
}

// The round begins: three rising notes and a held chord over a cymbal.
Samples Start() {
  Samples out = Silence(1.35f);
  MixInto(out, Brass("G4", 0.1f, 1), At(0.0f), 0.35f);
  MixInto(out, Brass("C5", 0.1f, 1), At(0.13f), 0.35f);
  MixInto(out, Brass("E5", 0.1f, 1), At(0.26f), 0.35f);
  for (const char* n : {"C4", "G4", "C5", "E5", "G5"})
    MixInto(out, Brass(n, 0.7f, 1), At(0.39f), 0.16f);
  MixInto(out, HiHat(1, 0.9f, 5), At(0.39f), 0.25f);
  MixInto(out, Kick(1), At(0.39f), 0.5f);
  return out;
}

// Victory: a fanfare climbing to a long major chord, with a timpani roll under it.
Samples Win() {
  Samples out = Silence(2.5f);
  const char* run[] = {"E5", "G5", "C6", "G5", "A5", "B5"};
  const float when[] = {0.0f, 0.12f, 0.24f, 0.6f, 0.75f, 0.9f};
  const float length[] = {0.1f, 0.1f, 0.3f, 0.12f, 0.12f, 0.3f};
  for (int i = 0; i < 6; ++i) MixInto(out, Brass(run[i], length[i], 1), At(when[i]), 0.33f);
  for (const char* n : {"C4", "G4", "C5", "E5", "G5", "C6"}) {
    MixInto(out, Brass(n, 1.0f, 1), At(1.26f), 0.13f);
  }
  for (int i = 0; i < 14; ++i) MixInto(out, Kick(0.5f + i * 0.02f), At(1.26f + i * 0.05f), 0.3f);
  MixInto(out, HiHat(1, 1.1f, 8), At(1.26f), 0.2f);
  return out;
}

// The dash is charged: a shimmering rise, then a bell.
Samples ChargeReady() {
  Samples out = Silence(0.9f);
  float phase = 0;
  for (size_t i = 0; i < At(0.45f); ++i) {
    const float t = static_cast<float>(i) / kSampleRate;
    phase += (300 * std::pow(4.0f, t / 0.45f)) / kSampleRate;
    const float tremolo = 0.6f + 0.4f * std::sin(2 * kPi * 18 * t);
    out[i] = std::sin(2 * kPi * phase) * tremolo * 0.5f * std::min(1.0f, t / 0.05f);
  }
  for (size_t i = At(0.42f); i < out.size(); ++i) {
    const float t = static_cast<float>(i) / kSampleRate - 0.42f;
    const float bell = std::sin(2 * kPi * 1568 * t) + 0.5f * std::sin(2 * kPi * 1568 * 2.76f * t) +
                       0.25f * std::sin(2 * kPi * 1568 * 5.4f * t);
    out[i] += bell * 0.35f * std::exp(-t * 7) * std::min(1.0f, t / 0.003f);
  }
  return out;
}

// A punch: a short noise burst over a falling thump.
Samples Punch() {
  Samples out = Silence(0.3f);
  Noise noise(55);
  float phase = 0, low = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    const float t = static_cast<float>(i) / kSampleRate;
    phase += (60 + 90 * std::exp(-t * 30)) / kSampleRate;
    low += 0.12f * (noise.Next() - low);
    out[i] = std::tanh(3 * (std::sin(2 * kPi * phase) * std::exp(-t * 18) * 0.7f +
                            low * std::exp(-t * 22) * 1.6f)) *
             0.8f;
  }
  return out;
}

// Half the sample rate, for the WAV effects: filtered first so nothing folds back.
Samples HalveRate(Samples s) {
  LowPass(s, 8000);
  LowPass(s, 8000);
  Samples out;
  for (size_t i = 0; i < s.size(); i += 2) out.push_back(s[i]);
  return out;
}

}  // namespace

void WriteSounds(const std::string& folder) {
  WriteMp3(folder + "opening.mp3", TitleTune(), 2, 128);
  WriteMp3(folder + "sentou1.mp3", BattleTune(), 2, 128);
  WriteMp3(folder + "fire.mp3", Master(Fire(), 0.8f), 1, 96);
  WriteMp3(folder + "slash.mp3", Master(Slash(), 0.8f), 1, 96);
  WriteMp3(folder + "levelup.mp3", Master(LevelUp(), 0.8f), 1, 96);
  WriteMp3(folder + "hit.mp3", Master(Hit(), 0.85f), 1, 96);
  WriteMp3(folder + "start.mp3", Master(Start(), 0.8f), 1, 96);
  WriteMp3(folder + "win.mp3", Master(Win(), 0.8f), 1, 96);
  WritePcmWav(folder + "power33.wav", Master(HalveRate(ChargeReady()), 0.8f), kSampleRate / 2);
  WriteImaAdpcmWav(folder + "hit_p07.wav", Master(HalveRate(Punch()), 0.85f), kSampleRate / 2);
}

}  // namespace media
