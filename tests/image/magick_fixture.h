// Image fixtures made at test time by ImageMagick in a temporary directory, ImageMagick's own
// decoding of them to compare against, and decoding through the library's streams.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "kumo/image/decoders.h"
#include "kumo/image/graph_image.h"
#include "kumo/support/file_access.h"
#include "kumo/support/streams.h"
#include "kumo/support/tracked_memory.h"
#include "tests/common/image_magick.h"

class MagickTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/kumo_images_XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir_ = name;
    kumo::FileAccessStart();
  }

  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  std::string Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }

  // Runs ImageMagick's convert in the directory: `arguments` is the rest of its command line.
  void Magick(const std::string& arguments) const {
    const std::string command = "cd '" + dir_.string() + "' && " + kumo::testing::ConvertProgram() +
                                " " + arguments + " 2>convert.err";
    ASSERT_EQ(std::system(command.c_str()), 0) << command << "\n" << Read("convert.err");
  }

  // A PAM source picture: `channels` samples a pixel (grey, grey alpha, RGB or RGBA), each
  // 8 bits or, with `sixteen`, 16 bits big-endian.
  void WritePam(const std::string& name, int width, int height, int channels, bool sixteen,
                const std::function<uint32_t(int x, int y, int channel)>& sample) const {
    static const char* const kTuples[] = {"GRAYSCALE", "GRAYSCALE_ALPHA", "RGB", "RGB_ALPHA"};
    std::string bytes = "P7\nWIDTH " + std::to_string(width) + "\nHEIGHT " +
                        std::to_string(height) + "\nDEPTH " + std::to_string(channels) +
                        "\nMAXVAL " + (sixteen ? "65535" : "255") + "\nTUPLTYPE " +
                        kTuples[channels - 1] + "\nENDHDR\n";
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        for (int c = 0; c < channels; ++c) {
          const uint32_t v = sample(x, y, c);
          if (sixteen) bytes += static_cast<char>(v >> 8);
          bytes += static_cast<char>(v);
        }
      }
    }
    Write(name, bytes);
  }

  // ImageMagick's decoding of a file as red, green, blue, alpha; with `sixteen` each channel is
  // the high byte of its 16-bit value, so that nothing is rounded on the way.
  std::vector<uint8_t> MagickRgba(const std::string& name, bool sixteen = false) const {
    Magick(name + (sixteen ? " -depth 16 -endian MSB" : " -depth 8") + " rgba:magick.rgba");
    const std::string raw = Read("magick.rgba");
    std::vector<uint8_t> rgba;
    const size_t step = sixteen ? 2 : 1;
    for (size_t i = 0; i < raw.size(); i += step) rgba.push_back(static_cast<uint8_t>(raw[i]));
    return rgba;
  }

  std::filesystem::path dir_;
};

// A deterministic spread of sample values.
inline uint32_t Scatter(int x, int y, int channel, uint32_t range) {
  uint32_t v = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u ^
               static_cast<uint32_t>(channel + 1) * 83492791u;
  v ^= v >> 13;
  v *= 0x5bd1e995u;
  v ^= v >> 15;
  return v % range;
}

// Decodes bytes through a memory stream, with the whole decoder list or with one decoder.
inline int DecodeBytes(const std::string& bytes, kumo::GraphImage* image,
                       const char** decoderName) {
  kumo::MemStream* stream = kumo::MemStreamOpen(bytes.data(), static_cast<int>(bytes.size()));
  const kumo::StreamSource source = {&kumo::GetMemStreamOps(), stream};
  const int result = kumo::DecodeImage(source, image, decoderName);
  source.ops->close(stream);
  return result;
}

inline int DecodeBytesWith(kumo::ImageDecoder decoder, const std::string& bytes,
                           kumo::GraphImage* image) {
  kumo::MemStream* stream = kumo::MemStreamOpen(bytes.data(), static_cast<int>(bytes.size()));
  const kumo::StreamSource source = {&kumo::GetMemStreamOps(), stream};
  const int result = decoder(source, image);
  source.ops->close(stream);
  return result;
}

inline int LiveBlocks() { return kumo::TrackedMemory().count; }
