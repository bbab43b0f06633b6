// Clipped pixel access on the current image window.
#include <gtest/gtest.h>

#include <cstring>

#include "core/library.h"
#include "imagewin/imagewin.h"
#include "imaging/imaging.h"

namespace {

class PixelAccess : public ::testing::Test {
 protected:
  void SetUp() override { resetLibrary(); }
  void TearDown() override { resetLibrary(); }
};

TEST_F(PixelAccess, ThirtyTwoBitPixelsAreWholeWordsAndClipped) {
  ASSERT_EQ(TAV_CreateImage(0, "p", 0, 0, 6, 4, 100), 0);
  TAV_PutPixel(5, 3, 0xAB123456u);  // the fourth byte is stored and read back as it is
  EXPECT_EQ(TAV_GetPixel(5, 3), 0xAB123456u);
  EXPECT_EQ(TAV_GetPixelOrNone(5, 3), static_cast<int32_t>(0xAB123456u));
  EXPECT_EQ(reinterpret_cast<uint32_t*>(ImagePixels[0])[3 * 6 + 5], 0xAB123456u);
  EXPECT_EQ((PenPosition), (plat::Point{5, 3}));

  TAV_PutPixel(-1, 0, 0x111111);  // outside: no pixel, but the pen moves
  EXPECT_EQ((PenPosition), (plat::Point{-1, 0}));
  TAV_PutPixel(6, 0, 0x111111);
  TAV_PutPixel(0, 4, 0x111111);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x)
      if (x != 5 || y != 3) {
        ASSERT_EQ(TAV_GetPixel(x, y), 0u);
      }

  EXPECT_EQ(TAV_GetPixel(6, 0), 0u);
  EXPECT_EQ(TAV_GetPixelOrNone(6, 0), -1);
  EXPECT_EQ(TAV_GetPixelOrNone(0, -1), -1);
  EXPECT_EQ(TAV_GetPixelOrNone(0, 0), 0);

  TAV_PutPixelQuiet(1, 1, 0x00FF00);
  EXPECT_EQ(TAV_GetPixel(1, 1), 0x00FF00u);
  EXPECT_EQ((PenPosition), (plat::Point{0, 4}));
}

TEST_F(PixelAccess, XorInvertsTheColourAndTwiceRestoresIt) {
  ASSERT_EQ(TAV_CreateImage(0, "x", 0, 0, 3, 3, 100), 0);
  TAV_PutPixel(1, 2, 0x7F123456u);
  TAV_XorPixel(1, 2);
  EXPECT_EQ(TAV_GetPixel(1, 2), 0x7FEDCBA9u);
  EXPECT_EQ((PenPosition), (plat::Point{1, 2}));
  TAV_XorPixelQuiet(1, 2);
  EXPECT_EQ(TAV_GetPixel(1, 2), 0x7F123456u);
  EXPECT_EQ((PenPosition), (plat::Point{1, 2}));
  TAV_XorPixel(3, 0);  // outside: nothing but the pen
  EXPECT_EQ((PenPosition), (plat::Point{3, 0}));

  ASSERT_EQ(TAV_CreateImage8(1, "x8", 0, 0, 3, 3, 100), 0);
  TAV_PutPixel(2, 2, 0x1234F0);  // the low byte is the index
  EXPECT_EQ(TAV_GetPixel(2, 2), 0xF0u);
  TAV_XorPixel(2, 2);
  EXPECT_EQ(TAV_GetPixel(2, 2), 0x0Fu);
}

TEST_F(PixelAccess, ClearImageZeroesTheRowPaddingToo) {
  ASSERT_EQ(TAV_CreateImage8(2, "c", 0, 0, 5, 3, 100), 0);
  std::memset(ImagePixels[2], 0xFF, 8 * 3);
  EXPECT_EQ(TAV_ClearImage(2), 0);
  for (int i = 0; i < 8 * 3; ++i) ASSERT_EQ(ImagePixels[2][i], 0) << i;
  EXPECT_EQ(TAV_ClearImage(3), 1);
  EXPECT_EQ(TAV_ClearImage(-1), 1);
}

// A closed window's buffer is gone: the current image then has no pixels at all.
TEST_F(PixelAccess, AClosedCurrentImageReadsNothingAndTakesNoWrites) {
  ASSERT_EQ(TAV_CreateImage(4, "closed", 0, 0, 8, 8, 100), 0);
  TAV_PutPixel(1, 1, 0x123456);
  ASSERT_EQ(TAV_DestroyImage(4), 0);
  ASSERT_EQ(CurrentImage, 4);
  EXPECT_EQ(TAV_GetPixel(1, 1), 0u);
  EXPECT_EQ(TAV_GetPixelOrNone(1, 1), -1);
  TAV_PutPixel(2, 2, 0xFFFFFF);
  EXPECT_EQ((PenPosition), (plat::Point{2, 2}));
  TAV_PutPixelQuiet(2, 2, 0xFFFFFF);
  TAV_XorPixel(2, 2);
  TAV_XorPixelQuiet(2, 2);
  // A new window in that number starts black: nothing reached a buffer meanwhile.
  ASSERT_EQ(TAV_CreateImage(4, "again", 0, 0, 8, 8, 100), 0);
  EXPECT_EQ(TAV_GetPixel(2, 2), 0u);
  CurrentImage = 300;  // out of range
  EXPECT_EQ(TAV_GetPixelOrNone(0, 0), -1);
  TAV_PutPixel(0, 0, 1);
}

}  // namespace
