// The button box on the real platform: grid, counted presses, keys, resizing, menus.
#include "box_fixture.h"

namespace {

using boxtest::BoxTest;
using plat::Rect;
using plat::Window;

class ButtonBoxTest : public BoxTest {
 protected:
  Window button(int i) {
    return plat::controlById(boxes::buttonBoxWindow(), ids::box::kButtonBase + i);
  }
  Rect client() { return plat::getClientRect(boxes::buttonBoxWindow()); }
  void key(int vk, bool ctrl = false) {
    plat::test::key(boxes::buttonBoxWindow(), vk, ctrl);
    pump();
  }
  void focusBox() {
    plat::setFocus(boxes::buttonBoxWindow());
    pump();
  }
};

TEST_F(ButtonBoxTest, OpensTheGridNumberedRowByRow) {
  TAV_OpenButtonBox(0, 0, 2, 12);
  Window box = boxes::buttonBoxWindow();
  ASSERT_TRUE(box);
  EXPECT_EQ(plat::windowClassName(box), "tav_bb");
  EXPECT_EQ(plat::test::title(box), "ButtonBox");
  EXPECT_EQ(plat::windowOwner(box), mainWindow);
  EXPECT_EQ(plat::getWindowRect(box).left, 0);
  EXPECT_EQ(client(), (Rect{0, 0, 208, 364}));
  EXPECT_EQ(boxes::buttonBoxButtonCount(), 24);
  EXPECT_EQ(NX, 2);
  EXPECT_EQ(NY, 12);
  for (int i = 0; i < 24; ++i) EXPECT_EQ(plat::getControlText(button(i)), std::to_string(i));
  EXPECT_EQ(clientRectOf(button(13)), (Rect{106, 184, 204, 210}));
  EXPECT_EQ(clientRectOf(button(0)), (Rect{4, 4, 102, 30}));

  TAV_SetButtonBoxTitle(0, "play\nnow");
  EXPECT_EQ(boxes::buttonLabel(0), "play\nnow");
  TAV_SetButtonBoxTitle(24, "x");
  TAV_SetButtonBoxTitle(-1, "x");
  EXPECT_EQ(boxes::buttonLabel(23), "23");
}

TEST_F(ButtonBoxTest, BadGridsAndASecondOpenAreIgnored) {
  for (auto [nx, ny] :
       {std::pair{16, 17}, {0, 5}, {5, 0}, {-2, -3}, {65536, 65536}, {2, 1 << 30}}) {
    TAV_OpenButtonBox(0, 0, nx, ny);
    EXPECT_FALSE(boxes::buttonBoxWindow()) << nx << " x " << ny;
  }
  TAV_OpenButtonBox(0, 0, 16, 16);
  Window box = boxes::buttonBoxWindow();
  ASSERT_TRUE(box);
  EXPECT_EQ(boxes::buttonBoxButtonCount(), 256);
  TAV_OpenButtonBox(0, 0, 2, 2);
  EXPECT_EQ(boxes::buttonBoxWindow(), box);
  EXPECT_EQ(boxes::buttonBoxButtonCount(), 256);
}

TEST_F(ButtonBoxTest, ClicksAreCountedTakenOnceAndMoveTheFocusToTheBox) {
  TAV_OpenButtonBox(0, 0, 2, 12);
  pump();
  const Rect b4 = clientRectOf(button(4));
  for (int i = 0; i < 3; ++i)
    plat::test::click(boxes::buttonBoxWindow(), {b4.left + 10, b4.top + 10});
  pump();
  EXPECT_EQ(ButtonPressCount[4], 3);
  EXPECT_EQ(plat::focusWindow(), boxes::buttonBoxWindow());
  EXPECT_TRUE(takeButtonPress(4));
  EXPECT_EQ(ButtonPressCount[4], 0);
  EXPECT_FALSE(takeButtonPress(4));
  EXPECT_FALSE(takeButtonPress(24));
  EXPECT_FALSE(takeButtonPress(-1));
}

TEST_F(ButtonBoxTest, DigitKeysOfBothKeyboardsPressButtonsEvenMissingOnes) {
  TAV_OpenButtonBox(0, 0, 2, 2);
  focusBox();
  key('7');
  key(plat::vk::Numpad0 + 7);
  key(plat::vk::Numpad0 + 9);
  key('0');
  key('7', true);  // with Ctrl: nothing
  EXPECT_EQ(ButtonPressCount[7], 2);
  EXPECT_EQ(ButtonPressCount[9], 1);
  EXPECT_EQ(ButtonPressCount[0], 1);
  EXPECT_FALSE(takeButtonPress(9));  // no button 9 in a 2 x 2 box
  EXPECT_EQ(ButtonPressCount[9], 1);
  EXPECT_TRUE(takeButtonPress(0));
}

TEST_F(ButtonBoxTest, CtrlQClosesAndTheMainWindowsKeysAreForwarded) {
  TAV_OpenButtonBox(0, 0, 2, 12);
  focusBox();
  for (int k : {'X', 'S', 'C', 'Q', 'A'}) key(k);
  key(plat::vk::Escape);
  std::vector<int> forwarded;
  for (const plat::Message& m : testsupport::mainWindowKeys) forwarded.push_back(m.key);
  EXPECT_EQ(forwarded, (std::vector<int>{'X', 'S', 'C', plat::vk::Escape}));
  EXPECT_TRUE(boxes::buttonBoxWindow());  // Q alone does nothing

  key('Q', true);
  EXPECT_FALSE(boxes::buttonBoxWindow());
  EXPECT_TRUE(plat::test::messageBoxes().empty());
}

TEST_F(ButtonBoxTest, ResizingStretchesTheButtons) {
  TAV_OpenButtonBox(0, 0, 2, 12);
  TAV_ResizeButtonBox(300, 364);
  EXPECT_EQ(client(), (Rect{0, 0, 300, 364}));
  EXPECT_EQ(boxes::buttonWidth(), 144);
  EXPECT_EQ(boxes::buttonHeight(), 26);
  EXPECT_EQ(clientRectOf(button(13)), (Rect{152, 184, 296, 210}));

  // Dragging the bottom border stretches the rows: (400 - 52) / 12 = 29.
  pump();
  const Rect outer = plat::getWindowRect(boxes::buttonBoxWindow());
  plat::test::dragOuter(boxes::buttonBoxWindow(), {60, outer.height() - 2},
                        {60, outer.height() - 2 + 36});
  pump();
  EXPECT_EQ(client().height(), 400);
  EXPECT_EQ(boxes::buttonHeight(), 29);

  // Narrower than a pixel per column gives buttons of width 0; the size survives the box.
  TAV_ResizeButtonBox(5, 5);
  EXPECT_EQ(boxes::buttonWidth(), 0);
  TAV_ResizeButtonBox(52, 364);  // buttons 20 x 26
  DestroyButtonBox();
  TAV_OpenButtonBox(0, 0, 1, 1);
  EXPECT_EQ(client(), (Rect{0, 0, 28, 34}));  // 20 + 8 wide, 26 + 8 high
}

TEST_F(ButtonBoxTest, PopupsNameTheirCommandsAndDestroyWorks) {
  TAV_OpenButtonBox(0, 0, 2, 12);
  pump();
  plat::test::answerNextMenu(0);
  plat::test::click(boxes::buttonBoxWindow(), {205, 190}, plat::test::Button::Right);
  pump();
  ASSERT_TRUE(plat::test::lastMenu().has_value());
  EXPECT_EQ(plat::test::lastMenu()->items.at(0).text, "Rename");
  EXPECT_EQ(plat::test::lastMenu()->items.at(0).id, 1057);

  ButtonPressCount[5] = 2;
  plat::test::answerNextMenu(1050);
  plat::test::pressOuter(boxes::buttonBoxWindow(), {40, 10}, plat::test::Button::Right);
  pump();
  EXPECT_EQ(plat::test::lastMenu()->items.at(0).text, "&Destroy\tCtrl+Q");
  EXPECT_FALSE(boxes::buttonBoxWindow());
  EXPECT_EQ(boxes::buttonBoxButtonCount(), 0);
  EXPECT_EQ(boxes::buttonLabel(0), "");
  EXPECT_EQ(ButtonPressCount[5], 2);  // kept until the next box
  EXPECT_FALSE(takeButtonPress(5));
  TAV_OpenButtonBox(0, 0, 2, 12);
  EXPECT_EQ(ButtonPressCount[5], 0);
}

TEST_F(ButtonBoxTest, AFailedDestructionIsReported) {
  TAV_OpenButtonBox(0, 0, 2, 2);
  plat::destroyWindow(boxes::buttonBoxWindow());
  DestroyButtonBox();
  auto shown = plat::test::messageBoxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "DestroyWindow[BB] error");
  EXPECT_EQ(shown[0].title, "DIREVO error!");
  EXPECT_EQ(shown[0].flags, plat::kMbIconError);
  EXPECT_FALSE(boxes::buttonBoxWindow());
}

}  // namespace
