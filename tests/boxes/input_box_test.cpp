// The input box on the real platform: geometry, commits, border drags, menus, destruction.
#include <cstring>

#include "box_fixture.h"

namespace {

using boxtest::BoxTest;
using plat::Rect;
using plat::Window;

class InputBoxTest : public BoxTest {
 protected:
  // Controls in creation order: label 0, edit 0, label 1, edit 1, ...
  Window label(int i) { return plat::childControls(boxes::inputBoxWindow()).at(2 * i); }
  Window edit(int i) { return plat::childControls(boxes::inputBoxWindow()).at(2 * i + 1); }
  Rect outer() { return plat::getWindowRect(boxes::inputBoxWindow()); }
  Rect client() { return plat::getClientRect(boxes::inputBoxWindow()); }
};

TEST_F(InputBoxTest, OpensWithTheRowGeometryAndZeroesEverywhere) {
  TAV_OpenInputBox(376, 0, 5);
  Window box = boxes::inputBoxWindow();
  ASSERT_TRUE(box);
  pump();
  EXPECT_EQ(plat::windowClassName(box), "tav_ib");
  EXPECT_EQ(plat::test::title(box), "InputBox");
  EXPECT_EQ(plat::windowOwner(box), mainWindow);
  EXPECT_EQ(outer().left, 376);
  EXPECT_EQ(outer().top, 0);
  EXPECT_EQ(client(), (Rect{0, 0, 162, 142}));
  ASSERT_EQ(plat::childControls(box).size(), 10u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(plat::getControlText(label(i)), "Item " + std::to_string(i));
    EXPECT_EQ(clientRectOf(label(i)), (Rect{4, 7 + 28 * i, 84, 31 + 28 * i}));
    EXPECT_EQ(clientRectOf(edit(i)), (Rect{88, 4 + 28 * i, 158, 28 + 28 * i}));
    EXPECT_TRUE(plat::isTabStop(edit(i)));
    EXPECT_EQ(plat::getControlText(edit(i)), "0");
    ASSERT_NE(TAV_GetInputBoxText(i), nullptr);
    EXPECT_STREQ(TAV_GetInputBoxText(i), "0");
  }
  EXPECT_EQ(TAV_GetInputBoxText(5), nullptr);
  EXPECT_EQ(TAV_GetInputBoxText(-1), nullptr);
  EXPECT_EQ(plat::focusWindow(), edit(0));

  // A second open leaves the box as it is.
  TAV_OpenInputBox(0, 0, 3);
  EXPECT_EQ(boxes::inputBoxWindow(), box);
  EXPECT_EQ(boxes::inputBoxItemCount(), 5);
}

TEST_F(InputBoxTest, BothBoxesStandExactlyWhereAskedEvenAtMinusOne) {
  TAV_OpenInputBox(-1, -1, 2);
  EXPECT_EQ(outer().left, -1);
  EXPECT_EQ(outer().top, -1);
  TAV_OpenButtonBox(-1, 40, 2, 2);
  EXPECT_EQ(plat::getWindowRect(boxes::buttonBoxWindow()).left, -1);
  EXPECT_EQ(plat::getWindowRect(boxes::buttonBoxWindow()).top, 40);
}

TEST_F(InputBoxTest, ItemCountsAreClampedIntoOneToThirty) {
  TAV_OpenInputBox(0, 0, 0);
  EXPECT_EQ(boxes::inputBoxItemCount(), 1);
  EXPECT_EQ(client().height(), 30);
  DestroyInputBox();
  TAV_OpenInputBox(0, 0, 45);
  EXPECT_EQ(boxes::inputBoxItemCount(), 30);
  EXPECT_EQ(client().height(), 842);
  EXPECT_STREQ(TAV_GetInputBoxText(29), "0");
}

TEST_F(InputBoxTest, TypingCommitsOnlyOnEnterOrLeavingTheField) {
  TAV_OpenInputBox(376, 0, 5);
  pump();
  ASSERT_EQ(plat::focusWindow(), edit(0));
  plat::selectAllText(edit(0));
  plat::test::typeText(boxes::inputBoxWindow(), u"12");
  pump();
  EXPECT_EQ(plat::getControlText(edit(0)), "12");
  EXPECT_STREQ(TAV_GetInputBoxText(0), "0");

  plat::test::key(edit(0), plat::vk::Return);
  pump();
  EXPECT_STREQ(TAV_GetInputBoxText(0), "12");
  EXPECT_EQ(plat::focusWindow(), edit(0));  // Enter stays in the field

  // Tab moves on to the next field and commits the one it leaves.
  plat::test::typeText(boxes::inputBoxWindow(), u"5");
  pump();
  EXPECT_STREQ(TAV_GetInputBoxText(0), "12");
  plat::test::key(edit(0), plat::vk::Tab);
  pump();
  EXPECT_STREQ(TAV_GetInputBoxText(0), "125");
  EXPECT_EQ(plat::focusWindow(), edit(1));
  // Enter now commits the field that has the focus, not the first one.
  plat::selectAllText(edit(1));
  plat::test::typeText(boxes::inputBoxWindow(), u"7");
  plat::test::key(edit(1), plat::vk::Return);
  pump();
  EXPECT_STREQ(TAV_GetInputBoxText(1), "7");
  EXPECT_STREQ(TAV_GetInputBoxText(0), "125");
}

TEST_F(InputBoxTest, SetTextAndTitleTouchOnlyExistingItemsAndStayWithinTheBuffer) {
  TAV_OpenInputBox(0, 0, 5);
  TAV_SetInputBoxText(4, "17.319");
  EXPECT_STREQ(TAV_GetInputBoxText(4), "17.319");
  EXPECT_EQ(plat::getControlText(edit(4)), "17.319");
  TAV_SetInputBoxTitle(3, "View_num");
  EXPECT_EQ(plat::getControlText(label(3)), "View_num");
  EXPECT_EQ(boxes::inputBoxLabel(3), "View_num");

  // 254 bytes and then a three-byte character: the character does not fit.
  std::string longText(254, 'a');
  longText += "日本";
  TAV_SetInputBoxText(0, longText.c_str());
  EXPECT_EQ(std::strlen(TAV_GetInputBoxText(0)), 254u);
  TAV_SetInputBoxText(1, std::string(400, 'b').c_str());
  EXPECT_EQ(std::string(TAV_GetInputBoxText(1)), std::string(255, 'b'));

  TAV_SetInputBoxText(5, "x");
  TAV_SetInputBoxText(-1, "x");
  TAV_SetInputBoxTitle(5, "x");
  for (int i = 2; i < 4; ++i) EXPECT_STREQ(TAV_GetInputBoxText(i), "0");
}

TEST_F(InputBoxTest, DraggingTheRightBorderWidensTheFieldsOnly) {
  TAV_OpenInputBox(376, 0, 5);
  pump();
  const Rect before = outer();
  plat::test::dragOuter(boxes::inputBoxWindow(), {before.width() - 2, 60},
                        {before.width() - 2 + 38, 60});
  pump();
  EXPECT_EQ(client().width(), 200);
  EXPECT_EQ(ESIZE, 108);
  EXPECT_EQ(ISIZE, 80);
  EXPECT_EQ(clientRectOf(edit(2)), (Rect{88, 60, 196, 84}));
  EXPECT_EQ(clientRectOf(label(2)).width(), 80);

  // The bottom border changes nothing.
  const Rect wide = outer();
  plat::test::dragOuter(boxes::inputBoxWindow(), {60, wide.height() - 2}, {60, wide.height() + 40});
  pump();
  EXPECT_EQ(outer(), wide);
  EXPECT_EQ(ESIZE, 108);
}

TEST_F(InputBoxTest, DraggingTheLeftBorderWidensTheLabelsAndTheWidthsOutliveTheBox) {
  TAV_OpenInputBox(376, 0, 5);
  pump();
  plat::test::dragOuter(boxes::inputBoxWindow(), {1, 60}, {1 - 38, 60});
  pump();
  EXPECT_EQ(outer().left, 376 - 38);
  EXPECT_EQ(client().width(), 200);
  EXPECT_EQ(ISIZE, 200 - 70 - 12);
  EXPECT_EQ(ESIZE, 70);
  EXPECT_EQ(clientRectOf(label(1)), (Rect{4, 35, 4 + 118, 59}));
  EXPECT_EQ(clientRectOf(edit(1)), (Rect{126, 32, 196, 56}));

  DestroyInputBox();
  TAV_OpenInputBox(0, 0, 2);
  EXPECT_EQ(client().width(), 200);
}

TEST_F(InputBoxTest, AWidthTooSmallForBothLeavesOnePixelForTheDraggedOne) {
  TAV_ResizeInputBox(100, 70);
  TAV_OpenInputBox(0, 0, 3);
  pump();
  // The frame stops at its minimum tracking width: a client width of 104 < 100 + 13.
  const Rect before = outer();
  plat::test::dragOuter(boxes::inputBoxWindow(), {before.width() - 2, 40}, {20, 40});
  pump();
  EXPECT_EQ(client().width(), 104);
  EXPECT_EQ(ESIZE, 1);
  EXPECT_EQ(ISIZE, 100);
}

TEST_F(InputBoxTest, ResizeTakesEffectAtOnceOrOnTheNextBox) {
  TAV_ResizeInputBox(120, 50);
  TAV_OpenInputBox(0, 0, 2);
  EXPECT_EQ(client(), (Rect{0, 0, 182, 58}));
  TAV_ResizeInputBox(60, 90);
  EXPECT_EQ(client(), (Rect{0, 0, 162, 58}));
  EXPECT_EQ(clientRectOf(label(1)), (Rect{4, 35, 64, 59}));
  EXPECT_EQ(clientRectOf(edit(1)), (Rect{68, 32, 158, 56}));
  TAV_ResizeInputBox(0, -5);
  EXPECT_EQ(ISIZE, 1);
  EXPECT_EQ(ESIZE, 1);
}

TEST_F(InputBoxTest, PopupMenusOfferRenameInsideAndDestroyOnTheFrame) {
  TAV_OpenInputBox(0, 0, 5);
  pump();
  plat::test::answerNextMenu(0);
  plat::test::click(boxes::inputBoxWindow(), {2, 60}, plat::test::Button::Right);
  pump();
  ASSERT_TRUE(plat::test::lastMenu().has_value());
  ASSERT_EQ(plat::test::lastMenu()->items.size(), 1u);
  EXPECT_EQ(plat::test::lastMenu()->items[0].text, "Rename");
  EXPECT_EQ(plat::test::lastMenu()->items[0].id, 1056);

  plat::test::answerNextMenu(1023);
  plat::test::pressOuter(boxes::inputBoxWindow(), {40, 10}, plat::test::Button::Right);
  pump();
  ASSERT_EQ(plat::test::lastMenu()->items.size(), 1u);
  EXPECT_EQ(plat::test::lastMenu()->items[0].text, "Destroy");
  EXPECT_FALSE(boxes::inputBoxWindow());
  EXPECT_TRUE(plat::test::messageBoxes().empty());
}

TEST_F(InputBoxTest, AfterDestructionEveryAccessorGivesNone) {
  TAV_OpenInputBox(0, 0, 5);
  Window box = boxes::inputBoxWindow();
  pump();
  // The close box.
  plat::test::pressOuter(box, {outer().width() - 4 - 2 - 8, 4 + 9});
  pump();
  EXPECT_FALSE(plat::isWindow(box));
  EXPECT_FALSE(boxes::inputBoxWindow());
  for (int i = 0; i < kInputBoxMaxItems; ++i) {
    EXPECT_EQ(TAV_GetInputBoxText(i), nullptr);
    EXPECT_EQ(InputBoxItemText[i], nullptr);
  }
  TAV_SetInputBoxTitle(0, "x");
  TAV_SetInputBoxText(0, "x");
  EXPECT_EQ(boxes::inputBoxLabel(0), "");
  EXPECT_EQ(boxes::inputBoxItemCount(), 0);
  DestroyInputBox();  // nothing left to destroy: no notice
  EXPECT_TRUE(plat::test::messageBoxes().empty());

  // A new box starts afresh.
  TAV_OpenInputBox(0, 0, 2);
  EXPECT_STREQ(TAV_GetInputBoxText(0), "0");
  EXPECT_EQ(boxes::inputBoxLabel(1), "Item 1");
}

TEST_F(InputBoxTest, AFailedDestructionIsReportedAndTheStateClearedAnyway) {
  TAV_OpenInputBox(0, 0, 3);
  plat::destroyWindow(boxes::inputBoxWindow());  // gone behind the box's back
  DestroyInputBox();
  auto shown = plat::test::messageBoxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "DestroyWindow[IB] Error");
  EXPECT_EQ(shown[0].title, "DIREVO Error!");
  EXPECT_EQ(shown[0].flags, plat::kMbIconError);
  EXPECT_FALSE(boxes::inputBoxWindow());
  EXPECT_EQ(TAV_GetInputBoxText(0), nullptr);
}

