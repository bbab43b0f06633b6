// Text: the bitmap font's table and layout, and TrueType text through the platform.
#include <cstring>
#include <string>

#include "drawing_fixture.h"
#include "platform/font.h"

namespace {

std::vector<int> rowsUsed(char c) {
  std::vector<int> rows;
  for (int k = 0; k < kGlyphHeight; ++k)
    if (BitmapFont[c - 32][k]) rows.push_back(k);
  return rows;
}
std::vector<int> range(int first, int last) {
  std::vector<int> r;
  for (int k = first; k <= last; ++k) r.push_back(k);
  return r;
}

TEST(BitmapFont, TellingRowsAndTheRowsEachKindOfGlyphUses) {
  using Glyph = std::array<uint8_t, kGlyphHeight>;
  EXPECT_EQ(BitmapFont['!' - 32],
            (Glyph{0, 0, 0x18, 0x3C, 0x3C, 0x3C, 0x18, 0x18, 0, 0x18, 0x18, 0, 0, 0}));
  EXPECT_EQ(BitmapFont['A' - 32],
            (Glyph{0, 0, 0x18, 0x3C, 0x66, 0x66, 0x66, 0x7E, 0x66, 0x66, 0x66, 0, 0, 0}));
  EXPECT_EQ(BitmapFont['g' - 32],
            (Glyph{0, 0, 0, 0, 0x3E, 0x66, 0x66, 0x66, 0x66, 0x66, 0x3E, 0x06, 0x06, 0x7C}));
  EXPECT_EQ(rowsUsed('_'), std::vector<int>{13});
  EXPECT_EQ(rowsUsed(' '), std::vector<int>{});
  EXPECT_EQ(BitmapFont[127 - 32], Glyph{});
  for (int c = 33; c < 127; ++c) EXPECT_NE(BitmapFont[c - 32], Glyph{}) << "code " << c;
  for (char c = 'A'; c <= 'Z'; ++c) EXPECT_EQ(rowsUsed(c), range(2, c == 'Q' ? 12 : 10)) << c;
  for (char c = '0'; c <= '9'; ++c) EXPECT_EQ(rowsUsed(c), range(2, 10)) << c;
  for (char c : std::string("acemnorsuvwxz")) EXPECT_EQ(rowsUsed(c), range(4, 10)) << c;
  for (char c : std::string("gpqy")) EXPECT_EQ(rowsUsed(c), range(4, 13)) << c;
  for (char c : std::string("bdhkl")) EXPECT_EQ(rowsUsed(c), range(2, 10)) << c;
}

// Whether the glyph of c is drawn in colour with its cell's top-left at (x, top), and
// nothing but the glyph's set bits changed from `ground` there.
void expectGlyphAt(char c, int x, int top, uint32_t color, uint32_t ground) {
  for (int k = 0; k < kGlyphHeight; ++k)
    for (int col = 0; col < kGlyphWidth; ++col) {
      const bool set = BitmapFont[c - 32][k] & (0x80 >> col);
      ASSERT_EQ(TAV_GetPixel(x + col, top + k), set ? color : ground)
          << c << " row " << k << " column " << col;
    }
}

TEST_F(Drawing, BitmapTextLaysOutLinesAndWraps) {
  open(100, 60);
  tav_tc = 0x00FF00;
  TextCursor = {10, 30, 10};
  TAV_PutString("Hi\nyo");
  expectGlyphAt('H', 10, 16, 0x00FF00, 0);
  expectGlyphAt('i', 18, 16, 0x00FF00, 0);
  expectGlyphAt('y', 10, 32, 0x00FF00, 0);
  expectGlyphAt('o', 18, 32, 0x00FF00, 0);
  EXPECT_EQ(TextCursor.x, 26);
  EXPECT_EQ(TextCursor.y, 46);

  // Controls other than the line feed and bytes above 127 neither draw nor move.
  const std::vector<uint32_t> before = pixels();
  TAV_PutString("\t\x01\xC3\xA9\x80");
  TAV_PutChar(-5);
  TAV_PutChar(300);
  EXPECT_EQ(pixels(), before);
  EXPECT_EQ(TextCursor.x, 26);

  // 20 pixels wide: after two glyphs x = 16 > 12, so the third starts the next line.
  open(20, 40, 32, 1);
  fillWithNoise(5);
  const std::vector<uint32_t> ground = pixels();
  TextCursor = {0, 20, 0};
  TAV_PutString("abc");
  EXPECT_EQ(TextCursor.x, 8);
  EXPECT_EQ(TextCursor.y, 36);
  for (int k = 0; k < kGlyphHeight; ++k)
    for (int col = 0; col < kGlyphWidth; ++col) {
      const bool set = BitmapFont['c' - 32][k] & (0x80 >> col);
      const int y = 22 + k;
      ASSERT_EQ(TAV_GetPixel(col, y), set ? 0x00FF00u : ground[y * 20 + col]);
    }
}

TEST_F(Drawing, BitmapTextAboveThePictureDrawsNothing) {
  open(30, 30);
  TextCursor = {0, 0, 0};
  TAV_PutString("AB");
  EXPECT_TRUE(litPoints().empty());
  EXPECT_EQ(TextCursor.x, 16);
}

TEST_F(Drawing, ImagePrintfFormatsAndStopsAt4095Bytes) {
  open(40, 20);
  tav_tc = 0xFFFFFF;
  TextCursor = {0, 14, 0};
  TAV_ImagePrintf("%d%s", 4, "2");
  expectGlyphAt('4', 0, 0, 0xFFFFFF, 0);
  expectGlyphAt('2', 8, 0, 0xFFFFFF, 0);

  // In a picture one pixel wide every glyph wraps, so the cursor counts the glyphs.
  open(1, 1, 32, 1);
  TextCursor = {0, 0, 0};
  const std::string many(5000, '.');
  TAV_ImagePrintf("%s", many.c_str());
  EXPECT_EQ(TextCursor.y, 4095 * 16);
}

class TrueTypeText : public Drawing {
 protected:
  static int advanceOf(char32_t c) {
    const std::unique_ptr<plat::Font> font = plat::createFont(imaging::trueTypeDescription());
    return plat::charAdvance(*font, c);
  }
};

TEST_F(TrueTypeText, LatinAndJapaneseAdvanceByTheirWidthsInTheCellAboveTheCursor) {
  open(80, 40);
  fillWithNoise(9);
  const std::vector<uint32_t> ground = pixels();
  tav_tttc = 0xFF8000;
  TextCursor = {2, 30, 2};
  TAV_TrueTypeString("Ag\xE3\x81\x82");  // "Agあ"
  EXPECT_EQ(advanceOf('A'), 8);
  EXPECT_GE(advanceOf(U'\u3042'), 2 * advanceOf('A') - 1);  // full width
  EXPECT_EQ(TextCursor.x, 2 + advanceOf('A') + advanceOf('g') + advanceOf(U'\u3042'));
  int changed = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 80; ++x) {
      const uint32_t v = TAV_GetPixel(x, y);
      if (v == ground[y * 80 + x]) continue;
      ++changed;
      ASSERT_EQ(v, 0xFF8000u);  // the background stays: only text pixels change
      ASSERT_GE(y, 30 - 16 + 1);
      ASSERT_LE(y, 30);
      ASSERT_GE(x, 2);
      ASSERT_LT(x, TextCursor.x);
    }
  EXPECT_GT(changed, 40);
}

