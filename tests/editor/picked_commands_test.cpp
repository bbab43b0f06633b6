// The editor's commands that take points the user picks, driven by injected mouse input
// one step per pass of the picking tool: clipping, drawing, text, fill, colour pick,
// paste at a place and the inspection entries; cancelled picks; no menu during a pick.
#include <cstdio>
#include <functional>

#include "editor_fixture.h"
#include "imaging/pick.h"
#include "pick_script.h"

namespace {

namespace id = ids::image;
using Button = plat::test::Button;

class Picked : public Editor, protected testsupport::PickScript {
 protected:
  void SetUp() override {
    Editor::SetUp();
    install();
  }
  // Two black windows of the same depth; commands run on window 0, the oracle on 1.
  static void openPair(int bits, int w = 48, int h = 36) {
    for (int n : {0, 1}) {
      const int made = bits == 32 ? TAV_CreateImageFL(n, "d", 0, 0, w, h, 100)
                                  : TAV_CreateImage8FL(n, "d", 0, 0, w, h, 100);
      ASSERT_EQ(made, kCreateOk);
    }
  }
  // Runs `draw` on window 1 as the oracle of what the command drew in window 0.
  static void onOracle(const std::function<void()>& draw) {
    const int current = CurrentImage;
    TAV_SelectImage(1);
    draw();
    CurrentImage = current;
  }
};

struct DrawingCase {
  int command;
  std::vector<plat::Point> clicks;
  std::vector<std::string> typed;
  std::function<void()> oracle;
};

TEST_F(Picked, EveryDrawingCommandDrawsWhatItsOperationDrawsAtThePickedPoints) {
  const std::vector<DrawingCase> cases = {
      {id::kLineNormal, {{2, 3}, {40, 20}}, {}, [] { TAV_DrawLine(DrawColor, 2, 3, 40, 20); }},
      {id::kLineHorizontal, {{5, 7}}, {}, [] { TAV_DrawLine(DrawColor, 0, 7, 47, 7); }},
      {id::kLineVertical, {{5, 7}}, {}, [] { TAV_DrawLine(DrawColor, 5, 0, 5, 35); }},
      {id::kBoxNormal, {{30, 25}, {3, 2}}, {}, [] { TAV_DrawBox(3, 2, 30, 25); }},
      {id::kBoxFill,
       {{30, 25}, {3, 2}},
       {},
       [] { TAV_FillBox(3, 2, 30, 25, DrawColor, DrawColor); }},
      {id::kBoxFillXor, {{3, 2}, {30, 25}}, {}, [] { TAV_XorFillBox(3, 2, 30, 25); }},
      {id::kCircleNormal, {{20, 15}, {23, 19}}, {}, [] { TAV_DrawCircle(DrawColor, 20, 15, 5); }},
      {id::kCircleFill, {{20, 15}, {23, 19}}, {}, [] { TAV_FillCircle(20, 15, 5); }},
      {id::kCircleFillXor, {{20, 15}, {26, 23}}, {}, [] { TAV_XorFillCircle(20, 15, 10); }},
      {id::kDrawText,
       {{4, 20}},
       {"Hi!"},
       [] {
         TextCursor = {4, 20, 4};
         tav_tc = DrawColor;
         TAV_ImagePrintf("%s", "Hi!");
       }},
      {id::kTrueTypeDraw,
       {{2, 4}, {40, 30}},
       {"Ab"},
       [] {
         TextCursor = {2, 30, 2};
         TAV_SetTrueTypeSize(39, 27);
         TAV_TrueTypeString("Ab");
       }},
      {id::kPaint, {{10, 10}}, {}, [] { TAV_Paint(10, 10); }},
  };
  for (int bits : {32, 8}) {
    for (const DrawingCase& c : cases) {
      imagewin::resetImageWindows();
      imaging::resetDrawingState();
      openPair(bits);
      DrawColor = bits == 32 ? 0xC08040 : 200;
      tav_tttc = 0x40FF40;
      // Something for the fill to stop at, in both windows.
      for (int n : {0, 1}) {
        TAV_SelectImage(n);
        TAV_DrawBox(6, 6, 16, 14);
      }
      TAV_SelectImage(1);  // the command makes window 0 current
      for (const plat::Point& p : c.clicks) press(p.x, p.y);
      answers = c.typed;
      prompts.clear();
      command(0, c.command);
      EXPECT_FALSE(ranOut) << c.command;
      EXPECT_EQ(CurrentImage, 0) << c.command;
      onOracle(c.oracle);
      EXPECT_EQ(pixelsOf(0), pixelsOf(1)) << "command " << c.command << ", " << bits << " bits";
      EXPECT_NE(pixelsOf(0), std::vector<uint32_t>(pixelsOf(0).size(), pixelsOf(0)[0]));
      EXPECT_EQ(prompts,
                c.typed.empty() ? std::vector<std::string>{} : std::vector<std::string>{"Text>"});
    }
  }
}

TEST_F(Picked, ADrawnLineIsShownWhenTheCommandIsDone) {
  openPair(32);
  DrawColor = 0x00FF00;
  press(2, 3);
  press(40, 3);
  command(0, id::kLineNormal);
  const auto shown = plat::test::clientPixels(win(0));
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->row32(3)[20], 0x00FF00u);
}

