// Text output with the stock fixed-pitch font and with TrueType fonts.
#include "platform/font.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace plat {
namespace {

FontDescription described(int height, int width = 0, int weight = 400, bool italic = false) {
  FontDescription d;
  d.height = height;
  d.width = width;
  d.weight = weight;
  d.italic = italic;
  return d;
}

constexpr uint32_t kPaper = 0x123456, kInk = 0xFFFF00, kBack = 0x0000C0;

std::unique_ptr<Surface> paper(int w, int h, int bits = 32, uint32_t fill = kPaper) {
  auto s = Surface::create(w, h, bits);
  if (bits == 32) fillRect(*s, {0, 0, w, h}, fill);
  return s;
}

uint32_t at(const Surface& s, int x, int y) {
  return s.bits() == 32 ? s.row32(y)[x] : s.row8(y)[x];
}

// Pixels of the colour in [x0, x1) x [y0, y1).
int count(const Surface& s, uint32_t v, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += at(s, x, y) == v;
  return n;
}

TEST(Font, StockMetricsAndCellAdvances) {
  const FontMetrics m = stockFontMetrics();
  EXPECT_EQ(m.charWidth, 8);  // IPAGothic at pixel size 16
  EXPECT_EQ(m.lineHeight, 17);
  EXPECT_GT(m.ascent, 0);
  EXPECT_LT(m.ascent, m.lineHeight);
  auto s = paper(8, 8);
  TextStyle t;
  EXPECT_EQ(textOut(*s, 0, 0, u"A", t), m.charWidth);
  EXPECT_EQ(textOut(*s, 0, 0, u"あ", t), 2 * m.charWidth);
  EXPECT_EQ(textOut(*s, 0, 0, u"é", t), 2 * m.charWidth);  // any unit from 128 on
  EXPECT_EQ(textOut(*s, 0, 0, u"Aあ1\t", t), 5 * m.charWidth);
  EXPECT_EQ(textOut(*s, 0, 0, u"\U0001F600", t), 4 * m.charWidth);  // two units, two cells each
  EXPECT_EQ(textOut(*s, 0, 0, u"", t), 0);
}

TEST(Font, OpaqueTextFillsExactlyItsCells) {
  const FontMetrics m = stockFontMetrics();
  auto s = paper(60, 30);
  TextStyle t{kInk, kBack, true, nullptr};
  const int x = 3, y = 4, w = textOut(*s, x, y, u" Aあ", t);
  ASSERT_EQ(w, 4 * m.charWidth);
  for (int py = 0; py < 30; ++py)
    for (int px = 0; px < 60; ++px) {
      const bool cell = px >= x && px < x + w && py >= y && py < y + m.lineHeight;
      const uint32_t v = at(*s, px, py);
      if (!cell)
        ASSERT_EQ(v, kPaper) << px << "," << py;
      else
        ASSERT_TRUE(v == kInk || v == kBack) << std::hex << v << " at " << px << "," << py;
    }
  const int cw = m.charWidth, bottom = y + m.lineHeight;
  EXPECT_EQ(count(*s, kInk, x, y, x + cw, bottom), 0);                // the space
  EXPECT_GT(count(*s, kInk, x + cw, y, x + 2 * cw, bottom), 10);      // 'A' in one cell
  EXPECT_GT(count(*s, kInk, x + 2 * cw, y, x + 4 * cw, bottom), 20);  // 'あ' in two
}

TEST(Font, TransparentTextChangesOnlyGlyphPixels) {
  auto s = paper(40, 20);
  TextStyle t{kInk, kBack, false, nullptr};
  textOut(*s, 2, 1, u"Hi あ", t);
  const int ink = count(*s, kInk, 0, 0, 40, 20);
  EXPECT_GT(ink, 20);
  EXPECT_EQ(ink + count(*s, kPaper, 0, 0, 40, 20), 40 * 20);
}

TEST(Font, EightBitTextTakesTheNearestPaletteIndexInTheSameShape) {
  const std::u16string text = u"Wgあ%";
  auto s32 = paper(50, 20, 32, 0);
  auto s8 = paper(50, 20, 8);
  s8->palette()[200] = {0x00, 0xFE, 0xFE, 0};  // nearest to the ink
  s8->palette()[201] = {0xC2, 0x01, 0x00, 0};  // nearest to the background
  for (bool opaque : {false, true}) {
    TextStyle t{kInk, kBack, opaque, nullptr};
    EXPECT_EQ(textOut(*s8, 1, 2, text, t), textOut(*s32, 1, 2, text, t));
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 50; ++x) {
        const uint32_t v32 = at(*s32, x, y);
        const uint32_t v8 = at(*s8, x, y);
        ASSERT_EQ(v8, v32 == kInk ? 200u : v32 == kBack ? 201u : 0u) << x << "," << y;
      }
  }
}

