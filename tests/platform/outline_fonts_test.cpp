#include "kumo/platform/outline_fonts.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace kumo::platform {
namespace {

constexpr uint32_t kCapitalA = 'A';
constexpr uint32_t kFullWidthW = 0x8276;  // "Ｗ"

struct FontDeleter {
  void operator()(OutlineFont* font) const { ReleaseOutlineFont(font); }
};
using Font = std::unique_ptr<OutlineFont, FontDeleter>;

Font MakeFont(const char* face, int height, int weight = 400, bool italic = false) {
  return Font(CreateOutlineFont({face, height, weight, italic, 128}));
}

// A rendered glyph copied out of the font, with its pixels as levels 0-16 (ink is 16).
struct Picture {
  GlyphBitmap glyph;
  std::vector<uint8_t> bits;

  int At(int x, int y, GlyphForm form) const {
    const uint8_t* row = bits.data() + static_cast<size_t>(y) * glyph.pitch;
    if (form == GlyphForm::kLevels17) return row[x];
    return (row[x / 8] >> (7 - x % 8) & 1) * 16;
  }
};

Picture Render(OutlineFont* font, uint32_t code, GlyphForm form) {
  Picture picture{};
  EXPECT_TRUE(RenderOutlineGlyph(font, code, form, &picture.glyph)) << std::hex << code;
  picture.bits.assign(
      picture.glyph.bits,
      picture.glyph.bits + static_cast<size_t>(picture.glyph.pitch) * picture.glyph.height);
  return picture;
}

// Levels summed over the picture: how much ink it holds.
int Ink(const Picture& picture, GlyphForm form) {
  int sum = 0;
  for (int y = 0; y < picture.glyph.height; ++y) {
    for (int x = 0; x < picture.glyph.width; ++x) sum += picture.At(x, y, form);
  }
  return sum;
}

TEST(OutlineFont, MetricsFillTheCellHeight) {
  for (const int height : {12, 16, 32}) {
    SCOPED_TRACE(height);
    Font font = MakeFont("", height);
    ASSERT_NE(font, nullptr);
    const OutlineFontMetrics metrics = ReadOutlineFontMetrics(font.get());
    EXPECT_EQ(metrics.height, height);
    EXPECT_GT(metrics.ascent, height / 2);
    EXPECT_LT(metrics.ascent, height);
    // Full-width characters fill the em, which the cell height spans.
    EXPECT_EQ(metrics.maxCharWidth, height);
  }
}

TEST(OutlineFont, RefusesHeightsOutsideItsRange) {
  for (const int height : {0, -16, 1025}) EXPECT_EQ(MakeFont("", height), nullptr) << height;
}

TEST(OutlineFont, GlyphsOfBothFormsHaveInkInPaddedRows) {
  struct Case {
    uint32_t code;
    int advance;
  };
  const Case cases[] = {{kCapitalA, 8}, {kFullWidthW, 16}};
  Font font = MakeFont("", 16);
  const OutlineFontMetrics metrics = ReadOutlineFontMetrics(font.get());
  for (const Case& c : cases) {
    for (const GlyphForm form : {GlyphForm::kInk, GlyphForm::kLevels17}) {
      SCOPED_TRACE(::testing::Message() << std::hex << c.code << " form " << int(form));
      const Picture picture = Render(font.get(), c.code, form);
      const GlyphBitmap& glyph = picture.glyph;
      EXPECT_EQ(glyph.cellIncrementX, c.advance);
      EXPECT_GT(glyph.width, c.advance / 2);
      EXPECT_LE(glyph.originX + glyph.width, metrics.maxCharWidth);
      EXPECT_GT(glyph.height, metrics.height / 2);
      EXPECT_LE(glyph.originY, metrics.ascent);
      EXPECT_GE(glyph.originY - glyph.height, metrics.ascent - metrics.height);
      EXPECT_EQ(glyph.pitch % 4, 0);
      const int rowBytes = form == GlyphForm::kInk ? (glyph.width + 7) / 8 : glyph.width;
      EXPECT_GE(glyph.pitch, rowBytes);
      EXPECT_LT(glyph.pitch, rowBytes + 4);
      int inkedRows = 0;
      for (int y = 0; y < glyph.height; ++y) {
        int rowInk = 0;
        for (int x = 0; x < glyph.width; ++x) {
          EXPECT_LE(picture.At(x, y, form), 16);
          rowInk += picture.At(x, y, form);
        }
        inkedRows += rowInk > 0;
        // Nothing but ink inside the black box: the padding bits and bytes stay clear.
        const uint8_t* row = picture.bits.data() + static_cast<size_t>(y) * glyph.pitch;
        const int usedBits = form == GlyphForm::kInk ? glyph.width : glyph.width * 8;
        for (int bit = usedBits; bit < glyph.pitch * 8; ++bit) {
          EXPECT_EQ(row[bit / 8] >> (7 - bit % 8) & 1, 0) << "row " << y << " bit " << bit;
        }
      }
      // The black box is tight: every row holds ink.
      EXPECT_EQ(inkedRows, glyph.height);
    }
  }
}

// A pixel that is ink in the 1-bit form has coverage in the 17-level form, and a fully covered
// pixel is ink.
TEST(OutlineFont, InkAndLevelFormsAgreeOnWhereTheInkIs) {
  Font font = MakeFont("", 16);
  for (const uint32_t code : {kCapitalA, kFullWidthW}) {
    SCOPED_TRACE(code);
    const Picture ink = Render(font.get(), code, GlyphForm::kInk);
    const Picture levels = Render(font.get(), code, GlyphForm::kLevels17);
    EXPECT_EQ(ink.glyph.cellIncrementX, levels.glyph.cellIncrementX);
    int fullPixels = 0;
    for (int y = 0; y < levels.glyph.height; ++y) {
      for (int x = 0; x < levels.glyph.width; ++x) {
        const int level = levels.At(x, y, GlyphForm::kLevels17);
        const int inkX = x + levels.glyph.originX - ink.glyph.originX;
        const int inkY = y + ink.glyph.originY - levels.glyph.originY;
        const bool inside =
            inkX >= 0 && inkX < ink.glyph.width && inkY >= 0 && inkY < ink.glyph.height;
        const bool inked = inside && ink.At(inkX, inkY, GlyphForm::kInk) != 0;
        if (level == 16) {
          ++fullPixels;
          EXPECT_TRUE(inked) << x << "," << y;
        }
        if (level == 0) {
          EXPECT_FALSE(inked) << x << "," << y;
        }
      }
    }
    EXPECT_GT(fullPixels, 0);
    // Every ink pixel lies inside the levels' black box.
    EXPECT_GE(ink.glyph.originX, levels.glyph.originX);
    EXPECT_LE(ink.glyph.originY, levels.glyph.originY);
    EXPECT_LE(ink.glyph.originX + ink.glyph.width, levels.glyph.originX + levels.glyph.width);
    EXPECT_GE(ink.glyph.originY - ink.glyph.height, levels.glyph.originY - levels.glyph.height);
  }
}

TEST(OutlineFont, SpacesAdvanceWithoutInk) {
  struct Case {
    uint32_t code;
    int advance;
  };
  const Case cases[] = {{' ', 8}, {0x8140, 16}};  // the ASCII and the full-width space
  Font font = MakeFont("", 16);
  for (const Case& c : cases) {
    for (const GlyphForm form : {GlyphForm::kInk, GlyphForm::kLevels17}) {
      SCOPED_TRACE(::testing::Message() << std::hex << c.code << " form " << int(form));
      const Picture picture = Render(font.get(), c.code, form);
      EXPECT_EQ(picture.glyph.cellIncrementX, c.advance);
      EXPECT_EQ(picture.glyph.width, 1);
      EXPECT_EQ(picture.glyph.height, 1);
      EXPECT_EQ(picture.glyph.pitch, 4);
      EXPECT_EQ(Ink(picture, form), 0);
    }
  }
}

TEST(OutlineFont, ReportsCodesWithoutAGlyphAsMissing) {
  const uint32_t codes[] = {
      0x8540,   // a double-byte code with no character
      0xF040,   // a user-defined character, which the face does not draw
      0x82,     // a lead byte alone
      0xA0,     // a single byte with no character
      0x10000,  // beyond two bytes
  };
  Font font = MakeFont("", 16);
  for (const uint32_t code : codes) {
    GlyphBitmap glyph{};
    EXPECT_FALSE(RenderOutlineGlyph(font.get(), code, GlyphForm::kLevels17, &glyph))
        << std::hex << code;
  }
}

// Two fonts draw with the same face when their glyphs match pixel for pixel.
bool SameGlyph(OutlineFont* a, OutlineFont* b, uint32_t code) {
  const Picture pa = Render(a, code, GlyphForm::kLevels17);
  const Picture pb = Render(b, code, GlyphForm::kLevels17);
  return pa.glyph.width == pb.glyph.width && pa.glyph.height == pb.glyph.height &&
         pa.glyph.cellIncrementX == pb.glyph.cellIncrementX && pa.bits == pb.bits;
}

TEST(OutlineFont, FaceNamesResolveThroughFontconfigWithIpaGothicAsTheFallBack) {
  struct Case {
    const char* face;
    int charSet;
    bool isDefault;  // else the proportional IPA P Gothic
  };
  const Case cases[] = {
      {nullptr, 128, true},
      {"ＭＳ ゴシック", 128, true},
      {"IPAGothic", 128, true},
      {"No Such Face", 128, true},
      // fontconfig's best match for Korean text is some other face, which is not the one asked for.
      {"No Such Face", 129, true},
      {"IPAPGothic", 128, false},
      {"IPA Pゴシック", 128, false},
      {"ipapgothic", 1, false},
  };
  Font standard = MakeFont("", 20);
  Font proportional = MakeFont("IPAPGothic", 20);
  ASSERT_FALSE(SameGlyph(standard.get(), proportional.get(), kCapitalA));
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << (c.face == nullptr ? "null" : c.face) << " " << c.charSet);
    Font font(CreateOutlineFont({c.face, 20, 400, false, c.charSet}));
    ASSERT_NE(font, nullptr);
    EXPECT_TRUE(SameGlyph(font.get(), (c.isDefault ? standard : proportional).get(), kCapitalA));
  }
}

