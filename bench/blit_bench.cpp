// The software blits against the blitters a user would pick instead: pixman's compositing and
// SDL2's surface blitter, with memcpy of the same bytes as the bandwidth limit. Every operation
// runs on a whole 640 x 480 screen and on a 64 x 64 sprite, in R5G6B5 and in X8R8G8B8.
#include <SDL.h>
#include <pixman.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/peer_ratio.h"
#include "kumo/render/blits.h"
#include "kumo/render/draw_state.h"
#include "kumo/render/mem_img.h"

namespace {

using kumo::MEMIMG;

constexpr int kScreenWidth = 640, kScreenHeight = 480;
constexpr int kSpriteSize = 64;
constexpr int kSpriteX = 100, kSpriteY = 100;
constexpr double kAngle = 30.0 * M_PI / 180.0;

enum class Op {
  kCopy,
  kKey,
  kAlphaSource,
  kAlpha128,
  kAlpha100,
  kAdd,
  kSubtract,
  kStretch2x,
  kRotate30
};

struct OpInfo {
  Op op;
  const char* name;
  int mode, param;  // the draw state it runs under
};
constexpr OpInfo kOps[] = {
    {Op::kCopy, "copy", 0, 0},
    {Op::kKey, "key", 0, 0},
    {Op::kAlphaSource, "alpha-source", 0, 0},
    {Op::kAlpha128, "blend128", 1, 128},
    {Op::kAlpha100, "blend100", 1, 100},
    {Op::kAdd, "add", 2, 255},
    {Op::kSubtract, "subtract", 3, 255},
    {Op::kStretch2x, "stretch2x", 0, 0},
    {Op::kRotate30, "rotate30", 0, 0},
};

// One benchmark case: the operation, the pixel format and the size drawn.
struct Case {
  OpInfo info;
  bool deep;    // X8R8G8B8, else R5G6B5
  bool sprite;  // 64 x 64 onto the screen, else the whole screen
  int SourceWidth() const {
    const int size = sprite ? kSpriteSize : kScreenWidth;
    return info.op == Op::kStretch2x ? size / 2 : size;
  }
  int SourceHeight() const {
    const int size = sprite ? kSpriteSize : kScreenHeight;
    return info.op == Op::kStretch2x ? size / 2 : size;
  }
  // Pixels the operation covers: the destination area (the source's for a rotation).
  int64_t Pixels() const {
    return sprite ? int64_t{kSpriteSize} * kSpriteSize : int64_t{kScreenWidth} * kScreenHeight;
  }
  int X() const { return sprite ? kSpriteX : 0; }
  int Y() const { return sprite ? kSpriteY : 0; }
  std::string Name() const {
    return std::string(info.name) + (deep ? "/x8r8g8b8" : "/r5g6b5") +
           (sprite ? "/sprite64" : "/screen640");
  }
};

// Random source pixels in 32-bit ARGB; a quarter of them are the key colour, and the alpha
// runs over 0, 255 and values between.
std::vector<uint32_t> SourceArgb(int width, int height) {
  std::mt19937 rng(7);
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (uint32_t& p : pixels) {
    const uint32_t r = rng();
    const uint32_t alphas[] = {0, 255, 255, 128, 40, 255};
    p = (r & 0xFFFFFFu) | alphas[r % 6] << 24;
    if (r % 4 == 0) p = 0xFF00FF00u;
  }
  return pixels;
}

uint16_t To565(uint32_t argb) {
  return static_cast<uint16_t>(((argb >> 8) & 0xF800) | ((argb >> 5) & 0x07E0) |
                               ((argb >> 3) & 0x001F));
}

// Our images for a case.
struct KumoImages {
  MEMIMG dest{}, src{};
  explicit KumoImages(const Case& c) {
    const int kind = c.deep ? kumo::kKindColor32 : kumo::kKindColor16;
    const bool alpha = c.info.op == Op::kAlphaSource;
    const uint32_t key = c.deep ? 0x00FF00u : To565(0xFF00FF00u);
    kumo::CreateMemImg(&dest, kScreenWidth, kScreenHeight, -1, 0, kind, 0, 0);
    kumo::CreateMemImg(&src, c.SourceWidth(), c.SourceHeight(), -1, key, kind, 0, alpha);
    const std::vector<uint32_t> argb = SourceArgb(c.SourceWidth(), c.SourceHeight());
    for (int y = 0; y < src.height; ++y) {
      uint8_t* line = static_cast<uint8_t*>(src.pixels) + y * src.pitch;
      for (int x = 0; x < src.width; ++x) {
        const uint32_t p = argb[static_cast<size_t>(y) * src.width + x];
        if (c.deep) {
          const uint32_t v = alpha ? p : p & 0xFFFFFFu;
          std::memcpy(line + 4 * x, &v, 4);
        } else if (alpha) {
          const uint32_t v = To565(p) | (p >> 24) << 16;
          std::memcpy(line + 4 * x, &v, 4);
        } else {
          const uint16_t v = To565(p);
          std::memcpy(line + 2 * x, &v, 2);
        }
      }
    }
    std::memset(dest.pixels, 0x40, static_cast<size_t>(dest.pitch) * dest.height);
  }
  ~KumoImages() {
    kumo::ReleaseMemImg(&src);
    kumo::ReleaseMemImg(&dest);
  }
};

void RunKumo(benchmark::State& state, Case c) {
  KumoImages images(c);
  kumo::gDrawState.blendMode = c.info.mode;
  kumo::gDrawState.blendParam = c.info.param;
  kumo::gDrawState.brightness = 0xFFFFFF;
  kumo::gDrawState.drawArea = {0, 0, kScreenWidth, kScreenHeight};
  const int key = c.info.op == Op::kKey;
  const int size = c.sprite ? kSpriteSize : 0;
  for (auto _ : state) {
    switch (c.info.op) {
      case Op::kStretch2x:
        kumo::PutMemImgStretched(&images.dest, images.src, c.X(), c.Y(),
                                 c.X() + (c.sprite ? size : kScreenWidth),
                                 c.Y() + (c.sprite ? size : kScreenHeight), 0, nullptr);
        break;
      case Op::kRotate30:
        kumo::PutMemImgRotated(&images.dest, images.src, c.X() + images.src.width / 2,
                               c.Y() + images.src.height / 2, static_cast<float>(kAngle), 1.0f, 0,
                               0, nullptr);
        break;
      default:
        kumo::PutMemImg(&images.dest, images.src, c.X(), c.Y(), key, nullptr);
    }
    benchmark::DoNotOptimize(images.dest.pixels);
  }
  state.SetItemsProcessed(state.iterations() * c.Pixels());
}

// pixman: SRC for copies and stretches, OVER for keyed, alpha and rotated sources, OVER with a
// solid mask for a blend parameter, ADD for add. Subtract has no equivalent.
bool PixmanHas(const Case& c) { return c.info.op != Op::kSubtract; }

void RunPixman(benchmark::State& state, Case c) {
  const pixman_format_code_t screen = c.deep ? PIXMAN_x8r8g8b8 : PIXMAN_r5g6b5;
  const int bytes = c.deep ? 4 : 2;
  std::vector<uint8_t> destBits(static_cast<size_t>(kScreenWidth) * kScreenHeight * bytes, 0x40);
  pixman_image_t* dest =
      pixman_image_create_bits(screen, kScreenWidth, kScreenHeight,
                               reinterpret_cast<uint32_t*>(destBits.data()), kScreenWidth * bytes);
  // Keyed and alpha sources are ARGB: the key as alpha 0, every other pixel opaque.
  const bool argb = c.info.op == Op::kKey || c.info.op == Op::kAlphaSource;
  const int w = c.SourceWidth(), h = c.SourceHeight();
  std::vector<uint32_t> pixels = SourceArgb(w, h);
  std::vector<uint8_t> srcBits;
  pixman_image_t* src;
  if (argb || c.deep) {
    for (uint32_t& p : pixels) {
      if (c.info.op == Op::kKey) p = p == 0xFF00FF00u ? 0 : p | 0xFF000000u;
    }
    src = pixman_image_create_bits(argb ? PIXMAN_a8r8g8b8 : PIXMAN_x8r8g8b8, w, h, pixels.data(),
                                   w * 4);
  } else {
    srcBits.resize(static_cast<size_t>(w) * h * 2);
    for (size_t i = 0; i < pixels.size(); ++i) {
      const uint16_t v = To565(pixels[i]);
      std::memcpy(&srcBits[2 * i], &v, 2);
    }
    src = pixman_image_create_bits(PIXMAN_r5g6b5, w, h, reinterpret_cast<uint32_t*>(srcBits.data()),
                                   w * 2);
  }
  pixman_image_t* mask = nullptr;
  pixman_op_t op = PIXMAN_OP_SRC;
  int outW = w, outH = h;
  switch (c.info.op) {
    case Op::kKey:
    case Op::kAlphaSource:
      op = PIXMAN_OP_OVER;
      break;
    case Op::kAlpha128:
    case Op::kAlpha100: {
      const pixman_color_t colour = {0, 0, 0, static_cast<uint16_t>(c.info.param * 257)};
      mask = pixman_image_create_solid_fill(&colour);
      op = PIXMAN_OP_OVER;
      break;
    }
    case Op::kAdd:
      op = PIXMAN_OP_ADD;
      break;
    case Op::kStretch2x: {
      pixman_transform_t t;
      pixman_transform_init_scale(&t, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
      pixman_image_set_transform(src, &t);
      pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
      outW = 2 * w;
      outH = 2 * h;
      break;
    }
    case Op::kRotate30: {
      // Destination to source: about the drawn centre back by the angle.
      pixman_f_transform f;
      pixman_f_transform_init_translate(&f, -(c.X() + w / 2.0), -(c.Y() + h / 2.0));
      pixman_f_transform_rotate(&f, nullptr, std::cos(-kAngle), std::sin(-kAngle));
      pixman_f_transform_translate(&f, nullptr, w / 2.0, h / 2.0);
      pixman_transform_t t;
      pixman_transform_from_pixman_f_transform(&t, &f);
      pixman_image_set_transform(src, &t);
      pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
      op = PIXMAN_OP_OVER;
      break;
    }
    default:
      break;
  }
  for (auto _ : state) {
    if (c.info.op == Op::kRotate30) {
      // The whole box the turned sprite may cover, in destination coordinates.
      const int reach = static_cast<int>(std::ceil(std::hypot(w, h) / 2));
      const int cx = c.X() + w / 2, cy = c.Y() + h / 2;
      pixman_image_composite32(op, src, mask, dest, cx - reach, cy - reach, 0, 0, cx - reach,
                               cy - reach, 2 * reach, 2 * reach);
    } else {
      pixman_image_composite32(op, src, mask, dest, 0, 0, 0, 0, c.X(), c.Y(), outW, outH);
    }
    benchmark::DoNotOptimize(destBits.data());
  }
  state.SetItemsProcessed(state.iterations() * c.Pixels());
  if (mask != nullptr) pixman_image_unref(mask);
  pixman_image_unref(src);
  pixman_image_unref(dest);
}

// SDL2's software blitter: no blending for copies and stretches, a colour key, per-pixel
// alpha, a surface alpha modulation for a blend parameter, additive blending. It has neither
// subtract nor rotation.
bool SdlHas(const Case& c) { return c.info.op != Op::kSubtract && c.info.op != Op::kRotate30; }

void RunSdl(benchmark::State& state, Case c) {
  const uint32_t screen = c.deep ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_RGB565;
  SDL_Surface* dest =
      SDL_CreateRGBSurfaceWithFormat(0, kScreenWidth, kScreenHeight, c.deep ? 32 : 16, screen);
  SDL_FillRect(dest, nullptr, 0x40404040u);
  const int w = c.SourceWidth(), h = c.SourceHeight();
  const bool argb = c.info.op == Op::kAlphaSource;
  SDL_Surface* src = SDL_CreateRGBSurfaceWithFormat(
      0, w, h, argb || c.deep ? 32 : 16, argb ? uint32_t{SDL_PIXELFORMAT_ARGB8888} : screen);
  const std::vector<uint32_t> pixels = SourceArgb(w, h);
  for (int y = 0; y < h; ++y) {
    uint8_t* line = static_cast<uint8_t*>(src->pixels) + y * src->pitch;
    for (int x = 0; x < w; ++x) {
      const uint32_t p = pixels[static_cast<size_t>(y) * w + x];
      if (src->format->BytesPerPixel == 4) {
        std::memcpy(line + 4 * x, &p, 4);
      } else {
        const uint16_t v = To565(p);
        std::memcpy(line + 2 * x, &v, 2);
      }
    }
  }
  SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_NONE);
  switch (c.info.op) {
    case Op::kKey:
      SDL_SetColorKey(src, SDL_TRUE, c.deep ? 0x00FF00u : To565(0xFF00FF00u));
      break;
    case Op::kAlphaSource:
      SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_BLEND);
      break;
    case Op::kAlpha128:
    case Op::kAlpha100:
      SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_BLEND);
      SDL_SetSurfaceAlphaMod(src, static_cast<uint8_t>(c.info.param));
      break;
    case Op::kAdd:
      SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_ADD);
      break;
    default:
      break;
  }
  for (auto _ : state) {
    if (c.info.op == Op::kStretch2x) {
      SDL_Rect to = {c.X(), c.Y(), 2 * w, 2 * h};
      SDL_BlitScaled(src, nullptr, dest, &to);
    } else {
      SDL_Rect to = {c.X(), c.Y(), w, h};
      SDL_BlitSurface(src, nullptr, dest, &to);
    }
    benchmark::DoNotOptimize(dest->pixels);
  }
  state.SetItemsProcessed(state.iterations() * c.Pixels());
  SDL_FreeSurface(src);
  SDL_FreeSurface(dest);
}