TEST(Font, TextAtTheEdgesIsClippedToTheSurface) {
  // Drawn on a small surface, the text looks exactly like the same part of it drawn on a
  // large one; ASan watches that nothing is written outside.
  for (int bits : {32, 8})
    for (auto [x, y] : {std::pair{-11, -7}, {5, 9}, {-3, 12}, {14, -12}, {-100, 0}}) {
      auto small = paper(20, 16, bits);
      auto large = paper(220, 56, bits);
      TextStyle t{kInk, kBack, true, nullptr};
      textOut(*small, x, y, u"WMあ@#", t);
      textOut(*large, x + 100, y + 20, u"WMあ@#", t);
      for (int py = 0; py < 16; ++py)
        for (int px = 0; px < 20; ++px)
          ASSERT_EQ(at(*small, px, py), at(*large, px + 100, py + 20))
              << bits << " bits, text at " << x << "," << y << " pixel " << px << "," << py;
    }
  auto tiny = paper(1, 1);
  textOut(*tiny, 0x7FFFFFF0, 0x7FFFFFF0, u"AAAAAAAA", {});
  textOut(*tiny, -0x7FFFFFFF, -0x7FFFFFFF, u"AAAAAAAA", {});
  EXPECT_EQ(at(*tiny, 0, 0), kPaper);
}

TEST(Font, TrueTypeFontsFromDescriptions) {
  const auto gothic = createFont({});
  FontDescription unknownFace;
  unknownFace.face = "No Such Face 123";
  const auto unknown = createFont(unknownFace);
  ASSERT_TRUE(gothic && unknown);
  const FontMetrics g = fontMetrics(*gothic);
  EXPECT_EQ(g.lineHeight, fontMetrics(*unknown).lineHeight);
  EXPECT_LE(g.lineHeight, 16);  // a positive height is the cell height
  EXPECT_GT(g.lineHeight, 12);
  const auto cell17 = createFont(described(17));  // the stock font's size again
  EXPECT_EQ(fontMetrics(*cell17).lineHeight, 17);
  EXPECT_EQ(charAdvance(*cell17, U'A'), 8);
  EXPECT_EQ(charAdvance(*cell17, U'あ'), 16);
  EXPECT_EQ(charAdvance(*gothic, 0x110000), 0);

  const auto large = createFont(described(-40));  // a character height
  EXPECT_GT(fontMetrics(*large).lineHeight, 40);
  const auto wide = createFont(described(16, 2 * g.charWidth));
  EXPECT_NEAR(fontMetrics(*wide).charWidth, 2 * g.charWidth, 1);

  auto s = paper(80, 20);
  TextStyle t{kInk, kBack, true, gothic.get()};
  const int w = textOut(*s, 0, 0, u"AB", t);
  EXPECT_EQ(w, charAdvance(*gothic, U'A') + charAdvance(*gothic, U'B'));
  EXPECT_EQ(count(*s, kPaper, 0, 0, w, g.lineHeight), 0);
  EXPECT_EQ(count(*s, kInk, 0, 0, 80, 20) + count(*s, kBack, 0, 0, 80, 20), w * g.lineHeight);

  auto bold = createFont(described(16, 0, 700));
  auto plain = paper(80, 20), heavy = paper(80, 20);
  textOut(*plain, 0, 0, u"AB", t);
  t.font = bold.get();
  textOut(*heavy, 0, 0, u"AB", t);
  EXPECT_GT(count(*heavy, kInk, 0, 0, 80, 20), count(*plain, kInk, 0, 0, 80, 20));
}

TEST(Font, TwoThreadsDrawAtTheSameTime) {
  auto expected = paper(100, 20);
  const auto font = createFont(described(14, 0, 400, true));
  const std::u16string text = u"Text あいう 123";
  TextStyle stock{kInk, kBack, true, nullptr}, trueType{kBack, kInk, false, font.get()};
  textOut(*expected, 0, 0, text, stock);
  textOut(*expected, 3, 2, text, trueType);
  auto draw = [&](Surface& s) {
    for (int i = 0; i < 100; ++i) {
      textOut(s, 0, 0, text, stock);
      textOut(s, 3, 2, text, trueType);
    }
  };
  auto mine = paper(100, 20), theirs = paper(100, 20);
  std::thread worker([&] { draw(*theirs); });
  draw(*mine);
  worker.join();
  for (const Surface* s : {mine.get(), theirs.get()})
    ASSERT_EQ(0, std::memcmp(s->data(), expected->data(), s->byteSize()));
}

}  // namespace
}  // namespace plat
