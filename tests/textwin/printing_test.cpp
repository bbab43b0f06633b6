// Opening, printing, wrapping, scrolling, painting, resizing, closing and selecting
// text windows, and their colour stacks.
#include "textwin_fixture.h"

namespace {

using twtest::inkIn;
using twtest::TextWindowTest;

TEST_F(TextWindowTest, OpeningMakesAWindowOfTheClientSizeAndTheCurrentNumber) {
  ASSERT_EQ(TAV_OpenTextWindow(3, 100, 120, 400, 300), 0);
  const TextWindowRecord& rec = TextWindowTable[3];
  ASSERT_TRUE(rec.inUse);
  EXPECT_EQ(CurrentTextWindow, 3);
  EXPECT_EQ(plat::getClientRect(rec.window), (plat::Rect{0, 0, 400, 300}));
  EXPECT_EQ(plat::getWindowRect(rec.window).left, 100);
  EXPECT_EQ(plat::getWindowRect(rec.window).top, 120);
  EXPECT_EQ(plat::test::title(rec.window), "TextWindow 3");
  EXPECT_EQ(plat::windowOwner(rec.window), mainWindow);
  EXPECT_EQ(rec.charWidth, cw);
  EXPECT_EQ(rec.lineHeight, lh);
  for (int i = 0; i < kColorStackDepth; ++i) {
    EXPECT_EQ(rec.textColorStack[i], 0xFFFFFFu);
    EXPECT_EQ(rec.backColorStack[i], 0x000000u);
  }

  // Opening it again only brings it forward and makes it current.
  ASSERT_EQ(TAV_OpenTextWindow(4, -1, -1, -1, -1), 0);
  EXPECT_EQ(plat::getClientRect(windowOf(4)), (plat::Rect{0, 0, 400, 300}));
  TAV_Printf("abc");
  EXPECT_EQ(TAV_OpenTextWindow(3, 0, 0, 50, 50), 1);
  EXPECT_EQ(CurrentTextWindow, 3);
  EXPECT_EQ(plat::getClientRect(rec.window), (plat::Rect{0, 0, 400, 300}));
  EXPECT_EQ(TextWindowTable[4].cursorX, 3 * cw);

  // Numbers outside the table are refused and change nothing.
  EXPECT_EQ(TAV_OpenTextWindow(256, 0, 0, 10, 10), 1);
  EXPECT_EQ(TAV_OpenTextWindow(-1, 0, 0, 10, 10), 1);
  EXPECT_EQ(CurrentTextWindow, 3);
}

TEST_F(TextWindowTest, LinesWrapWhereTheNextCellWouldPassTheRightEdge) {
  const int width = 50 * cw;  // 400 with the stock font
  ASSERT_EQ(TAV_OpenTextWindow(0, 10, 10, width, 300), 0);
  const TextWindowRecord& rec = TextWindowTable[0];

  TAV_Printf("%s", std::string(50, 'a').c_str());
  EXPECT_EQ(rec.cursorX, width);  // the 50th ends exactly at the edge
  EXPECT_EQ(rec.cursorY, 0);
  TAV_Printf("b");
  EXPECT_EQ(rec.cursorX, cw);
  EXPECT_EQ(rec.cursorY, lh);

  TAV_Printf("\n%s", std::string(60, 'c').c_str());
  EXPECT_EQ(rec.cursorX, 10 * cw);
  EXPECT_EQ(rec.cursorY, 3 * lh);

  // A double-width character needs two free cells: with one left it goes down a row.
  TAV_Printf("\n%s", std::string(49, 'd').c_str());
  EXPECT_EQ(rec.cursorX, width - cw);
  TAV_Printf("あ");
  EXPECT_EQ(rec.cursorX, 2 * cw);
  EXPECT_EQ(rec.cursorY, 5 * lh);

  // Tab and carriage return are cells of their own; a line feed ends the line.
  TAV_Printf("\n\t\r");
  EXPECT_EQ(rec.cursorX, 2 * cw);
  TAV_Printf("A\n");
  EXPECT_EQ(rec.cursorX, 0);
  EXPECT_EQ(rec.cursorY, 7 * lh);
}

TEST_F(TextWindowTest, ScrollingKeepsTheLinesThatFitAboveTheBottomEdge) {
  ASSERT_EQ(TAV_OpenTextWindow(0, 10, 10, 400, 300), 0);
  const TextWindowRecord& rec = TextWindowTable[0];
  int fitting = 0;  // line tops y with y + lineHeight < 300
  while ((fitting + 1) * lh < 300) ++fitting;

  for (int i = 0; i < fitting - 1; ++i) TAV_Printf("%d\n", i);
  EXPECT_EQ(rec.cursorY, (fitting - 1) * lh);
  EXPECT_EQ(ScrollIfNeeded(0), 0);
  TAV_Printf("L\n");  // the next line would touch the bottom: scrolls instead
  EXPECT_EQ(rec.cursorY, (fitting - 1) * lh);

  // Line 0 ("0") is gone, line 1 ("1") is now the top one, and below the last kept
  // line all is black.
  TAV_Printf("last");
  auto pixels = plat::test::clientPixels(rec.window);
  ASSERT_TRUE(pixels);
  const auto& pic = *rec.picture;
  auto rowCells = [&](const plat::Surface& s, int line) {
    return inkIn(s, {0, line * lh, cw, (line + 1) * lh});
  };
  // What the first line shows now is the glyph "1" printed on the second line.
  std::vector<uint32_t> topRow, glyphOne;
  {
    auto probe = plat::Surface::create(cw, lh, 32);
    plat::textOut(*probe, 0, 0, u"1", {});
    for (int y = 0; y < lh; ++y)
      for (int x = 0; x < cw; ++x) {
        topRow.push_back(pic.row32(y)[x]);
        glyphOne.push_back(probe->row32(y)[x]);
      }
  }
  EXPECT_EQ(topRow, glyphOne);
  EXPECT_GT(rowCells(pic, fitting - 1), 0);  // "last" on the kept bottom line
  EXPECT_EQ(inkIn(pic, {0, fitting * lh, 400, 300}), 0);
  EXPECT_EQ(inkIn(*pixels, {0, 0, 400, 300}), inkIn(pic, {0, 0, 400, 300}));

  // Closed numbers never scroll.
  EXPECT_EQ(ScrollIfNeeded(9), 0);
  EXPECT_EQ(ScrollIfNeeded(300), 0);
}

TEST_F(TextWindowTest, PaintingShowsTheRunsInTheirColoursOpaque) {
  ASSERT_EQ(TAV_OpenTextWindow(1, 10, 10, 200, 100), 0);
  TAV_PushTextColor(0x0000FF, 0xFF0000);
  TAV_Printf("W");
  TAV_PopTextColor();
  TAV_Printf("W");
  auto pixels = plat::test::clientPixels(windowOf(1));
  ASSERT_TRUE(pixels);
  auto countColour = [&](plat::Rect r, uint32_t colour) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += (pixels->row32(y)[x] & 0xFFFFFF) == colour;
    return n;
  };
  const plat::Rect first{0, 0, cw, lh}, second{cw, 0, 2 * cw, lh};
  const int area = cw * lh;
  EXPECT_GT(countColour(first, 0xFF0000), 0);
  EXPECT_EQ(countColour(first, 0xFF0000) + countColour(first, 0x0000FF), area);
  EXPECT_GT(countColour(second, 0xFFFFFF), 0);
  EXPECT_EQ(countColour(second, 0xFFFFFF) + countColour(second, 0x000000), area);
  EXPECT_EQ(inkIn(*pixels, {2 * cw, 0, 200, 100}), 0);
}

