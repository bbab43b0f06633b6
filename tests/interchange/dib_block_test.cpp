// Clipboard picture blocks: the exact layout written, and reading blocks from other
// programs, where every size is checked against the block's length.
#include "interchange/dib_block.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using interchange::DibError;
using interchange::DibPicture;
using interchange::readDibBlock;
using interchange::writeDibBlock;

uint32_t at32(const std::vector<uint8_t>& b, size_t i) {
  uint32_t v;
  std::memcpy(&v, b.data() + i, 4);
  return v;
}
void set32(std::vector<uint8_t>& b, size_t i, uint32_t v) {
  std::memcpy(b.data() + i, &v, 4);
}
void set16(std::vector<uint8_t>& b, size_t i, uint16_t v) {
  std::memcpy(b.data() + i, &v, 2);
}

std::unique_ptr<plat::Surface> rgbPicture(int w, int h) {
  auto s = plat::Surface::create(w, h, 32);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) s->row32(y)[x] = 0x010203u * (x + 1) + 0x300000u * y + 7;
  }
  return s;
}

// A block of the given header size: common fields, then `extra` zero bytes.
std::vector<uint8_t> block(uint32_t headerSize, int32_t w, int32_t h, int bits,
                           uint32_t compression, uint32_t used, size_t extra) {
  std::vector<uint8_t> b(headerSize + extra, 0);
  set32(b, 0, headerSize);
  set32(b, 4, static_cast<uint32_t>(w));
  set32(b, 8, static_cast<uint32_t>(h));
  set16(b, 12, 1);
  set16(b, 14, static_cast<uint16_t>(bits));
  set32(b, 16, compression);
  set32(b, 32, used);
  return b;
}

TEST(DibBlockWrite, TrueColourRowsArePaddedBottomUpWithoutTheFourthByte) {
  auto s = rgbPicture(5, 3);
  s->row32(0)[0] = 0xAA112233u;  // the fourth byte is not colour
  const std::vector<uint8_t> b = writeDibBlock(*s);
  ASSERT_EQ(b.size(), 40u + 16 * 3);
  EXPECT_EQ(at32(b, 0), 40u);
  EXPECT_EQ(at32(b, 4), 5u);
  EXPECT_EQ(at32(b, 8), 3u);
  EXPECT_EQ(b[12] | b[13] << 8, 1);
  EXPECT_EQ(b[14] | b[15] << 8, 24);
  for (size_t i = 16; i < 40; ++i) EXPECT_EQ(b[i], 0) << "header byte " << i;
  for (int r = 0; r < 3; ++r) {
    const uint8_t* row = b.data() + 40 + 16 * r;
    const int y = 2 - r;
    for (int x = 0; x < 5; ++x) {
      const uint32_t c = s->row32(y)[x];
      EXPECT_EQ(row[3 * x], c & 0xFF);
      EXPECT_EQ(row[3 * x + 1], (c >> 8) & 0xFF);
      EXPECT_EQ(row[3 * x + 2], (c >> 16) & 0xFF);
    }
    EXPECT_EQ(row[15], 0) << "pad byte of row " << r;
  }
}

TEST(DibBlockWrite, IndexedRowsFollowTheWholePalette) {
  auto s = plat::Surface::create(5, 4, 8);
  for (int i = 0; i < 256; ++i) s->palette()[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 9};
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 5; ++x) s->row8(y)[x] = static_cast<uint8_t>(y * 10 + x);
  }
  const std::vector<uint8_t> b = writeDibBlock(*s);
  ASSERT_EQ(b.size(), 1064u + 8 * 4);
  EXPECT_EQ(b[14], 8);
  EXPECT_EQ(at32(b, 32), 0u);  // colours used: 0 means all 256
  for (int i = 0; i < 256; ++i) {
    const uint8_t* e = b.data() + 40 + 4 * i;
    EXPECT_EQ(e[0], i);
    EXPECT_EQ(e[1], 255 - i);
    EXPECT_EQ(e[2], i / 2);
    EXPECT_EQ(e[3], 0);
  }
  for (int r = 0; r < 4; ++r) {
    EXPECT_EQ(std::memcmp(b.data() + 1064 + 8 * r, s->row8(3 - r), 5), 0) << "row " << r;
  }
}

TEST(DibBlockWrite, RefusesABlockOverItsLimit) {
  auto s = rgbPicture(5, 3);
  EXPECT_TRUE(writeDibBlock(*s, 40 + 16 * 3 - 1).empty());
  EXPECT_EQ(writeDibBlock(*s, 40 + 16 * 3).size(), 88u);
}