TEST_F(Picked, ACancelledPickChangesNothingAndAsksForNoText) {
  for (int command_id :
       {id::kLineNormal, id::kLineHorizontal, id::kLineVertical, id::kBoxNormal, id::kBoxFill,
        id::kBoxFillXor, id::kCircleNormal, id::kCircleFill, id::kCircleFillXor, id::kDrawText,
        id::kTrueTypeDraw, id::kPaint, id::kClipping, id::kColorPick}) {
    imagewin::resetImageWindows();
    open32(0, 40, 30);
    const std::vector<uint32_t> before = pixelsOf(0);
    DrawColor = 0x123456;
    // A second point given up goes back to the first; a cancel then ends the command.
    const bool twoPoints = command_id != id::kLineHorizontal && command_id != id::kLineVertical &&
                           command_id != id::kDrawText && command_id != id::kPaint &&
                           command_id != id::kColorPick;
    if (twoPoints) press(5, 5);
    press(9, 9, Button::Right);
    if (twoPoints) press(9, 9, Button::Middle);
    prompts.clear();
    command(0, command_id);
    EXPECT_FALSE(ranOut) << command_id;
    EXPECT_EQ(pixelsOf(0), before) << command_id;
    EXPECT_TRUE(prompts.empty()) << command_id;
    EXPECT_EQ(DrawColor, 0x123456u) << command_id;
    for (int n = 1; n < kImageWindowCount; ++n) ASSERT_FALSE(ImageTable[n].inUse) << command_id;
  }
}

TEST_F(Picked, ClippingMakesTheBoxANewWindowInTheLowestFreeNumber) {
  open32(0, 60, 40);
  open32(2, 20, 20);
  press(10, 20);
  press(19, 29);
  command(0, id::kClipping);
  ASSERT_TRUE(ImageTable[1].inUse);
  const ImageWindowRecord& clip = ImageTable[1];
  EXPECT_EQ(clip.bits, 32);
  EXPECT_EQ(clip.width, 10);
  EXPECT_EQ(clip.height, 10);
  EXPECT_EQ(clip.title, "(10,20)-(19,29)");
  // 10 pixels are narrower than a window may be: the zoom grows to fit.
  EXPECT_GE(clip.zoom, 100);
  EXPECT_EQ(plat::test::title(clip.window), "(10,20)-(19,29)(" + std::to_string(clip.zoom) + "%)");
  EXPECT_EQ(CurrentImage, 1);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(px(1, x, y), px(0, 10 + x, 20 + y));
  EXPECT_EQ(plat::getWindowRect(clip.window).left, 0);
  EXPECT_EQ(plat::getWindowRect(clip.window).top, 0);
}

TEST_F(Picked, ClippingAnEightBitWindowKeepsItsIndicesAndPalette) {
  open8(3, 30, 20);
  press(25, 15, Button::Left, 3);
  press(5, 4, Button::Left, 3);
  command(3, id::kClipping);
  EXPECT_FALSE(ranOut);
  ASSERT_TRUE(ImageTable[0].inUse);
  EXPECT_EQ(ImageTable[0].bits, 8);
  EXPECT_EQ(ImageTable[0].title, "(5,4)-(25,15)");
  EXPECT_EQ(ImageTable[0].surface->palette(), ImageTable[3].surface->palette());
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 21; ++x) ASSERT_EQ(px(0, x, y), px(3, 5 + x, 4 + y));
}

TEST_F(Picked, ClippingMakesNothingWhenEveryNumberIsInUse) {
  open32(0, 40, 30);
  for (int n = 1; n < kImageWindowCount; ++n)
    ASSERT_EQ(TAV_CreateImageFL(n, "full", 0, 0, 8, 8, 100), kCreateOk);
  TAV_SelectImage(7);
  press(1, 1);
  press(5, 5);
  command(0, id::kClipping);
  EXPECT_FALSE(ranOut);
  EXPECT_EQ(CurrentImage, 0);  // the pick made it current; nothing was made after
  for (int n = 1; n < kImageWindowCount; ++n) ASSERT_EQ(ImageTable[n].title, "full");
}

