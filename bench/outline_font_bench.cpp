// Making the default font again (as the result screen does twice a frame) against finding and
// opening its face anew with fontconfig and FreeType; and one glyph's bitmap against FreeType
// loading and rendering it alone.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>

#include FT_FREETYPE_H

#include "bench/peer_ratio.h"
#include "kumo/platform/outline_fonts.h"

namespace {

using kumo::platform::CreateOutlineFont;
using kumo::platform::GlyphBitmap;
using kumo::platform::GlyphForm;
using kumo::platform::OutlineFont;
using kumo::platform::ReleaseOutlineFont;
using kumo::platform::RenderOutlineGlyph;

constexpr int kHeight = 16;
constexpr int kWeight = 600;  // the library's default thickness

// The file fontconfig gives for IPA Gothic.
std::string DefaultFaceFile() {
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("IPAGothic"));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* face = FcFontMatch(nullptr, pattern, &result);
  FcChar8* file = nullptr;
  std::string path;
  if (face != nullptr && FcPatternGetString(face, FC_FILE, 0, &file) == FcResultMatch) {
    path = reinterpret_cast<const char*>(file);
  }
  if (face != nullptr) FcPatternDestroy(face);
  FcPatternDestroy(pattern);
  return path;
}

void Recreate_kumo(benchmark::State& state) {
  for (auto _ : state) {
    OutlineFont* font = CreateOutlineFont({"", kHeight, kWeight, false, 128});
    benchmark::DoNotOptimize(font);
    ReleaseOutlineFont(font);
  }
}
BENCHMARK(Recreate_kumo)->Name("RecreateDefaultFont/kumo");

void Recreate_freetype(benchmark::State& state) {
  FT_Library library = nullptr;
  FT_Init_FreeType(&library);
  for (auto _ : state) {
    FT_Face face = nullptr;
    FT_New_Face(library, DefaultFaceFile().c_str(), 0, &face);
    FT_Set_Pixel_Sizes(face, 0, kHeight);
    benchmark::DoNotOptimize(face);
    FT_Done_Face(face);
  }
  FT_Done_FreeType(library);
}
BENCHMARK(Recreate_freetype)->Name("RecreateDefaultFont/fontconfig+freetype");

// At normal weight, so that both sides load and render the same outline.
void Glyph_kumo(benchmark::State& state) {
  OutlineFont* font = CreateOutlineFont({"", kHeight, 400, false, 128});
  GlyphBitmap glyph{};
  for (auto _ : state) {
    RenderOutlineGlyph(font, 0x8276, GlyphForm::kInk, &glyph);  // "Ｗ"
    benchmark::DoNotOptimize(glyph.bits);
  }
  ReleaseOutlineFont(font);
}
BENCHMARK(Glyph_kumo)->Name("FullWidthGlyph1Bit/kumo");

void Glyph_freetype(benchmark::State& state) {
  FT_Library library = nullptr;
  FT_Init_FreeType(&library);
  FT_Face face = nullptr;
  FT_New_Face(library, DefaultFaceFile().c_str(), 0, &face);
  FT_Set_Pixel_Sizes(face, 0, kHeight);
  for (auto _ : state) {
    FT_Load_Char(face, U'Ｗ', FT_LOAD_NO_BITMAP | FT_LOAD_RENDER | FT_LOAD_TARGET_MONO);
    benchmark::DoNotOptimize(face->glyph->bitmap.buffer);
  }
  FT_Done_Face(face);
  FT_Done_FreeType(library);
}
BENCHMARK(Glyph_freetype)->Name("FullWidthGlyph1Bit/freetype");

}  // namespace

int main(int argc, char** argv) { return kumo::bench::RunWithPeerRatios(argc, argv); }
