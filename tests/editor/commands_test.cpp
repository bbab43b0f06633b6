// The editor's commands that need no picked point, on 32-bit and 8-bit windows, as the
// window gets them from its menus and keys: files, clipboard, zoom, size, processing,
// test patterns, colour and font choice, and dropped files.
#include <array>
#include <cstring>
#include <functional>

#include "editor_fixture.h"
#include "interchange/clipboard_images.h"
#include "platform/imagefile.h"

namespace {

namespace id = ids::image;
namespace fs = std::filesystem;

class Commands : public Editor {
 protected:
  // A w x h PNG file of one colour.
  std::string pngOf(const std::string& name, int w, int h, uint32_t color) {
    auto s = plat::Surface::create(w, h, 32);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) s->row32(y)[x] = color;
    EXPECT_EQ(plat::saveImageFile(*s, path(name)), plat::ImageFileError::None);
    return path(name);
  }
  static bool allBytesZero(int n) {
    const plat::Surface& s = *ImageTable[n].surface;
    for (size_t i = 0; i < s.byteSize(); ++i)
      if (s.data()[i] != 0) return false;
    return true;
  }
};

TEST_F(Commands, LoadDrawsTheChosenFileAtTheCornerOfThisWindow) {
  const std::string file = pngOf("in.png", 4, 3, 0xABCDEF);
  open32(0, 20, 10);
  open32(1, 20, 10);  // current
  const uint32_t outside = px(0, 4, 0);
  plat::test::answerNextFileDialog(file);
  command(0, id::kLoadFile);
  EXPECT_EQ(CurrentImage, 0);
  EXPECT_EQ(px(0, 0, 0), 0xABCDEFu);
  EXPECT_EQ(px(0, 3, 2), 0xABCDEFu);
  EXPECT_EQ(px(0, 4, 0), outside);
  EXPECT_EQ(ImageTable[0].width, 20);

  // Cancelled: nothing is drawn (the window is current all the same).
  const std::vector<uint32_t> before = pixelsOf(1);
  plat::test::answerNextFileDialog("");
  command(1, id::kLoadFile);
  EXPECT_EQ(pixelsOf(1), before);
}

TEST_F(Commands, SaveAsWritesTheWholePictureInTheChosenType) {
  open32(0, 13, 7);
  open8(1, 9, 5);
  open32(2, 4, 4);                                     // current
  plat::test::answerNextFileDialog(path("out32"), 5);  // PNG
  command(0, id::kSaveAs);
  EXPECT_EQ(CurrentImage, 0);
  plat::LoadedImage back = plat::loadImageFile(path("out32.png"));
  ASSERT_TRUE(back.object);
  ASSERT_EQ(back.object->width(), 13);
  ASSERT_EQ(back.object->height(), 7);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x) ASSERT_EQ(back.object->row32(y)[x], px(0, x, y)) << x << "," << y;

  // An 8-bit window keeps its indices and palette in an indexed file.
  plat::test::answerNextFileDialog(path("out8"), 2);  // BMP
  command(1, id::kSaveAs);
  back = plat::loadImageFile(path("out8.bmp"));
  ASSERT_TRUE(back.object);
  ASSERT_EQ(back.object->bits(), 8);
  for (int y = 0; y < 5; ++y)
    EXPECT_EQ(std::memcmp(back.object->row8(y), ImageTable[1].surface->row8(y), 9), 0);
  EXPECT_EQ(back.object->palette()[200], ImageTable[1].surface->palette()[200]);

  // JPEG at the best quality for this save only; a cancelled dialog writes nothing.
  JpegQuality = 40;
  plat::test::answerNextFileDialog(path("photo"), 3);
  command(0, id::kSaveAs);
  EXPECT_TRUE(fs::exists(path("photo.jpg")));
  EXPECT_EQ(JpegQuality, 40);
  plat::test::answerNextFileDialog("", 5);
  command(0, id::kSaveAs);
  EXPECT_EQ(std::distance(fs::directory_iterator(path("")), fs::directory_iterator()), 3);
}

TEST_F(Commands, CutCopiesThenLeavesEveryByteZero) {
  open32(0, 10, 6);
  open8(1, 9, 5);  // rows padded to 12 bytes
  for (int n : {0, 1}) {
    const std::vector<uint32_t> before = pixelsOf(n);
    command(n, id::kCut);
    EXPECT_TRUE(allBytesZero(n)) << n;
    // The picture went to the clipboard first: pasted back it is there again.
    command(n, id::kPasteAtOrigin);
    EXPECT_EQ(pixelsOf(n), before) << n;
  }
}

TEST_F(Commands, CopyKeepsThePictureAndCtrlVPastesAtTheCorner) {
  open32(0, 5, 4);
  const std::vector<uint32_t> copied = pixelsOf(0);
  command(0, id::kCopy);
  EXPECT_EQ(pixelsOf(0), copied);
  ASSERT_EQ(TAV_CreateImageFL(1, "target", 0, 0, 8, 8, 100), kCreateOk);
  plat::test::key(win(1), 'V', true);
  pump();
  EXPECT_EQ(px(1, 0, 0), copied[0]);
  EXPECT_EQ(px(1, 4, 3), copied[3 * 5 + 4]);
  EXPECT_EQ(px(1, 5, 0), 0u);
  EXPECT_EQ(px(1, 0, 4), 0u);
}