// The bytes the operation writes, copied line by line.
void RunMemcpy(benchmark::State& state, Case c) {
  const int bytes = c.deep ? 4 : 2;
  const int width = c.sprite ? kSpriteSize : kScreenWidth;
  const int height = c.sprite ? kSpriteSize : kScreenHeight;
  const size_t pitch = static_cast<size_t>(kScreenWidth) * bytes;
  // Both images in one block, the second not at the same offset within a page as the first,
  // so that the copy is not slowed by loads and stores that seem to overlap.
  const size_t size = pitch * kScreenHeight;
  // A sprite's own lines follow each other without a gap, as they do in its image.
  const size_t srcPitch = c.sprite ? static_cast<size_t>(width) * bytes : pitch;
  std::vector<uint8_t> block(2 * size + 4096 + 2112, 1);
  const uint8_t* src = block.data();
  uint8_t* dest = block.data() + size + 2112;
  for (auto _ : state) {
    for (int y = 0; y < height; ++y) {
      std::memcpy(dest + y * pitch, src + y * srcPitch, static_cast<size_t>(width) * bytes);
    }
    benchmark::DoNotOptimize(dest);
  }
  state.SetItemsProcessed(state.iterations() * c.Pixels());
}

void RegisterAll() {
  for (const OpInfo& info : kOps) {
    for (bool deep : {false, true}) {
      for (bool sprite : {false, true}) {
        const Case c{info, deep, sprite};
        const std::string name = c.Name();
        benchmark::RegisterBenchmark((name + "/kumo").c_str(), RunKumo, c);
        if (PixmanHas(c)) benchmark::RegisterBenchmark((name + "/pixman").c_str(), RunPixman, c);
        if (SdlHas(c)) benchmark::RegisterBenchmark((name + "/sdl").c_str(), RunSdl, c);
        benchmark::RegisterBenchmark((name + "/memcpy").c_str(), RunMemcpy, c);
      }
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  RegisterAll();
  return kumo::bench::RunWithPeerRatios(argc, argv);
}