TEST_F(TrueTypeText, AnIncompleteCharacterEndsTheTextAndAMalformedByteIsSkipped) {
  open(60, 30);
  TextCursor = {0, 20, 0};
  TAV_TrueTypeString("\xE3");
  TAV_TrueTypeString("\xE3\x81");
  EXPECT_TRUE(litPoints().empty());
  EXPECT_EQ(TextCursor.x, 0);
  TAV_TrueTypeString(
      "A\xFF"
      "B\xE3\x81");
  EXPECT_EQ(TextCursor.x, advanceOf('A') + advanceOf('B'));
}

TEST_F(TrueTypeText, ControlCodesChangeTheFontAndFeedLines) {
  open(60, 60);
  TextCursor = {7, 20, 3};
  TAV_TrueTypeChar(3);
  TAV_TrueTypeChar(1);
  TAV_TrueTypeChar(5);
  plat::FontDescription d = imaging::trueTypeDescription();
  EXPECT_EQ(d.weight, 700);
  EXPECT_TRUE(d.italic);
  EXPECT_TRUE(d.underline);
  TAV_TrueTypeChar(4);
  TAV_TrueTypeChar(2);
  TAV_TrueTypeChar(6);
  d = imaging::trueTypeDescription();
  EXPECT_EQ(d.weight, 400);
  EXPECT_FALSE(d.italic);
  EXPECT_FALSE(d.underline);
  TAV_TrueTypeChar(7);  // other controls do nothing
  EXPECT_TRUE(litPoints().empty());
  EXPECT_EQ(TextCursor.x, 7);

  TAV_TrueTypeChar(10);
  EXPECT_EQ(TextCursor.x, 3);
  EXPECT_EQ(TextCursor.y, 36);
  EXPECT_EQ(TAV_SetTrueTypeSize(20, 30), 0);
  d = imaging::trueTypeDescription();
  EXPECT_EQ(d.width, 10);
  EXPECT_EQ(d.height, 30);
  TAV_TrueTypeString("\n");
  EXPECT_EQ(TextCursor.y, 66);
  EXPECT_EQ(TAV_SetTrueTypeSize(20, -1), 1);  // refused: the cell stays
  EXPECT_EQ(imaging::trueTypeCellHeight(), 30);
}

// Height 0 asks for the face's default height: the font is made from a description of
// height 0 and draws; the cell height is the 0 asked for, as the sizes are taken as given.
TEST_F(TrueTypeText, HeightZeroTakesTheFacesDefaultHeight) {
  open(80, 60);
  ASSERT_EQ(TAV_SetTrueTypeSize(20, 30), 0);
  ASSERT_EQ(TAV_SetTrueTypeSize(20, 0), 0);
  EXPECT_EQ(imaging::trueTypeDescription().height, 0);
  EXPECT_EQ(imaging::trueTypeDescription().width, 10);
  EXPECT_EQ(imaging::trueTypeCellHeight(), 0);
  TextCursor = {4, 30, 4};
  TAV_TrueTypeChar('W');
  EXPECT_FALSE(litPoints().empty());
  EXPECT_EQ(TextCursor.x, 4 + advanceOf('W'));
  EXPECT_GT(advanceOf('W'), 0);
}

TEST_F(TrueTypeText, EightBitImagesTakeTheNearestPaletteIndex) {
  open(40, 30, 8);
  tav_tttc = 0x7F8081;  // nearest grey entry: 128
  TextCursor = {0, 20, 0};
  TAV_TrueTypeString("W");
  const std::set<std::pair<int, int>> lit = litPoints();
  EXPECT_FALSE(lit.empty());
  for (const auto& [x, y] : lit) ASSERT_EQ(TAV_GetPixel(x, y), 128u);
}

}  // namespace
