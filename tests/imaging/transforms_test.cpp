// Inverting, flipping, rotating and resizing an image window's picture.
#include "drawing_fixture.h"
#include "platform/canvas.h"

namespace {

using namespace imaging;

class Transforms : public Drawing {
 protected:
  // A picture whose every pixel differs, the fourth byte used too.
  static void fillDistinct() {
    for (int y = 0; y < height(); ++y)
      for (int x = 0; x < width(); ++x) TAV_PutPixelQuiet(x, y, 0x5A000000u | (y * 1000 + x + 1));
  }
};

TEST_F(Transforms, RotationsAndFlipsComposeAsTheyShould) {
  for (int bits : {32, 8}) {
    imagewin::resetImageWindows();
    open(7, 5, bits);
    fillDistinct();
    const std::vector<uint32_t> start = pixels();

    ASSERT_EQ(rotateRight(0), 0);
    ASSERT_EQ(width(), 5);
    ASSERT_EQ(height(), 7);
    // The first row is the old first column read from the bottom up.
    for (int x = 0; x < 5; ++x) ASSERT_EQ(TAV_GetPixel(x, 0), start[(4 - x) * 7]) << x;
    ASSERT_EQ(rotateRight(0), 0);
    const std::vector<uint32_t> halfTurn = pixels();
    ASSERT_EQ(rotateRight(0), 0);
    ASSERT_EQ(rotateRight(0), 0);
    EXPECT_EQ(pixels(), start) << bits;

    ASSERT_EQ(rotateRight(0), 0);
    ASSERT_EQ(rotateLeft(0), 0);
    EXPECT_EQ(pixels(), start) << bits;

    ASSERT_EQ(flipHorizontally(0), 0);
    ASSERT_EQ(flipVertically(0), 0);
    EXPECT_EQ(pixels(), halfTurn) << bits;
  }
}

TEST_F(Transforms, LeftRotationBringsTheTopRightCornerToTheTopLeft) {
  open(640, 480);
  fillDistinct();
  const uint32_t topRight = TAV_GetPixel(639, 0), bottomLeft = TAV_GetPixel(0, 479);
  ASSERT_EQ(rotateLeft(0), 0);
  EXPECT_EQ(width(), 480);
  EXPECT_EQ(height(), 640);
  EXPECT_EQ(TAV_GetPixel(0, 0), topRight);
  EXPECT_EQ(TAV_GetPixel(479, 639), bottomLeft);
}

TEST_F(Transforms, FlipsOfOnePixelLinesChangeNothing) {
  open(1, 6);
  fillDistinct();
  const std::vector<uint32_t> start = pixels();
  ASSERT_EQ(flipHorizontally(0), 0);
  EXPECT_EQ(pixels(), start);
  open(6, 1, 32, 1);
  fillDistinct();
  const std::vector<uint32_t> row = pixels();
  ASSERT_EQ(flipVertically(1), 0);
  EXPECT_EQ(pixels(), row);
}

TEST_F(Transforms, EightBitPicturesKeepPaletteModeAndAlignedRows) {
  open(5, 3, 8, 4);
  plat::Palette custom{};
  for (int k = 0; k < 256; ++k)
    custom[k] = {static_cast<uint8_t>(k), 0, static_cast<uint8_t>(255 - k), 0};
  ASSERT_EQ(TAV_SetPalette(custom.data(), 256), 0);
  ASSERT_EQ(TAV_SetStretchMode(plat::kHalftone, 4), 0);
  fillDistinct();
  const std::vector<uint32_t> start = pixels();

  ASSERT_EQ(rotateRight(4), 0);  // 3 wide: rows of 4 bytes
  ASSERT_EQ(width(), 3);
  const uint8_t* bytes = ImagePixels[4];
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 3; ++x)
      ASSERT_EQ(bytes[y * 4 + x], start[(2 - x) * 5 + y]) << x << "," << y;
    ASSERT_EQ(bytes[y * 4 + 3], 0) << "padding of row " << y;
  }
  ASSERT_EQ(scaleImage(4, 2000), 0);
  EXPECT_EQ(width(), 6);
  EXPECT_EQ(height(), 10);
  plat::Palette now{};
  ASSERT_EQ(TAV_GetPalette(now.data()), 0);
  EXPECT_EQ(now, custom);
  EXPECT_EQ(TAV_GetStretchMode(4), plat::kHalftone);
  EXPECT_EQ(ImageTable[4].title, "t");
  EXPECT_EQ(ImageTable[4].bits, 8);
}