TEST(OutlineFont, HeavierWeightsThickenTheStrokes) {
  const int weights[] = {100, 400, 700, 1000};
  const uint32_t codes[] = {kCapitalA, kFullWidthW};
  for (const uint32_t code : codes) {
    SCOPED_TRACE(code);
    std::vector<Picture> pictures;
    std::vector<int> widths;
    for (const int weight : weights) {
      Font font = MakeFont("", 24, weight);
      pictures.push_back(Render(font.get(), code, GlyphForm::kLevels17));
      widths.push_back(ReadOutlineFontMetrics(font.get()).maxCharWidth);
    }
    // Up to normal the weight changes nothing.
    EXPECT_EQ(pictures[0].bits, pictures[1].bits);
    for (size_t i = 2; i < pictures.size(); ++i) {
      SCOPED_TRACE(weights[i]);
      const GlyphBitmap& lighter = pictures[i - 1].glyph;
      const GlyphBitmap& heavier = pictures[i].glyph;
      EXPECT_GT(Ink(pictures[i], GlyphForm::kLevels17),
                Ink(pictures[i - 1], GlyphForm::kLevels17) * 11 / 10);
      EXPECT_GE(heavier.width, lighter.width);
      EXPECT_GE(heavier.cellIncrementX, lighter.cellIncrementX);
      EXPECT_GE(widths[i], widths[i - 1]);
      EXPECT_LE(heavier.originX + heavier.width, widths[i]);
    }
    EXPECT_GT(pictures.back().glyph.width, pictures[1].glyph.width);
    EXPECT_GT(widths.back(), widths[1]);
  }
}

