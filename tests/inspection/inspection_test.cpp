// Pixel inspection on the real platform, headless: the readout printed to the text
// window, the profile and chroma plot windows, and the commands behind the picks.
#include "inspection/inspection.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/ids.h"
#include "core/library.h"
#include "imagewin/imagewin.h"
#include "imaging/imaging.h"
#include "imaging/pick.h"
#include "pick_script.h"
#include "textwin/textwin.h"

namespace {

using testsupport::PickScript;

class Inspection : public testing::Test, protected PickScript {
 protected:
  void SetUp() override {
    resetLibrary();
    install();
  }
  void TearDown() override { resetLibrary(); }

  // Opens image window n with every pixel `color`, and makes it current.
  static void openFilled(int n, int width, int height, uint32_t color, int bits = 32) {
    const int made = bits == 32 ? TAV_CreateImageFL(n, "p", 0, 0, width, height, 100)
                                : TAV_CreateImage8FL(n, "p", 0, 0, width, height, 100);
    ASSERT_EQ(made, kCreateOk);
    TAV_SelectImage(n);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) TAV_PutPixelQuiet(x, y, color);
  }

  static uint32_t plotPixel(int n, int x, int y) {
    return ImageTable[n].surface->row32(y)[x] & 0xFFFFFF;
  }
  static int inkOf(int n, uint32_t color, int left, int top, int right, int bottom) {
    int count = 0;
    for (int y = top; y <= bottom; ++y)
      for (int x = left; x <= right; ++x) count += plotPixel(n, x, y) == color;
    return count;
  }
  static int openWindowCount() {
    int count = 0;
    for (const ImageWindowRecord& rec : ImageTable) count += rec.inUse;
    return count;
  }

  // Text window 0 with everything printed into it kept, read back by printed() with
  // the log's line ends turned back into plain line feeds.
  static void openKeptTextWindow() {
    ASSERT_EQ(TAV_OpenTextWindow(0, 0, 0, 400, 300), 0);
    TextWindowRecord& rec = TextWindowTable[0];
    rec.logFile = std::tmpfile();
    ASSERT_NE(rec.logFile, nullptr);
    rec.logState = 1;
  }
  static std::string printed() {
    std::FILE* f = TextWindowTable[0].logFile;
    std::fflush(f);
    std::rewind(f);
    std::string text;
    for (int c; (c = std::fgetc(f)) != EOF;) {
      if (c != '\r') text.push_back(static_cast<char>(c));  // the log stores CR LF
    }
    return text;
  }
};

TEST_F(Inspection, ReadoutOfThePrimariesAndWhite) {
  openFilled(0, 120, 40, 0);
  TAV_PutPixelQuiet(1, 2, 0xFF0000);
  TAV_PutPixelQuiet(3, 4, 0xFFFFFF);
  TAV_PutPixelQuiet(5, 6, 0x0000FF);
  TAV_PutPixelQuiet(7, 8, 0x00FF00);
  EXPECT_EQ(inspection::pixelReadout(1, 2),
            "(X,Y)=(1,2)\n(R,G,B)=(255,0,0)\n(H,S,V)=(0,255,255)\n(Y,Cr,Cb)=(76,128,-42)\n"
            "(Y,u,v)=(76,-36,157)\n(Y,I,Q)=(76,152,53)\n\n");
  const std::string white = inspection::pixelReadout(3, 4);
  EXPECT_NE(white.find("(R,G,B)=(255,255,255)\n"), std::string::npos);
  EXPECT_NE(white.find("(Y,Cr,Cb)=(255,0,0)\n(Y,u,v)=(255,0,0)\n(Y,I,Q)=(255,0,0)\n\n"),
            std::string::npos);
  EXPECT_NE(inspection::pixelReadout(5, 6).find("(Y,Cr,Cb)=(29,-20,128)\n"), std::string::npos);
  EXPECT_NE(inspection::pixelReadout(7, 8).find("(Y,Cr,Cb)=(150,-106,-83)\n"), std::string::npos);
  // Outside the picture the pixel reads 0.
  EXPECT_NE(inspection::pixelReadout(500, 2).find("(R,G,B)=(0,0,0)\n"), std::string::npos);
}

TEST_F(Inspection, AnEightBitReadoutShowsTheIndexWhateverThePalette) {
  openFilled(0, 120, 40, 200, 8);
  plat::PaletteEntry entries[256] = {};
  ASSERT_EQ(TAV_SetPalette(entries, 256), 0);
  EXPECT_EQ(inspection::pixelReadout(9, 9), "(X,Y)=(9,9)\n(Luminance)=(200)\n\n");
}

TEST_F(Inspection, PixelPicksAPointAndPrintsItsReadout) {
  openKeptTextWindow();
  openFilled(0, 120, 40, 0x123456);
  TAV_PutPixelQuiet(20, 10, 0x00FF00);
  press(20, 10);
  EXPECT_EQ(inspection::runInspection(ids::image::kPixel, 0), kPickDone);
  EXPECT_EQ(printed(), inspection::pixelReadout(20, 10));
  // Cancelled: nothing more is printed.
  press(20, 10, Button::Right);
  EXPECT_EQ(inspection::showPixel(0), kPickCancelled);
  EXPECT_EQ(printed(), inspection::pixelReadout(20, 10));
}