TEST_F(Commands, ZoomEntriesAndTypedZoomAndSize) {
  open32(0, 300, 200);
  command(0, id::kZoom50);
  EXPECT_EQ(ImageTable[0].zoom, 50);
  command(0, id::kZoom200);
  EXPECT_EQ(ImageTable[0].zoom, 200);
  command(0, id::kZoom100);
  EXPECT_EQ(ImageTable[0].zoom, 100);

  answers = {"150"};
  command(0, id::kTypedZoom);
  EXPECT_EQ(ImageTable[0].zoom, 150);
  answers = {"30", "20"};
  command(0, id::kTypedResize);
  EXPECT_EQ(ImageTable[0].width, 30);
  EXPECT_EQ(ImageTable[0].height, 20);
  EXPECT_EQ(prompts, (std::vector<std::string>{
                         "[0] Zoom(%)=", "[0] New x-size(pixel)=", "[0] New y-size(pixel)="}));
}

TEST_F(Commands, DestroyFromTheMenuAndCtrlQ) {
  open32(0, 20, 20);
  open8(1, 20, 20);
  command(0, id::kDestroy);
  EXPECT_FALSE(ImageTable[0].inUse);
  plat::test::key(win(1), 'Q', true);
  pump();
  EXPECT_FALSE(ImageTable[1].inUse);
}

TEST_F(Commands, InvertAndFlipsWorkInPlaceWithoutMakingTheWindowCurrent) {
  open32(0, 7, 5);
  open8(1, 7, 5);
  open32(2, 3, 3);  // current
  const std::vector<uint32_t> p32 = pixelsOf(0), p8 = pixelsOf(1);
  command(0, id::kInvert);
  command(1, id::kInvert);
  EXPECT_EQ(px(0, 2, 3), p32[3 * 7 + 2] ^ 0xFFFFFFu);
  EXPECT_EQ(px(1, 2, 3), 255u - p8[3 * 7 + 2]);
  command(0, id::kInvert);
  command(0, id::kHorizontalFlip);
  EXPECT_EQ(px(0, 0, 1), p32[1 * 7 + 6]);
  command(1, id::kInvert);
  command(1, id::kVerticalFlip);
  EXPECT_EQ(px(1, 2, 0), p8[4 * 7 + 2]);
  EXPECT_EQ(CurrentImage, 2);
}

TEST_F(Commands, RotationsAndSizesRemakeTheWindowAndMakeItCurrent) {
  open32(0, 3, 2);
  open8(1, 101, 50);
  open32(2, 3, 3);
  const std::vector<uint32_t> p = pixelsOf(0);
  command(0, id::kRightRotate);
  EXPECT_EQ(CurrentImage, 0);
  ASSERT_EQ(ImageTable[0].width, 2);
  ASSERT_EQ(ImageTable[0].height, 3);
  EXPECT_EQ(px(0, 1, 0), p[0]);  // clockwise: the top-left corner goes to the top right
  command(0, id::kLeftRotate);
  EXPECT_EQ(pixelsOf(0), p);

  const plat::PaletteEntry kept = ImageTable[1].surface->palette()[77];
  command(1, id::kSize70);
  EXPECT_EQ(CurrentImage, 1);
  EXPECT_EQ(ImageTable[1].width, 71);
  EXPECT_EQ(ImageTable[1].height, 35);
  EXPECT_EQ(ImageTable[1].bits, 8);
  EXPECT_EQ(ImageTable[1].surface->palette()[77], kept);
  command(2, id::kSize141);
  EXPECT_EQ(ImageTable[2].width, 4);
  EXPECT_EQ(ImageTable[2].height, 4);
  command(1, id::kSize50);
  EXPECT_EQ(ImageTable[1].width, 36);
  EXPECT_EQ(ImageTable[1].height, 18);
  command(1, id::kSize200);
  EXPECT_EQ(ImageTable[1].width, 72);
  EXPECT_EQ(ImageTable[1].height, 36);
}

TEST_F(Commands, TestPatternsPaintThisWindowAndMakeItCurrent) {
  const std::array<std::pair<int, void (*)()>, 6> patterns = {{
      {id::kPatternRgb, TAV_PatternRGB},
      {id::kPatternHsv, TAV_PatternHSV},
      {id::kPatternYCrCb, TAV_PatternYCrCb},
      {id::kPatternYuv, TAV_PatternYuv},
      {id::kPatternYiq, TAV_PatternYIQ},
      {id::kPatternGrey, TAV_PatternGrey},
  }};
  for (int bits : {32, 8}) {
    for (const auto& [command_id, paint] : patterns) {
      imagewin::resetImageWindows();
      if (bits == 32) {
        open32(0, 64, 48);
        open32(1, 64, 48);
      } else {
        open8(0, 64, 48);
        open8(1, 64, 48);
      }
      TAV_SelectImage(1);
      paint();  // the oracle, on window 1
      TAV_SelectImage(1);
      command(0, command_id);
      EXPECT_EQ(CurrentImage, 0);
      EXPECT_EQ(pixelsOf(0), pixelsOf(1)) << command_id << " at " << bits << " bits";
    }
  }
}

