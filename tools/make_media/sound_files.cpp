#include "sound_files.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "image_files.h"

namespace media {

namespace {

constexpr int kAdpcmBlockAlign = 512;
constexpr int kAdpcmSamplesPerBlock = (kAdpcmBlockAlign - 4) * 2 + 1;

const int kStepTable[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
const int kIndexTable[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutTag(std::vector<uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

// RIFF/WAVE around a format chunk, optional fact chunk and the data.
std::vector<uint8_t> Riff(const std::vector<uint8_t>& format, int factSamples,
                          const std::vector<uint8_t>& data) {
  std::vector<uint8_t> out;
  PutTag(out, "RIFF");
  PutLe(out, 0, 4);  // filled in below
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  PutLe(out, static_cast<uint32_t>(format.size()), 4);
  out.insert(out.end(), format.begin(), format.end());
  if (factSamples >= 0) {
    PutTag(out, "fact");
    PutLe(out, 4, 4);
    PutLe(out, static_cast<uint32_t>(factSamples), 4);
  }
  PutTag(out, "data");
  PutLe(out, static_cast<uint32_t>(data.size()), 4);
  out.insert(out.end(), data.begin(), data.end());
  if (data.size() % 2) out.push_back(0);
  const uint32_t riffSize = static_cast<uint32_t>(out.size() - 8);
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(riffSize >> (8 * i));
  return out;
}

// The IMA ADPCM coder's state: the predicted sample and the step index.
struct AdpcmState {
  int predictor = 0;
  int index = 0;

  uint8_t Encode(int sample) {
    const int step = kStepTable[index];
    int diff = sample - predictor;
    uint8_t code = 0;
    if (diff < 0) {
      code = 8;
      diff = -diff;
    }
    // Reconstruct exactly as a decoder will, so the two never drift apart.
    int delta = step >> 3;
    if (diff >= step) code |= 4, diff -= step, delta += step;
    if (diff >= step >> 1) code |= 2, diff -= step >> 1, delta += step >> 1;
    if (diff >= step >> 2) code |= 1, delta += step >> 2;
    predictor += (code & 8) ? -delta : delta;
    predictor = std::max(-32768, std::min(32767, predictor));
    index = std::max(0, std::min(88, index + kIndexTable[code]));
    return code;
  }
};

}  // namespace

void WriteMp3(const std::string& path, const std::vector<int16_t>& samples, int channels,
              int kbps) {
  lame_global_flags* lame = lame_init();
  if (!lame) {
    std::fprintf(stderr, "make_media: LAME could not start\n");
    std::exit(1);
  }
  lame_set_in_samplerate(lame, 44100);
  lame_set_out_samplerate(lame, 44100);
  lame_set_num_channels(lame, channels);
  lame_set_mode(lame, channels == 1 ? MONO : JOINT_STEREO);
  lame_set_VBR(lame, vbr_off);
  lame_set_brate(lame, kbps);
  lame_set_quality(lame, 2);
  // No Xing/LAME frame and no ID3 tags: the file is audio frames only.
  lame_set_bWriteVbrTag(lame, 0);
  lame_set_write_id3tag_automatic(lame, 0);
  if (lame_init_params(lame) < 0) {
    std::fprintf(stderr, "make_media: LAME refused its settings for %s\n", path.c_str());
    std::exit(1);
  }
  const int frames = static_cast<int>(samples.size()) / channels;
  std::vector<uint8_t> out(static_cast<size_t>(1.25 * frames + 7200 + 16384));
  int written;
  if (channels == 1) {
    written = lame_encode_buffer(lame, samples.data(), samples.data(), frames, out.data(),
                                 static_cast<int>(out.size()));
  } else {
    written = lame_encode_buffer_interleaved(lame, const_cast<short*>(samples.data()), frames,
                                             out.data(), static_cast<int>(out.size()));
  }
  if (written < 0) {
    std::fprintf(stderr, "make_media: LAME failed on %s\n", path.c_str());
    std::exit(1);
  }
  const int flushed =
      lame_encode_flush(lame, out.data() + written, static_cast<int>(out.size()) - written);
  lame_close(lame);
  out.resize(static_cast<size_t>(written + std::max(0, flushed)));
  WriteFile(path, out);
}

void WritePcmWav(const std::string& path, const std::vector<int16_t>& samples, int rate) {
  std::vector<uint8_t> format;
  PutLe(format, 1, 2);         // PCM
  PutLe(format, 1, 2);         // mono
  PutLe(format, rate, 4);      // samples per second
  PutLe(format, rate * 2, 4);  // bytes per second
  PutLe(format, 2, 2);         // block align
  PutLe(format, 16, 2);        // bits per sample
  std::vector<uint8_t> data;
  for (int16_t s : samples) PutLe(data, static_cast<uint16_t>(s), 2);
  WriteFile(path, Riff(format, -1, data));
}

void WriteImaAdpcmWav(const std::string& path, const std::vector<int16_t>& samples, int rate) {
  std::vector<uint8_t> format;
  PutLe(format, 0x11, 2);  // IMA ADPCM
  PutLe(format, 1, 2);     // mono
  PutLe(format, rate, 4);
  PutLe(format, rate * kAdpcmBlockAlign / kAdpcmSamplesPerBlock, 4);
  PutLe(format, kAdpcmBlockAlign, 2);
  PutLe(format, 4, 2);  // bits per sample
  PutLe(format, 2, 2);  // extra bytes: samples per block
  PutLe(format, kAdpcmSamplesPerBlock, 2);

  std::vector<uint8_t> data;
  const size_t blocks = (samples.size() + kAdpcmSamplesPerBlock - 1) / kAdpcmSamplesPerBlock;
  auto sampleAt = [&](size_t i) { return i < samples.size() ? samples[i] : int16_t{0}; };
  // Encodes one block from step `index` into `codes`; the squared error it leaves.
  auto encodeBlock = [&](size_t first, int index, std::vector<uint8_t>& codes) {
    AdpcmState state;
    state.predictor = sampleAt(first);  // the header holds the first sample exactly
    state.index = index;
    double error = 0;
    codes.clear();
    for (int i = 1; i < kAdpcmSamplesPerBlock; i += 2) {
      uint8_t pair = 0;
      for (int half = 0; half < 2; ++half) {
        const int sample = sampleAt(first + i + half);
        pair |= static_cast<uint8_t>(state.Encode(sample) << (4 * half));
        error += double(sample - state.predictor) * (sample - state.predictor);
      }
      codes.push_back(pair);
    }
    return error;
  };
  std::vector<uint8_t> codes, best;
  for (size_t block = 0; block < blocks; ++block) {
    const size_t first = block * kAdpcmSamplesPerBlock;
    // Every block may start at any step size: take the one that follows the sound best, so that
    // a sudden attack is not smeared while the step grows.
    double bestError = -1;
    int bestIndex = 0;
    for (int start = 0; start <= 88; ++start) {
      const double error = encodeBlock(first, start, codes);
      if (bestError < 0 || error < bestError) {
        bestError = error;
        bestIndex = start;
        best = codes;
      }
    }
    PutLe(data, static_cast<uint16_t>(sampleAt(first)), 2);
    PutLe(data, static_cast<uint32_t>(bestIndex), 1);
    PutLe(data, 0, 1);
    data.insert(data.end(), best.begin(), best.end());
  }
  WriteFile(path, Riff(format, static_cast<int>(samples.size()), data));
}

}  // namespace media
