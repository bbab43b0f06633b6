// Image windows on the real platform, headless: records, buffers, captions, selection,
// block copies, palettes and what the window shows.
#include "imagewin/imagewin.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <tuple>
#include <vector>

#include "core/library.h"
#include "imaging/imaging.h"
#include "library_support.h"
#include "platform/message.h"
#include "platform/test.h"
#include "platform/window.h"

namespace {

constexpr SizeLimits kScreenLimits{104, 0, 1280, 1005};  // mode 1 on a 1280 x 1024 screen

class ImageWindow : public ::testing::Test {
 protected:
  void SetUp() override { resetLibrary(); }
  void TearDown() override { resetLibrary(); }

  static void pump() { testsupport::deliverPosted(); }
  static uint32_t* pixels32(int n) { return reinterpret_cast<uint32_t*>(ImagePixels[n]); }
};

TEST(FitZoom, ARequestedZoomThatFitsIsKeptExactly) {
  // 480 * 111 / 100 * 100 / 480 is 110.99999 in floating point.
  for (auto [w, h, zoom] : {std::tuple{800, 480, 111}, std::tuple{800, 480, 123},
                            std::tuple{640, 360, 137}, std::tuple{333, 777, 81}}) {
    const auto fit = FitZoom(w, h, zoom, kScreenLimits);
    ASSERT_TRUE(fit);
    EXPECT_EQ(fit->zoom, zoom) << w << " x " << h;
    EXPECT_EQ(fit->dispWidth, zoom * w / 100);
  }
}

TEST(FitZoom, ExamplesAtTheScreenLimits) {
  auto fit = FitZoom(800, 480, 100, kScreenLimits);
  ASSERT_TRUE(fit);
  EXPECT_EQ(fit->zoom, 100);
  EXPECT_EQ(fit->dispWidth, 800);
  EXPECT_EQ(fit->dispHeight, 480);

  fit = FitZoom(2000, 1000, 100, kScreenLimits);  // the width hits the maximum first
  ASSERT_TRUE(fit);
  EXPECT_EQ(fit->zoom, 64);
  EXPECT_EQ(fit->dispWidth, 1280);
  EXPECT_EQ(fit->dispHeight, 640);

  fit = FitZoom(1000, 2000, 100, kScreenLimits);  // now the height does
  ASSERT_TRUE(fit);
  EXPECT_EQ(fit->zoom, 50);
  EXPECT_EQ(fit->dispHeight, 1000);

  fit = FitZoom(10, 10, 100, kScreenLimits);  // raised to the minimum width
  ASSERT_TRUE(fit);
  EXPECT_EQ(fit->zoom, 1040);
  EXPECT_EQ(fit->dispWidth, 104);
  EXPECT_EQ(fit->dispHeight, 104);
}

TEST(FitZoom, NoZoomOrNegativeZoomGivesTheSmallestSize) {
  for (int z : {0, -5, INT_MIN}) {
    auto fit = FitZoom(800, 480, z, kScreenLimits);
    ASSERT_TRUE(fit) << z;
    EXPECT_EQ(fit->zoom, 13) << z;  // ceil(104 * 100 / 800)
    EXPECT_EQ(fit->dispWidth, 104) << z;
  }
}

TEST(FitZoom, FailsWhenTheMinimumSizeDoesNotFit) {
  // One pixel wide needs zoom 10400 to be 104 wide, which makes it far too tall.
  EXPECT_FALSE(FitZoom(1, 1000, 100, kScreenLimits));
  // Huge sizes and zooms do not overflow.
  auto fit = FitZoom(100000, 100000, INT_MAX, kScreenLimits);
  ASSERT_TRUE(fit);
  EXPECT_EQ(fit->zoom, 1);
  EXPECT_EQ(fit->dispWidth, 1000);
  EXPECT_FALSE(FitZoom(INT_MAX, INT_MAX, INT_MAX, kScreenLimits));
  EXPECT_FALSE(FitZoom(INT_MAX, 1, 100, kScreenLimits));
}

TEST(Caption, MarksEightBitAndSmoothScalingAndStaysWithin255Bytes) {
  EXPECT_EQ(imageCaption("camera", 111, 32, true), "camera(111%)*");
  EXPECT_EQ(imageCaption("camera", 111, 8, true), "camera(111%)[8bit]*");
  EXPECT_EQ(imageCaption("camera", 50, 32, false), "camera(50%)");
  // A long title of three-byte characters is cut before a character, not inside one.
  std::string title;
  for (int i = 0; i < 100; ++i) title += "\xE3\x81\x82";  // あ
  const std::string c = imageCaption(title, 100, 32, false);
  EXPECT_EQ(c.size(), 255u);
  EXPECT_EQ(c, title.substr(0, 255));
  EXPECT_EQ(imageCaption("x" + title, 100, 32, false).size(), 253u);
}

TEST(SplitColorTest, TakesTheThreeChannelsAndIgnoresTheTopByte) {
  const ColorParts p = SplitColor(0xAB123456u);
  EXPECT_EQ(p.red, 0x12);
  EXPECT_EQ(p.green, 0x34);
  EXPECT_EQ(p.blue, 0x56);
}

TEST_F(ImageWindow, SizeLimitsComeFromTheScreen) {
  const SizeLimits s = GetSizeLimits(1);
  EXPECT_EQ(s.minWidth, 104);
  EXPECT_EQ(s.minHeight, 0);
  EXPECT_EQ(s.maxWidth, 1280);
  EXPECT_EQ(s.maxHeight, 1005);
  const SizeLimits f = GetSizeLimits(0);
  EXPECT_EQ(f.minWidth, 1);
  EXPECT_EQ(f.minHeight, 1);
  EXPECT_EQ(f.maxWidth, 2560);
  EXPECT_EQ(f.maxHeight, 2048);
}

TEST_F(ImageWindow, CreationMakesAWindowOfTheZoomedSizeAndSelectsIt) {
  int refreshed = 0;
  static int* counter = &refreshed;
  testsupport::useService(&LibraryServices::refreshWindowEdges, [] { ++*counter; });
  ASSERT_EQ(TAV_CreateImage(5, "camera", 30, 40, 200, 100, 150), 0);
  const ImageWindowRecord& r = ImageTable[5];
  EXPECT_EQ(r.inUse, 1);
  EXPECT_EQ(r.bits, 32);
  EXPECT_EQ(r.sizeLimitMode, 1);
  EXPECT_EQ(r.zoom, 150);
  EXPECT_EQ(r.dispWidth, 300);
  EXPECT_EQ(r.dispHeight, 150);
  EXPECT_EQ(CurrentImage, 5);
  EXPECT_EQ(refreshed, 1);
  EXPECT_EQ(plat::windowClassName(r.window), "tav_iw");
  EXPECT_EQ(plat::getClientRect(r.window), (plat::Rect{0, 0, 300, 150}));
  const plat::Rect outer = plat::getWindowRect(r.window);
  EXPECT_EQ(outer.left, 30);
  EXPECT_EQ(outer.top, 40);
  EXPECT_EQ(plat::test::title(r.window), "camera(150%)");
  EXPECT_EQ(TAV_FindImage(r.window), 5);
  EXPECT_EQ(TAV_GetStretchMode(5), plat::kColorOnColor);
  // A new buffer is black everywhere.
  for (int i = 0; i < 200 * 100; ++i) ASSERT_EQ(pixels32(5)[i], 0u);
}

TEST_F(ImageWindow, ImageWindowsBelongToTheOwnerGiven) {
  imagewin::registerImageWindowClass();
  plat::CreateParams params;
  params.className = "tav_iw";
  params.title = "owner";
  plat::Window owner = plat::createWindow(params);
  ASSERT_TRUE(owner);
  static plat::Window ownerWindow;
  ownerWindow = owner;
  testsupport::useService(&LibraryServices::mainWindow, [] { return ownerWindow; });
  ASSERT_EQ(TAV_CreateImage(0, "a", -1, -1, 10, 10, 100), 0);
  EXPECT_EQ(plat::windowOwner(ImageTable[0].window), owner);
  plat::destroyWindow(owner);
}

TEST_F(ImageWindow, CreationResults) {
  EXPECT_EQ(TAV_CreateImage(256, "x", 0, 0, 10, 10, 100), kCreateBadNumber);
  EXPECT_EQ(TAV_CreateImage8(-1, "x", 0, 0, 10, 10, 100), kCreateBadNumber);
  EXPECT_EQ(createImageWindow(7, "x", 0, 0, 10, 10, 100, 16, 1), kCreateNoBuffer);
  EXPECT_EQ(TAV_CreateImage(7, "x", 0, 0, 1, 100000, 100), kCreateTooLarge);
  EXPECT_EQ(ImageTable[7].inUse, 0);

  ASSERT_EQ(TAV_CreateImage(7, "first", 0, 0, 30, 20, 100), 0);
  const plat::Window first = ImageTable[7].window;
  pixels32(7)[3] = 0x123456;
  EXPECT_EQ(TAV_CreateImage8(7, "second", 0, 0, 5, 5, 100), kCreateInUse);
  EXPECT_EQ(ImageTable[7].window, first);
  EXPECT_EQ(ImageTable[7].bits, 32);
  EXPECT_EQ(ImageTable[7].width, 30);
  EXPECT_EQ(pixels32(7)[3], 0x123456u);
}

TEST_F(ImageWindow, APixelBufferThatCannotBeHadIsRefusedWithoutAWindow) {
  // 200000 x 200000 fits the free limits at zoom 1 but needs 160 GB of pixels.
  ASSERT_EQ(TAV_CreateImageFL(9, "huge", 0, 0, 200000, 200000, 1), kCreateNoBuffer);
  EXPECT_EQ(ImageTable[9].inUse, 0);
  EXPECT_EQ(ImagePixels[9], nullptr);
  EXPECT_FALSE(ImageTable[9].window);
  EXPECT_EQ(TAV_CreateImage(9, "fine", 0, 0, 10, 10, 100), 0);
}

TEST_F(ImageWindow, ZeroOrNegativeSizeIsOnePixel) {
  ASSERT_EQ(TAV_CreateImageFL(1, "t", 0, 0, 0, -4, 100), 0);
  EXPECT_EQ(ImageTable[1].width, 1);
  EXPECT_EQ(ImageTable[1].height, 1);
}

TEST_F(ImageWindow, EightBitBuffersHavePaddedRowsAndAGreyPalette) {
  ASSERT_EQ(TAV_CreateImage8(2, "grey", 0, 0, 5, 3, 100), 0);
  EXPECT_EQ(ImageTable[2].surface->stride(), 8u);
  TAV_PutPixel(4, 1, 77);
  EXPECT_EQ(ImagePixels[2][12], 77);
  plat::PaletteEntry pal[256];
  ASSERT_EQ(TAV_GetPalette(pal), 0);
  EXPECT_EQ(pal[200], (plat::PaletteEntry{200, 200, 200, 0}));
  EXPECT_EQ(plat::test::title(ImageTable[2].window), "grey(2080%)[8bit]");
}

TEST_F(ImageWindow, StretchModeSetsTheMarkAndIgnoresOtherModes) {
  ASSERT_EQ(TAV_CreateImage(3, "camera", 0, 0, 100, 100, 111), 0);
  ASSERT_EQ(TAV_CreateImage8(4, "camera", 0, 0, 100, 100, 111), 0);
  EXPECT_EQ(TAV_SetStretchMode(plat::kHalftone, 3), 0);
  EXPECT_EQ(TAV_SetStretchMode(plat::kHalftone, 4), 0);
  EXPECT_EQ(plat::test::title(ImageTable[3].window), "camera(111%)*");
  EXPECT_EQ(plat::test::title(ImageTable[4].window), "camera(111%)[8bit]*");
  EXPECT_EQ(TAV_GetStretchMode(3), plat::kHalftone);
  EXPECT_EQ(ImageTable[3].surface->stretchMode(), plat::kHalftone);
  EXPECT_EQ(TAV_SetStretchMode(7, 3), 0);  // not a mode: nothing changes
  EXPECT_EQ(TAV_GetStretchMode(3), plat::kHalftone);
  EXPECT_EQ(TAV_SetStretchMode(plat::kColorOnColor, 3), 0);
  EXPECT_EQ(plat::test::title(ImageTable[3].window), "camera(111%)");
  EXPECT_EQ(TAV_SetStretchMode(3, 200), 1);
  EXPECT_EQ(TAV_GetStretchMode(200), 0);
  EXPECT_EQ(TAV_GetStretchMode(-1), 0);
}

TEST_F(ImageWindow, ResizeKeepsPaletteAndStretchModeButNotThePixels) {
  ASSERT_EQ(TAV_CreateImage8FL(6, "pal", 50, 60, 20, 20, 100), 0);
  plat::PaletteEntry red[2] = {{0, 0, 255, 0}, {0, 255, 0, 0}};
  ASSERT_EQ(TAV_SetPalette(red, 2), 0);
  ASSERT_EQ(TAV_SetStretchMode(plat::kHalftone, 6), 0);
  TAV_PutPixel(3, 3, 9);
  TAV_CreateImage(0, "other", 0, 0, 10, 10, 100);  // the resize must select 6 again

  ASSERT_EQ(TAV_ResizeImage(6, 7, 9), 0);
  const ImageWindowRecord& r = ImageTable[6];
  EXPECT_EQ(r.width, 7);
  EXPECT_EQ(r.height, 9);
  EXPECT_EQ(r.bits, 8);
  EXPECT_EQ(r.sizeLimitMode, 1);
  EXPECT_EQ(r.surface->stride(), 8u);
  EXPECT_EQ(CurrentImage, 6);
  EXPECT_EQ(TAV_GetStretchMode(6), plat::kHalftone);
  EXPECT_EQ(plat::getWindowRect(r.window).left, 50);
  EXPECT_EQ(plat::test::title(r.window), "pal(1486%)[8bit]*");
  plat::PaletteEntry pal[256];
  ASSERT_EQ(TAV_GetPalette(pal), 0);
  EXPECT_EQ(pal[0], red[0]);
  EXPECT_EQ(pal[1], red[1]);
  EXPECT_EQ(pal[2], (plat::PaletteEntry{2, 2, 2, 0}));
  for (int i = 0; i < 8 * 9; ++i) ASSERT_EQ(ImagePixels[6][i], 0);

  // A size no zoom can show is refused before anything is lost.
  TAV_PutPixel(2, 2, 5);
  EXPECT_EQ(TAV_ResizeImage(6, 1, 100000), kCreateTooLarge);
  EXPECT_EQ(TAV_ResizeImage(6, 9, 100000), kCreateTooLarge);
  ASSERT_EQ(ImageTable[6].inUse, 1);
  EXPECT_EQ(ImageTable[6].width, 7);
  EXPECT_EQ(ImageTable[6].height, 9);
  EXPECT_EQ(ImagePixels[6][2 * 8 + 2], 5);
  EXPECT_TRUE(plat::isWindow(ImageTable[6].window));
  EXPECT_EQ(TAV_DestroyImage(6), 0);
  EXPECT_EQ(TAV_ResizeImage(6, 5, 5), 1);
}

TEST_F(ImageWindow, DestroyFreesTheNumberAndTheHandleNoLongerMatches) {
  ASSERT_EQ(TAV_CreateImage(8, "gone", 0, 0, 10, 10, 100), 0);
  const plat::Window w = ImageTable[8].window;
  EXPECT_EQ(TAV_DestroyImage(8), 0);
  EXPECT_EQ(ImageTable[8].inUse, 0);
  EXPECT_EQ(ImagePixels[8], nullptr);
  EXPECT_FALSE(plat::isWindow(w));
  EXPECT_EQ(TAV_FindImage(w), -1);
  EXPECT_EQ(TAV_DestroyImage(8), 1);
  EXPECT_EQ(TAV_DestroyImage(256), 1);
  EXPECT_EQ(CurrentImage, 8);  // the current number is left as it was
  EXPECT_EQ(TAV_ShowImage(8), 1);
  // A later window in the same number has a handle of its own.
  ASSERT_EQ(TAV_CreateImage(8, "new", 0, 0, 10, 10, 100), 0);
  EXPECT_EQ(TAV_FindImage(w), -1);
}

TEST_F(ImageWindow, TheCloseBoxDestroysThroughTheSamePath) {
  ASSERT_EQ(TAV_CreateImage(4, "close me", 0, 0, 10, 10, 100), 0);
  plat::Message m;
  m.window = ImageTable[4].window;
  m.kind = plat::Msg::Close;
  plat::sendMessage(m);
  EXPECT_EQ(ImageTable[4].inUse, 0);
  EXPECT_FALSE(plat::isWindow(m.window));
}

TEST_F(ImageWindow, FindImageSelectsInItsSecondForm) {
  ASSERT_EQ(TAV_CreateImage(1, "a", 0, 0, 10, 10, 100), 0);
  ASSERT_EQ(TAV_CreateImage(2, "b", 0, 0, 10, 10, 100), 0);
  EXPECT_EQ(TAV_FindImage(ImageTable[1].window, true), 1);
  EXPECT_EQ(CurrentImage, 1);
  EXPECT_EQ(SelectionHistory[0], 2);
  EXPECT_EQ(TAV_FindImage(plat::Window{}, true), -1);
  EXPECT_EQ(CurrentImage, 1);
}

TEST_F(ImageWindow, RestoreAtStartNeedsWindowZero) {
  EXPECT_EQ(TAV_RestoreImage(), 1);
  ASSERT_EQ(TAV_CreateImage(3, "c", 0, 0, 10, 10, 100), 0);  // history[0] is now 0
  EXPECT_EQ(TAV_RestoreImage(), 1);
  EXPECT_EQ(CurrentImage, 3);
  ASSERT_EQ(TAV_CreateImage(0, "zero", 0, 0, 10, 10, 100), 0);
  TAV_SelectImage(3);
  EXPECT_EQ(TAV_RestoreImage(), 0);
  EXPECT_EQ(CurrentImage, 0);
}

TEST_F(ImageWindow, NineSelectsThenNineRestores) {
  for (int n = 0; n <= 9; ++n) ASSERT_EQ(TAV_CreateImage(n, "w", 0, 0, 10, 10, 100), 0);
  TAV_SelectImage(0);
  for (int n = 1; n <= 9; ++n) ASSERT_EQ(TAV_SelectImage(n), 0);
  EXPECT_EQ(SelectionHistory, (std::array<int, 8>{8, 7, 6, 5, 4, 3, 2, 1}));
  EXPECT_EQ(TAV_SelectImage(300), 1);
  EXPECT_EQ(TAV_SelectImage(-1), 1);
  EXPECT_EQ(CurrentImage, 9);
  for (int expected = 8; expected >= 1; --expected) {
    ASSERT_EQ(TAV_RestoreImage(), 0);
    EXPECT_EQ(CurrentImage, expected);
  }
  ASSERT_EQ(TAV_RestoreImage(), 0);  // the oldest kept entry once more
  EXPECT_EQ(CurrentImage, 1);
  // A free number in the history is refused and changes nothing.
  TAV_SelectImage(5);
  TAV_DestroyImage(1);
  TAV_SelectImage(2);
  EXPECT_EQ(SelectionHistory[0], 5);
  TAV_DestroyImage(5);
  EXPECT_EQ(TAV_RestoreImage(), 1);
  EXPECT_EQ(CurrentImage, 2);
}

TEST_F(ImageWindow, GetImageBlockReadsZeroOutsideThePicture) {
  ASSERT_EQ(TAV_CreateImage(0, "src", 0, 0, 4, 3, 100), 0);
  for (int i = 0; i < 12; ++i) pixels32(0)[i] = 0x100 + i;
  std::vector<uint32_t> block(5 * 4, 0xDEAD);
  TAV_GetImageBlock(block.data(), -2, -1, 5, 4);
  const std::vector<uint32_t> expected = {
      0, 0, 0,     0,     0,      // row -1
      0, 0, 0x100, 0x101, 0x102,  // row 0, columns -2 .. 2
      0, 0, 0x104, 0x105, 0x106,  // row 1
      0, 0, 0x108, 0x109, 0x10A,  // row 2
  };
  EXPECT_EQ(block, expected);
  TAV_GetImageBlock(block.data(), 3, 2, 2, 2);
  EXPECT_EQ(std::vector<uint32_t>(block.begin(), block.begin() + 4),
            (std::vector<uint32_t>{0x10B, 0, 0, 0}));
  TAV_GetImageBlock(block.data(), INT_MAX, INT_MAX, 2, 1);  // no overflow, all outside
  EXPECT_EQ(block[0], 0u);
  EXPECT_EQ(block[1], 0u);
}

TEST_F(ImageWindow, PutImageBlockLandsOnRowZeroAndIsClipped) {
  ASSERT_EQ(TAV_CreateImage8(0, "dst", 0, 0, 5, 2, 100), 0);  // stride 8
  const uint8_t src[3 * 3] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  TAV_PutImageBlock(src, -1, 3, 3);  // column -1 dropped, row 2 below the picture
  TAV_PutImageBlock(src, 4, 3, 1);   // only column 4 inside
  const uint8_t* p = ImagePixels[0];
  EXPECT_EQ((std::vector<uint8_t>(p, p + 16)),
            (std::vector<uint8_t>{2, 3, 0, 0, 1, 0, 0, 0, 5, 6, 0, 0, 0, 0, 0, 0}));
  std::vector<uint8_t> back(5 * 2);
  TAV_GetImageBlock(back.data(), 0, 0, 5, 2);  // packed, no padding
  EXPECT_EQ(back, (std::vector<uint8_t>{2, 3, 0, 0, 1, 5, 6, 0, 0, 0}));
}

TEST_F(ImageWindow, BlocksAndPalettesDoNothingWithoutAnOpenCurrentImage) {
  ASSERT_EQ(TAV_CreateImage(0, "a", 0, 0, 4, 4, 100), 0);
  TAV_DestroyImage(0);
  uint32_t block[4] = {7, 7, 7, 7};
  TAV_GetImageBlock(block, 0, 0, 2, 2);
  EXPECT_EQ(block[0], 7u);
  TAV_PutImageBlock(block, 0, 2, 2);
  plat::PaletteEntry pal[256];
  EXPECT_EQ(TAV_GetPalette(pal), 1);
  EXPECT_EQ(TAV_SetPalette(pal, 1), 1);
  ASSERT_EQ(TAV_CreateImage(0, "a", 0, 0, 4, 4, 100), 0);
  EXPECT_EQ(TAV_GetPalette(pal), 2);
  EXPECT_EQ(TAV_SetPalette(pal, 1), 2);
}

TEST_F(ImageWindow, ShowImageCopiesAtZoom100AndStretchesOtherwise) {
  ASSERT_EQ(TAV_CreateImageFL(0, "flat", 0, 0, 4, 2, 100), 0);
  for (int i = 0; i < 8; ++i) pixels32(0)[i] = 0x010203 * (i + 1);
  ASSERT_EQ(TAV_ShowImage(0), 0);
  plat::test::sync();
  auto shown = plat::test::clientPixels(ImageTable[0].window);
  ASSERT_TRUE(shown);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(shown->row32(y)[x], pixels32(0)[y * 4 + x]);

  ASSERT_EQ(TAV_CreateImage8FL(1, "big", 0, 0, 2, 1, 300), 0);
  plat::PaletteEntry pal[2] = {{0x30, 0x20, 0x10, 0}, {0x33, 0x22, 0x11, 0}};
  TAV_SetPalette(pal, 2);
  ImagePixels[1][1] = 1;
  ASSERT_EQ(TAV_ShowImage(1), 0);
  plat::test::sync();
  shown = plat::test::clientPixels(ImageTable[1].window);
  ASSERT_TRUE(shown);
  ASSERT_EQ(shown->width(), 6);
  EXPECT_EQ(shown->row32(2)[2], 0x102030u);
  EXPECT_EQ(shown->row32(0)[3], 0x112233u);
  EXPECT_EQ(shown->row32(1)[5], 0x112233u);
}

TEST_F(ImageWindow, APaintShowsThePicture) {
  ASSERT_EQ(TAV_CreateImage(0, "paint", 0, 0, 3, 3, 100), 0);
  pump();
  for (int i = 0; i < 9; ++i) pixels32(0)[i] = 0x00ABCDEF;
  plat::invalidate(ImageTable[0].window);
  pump();
  auto shown = plat::test::clientPixels(ImageTable[0].window);
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->row32(1)[1], 0x00ABCDEFu);
  EXPECT_EQ(shown->row32(2)[2], 0x00ABCDEFu);
}

}  // namespace