TEST_F(Commands, ColorChangeCancelledAppliesTheColourItOpenedWith) {
  open32(0, 20, 20);
  DrawColor = 0xff0000;
  tav_tc = 0x00ff00;
  tav_tttc = 0x0000ff;
  plat::test::answerNextColorDialog(std::nullopt);
  command(0, id::kColorChange);
  ASSERT_TRUE(plat::test::lastColorDialog());
  EXPECT_EQ(plat::test::lastColorDialog()->color, 0xff0000u);
  EXPECT_EQ(DrawColor, 0xff0000u);
  EXPECT_EQ(tav_tc, 0xff0000u);
  EXPECT_EQ(tav_tttc, 0xff0000u);
}

TEST_F(Commands, ColorChangeSetsAllThreeColoursAndKeepsTheCustomColours) {
  open8(0, 20, 20);
  plat::CustomColors mine{};
  mine[3] = 0x123456;
  EXPECT_EQ(plat::test::lastColorDialog(), std::nullopt);
  plat::test::answerNextColorDialog(0x00a0b0c0, mine);
  command(0, id::kColorChange);
  EXPECT_EQ(plat::test::lastColorDialog()->custom, plat::CustomColors{});  // black at start
  EXPECT_EQ(DrawColor, 0xa0b0c0u);
  EXPECT_EQ(tav_tc, 0xa0b0c0u);
  EXPECT_EQ(tav_tttc, 0xa0b0c0u);
  plat::test::answerNextColorDialog(std::nullopt);
  command(0, id::kColorChange);
  EXPECT_EQ(plat::test::lastColorDialog()->custom, mine);
  EXPECT_EQ(plat::test::lastColorDialog()->color, 0xa0b0c0u);
}

TEST_F(Commands, FontChangeOpensOnTheFontAndKeepsItWhenCancelled) {
  open32(0, 20, 20);
  const plat::FontDescription start = imaging::trueTypeDescription();
  plat::test::answerNextFontDialog(std::nullopt);
  command(0, id::kFontChange);
  ASSERT_TRUE(plat::test::lastFontDialog());
  EXPECT_EQ(plat::test::lastFontDialog()->height, start.height);
  EXPECT_EQ(plat::test::lastFontDialog()->face, start.face);
  EXPECT_EQ(imaging::trueTypeDescription().height, start.height);

  plat::FontDescription bold = start;
  bold.height = -24;
  bold.weight = 700;
  bold.italic = true;
  plat::test::answerNextFontDialog(bold);
  command(0, id::kFontChange);
  const plat::FontDescription now = imaging::trueTypeDescription();
  EXPECT_EQ(now.height, -24);
  EXPECT_EQ(now.weight, 700);
  EXPECT_TRUE(now.italic);
  // The next chooser opens on the font chosen.
  plat::test::answerNextFontDialog(std::nullopt);
  command(0, id::kFontChange);
  EXPECT_EQ(plat::test::lastFontDialog()->weight, 700);
}

TEST_F(Commands, ADroppedFileGoesIntoThatWindowAndTheCurrentOneStays) {
  const std::string file = pngOf("drop.png", 3, 2, 0x405060);
  open32(0, 30, 20);
  open8(1, 30, 20);
  open32(2, 30, 20);  // current
  const uint32_t outside = px(0, 3, 0);
  plat::test::dropFiles(win(0), {file, pngOf("second.png", 3, 2, 0x111111)});
  pump();
  EXPECT_EQ(px(0, 0, 0), 0x405060u);
  EXPECT_EQ(px(0, 2, 1), 0x405060u);
  EXPECT_EQ(px(0, 3, 0), outside);
  EXPECT_EQ(CurrentImage, 2);
  EXPECT_EQ(ImageTable[0].width, 30);
  // Into an 8-bit window the colour takes its nearest palette entry.
  plat::test::dropFiles(win(1), {file});
  pump();
  EXPECT_EQ(px(1, 0, 0), plat::nearestPaletteIndex(ImageTable[1].surface->palette(), 0x405060));
  EXPECT_EQ(CurrentImage, 2);
}

TEST_F(Commands, UnknownIdentifiersAreIgnored) {
  open32(0, 20, 20);
  open32(1, 20, 20);
  const std::vector<uint32_t> before = pixelsOf(0);
  for (int unknown : {1006, 1020, 1033, 1044, 1045, 1050, 1051, 1056, 1057, 1069, 1072, 0, -1})
    command(0, unknown);
  EXPECT_EQ(pixelsOf(0), before);
  EXPECT_EQ(CurrentImage, 1);
  EXPECT_TRUE(ImageTable[0].inUse);
}

}  // namespace
