// Outline fonts over the face cache: weight by emboldening each glyph's outline, slant by a
// shear, and FreeType's bitmaps repacked into rows padded to 4 bytes.
#include "kumo/platform/outline_fonts.h"

#include <ft2build.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include FT_OUTLINE_H
#include FT_SIZES_H

#include "kumo/platform/font_faces.h"
#include "kumo/platform/text_encoding.h"

namespace kumo::platform {

namespace {

using Hold = std::lock_guard<std::mutex>;

constexpr int kMaxHeight = 1024;
constexpr int kNormalWeight = 400;
constexpr int kMaxWeight = 1000;
// tan 12 degrees in 16.16: the lean of a slanted face.
constexpr FT_Fixed kItalicShear = 0x0366A;

// Outlines only, hinted the same for both forms so that they agree on where the ink is.
constexpr FT_Int32 kLoadFlags = FT_LOAD_NO_BITMAP;

}  // namespace

struct OutlineFont {
  const FaceSize* face;
  FT_Pos strength;  // how much wider and taller emboldening makes each glyph, 26.6 pixels
  bool italic;
  OutlineFontMetrics metrics;
  std::vector<uint8_t> bits;  // the last glyph's bitmap
};

namespace {

int CeilPixels(FT_Pos value) { return static_cast<int>((value + 63) >> 6); }

// Beyond normal weight, up to an eighth of the em at the heaviest.
FT_Pos Strength(const FaceSize& face, int weight) {
  const int extra = std::clamp(weight, kNormalWeight, kMaxWeight) - kNormalWeight;
  return face.em * extra / ((kMaxWeight - kNormalWeight) * 8);
}

void Blank(OutlineFont* font, GlyphBitmap* glyph) {
  font->bits.assign(4, 0);
  glyph->width = glyph->height = 1;
  glyph->originX = glyph->originY = 0;
  glyph->pitch = 4;
}

// Copies FreeType's bitmap into rows of `pitch` bytes, levels 0-255 becoming 0-16.
void Repack(const FT_Bitmap& from, GlyphForm form, OutlineFont* font, GlyphBitmap* glyph) {
  const int width = static_cast<int>(from.width);
  const int rows = static_cast<int>(from.rows);
  const int rowBytes = form == GlyphForm::kInk ? (width + 7) / 8 : width;
  glyph->width = width;
  glyph->height = rows;
  glyph->pitch = (rowBytes + 3) & ~3;
  font->bits.assign(static_cast<size_t>(glyph->pitch) * rows, 0);
  for (int y = 0; y < rows; ++y) {
    const uint8_t* source = from.buffer + static_cast<ptrdiff_t>(y) * from.pitch;
    uint8_t* target = font->bits.data() + static_cast<size_t>(y) * glyph->pitch;
    if (form == GlyphForm::kInk) {
      std::memcpy(target, source, rowBytes);
    } else {
      for (int x = 0; x < width; ++x) {
        target[x] = static_cast<uint8_t>((source[x] * 16 + 127) / 255);
      }
    }
  }
}

}  // namespace

OutlineFont* CreateOutlineFont(const OutlineFontRequest& request) {
  if (request.height < 1 || request.height > kMaxHeight) return nullptr;
  Hold hold(FontFaceGuard());
  const FaceSize* face = FindFaceSize(request.face, request.charSet, request.height);
  if (face == nullptr) return nullptr;
  auto* font = new OutlineFont{face, Strength(*face, request.weight), request.italic, {}, {}};
  // The widest glyph: the widest advance, grown by emboldening (up to four times its strength,
  // where strokes meet at sharp corners) and sheared across the whole cell; an outline that is
  // transformed no longer ends on whole pixels, and its coverage may spill into one more.
  FT_Pos widest = face->maxAdvance + 4 * font->strength;
  if (request.italic) widest += FT_MulFix(static_cast<FT_Long>(request.height) * 64, kItalicShear);
  const bool transformed = font->strength > 0 || request.italic;
  font->metrics = {face->ascent, request.height, CeilPixels(widest) + (transformed ? 1 : 0)};
  return font;
}

void ReleaseOutlineFont(OutlineFont* font) { delete font; }

OutlineFontMetrics ReadOutlineFontMetrics(const OutlineFont* font) { return font->metrics; }

bool RenderOutlineGlyph(OutlineFont* font, uint32_t code, GlyphForm form, GlyphBitmap* glyph) {
  const char32_t character = ShiftJisCharToUnicode(code);
  if (character == 0) return false;
  Hold hold(FontFaceGuard());
  FT_Face face = font->face->face;
  const FT_UInt index = FT_Get_Char_Index(face, character);
  if (index == 0 || FT_Activate_Size(font->face->size) != 0 ||
      FT_Load_Glyph(face, index, kLoadFlags) != 0 ||
      face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
    return false;
  }
  FT_GlyphSlot slot = face->glyph;
  glyph->cellIncrementX = static_cast<int>((slot->advance.x + font->strength + 32) >> 6);
  if (slot->outline.n_contours == 0) {
    Blank(font, glyph);
  } else {
    // Emboldening keeps the left and bottom edges where they are and grows to the right and up.
    if (font->strength > 0) FT_Outline_Embolden(&slot->outline, font->strength);
    if (font->italic) {
      FT_Matrix shear = {0x10000, kItalicShear, 0, 0x10000};
      FT_Outline_Transform(&slot->outline, &shear);
    }
    const bool ink = form == GlyphForm::kInk;
    if (FT_Render_Glyph(slot, ink ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return false;
    if (slot->bitmap.width == 0 || slot->bitmap.rows == 0) {
      Blank(font, glyph);
    } else {
      Repack(slot->bitmap, form, font, glyph);
      glyph->originX = slot->bitmap_left;
      glyph->originY = slot->bitmap_top;
    }
  }
  glyph->bits = font->bits.data();
  return true;
}

}  // namespace kumo::platform