TEST_F(TextWindowTest, NinePushesDropTheOldestAndPopsRepeatTheBottom) {
  ASSERT_EQ(TAV_OpenTextWindow(0, 10, 10, 200, 100), 0);
  const TextWindowRecord& rec = TextWindowTable[0];
  for (uint32_t i = 1; i <= 9; ++i) TAV_PushTextColor(0x100 * i, i);
  EXPECT_EQ(rec.textColor, 9u);
  for (uint32_t i = 8; i >= 1; --i) {
    TAV_PopTextColor();
    EXPECT_EQ(rec.textColor, i);
    EXPECT_EQ(rec.backColor, 0x100 * i);
  }
  // The ninth pop gives the colours of the first push again, not the initial ones.
  TAV_PopTextColor();
  EXPECT_EQ(rec.textColor, 1u);
  EXPECT_EQ(rec.backColor, 0x100u);
  TAV_PopTextColor();
  EXPECT_EQ(rec.textColor, 1u);

  // Nothing happens while the current window is closed.
  TAV_SelectTextWindow(0);
  CurrentTextWindow = 7;
  TAV_PushTextColor(0x123456, 0x654321);
  TAV_PopTextColor();
  EXPECT_EQ(rec.textColor, 1u);
}

TEST_F(TextWindowTest, ResizingClearsThePictureAndKeepsColoursAndNumber) {
  ASSERT_EQ(TAV_OpenTextWindow(2, 10, 10, 200, 100), 0);
  TAV_PushTextColor(0x000080, 0xFFFF00);
  TAV_Printf("some text\nmore");
  const plat::Window w = windowOf(2);
  const plat::Rect outer = plat::adjustWindowRect({0, 0, 300, 150}, plat::kStyleOverlapped);
  plat::setWindowPos(w, 0, 0, outer.width(), outer.height(), plat::kNoMove | plat::kNoZOrder);
  twtest::pumpOnce();
  const TextWindowRecord& rec = TextWindowTable[2];
  EXPECT_EQ(rec.width, 300);
  EXPECT_EQ(rec.height, 150);
  EXPECT_EQ(rec.cursorX, 0);
  EXPECT_EQ(rec.cursorY, 0);
  EXPECT_EQ(rec.textColor, 0xFFFF00u);
  EXPECT_EQ(rec.textColorStack[0], 0xFFFFFFu);
  ASSERT_EQ(rec.picture->width(), 300);
  EXPECT_EQ(inkIn(*rec.picture, {0, 0, 300, 150}), 0);
  auto pixels = plat::test::clientPixels(w);
  EXPECT_EQ(inkIn(*pixels, {0, 0, 300, 150}), 0);

  // Down to no client area at all: printing still works and draws nothing visible.
  plat::setWindowPos(w, 0, 0, plat::kMinTrackWidth, plat::kMinTrackHeight,
                     plat::kNoMove | plat::kNoZOrder);
  TAV_Printf("x\ny\n");
  EXPECT_EQ(rec.height, 0);
  EXPECT_EQ(rec.cursorY, 0);
}