TEST(DibBlockRead, WrittenBlocksReadBackExactly) {
  auto s = rgbPicture(7, 5);
  DibPicture p;
  const std::vector<uint8_t> b = writeDibBlock(*s);
  ASSERT_EQ(readDibBlock(b.data(), b.size(), p), DibError::None);
  ASSERT_EQ(p.width, 7);
  ASSERT_EQ(p.height, 5);
  EXPECT_EQ(p.colourCount, 0);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 7; ++x) EXPECT_EQ(p.pixels[y * 7 + x], s->row32(y)[x] & 0xFFFFFF);
  }
  auto g = plat::Surface::create(3, 2, 8);
  g->palette() = plat::greyPalette();
  g->row8(0)[0] = 200, g->row8(1)[2] = 17;
  const std::vector<uint8_t> gb = writeDibBlock(*g);
  ASSERT_EQ(readDibBlock(gb.data(), gb.size(), p), DibError::None);
  EXPECT_EQ(p.colourCount, 256);
  EXPECT_EQ(p.pixels[0], 0xC8C8C8u);
  EXPECT_EQ(p.pixels[5], 0x111111u);
  EXPECT_EQ(p.pixels[1], 0u);
}

// Every header size, with rows either way up: a 2 x 2 picture of 32 bits with masks.
TEST(DibBlockRead, EveryHeaderSizeAndBothRowOrders) {
  for (uint32_t size : {40u, 52u, 56u, 108u, 124u}) {
    for (int32_t h : {2, -2}) {
      const size_t masksAfter = size == 40 ? 12 : 0;
      std::vector<uint8_t> b = block(size, 2, h, 32, 3, 0, masksAfter + 16);
      // Blue in the high byte, red in the low one: the masks must be honoured.
      set32(b, 40, 0x000000FF), set32(b, 44, 0x0000FF00), set32(b, 48, 0xFF000000);
      const size_t rows = size + masksAfter;
      set32(b, rows, 0x30000010);       // stored first
      set32(b, rows + 12, 0x40002020);  // stored last
      DibPicture p;
      ASSERT_EQ(readDibBlock(b.data(), b.size(), p), DibError::None) << size << " " << h;
      const uint32_t first = 0x100030, last = 0x202040;
      EXPECT_EQ(p.pixels[h < 0 ? 0 : 2], first) << size << " " << h;
      EXPECT_EQ(p.pixels[h < 0 ? 3 : 1], last) << size << " " << h;
    }
  }
  // The core header: 16-bit sizes, three-byte colours.
  std::vector<uint8_t> core(12 + 2 * 3 + 4, 0);
  set32(core, 0, 12), set16(core, 4, 3), set16(core, 6, 1), set16(core, 8, 1), set16(core, 10, 1);
  core[15] = 0xFF, core[16] = 0x80, core[17] = 0x01;  // colour 1: blue ff, green 80, red 01
  core[18] = 0xA0;                                    // pixels 1, 0, 1
  DibPicture p;
  ASSERT_EQ(readDibBlock(core.data(), core.size(), p), DibError::None);
  EXPECT_EQ(p.pixels, (std::vector<uint32_t>{0x0180FF, 0, 0x0180FF}));
  EXPECT_EQ(p.colourCount, 2);
}

TEST(DibBlockRead, EveryDepth) {
  DibPicture p;
  // 4 bits, 3 colours used: the rows follow the three entries; index 5 is past the
  // table and reads as black.
  std::vector<uint8_t> b4 = block(40, 3, 1, 4, 0, 3, 12 + 4);
  b4[40 + 4 * 2 + 2] = 0x77;  // colour 2 red
  b4[52] = 0x25, b4[53] = 0x20;
  ASSERT_EQ(readDibBlock(b4.data(), b4.size(), p), DibError::None);
  EXPECT_EQ(p.pixels, (std::vector<uint32_t>{0x770000, 0, 0x770000}));
  EXPECT_EQ(p.colourCount, 3);
  // 16 bits, default 5-5-5 and 5-6-5 masks after the header.
  std::vector<uint8_t> b16 = block(40, 2, 1, 16, 0, 0, 4);
  set16(b16, 40, 0x7C00), set16(b16, 42, 0x001F);
  ASSERT_EQ(readDibBlock(b16.data(), b16.size(), p), DibError::None);
  EXPECT_EQ(p.pixels, (std::vector<uint32_t>{0xFF0000, 0x0000FF}));
  std::vector<uint8_t> b565 = block(40, 1, 1, 16, 3, 0, 12 + 4);
  set32(b565, 40, 0xF800), set32(b565, 44, 0x07E0), set32(b565, 48, 0x001F);
  set16(b565, 52, 0x07E0);
  ASSERT_EQ(readDibBlock(b565.data(), b565.size(), p), DibError::None);
  EXPECT_EQ(p.pixels, (std::vector<uint32_t>{0x00FF00}));
  // 24 bits, and 32 bits without masks ignore the fourth byte.
  std::vector<uint8_t> b32 = block(40, 1, 1, 32, 0, 0, 4);
  set32(b32, 40, 0xEE123456);
  ASSERT_EQ(readDibBlock(b32.data(), b32.size(), p), DibError::None);
  EXPECT_EQ(p.pixels, (std::vector<uint32_t>{0x123456}));
  // 8 bits with an optional table on a deeper picture: the rows follow it.
  std::vector<uint8_t> b24 = block(40, 1, 1, 24, 0, 2, 8 + 4);
  b24[48] = 1, b24[49] = 2, b24[50] = 3;
  ASSERT_EQ(readDibBlock(b24.data(), b24.size(), p), DibError::None);
  EXPECT_EQ(p.pixels, (std::vector<uint32_t>{0x030201}));
  EXPECT_EQ(p.colourCount, 0);
}