TEST_F(Transforms, SizeStepsRoundHalfUpAndResampleInTheWindowsMode) {
  open(101, 50);
  ASSERT_EQ(scaleImage(0, 707), 0);
  EXPECT_EQ(width(), 71);
  EXPECT_EQ(height(), 35);
  ASSERT_EQ(scaleImage(0, 1414), 0);
  EXPECT_EQ(width(), 100);  // 71 * 1.414 = 100.4
  EXPECT_EQ(height(), 49);  // 35 * 1.414 = 49.49
  open(3, 5, 32, 1);
  ASSERT_EQ(scaleImage(1, 500), 0);
  EXPECT_EQ(width(), 2);
  EXPECT_EQ(height(), 3);
  open(1, 1, 32, 2);
  ASSERT_EQ(scaleImage(2, 707), 0);
  EXPECT_EQ(width(), 1);

  // Nearest pixel by default: doubling repeats every pixel; averaging when smooth.
  open(2, 2, 32, 3);
  const uint32_t four[] = {0x000000, 0x0000FF, 0x00FF00, 0xFF0000};
  TAV_PutImageBlock(four, 0, 2, 2);
  ASSERT_EQ(scaleImage(3, 2000), 0);
  EXPECT_EQ(pixels(),
            (std::vector<uint32_t>{0, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0xFF00, 0xFF00, 0xFF0000,
                                   0xFF0000, 0xFF00, 0xFF00, 0xFF0000, 0xFF0000}));
  ASSERT_EQ(TAV_SetStretchMode(plat::kHalftone, 3), 0);
  ASSERT_EQ(scaleImage(3, 500), 0);
  ASSERT_EQ(width(), 2);
  ASSERT_EQ(scaleImage(3, 500), 0);
  ASSERT_EQ(width(), 1);
  const uint32_t mean = TAV_GetPixel(0, 0);
  for (int shift : {0, 8, 16})
    EXPECT_NEAR(static_cast<int>((mean >> shift) & 0xFF), 64, 1) << shift;
}

TEST_F(Transforms, ARefusedReCreationEndsTheStepAndKeepsThePicture) {
  // One pixel wide and twenty high fits only the free limits; the screen limits, which
  // re-creation uses, refuse it at every zoom.
  open(20, 1);
  fillDistinct();
  const std::vector<uint32_t> start = pixels();
  EXPECT_EQ(rotateRight(0), kCreateTooLarge);
  EXPECT_EQ(ImageTable[0].inUse, 1);
  EXPECT_EQ(width(), 20);
  EXPECT_EQ(pixels(), start);
  open(1, 10, 32, 1);
  EXPECT_EQ(scaleImage(1, 2000), kCreateTooLarge);
  EXPECT_EQ(height(), 10);
}

TEST_F(Transforms, InvertTwiceRestoresAndKeepsTheFourthByte) {
  open(4, 3);
  fillDistinct();
  const std::vector<uint32_t> start = pixels();
  ASSERT_EQ(invertImage(0), 0);
  EXPECT_EQ(TAV_GetPixel(0, 0), start[0] ^ 0xFFFFFFu);
  ASSERT_EQ(invertImage(0), 0);
  EXPECT_EQ(pixels(), start);

  open(3, 3, 8, 1);
  TAV_PutPixel(1, 1, 200);
  ASSERT_EQ(invertImage(1), 0);
  EXPECT_EQ(TAV_GetPixel(1, 1), 55u);
  EXPECT_EQ(TAV_GetPixel(0, 0), 255u);
  plat::Palette now{};
  ASSERT_EQ(TAV_GetPalette(now.data()), 0);
  EXPECT_EQ(now, plat::greyPalette());
}

TEST_F(Transforms, NumbersNotOpenAreRefused) {
  for (int n : {-1, 5, 256}) {
    EXPECT_EQ(invertImage(n), 1);
    EXPECT_EQ(flipHorizontally(n), 1);
    EXPECT_EQ(flipVertically(n), 1);
    EXPECT_EQ(rotateRight(n), 1);
    EXPECT_EQ(rotateLeft(n), 1);
    EXPECT_EQ(scaleImage(n, 500), 1);
  }
}

}  // namespace