TEST_F(Picked, AWindowClosedWhileItsBoxIsPickedIsNotClipped) {
  open32(0, 40, 30);
  press(2, 2);
  then([] {
    plat::Message close;
    close.window = win(0);
    close.kind = plat::Msg::Close;
    plat::postMessage(close);
  });
  command(0, id::kClipping);
  EXPECT_FALSE(ranOut);
  for (int n = 0; n < kImageWindowCount; ++n) ASSERT_FALSE(ImageTable[n].inUse) << n;
}

TEST_F(Picked, ColorPickInAnEightBitWindowTakesTheIndexAndItsColour) {
  open8(0, 30, 20);
  open32(1, 10, 10);  // current before the pick
  tav_tc = 0x010203;
  press(4, 2);
  command(0, id::kColorPick);
  const uint32_t index = px(0, 4, 2);
  const plat::PaletteEntry e = ImageTable[0].surface->palette()[index];
  EXPECT_EQ(DrawColor, index);
  EXPECT_EQ(tav_tttc, (uint32_t{e.red} << 16) | (uint32_t{e.green} << 8) | e.blue);
  EXPECT_NE(tav_tttc, index);
  EXPECT_EQ(tav_tc, 0x010203u);
  EXPECT_EQ(CurrentImage, 1);  // the image current before is current again
}

TEST_F(Picked, ColorPickInATrueColourWindowTakesThePixel) {
  open32(0, 30, 20);
  ImageTable[0].surface->row32(7)[9] = 0x00ABCDEF;
  press(9, 7);
  command(0, id::kColorPick);
  EXPECT_EQ(DrawColor, 0xABCDEFu);
  EXPECT_EQ(tav_tttc, 0xABCDEFu);
}

TEST_F(Picked, MenuPasteAsksForThePlaceAndCtrlVDoesNot) {
  open32(0, 4, 4);
  const std::vector<uint32_t> picture = pixelsOf(0);
  command(0, id::kCopy);
  ASSERT_EQ(TAV_CreateImageFL(1, "target", 0, 0, 30, 30, 100), kCreateOk);
  press(10, 10, Button::Left, 1);
  command(1, id::kPaste);
  EXPECT_EQ(px(1, 8, 8), picture[0]);  // centred on the picked point
  EXPECT_EQ(px(1, 11, 11), picture[15]);
  EXPECT_EQ(px(1, 0, 0), 0u);
  EXPECT_EQ(statusTexts.front(), "Click a point");

  statusTexts.clear();
  plat::test::key(win(1), 'V', true);
  pump();
  EXPECT_TRUE(statusTexts.empty());
  EXPECT_EQ(px(1, 0, 0), picture[0]);
}

TEST_F(Picked, InformationEntriesInspectThePickedRow) {
  open32(0, 640, 20);
  press(3, 5);
  command(0, id::kLineRgb);
  ASSERT_TRUE(ImageTable[1].inUse);
  EXPECT_EQ(ImageTable[1].title, "RGB(Y=5)");
  EXPECT_EQ(ImageTable[1].width, 652);
  EXPECT_EQ(CurrentImage, 1);
  open8(2, 50, 20);
  press(3, 9, Button::Left, 2);
  command(2, id::kLineLuminance);
  ASSERT_TRUE(ImageTable[3].inUse);
  EXPECT_EQ(ImageTable[3].title, "Luminance(Y=9)");
}

TEST_F(Picked, DuringAPickTheButtonsCancelInThePickedWindowAndOpenNoMenu) {
  open32(0, 40, 30);
  open32(1, 40, 30);
  for (int i = 0; i < 4; ++i) plat::test::answerNextMenu(0);  // should a menu open anyway
  press(5, 5);
  press(9, 9, Button::Right, 1);  // another window: ignored
  press(9, 9, Button::Middle, 1);
  then([] { EXPECT_EQ(PickState.cancel, 0); });
  then([] { plat::test::click(win(0), {9, 9}, Button::Right, true); });  // Ctrl+right: cancel
  press(9, 9, Button::Middle);  // cancel in state 0: the command ends
  const std::vector<uint32_t> before = pixelsOf(0);
  command(0, id::kBoxNormal);
  EXPECT_FALSE(ranOut);
  EXPECT_EQ(pixelsOf(0), before);
  EXPECT_EQ(plat::test::lastMenu(), std::nullopt);
  EXPECT_EQ(statusTexts,
            (std::vector<std::string>{"Click the first point", "Click the second point",
                                      "Click the first point", depthText()}));
  // Once the pick is over the buttons open menus again.
  plat::test::click(win(0), {9, 9}, Button::Middle);
  pump();
  EXPECT_TRUE(plat::test::lastMenu());
}

}  // namespace