TEST_F(Inspection, ProfilesAreAsWideAsThePictureAndTheirLabelsAndOpenInTheLowestFreeNumber) {
  openFilled(2, 640, 40, 0xFF0000);
  ASSERT_EQ(TAV_CreateImageFL(0, "other", 0, 0, 120, 40, 100), kCreateOk);
  TAV_SelectImage(2);
  move(5, 7, 2);
  press(5, 7, Button::Left, 2);
  ASSERT_EQ(inspection::showProfile(2, inspection::Profile::Rgb), kPickDone);
  // Number 1 was the lowest free one; the plot stays current.
  ASSERT_TRUE(ImageTable[1].inUse);
  EXPECT_EQ(CurrentImage, 1);
  EXPECT_EQ(ImageTable[1].width, 652);
  EXPECT_EQ(ImageTable[1].height, 128);
  EXPECT_EQ(ImageTable[1].bits, 32);
  EXPECT_EQ(ImageTable[1].title, "RGB(Y=7)");
  // Red 255 lies on the top row, green and blue 0 on the bottom one (blue drawn last).
  EXPECT_EQ(plotPixel(1, 12, 0), 0xFF0000u);
  EXPECT_EQ(plotPixel(1, 651, 0), 0xFF0000u);
  EXPECT_EQ(plotPixel(1, 300, 127), 0x0000FFu);
  EXPECT_EQ(plotPixel(1, 11, 0), 0u);  // left of the curves: the label margin
  EXPECT_GT(inkOf(1, 0xFF0000, 2, 26, 9, 39), 0);
  EXPECT_GT(inkOf(1, 0x00FF00, 2, 58, 9, 71), 0);
  EXPECT_GT(inkOf(1, 0x0000FF, 2, 90, 9, 103), 0);
  EXPECT_EQ(tav_tc, 0x0000FFu);

  TAV_SelectImage(2);
  press(5, 9, Button::Left, 2);
  ASSERT_EQ(inspection::runInspection(ids::image::kLineYCrCb, 2), kPickDone);
  ASSERT_TRUE(ImageTable[3].inUse);
  EXPECT_EQ(ImageTable[3].width, 660);
  EXPECT_EQ(ImageTable[3].title, "YCrCb(Y=9)");
  // Y 76, Cr + 128 = 256, Cb + 128 = 86 for red.
  EXPECT_EQ(plotPixel(3, 20, 127 - 76 * 127 / 255), 0xFFFFFFu);
  EXPECT_EQ(plotPixel(3, 20, 0), 0xFF8888u);
  EXPECT_EQ(plotPixel(3, 659, 127 - 86 * 127 / 255), 0x8888FFu);
  EXPECT_GT(inkOf(3, 0xFFFFFF, 4, 26, 11, 39), 0);
  EXPECT_EQ(inkOf(3, 0xFFFFFF, 0, 26, 3, 39), 0);
}

TEST_F(Inspection, HueOf359LiesOnTheTopRow) {
  uint32_t color = 0;
  // Red below full, so that S and V lie below the hue's curve.
  for (uint32_t blue = 1; blue < 256 && !color; ++blue)
    if (TAV_GetHue(0xC80000 | blue) == 359) color = 0xC80000 | blue;
  ASSERT_NE(color, 0u);
  openFilled(0, 120, 20, color);
  const int plot = inspection::plotProfile(inspection::Profile::Hsv, 3);
  ASSERT_EQ(plot, 1);
  EXPECT_EQ(ImageTable[1].title, "HSV(Y=3)");
  EXPECT_EQ(ImageTable[1].width, 132);
  EXPECT_EQ(plotPixel(1, 50, 0), 0xFFFF00u);
  EXPECT_EQ(plotPixel(1, 50, 127 - 200 * 127 / 255), 0x00FFFFu);  // V 200, drawn last
}

TEST_F(Inspection, LuminanceProfileOfAnEightBitRowPlotsTheIndex) {
  openFilled(0, 640, 20, 200, 8);
  const int plot = inspection::plotProfile(inspection::Profile::Luminance, 4);
  ASSERT_EQ(plot, 1);
  EXPECT_EQ(ImageTable[1].title, "Luminance(Y=4)");
  EXPECT_EQ(ImageTable[1].width, 652);
  EXPECT_EQ(plotPixel(1, 100, 127 - 200 * 127 / 255), 0xFFFFFFu);
  EXPECT_EQ(plotPixel(1, 100, 127), 0u);
  EXPECT_GT(inkOf(1, 0xFFFFFF, 2, 26, 9, 39), 0);
}