TEST_F(TextWindowTest, ClosingMovesTheCurrentNumberToTheLowestOpenOne) {
  ASSERT_EQ(TAV_OpenTextWindow(5, 10, 10, 100, 100), 0);
  ASSERT_EQ(TAV_OpenTextWindow(9, 10, 10, 100, 100), 0);
  ASSERT_EQ(TAV_OpenTextWindow(2, 10, 10, 100, 100), 0);
  EXPECT_EQ(TAV_SelectTextWindow(9), 0);
  EXPECT_EQ(TAV_SelectTextWindow(3), 1);
  EXPECT_EQ(TAV_SelectTextWindow(256), 1);
  EXPECT_EQ(CurrentTextWindow, 9);

  EXPECT_EQ(TAV_CloseTextWindow(2), 0);  // not current: stays at 9
  EXPECT_EQ(CurrentTextWindow, 9);
  const plat::Window w9 = windowOf(9);
  EXPECT_EQ(FindTextWindow(w9), 9);
  EXPECT_EQ(TAV_CloseTextWindow(9), 0);
  EXPECT_EQ(CurrentTextWindow, 5);
  EXPECT_FALSE(plat::isWindow(w9));
  EXPECT_EQ(FindTextWindow(w9), -1);
  EXPECT_EQ(TAV_CloseTextWindow(9), 1);
  EXPECT_EQ(TAV_CloseTextWindow(256), 1);

  // The close box closes through the same path.
  plat::Message close;
  close.window = windowOf(5);
  close.kind = plat::Msg::Close;
  plat::sendMessage(close);
  EXPECT_FALSE(TextWindowTable[5].inUse);
  EXPECT_EQ(CurrentTextWindow, 5);  // none open: the number stays, printing does nothing
  TAV_Printf("dropped");

  // Opened again, the number starts afresh.
  ASSERT_EQ(TAV_OpenTextWindow(5, 10, 10, 100, 100), 0);
  EXPECT_EQ(TextWindowTable[5].cursorX, 0);
  EXPECT_EQ(TextWindowTable[5].textColor, 0xFFFFFFu);
}