TEST(DibBlockRead, HostileBlocksAreRefusedAndChangeNothing) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    DibError error;
  };
  auto with = [](std::vector<uint8_t> b, size_t at, uint32_t v) {
    set32(b, at, v);
    return b;
  };
  const std::vector<uint8_t> ok = block(40, 2, 2, 24, 0, 0, 16);
  std::vector<uint8_t> badPlanes = ok;
  set16(badPlanes, 12, 0);
  std::vector<uint8_t> badBits = ok;
  set16(badBits, 14, 2);
  const Case cases[] = {
      {"empty", {}, DibError::TooShort},
      {"three bytes", {40, 0, 0}, DibError::TooShort},
      {"header size 41", with(ok, 0, 41), DibError::BadHeaderSize},
      {"header size huge", with(ok, 0, 0xFFFFFFF0), DibError::BadHeaderSize},
      {"header past the end", std::vector<uint8_t>(ok.begin(), ok.begin() + 39),
       DibError::TooShort},
      {"width 0", with(ok, 4, 0), DibError::BadSize},
      {"negative width", with(ok, 4, 0xFFFFFFFE), DibError::BadSize},
      {"height 0", with(ok, 8, 0), DibError::BadSize},
      {"height INT_MIN", with(ok, 8, 0x80000000), DibError::BadSize},
      {"overflowing size", with(with(ok, 4, 0x7FFFFFFF), 8, 0x7FFFFFFF), DibError::TooLarge},
      {"overflowing stride", with(with(ok, 4, 0x7FFFFFFF), 8, 1), DibError::TooLarge},
      {"planes 0", badPlanes, DibError::BadPlanes},
      {"2 bits", badBits, DibError::BadBits},
      {"run-length", with(ok, 16, 1), DibError::BadCompression},
      {"bit fields at 24 bits", with(ok, 16, 3), DibError::BadCompression},
      {"bit fields, no room for masks", block(40, 1, 1, 32, 3, 0, 4), DibError::Truncated},
      {"257 colours", block(40, 1, 1, 8, 0, 257, 257 * 4 + 4), DibError::BadColourCount},
      {"colours used huge", block(40, 1, 1, 8, 0, 0xFFFFFFFF, 4), DibError::BadColourCount},
      {"table past the end", block(40, 1, 1, 8, 0, 0, 255 * 4), DibError::BadColourCount},
      {"rows one byte short", std::vector<uint8_t>(ok.begin(), ok.end() - 3), DibError::Truncated},
  };
  for (const Case& c : cases) {
    DibPicture p;
    p.width = 77;
    EXPECT_EQ(readDibBlock(c.bytes.data(), c.bytes.size(), p), c.error) << c.what;
    EXPECT_EQ(p.width, 77) << c.what;
    EXPECT_TRUE(p.pixels.empty()) << c.what;
  }
  // The last row may lack its padding; one byte less is too little.
  DibPicture p;
  EXPECT_EQ(readDibBlock(ok.data(), ok.size() - 2, p), DibError::None);
}

TEST(DibBlockRead, EveryPrefixOfAValidBlockIsRefused) {
  auto s = plat::Surface::create(3, 3, 8);
  const std::vector<uint8_t> b = writeDibBlock(*s);
  DibPicture p;
  for (size_t n = 0; n + 1 < b.size(); ++n) {
    EXPECT_NE(readDibBlock(b.data(), n, p), DibError::None) << n;
  }
  EXPECT_EQ(readDibBlock(b.data(), b.size() - 1, p), DibError::None);  // padding may be cut
}

}  // namespace