TEST_F(InputBoxTest, ActivationReturnsTheFocusToTheLastFieldWithoutStealingIt) {
  TAV_OpenInputBox(0, 0, 4);
  pump();
  plat::setFocus(edit(2));
  pump();
  plat::setForegroundWindow(mainWindow);
  plat::setFocus(mainWindow);
  pump();
  EXPECT_EQ(plat::focusWindow(), mainWindow);  // leaving the box leaves it
  plat::setForegroundWindow(boxes::inputBoxWindow());
  pump();
  EXPECT_EQ(plat::focusWindow(), edit(2));
}

TEST_F(InputBoxTest, AClickThatActivatesTheBoxKeepsTheFieldItHit) {
  TAV_OpenInputBox(0, 0, 5);
  pump();
  plat::setFocus(edit(0));
  pump();
  plat::setForegroundWindow(mainWindow);
  plat::setFocus(mainWindow);
  pump();
  // A click focuses field 4 at once, on the display; the box hears of its activation
  // only afterwards, on its own thread.
  plat::setFocus(edit(4));
  pump();
  EXPECT_EQ(plat::focusWindow(), edit(4));
  plat::test::typeText(edit(4), u"9");
  plat::test::key(edit(4), plat::vk::Return);
  pump();
  EXPECT_STREQ(TAV_GetInputBoxText(4), "09");
  EXPECT_STREQ(TAV_GetInputBoxText(0), "0");
}

}  // namespace