// The horizontal centre of the ink in the top and in the bottom half of a glyph.
double Lean(const Picture& picture) {
  double centre[2] = {0, 0}, mass[2] = {0, 0};
  for (int y = 0; y < picture.glyph.height; ++y) {
    const int half = y < picture.glyph.height / 2 ? 0 : 1;
    for (int x = 0; x < picture.glyph.width; ++x) {
      const int level = picture.At(x, y, GlyphForm::kLevels17);
      centre[half] += level * (x + 0.5);
      mass[half] += level;
    }
  }
  return centre[0] / mass[0] - centre[1] / mass[1];
}

TEST(OutlineFont, ItalicLeansToTheRightAndKeepsTheAdvance) {
  Font upright = MakeFont("", 32);
  Font italic = MakeFont("", 32, 400, true);
  const Picture uprightI = Render(upright.get(), 'I', GlyphForm::kLevels17);
  const Picture italicI = Render(italic.get(), 'I', GlyphForm::kLevels17);
  EXPECT_NEAR(Lean(uprightI), 0, 0.5);
  // A shear of tan 12 degrees moves the top half's centre about a fifth of half the height.
  EXPECT_GT(Lean(italicI), 2.0);
  EXPECT_EQ(italicI.glyph.cellIncrementX, uprightI.glyph.cellIncrementX);
  EXPECT_GT(italicI.glyph.width, uprightI.glyph.width);
  const OutlineFontMetrics italicMetrics = ReadOutlineFontMetrics(italic.get());
  EXPECT_GT(italicMetrics.maxCharWidth, ReadOutlineFontMetrics(upright.get()).maxCharWidth);
  const Picture italicW = Render(italic.get(), kFullWidthW, GlyphForm::kInk);
  EXPECT_LE(italicW.glyph.originX + italicW.glyph.width, italicMetrics.maxCharWidth);
}

TEST(OutlineFont, MakingAFontAgainReusesTheOpenFace) {
  MakeFont("", 23);
  MakeFont("No Such Face", 23);
  const FontFaceCounts first = ReadFontFaceCounts();
  EXPECT_GE(first.facesOpened, 1);
  for (int i = 0; i < 3; ++i) {
    Font again = MakeFont("", 23, 700, i == 1);
    Font unknownAgain = MakeFont("No Such Face", 23);
    ASSERT_NE(again, nullptr);
    GlyphBitmap glyph{};
    EXPECT_TRUE(RenderOutlineGlyph(again.get(), kCapitalA, GlyphForm::kInk, &glyph));
  }
  const FontFaceCounts reused = ReadFontFaceCounts();
  EXPECT_EQ(reused.namesMatched, first.namesMatched);
  EXPECT_EQ(reused.facesOpened, first.facesOpened);
  EXPECT_EQ(reused.sizesMade, first.sizesMade);
  // A new height scales the open face; nothing is looked up or opened.
  MakeFont("", 29);
  const FontFaceCounts resized = ReadFontFaceCounts();
  EXPECT_EQ(resized.namesMatched, first.namesMatched);
  EXPECT_EQ(resized.facesOpened, first.facesOpened);
  EXPECT_EQ(resized.sizesMade, first.sizesMade + 1);
}

}  // namespace
}  // namespace kumo::platform
