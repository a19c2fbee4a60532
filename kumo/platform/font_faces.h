// Faces for the outline fonts: face names found through fontconfig, font files opened once with
// FreeType and kept open, each with every cell height asked of it. Used only by the outline fonts.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <mutex>

namespace kumo::platform {

// An open face at one cell height. Owned by the face cache, which keeps it until the process
// ends; its size must be activated before glyphs are loaded through the face.
struct FaceSize {
  FT_Face face;
  FT_Size size;
  int ascent;         // pixels above the baseline; the rest of the cell height lies below it
  FT_Pos maxAdvance;  // the widest advance, in 26.6 pixels
  FT_Pos em;          // the em square, in 26.6 pixels
};

// Held around every use of the faces: they and the FreeType library are shared by all fonts.
std::mutex& FontFaceGuard();

// The face for a Shift-JIS face name (null, empty or "ＭＳ ゴシック": IPA Gothic; a name no
// scalable face carries: IPA Gothic too), preferring the language of the character set, at a
// cell height in pixels. Null when not even IPA Gothic can be opened. Call under the guard.
const FaceSize* FindFaceSize(const char* name, int charSet, int height);

}  // namespace kumo::platform
