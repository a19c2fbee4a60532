// Outline fonts: a face at a cell height, weight and slant, its metrics, and each character's
// glyph as a bitmap, either of ink (1 bit per pixel) or of coverage in 17 levels. Faces stay open
// between fonts, so making a font again at a height already seen costs little.
#pragma once

#include <cstdint>

namespace kumo::platform {

struct OutlineFont;

struct OutlineFontRequest {
  const char* face;  // Shift-JIS; null or empty: the default face
  int height;        // the cell height in pixels (ascent plus descent), 1 to 1024
  int weight;        // 0 to 1000, 400 normal; heavier weights thicken the strokes in proportion
  bool italic;       // leans the glyphs
  // The system's number for the character set: 129 (Hangul) prefers Korean faces for a name,
  // every other one Japanese. Character codes are Shift-JIS whatever the set.
  int charSet;
};

// Null for a height outside its range, or when no face can be opened at all. A face name that no
// installed face carries gets the default face.
OutlineFont* CreateOutlineFont(const OutlineFontRequest& request);
void ReleaseOutlineFont(OutlineFont* font);

struct OutlineFontMetrics {
  int ascent;        // pixels from the top of the cell to the baseline
  int height;        // the cell height
  int maxCharWidth;  // no glyph's advance or black box is wider
};
OutlineFontMetrics ReadOutlineFontMetrics(const OutlineFont* font);

enum class GlyphForm {
  kInk,       // 1 bit per pixel, the most significant bit leftmost; 1 is ink
  kLevels17,  // 1 byte per pixel, coverage 0 (none) to 16 (full)
};

struct GlyphBitmap {
  // The black box in pixels; 1 x 1 with no ink for a blank glyph (a space). It may reach a pixel
  // above or below the cell, and further in heavy weights.
  int width, height;
  int originX;         // from the pen to the black box's left edge
  int originY;         // from the baseline up to the black box's top edge
  int cellIncrementX;  // how far the pen moves on
  int pitch;           // bytes per row, a multiple of 4
  // `height` rows of `pitch` bytes, owned by the font: valid until its next glyph or its release.
  const uint8_t* bits;
};

// The glyph for a character code: a Shift-JIS byte, or lead byte x 256 + trail byte. False, with
// nothing drawn, when the code is no character or the face has no glyph for it.
bool RenderOutlineGlyph(OutlineFont* font, uint32_t code, GlyphForm form, GlyphBitmap* glyph);

// How often the faces behind the fonts had to be found, opened and scaled, since the process
// started: re-creating a font at a height already seen adds nothing.
struct FontFaceCounts {
  int namesMatched;  // face names looked up through fontconfig
  int facesOpened;   // font files opened
  int sizesMade;     // cell heights scaled
};
FontFaceCounts ReadFontFaceCounts();

}  // namespace kumo::platform