TEST_F(TextWindowTest, TheLogReceivesExactlyTheFormattedBytes) {
  ASSERT_EQ(TAV_OpenTextWindow(0, 10, 10, 100, 100), 0);
  capture(0);
  TAV_Printf("a=%d %s\n", 42, "äb");
  TAV_Printf("%s", "");
  EXPECT_EQ(printed(0), "a=42 äb\n");

  // Output is cut at 4095 bytes, and never inside a character.
  TAV_Printf("%s", (std::string(4094, 'z') + "é").c_str());
  std::string log = printed(0);
  EXPECT_EQ(log.size(), 9u + 4094u);
  EXPECT_EQ(log.back(), 'z');

  // A paused log writes nothing; closing the window closes the log.
  TextWindowTable[0].logState = 2;
  TAV_Printf("paused");
  EXPECT_EQ(printed(0).size(), 9u + 4094u);
  TAV_CloseTextWindow(0);
  EXPECT_EQ(TextWindowTable[0].logState, 0);
  EXPECT_EQ(TextWindowTable[0].logFile, nullptr);

  // A window whose log was never started writes nothing anywhere.
  ASSERT_EQ(TAV_OpenTextWindow(0, 10, 10, 100, 100), 0);
  TAV_Printf("quiet");
  EXPECT_EQ(TextWindowTable[0].logFile, nullptr);
  capture(0);
  TAV_CloseAllLogs();
  EXPECT_EQ(TextWindowTable[0].logState, 0);
  EXPECT_EQ(TextWindowTable[0].logFile, nullptr);
}

TEST_F(TextWindowTest, EnsureTextWindowOpensWindowZeroInTheMiddleOfTheScreen) {
  EnsureTextWindow();
  ASSERT_TRUE(TextWindowTable[0].inUse);
  EXPECT_EQ(CurrentTextWindow, 0);
  const int w = plat::systemMetric(plat::Metric::CxScreen);
  const int h =
      plat::systemMetric(plat::Metric::CyScreen) - plat::systemMetric(plat::Metric::CyCaption);
  const plat::Rect outer = plat::getWindowRect(windowOf(0));
  EXPECT_EQ(outer.left, w / 2 - 200);
  EXPECT_EQ(outer.top, h / 2 - 150);
  EXPECT_EQ(plat::getClientRect(windowOf(0)), (plat::Rect{0, 0, 400, 300}));

  // With an open current window, it is only brought forward.
  ASSERT_EQ(TAV_OpenTextWindow(6, 10, 10, 100, 100), 0);
  EnsureTextWindow();
  EXPECT_EQ(CurrentTextWindow, 6);
  EXPECT_EQ(plat::foregroundWindow(), windowOf(6));
}

}  // namespace