TEST_F(Inspection, ChromaOfPureRedAndGrey) {
  EXPECT_EQ(inspection::chromaPoint(0xFF0000).x, 86);
  EXPECT_EQ(inspection::chromaPoint(0xFF0000).y, 0);
  for (uint32_t grey : {0x000000u, 0x808080u, 0xFFFFFFu}) {
    EXPECT_EQ(inspection::chromaPoint(grey).x, 128);
    EXPECT_EQ(inspection::chromaPoint(grey).y, 128);
  }
  // A box of red and grey: both points in white, the axes and labels round them.
  openFilled(0, 120, 40, 0x404040);
  TAV_PutPixelQuiet(10, 20, 0xFF0000);
  TAV_PutPixelQuiet(12, 20, 0xFF0000);
  const int plot = inspection::plotAreaChroma(10, 20, 12, 21);
  ASSERT_EQ(plot, 1);
  EXPECT_EQ(CurrentImage, 1);
  EXPECT_EQ(ImageTable[1].title, "CrCb(10,20)-(12,21)");
  EXPECT_EQ(ImageTable[1].width, 256);
  EXPECT_EQ(ImageTable[1].height, 256);
  EXPECT_EQ(plotPixel(1, 86, 0), 0xFFFFFFu);
  EXPECT_EQ(plotPixel(1, 128, 128), 0xFFFFFFu);
  EXPECT_EQ(plotPixel(1, 0, 128), 0x808080u);
  EXPECT_EQ(plotPixel(1, 128, 255), 0x808080u);
  EXPECT_GT(inkOf(1, 0xFF8888, 110, 2, 125, 15), 0);
  EXPECT_GT(inkOf(1, 0x8888FF, 238, 130, 253, 143), 0);
  // The first row goes red, grey, red: a white line between the two points.
  EXPECT_GT(inkOf(1, 0xFFFFFF, 104, 64, 110, 64), 0);
}

TEST_F(Inspection, TheRowChromaAlternatesItsSegmentColours) {
  // A grey row of 120 pixels has 119 segments, all at (128, 128): the last is magenta.
  openFilled(0, 120, 10, 0x777777);
  ASSERT_EQ(inspection::plotRowChroma(2), 1);
  EXPECT_EQ(ImageTable[1].title, "CrCb(Y=2)");
  EXPECT_EQ(plotPixel(1, 128, 128), 0xFF00FFu);
  // With 121 pixels there are 120: the last is white.
  openFilled(2, 121, 10, 0x777777);
  ASSERT_EQ(inspection::plotRowChroma(2), 1 + 2);
  EXPECT_EQ(plotPixel(3, 128, 128), 0xFFFFFFu);
  // Red first: the first segment, from red to grey, is magenta.
  openFilled(4, 121, 10, 0x777777);
  TAV_PutPixelQuiet(0, 5, 0xFF0000);
  ASSERT_EQ(inspection::plotRowChroma(5), 5);
  EXPECT_GT(inkOf(5, 0xFF00FF, 104, 64, 110, 64), 0);
  EXPECT_EQ(inkOf(5, 0xFFFFFF, 104, 64, 110, 64), 0);
  EXPECT_EQ(plotPixel(5, 128, 128), 0xFFFFFFu);
}

TEST_F(Inspection, NothingOpensWhenEveryNumberIsInUse) {
  openKeptTextWindow();
  for (int n = 0; n < kImageWindowCount; ++n)
    ASSERT_EQ(TAV_CreateImageFL(n, "f", 0, 0, 120, 30, 100), kCreateOk) << n;
  TAV_SelectImage(7);
  const int before = openWindowCount();
  for (int id : {ids::image::kLineRgb, ids::image::kLineHsv, ids::image::kLineYCrCb,
                 ids::image::kLineLuminance, ids::image::kLineCrCb}) {
    press(3, 4, Button::Left, 7);
    EXPECT_EQ(inspection::runInspection(id, 7), kPickDone) << id;
  }
  press(3, 4, Button::Left, 7);
  press(9, 9, Button::Left, 7);
  EXPECT_EQ(inspection::runInspection(ids::image::kAreaCrCb, 7), kPickDone);
  EXPECT_EQ(openWindowCount(), before);
  EXPECT_EQ(CurrentImage, 7);
  EXPECT_EQ(inspection::plotAreaChroma(0, 0, 3, 3), -1);
  EXPECT_EQ(printed(), "");
}

TEST_F(Inspection, ACancelledPickOpensNothing) {
  openFilled(0, 120, 40, 0xFF0000);
  for (int id : {ids::image::kLineRgb, ids::image::kLineCrCb, ids::image::kAreaCrCb}) {
    press(3, 4, Button::Middle);
    EXPECT_EQ(inspection::runInspection(id, 0), kPickCancelled) << id;
  }
  EXPECT_EQ(openWindowCount(), 1);
  EXPECT_EQ(inspection::runInspection(ids::image::kPixel, 9), kPickBadWindow);
  EXPECT_EQ(inspection::runInspection(ids::image::kCopy, 0), -1);
}

}  // namespace
