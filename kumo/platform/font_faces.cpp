// The face cache: names resolved once through fontconfig, files opened once with FreeType, and a
// FreeType size object per cell height, all kept for the life of the process so that making a
// font again costs a few lookups.
#include "kumo/platform/font_faces.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include FT_SIZES_H

#include "kumo/platform/outline_fonts.h"
#include "kumo/platform/text_encoding.h"

namespace kumo::platform {

namespace {

// Stands in for the system's default Japanese face.
constexpr const char* kDefaultFamily = "IPAGothic";
constexpr const char* kDefaultFaceAlias = "ＭＳ ゴシック";

struct FaceFile {
  std::string path;
  int index;
  bool operator<(const FaceFile& other) const {
    return path != other.path ? path < other.path : index < other.index;
  }
};

struct OpenFace {
  FT_Face face = nullptr;
  std::map<int, FaceSize> sizes;  // by cell height
};

struct FaceCache {
  FT_Library library = nullptr;
  std::map<std::pair<std::string, int>, FaceFile> names;  // by Shift-JIS name and character set
  std::map<FaceFile, std::unique_ptr<OpenFace>> faces;
  FontFaceCounts counts = {};

  FaceCache() {
    if (FT_Init_FreeType(&library) != 0) library = nullptr;
  }
  ~FaceCache() {
    // Closing a face closes its sizes.
    for (auto& entry : faces) FT_Done_Face(entry.second->face);
    if (library != nullptr) FT_Done_FreeType(library);
  }
};

FaceCache& Cache() {
  static FaceCache cache;
  return cache;
}

// The language whose faces a character set's text wants.
const char* CharSetLanguage(int charSet) { return charSet == 129 ? "ko" : "ja"; }

// Whether one of the face's family names (in any language) is `family`.
bool HasFamily(FcPattern* face, const char* family) {
  FcChar8* name = nullptr;
  for (int i = 0; FcPatternGetString(face, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
    if (FcStrCmpIgnoreCase(name, reinterpret_cast<const FcChar8*>(family)) == 0) return true;
  }
  return false;
}

struct PatternDeleter {
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

// The scalable face that carries the family name `family` (UTF-8); false when fontconfig's best
// match for the name is some other family, as it is for a name no installed face carries.
bool MatchFamily(const char* family, const char* language, FaceFile* file) {
  Pattern pattern(FcPatternCreate());
  if (pattern == nullptr) return false;
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddString(pattern.get(), FC_LANG, reinterpret_cast<const FcChar8*>(language));
  FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  const Pattern face(FcFontMatch(nullptr, pattern.get(), &result));
  if (face == nullptr) return false;
  FcChar8* path = nullptr;
  FcBool scalable = FcFalse;
  int index = 0;
  if (!HasFamily(face.get(), family) ||
      FcPatternGetString(face.get(), FC_FILE, 0, &path) != FcResultMatch ||
      FcPatternGetBool(face.get(), FC_SCALABLE, 0, &scalable) != FcResultMatch || !scalable ||
      FcPatternGetInteger(face.get(), FC_INDEX, 0, &index) != FcResultMatch) {
    return false;
  }
  *file = {reinterpret_cast<const char*>(path), index};
  return true;
}

bool IsDefaultName(const char* name) {
  return name == nullptr || name[0] == '\0' || std::strcmp(name, kDefaultFaceAlias) == 0;
}

// The file for a face name, matched once per name and character set.
bool ResolveName(FaceCache& cache, const char* name, int charSet, FaceFile* file) {
  const std::string key = IsDefaultName(name) ? std::string() : std::string(name);
  const auto known = cache.names.find({key, charSet});
  if (known != cache.names.end()) {
    *file = known->second;
    return true;
  }
  ++cache.counts.namesMatched;
  const char* language = CharSetLanguage(charSet);
  if ((key.empty() || !MatchFamily(ShiftJisToUtf8(key.c_str()).c_str(), language, file)) &&
      !MatchFamily(kDefaultFamily, language, file)) {
    return false;
  }
  cache.names.emplace(std::make_pair(key, charSet), *file);
  return true;
}

OpenFace* OpenFile(FaceCache& cache, const FaceFile& file) {
  const auto open = cache.faces.find(file);
  if (open != cache.faces.end()) return open->second.get();
  FT_Face face = nullptr;
  if (cache.library == nullptr ||
      FT_New_Face(cache.library, file.path.c_str(), file.index, &face) != 0) {
    return nullptr;
  }
  ++cache.counts.facesOpened;
  auto entry = std::make_unique<OpenFace>();
  entry->face = face;
  return cache.faces.emplace(file, std::move(entry)).first->second.get();
}

// Scales the face so that its ascent and descent fill the cell height. IPA Gothic's span exactly
// its em, as the system's Gothic does, so a cell of 16 holds full-width characters 16 wide.
const FaceSize* MakeSize(FaceCache& cache, OpenFace& open, int height) {
  const auto made = open.sizes.find(height);
  if (made != open.sizes.end()) return &made->second;
  FT_Face face = open.face;
  const long ascent = face->ascender;
  const long extent = face->ascender - face->descender;
  if (extent <= 0) return nullptr;
  FT_Size size = nullptr;
  if (FT_New_Size(face, &size) != 0) return nullptr;
  const FT_F26Dot6 emHeight =
      (static_cast<long>(height) * 64 * face->units_per_EM + extent / 2) / extent;
  if (FT_Activate_Size(size) != 0 || FT_Set_Char_Size(face, 0, emHeight, 72, 72) != 0) {
    FT_Done_Size(size);
    return nullptr;
  }
  ++cache.counts.sizesMade;
  FaceSize entry;
  entry.face = face;
  entry.size = size;
  entry.ascent = static_cast<int>((ascent * height + extent / 2) / extent);
  entry.maxAdvance = FT_MulFix(face->max_advance_width, size->metrics.x_scale);
  entry.em = emHeight;
  return &open.sizes.emplace(height, entry).first->second;
}

}  // namespace

std::mutex& FontFaceGuard() {
  static std::mutex guard;
  return guard;
}

const FaceSize* FindFaceSize(const char* name, int charSet, int height) {
  FaceCache& cache = Cache();
  FaceFile file;
  if (!ResolveName(cache, name, charSet, &file)) return nullptr;
  OpenFace* open = OpenFile(cache, file);
  return open == nullptr ? nullptr : MakeSize(cache, *open, height);
}

FontFaceCounts ReadFontFaceCounts() {
  std::lock_guard<std::mutex> hold(FontFaceGuard());
  return Cache().counts;
}

}  // namespace kumo::platform

#if defined(__SANITIZE_ADDRESS__)
// fontconfig 2.14 loses the pattern of every <rejectfont> rule in the system's configuration
// (Debian's rejects bitmap faces), and its frames cannot be told apart from those of other
// fontconfig blocks; this file holds its own patterns in owners that destroy them.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif
