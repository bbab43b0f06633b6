// The window edge table and snapping while a window is dragged with Ctrl held.
#include "textwin_fixture.h"

namespace {

using twtest::TextWindowTest;

class EdgeTest : public TextWindowTest {
 protected:
  void TearDown() override {
    twtest::setCtrlHeld(mainWindow, false);
    TextWindowTest::TearDown();
  }
  // Opens text window n with this outer rectangle.
  plat::Rect openAt(int n, plat::Rect outer) {
    const plat::Rect frame = plat::adjustWindowRect({0, 0, 0, 0}, plat::kStyleOverlapped);
    EXPECT_EQ(TAV_OpenTextWindow(n, outer.left, outer.top, outer.width() - frame.width(),
                                 outer.height() - frame.height()),
              0);
    EXPECT_EQ(plat::getWindowRect(windowOf(n)), outer);
    return outer;
  }
};

TEST_F(EdgeTest, TheTableHoldsScreenStripsThenEveryWindowKindInOrder) {
  TAV_CreateImage(4, "img", 50, 60, 64, 64, 100);
  const plat::Rect image = plat::getWindowRect(ImageTable[4].window);
  const plat::Rect text1 = openAt(1, {300, 300, 500, 420});
  const plat::Rect text0 = openAt(0, {600, 300, 800, 420});
  TAV_OpenInputBox(20, 500, 2);
  TAV_OpenButtonBox(400, 600, 2, 2);
  RefreshWindowEdges();

  const int w = plat::systemMetric(plat::Metric::CxScreen);
  const int h = plat::systemMetric(plat::Metric::CyScreen);
  const std::vector<plat::Rect> expected{{-1000, 0, 0, h},
                                         {0, -1000, w, 0},
                                         {w, 0, w + 1000, h},
                                         {0, h, w, h + 1000},
                                         image,
                                         text0,
                                         text1,
                                         plat::getWindowRect(boxes::inputBoxWindow()),
                                         plat::getWindowRect(boxes::buttonBoxWindow()),
                                         plat::getWindowRect(mainWindow)};
  EXPECT_EQ(textwin::windowEdges(), expected);

  // A window that moves rebuilds the table; one that closes leaves its stale rectangle.
  plat::setWindowPos(windowOf(1), 310, 300, 0, 0, plat::kNoSize | plat::kNoZOrder);
  twtest::pumpOnce();
  EXPECT_EQ(textwin::windowEdges()[6], text1.translated(10, 0));
  TAV_CloseTextWindow(0);
  EXPECT_EQ(textwin::windowEdges()[5], text0);
}

TEST_F(EdgeTest, SnapsWithinSevenPixelsOnlyWithCtrlHeld) {
  const plat::Rect still = openAt(0, {300, 300, 500, 420});
  openAt(1, {700, 100, 800, 180});
  RefreshWindowEdges();
  const plat::Window moving = windowOf(1);

  // 5 pixels right of the other window's right edge, overlapping it vertically, with the
  // tops 20 apart: flush against it, the vertical position kept.
  const plat::Rect near{still.right + 5, 320, still.right + 105, 400};
  plat::Rect p = near;
  SnapMovingWindow(p, moving);
  EXPECT_EQ(p, near) << "no Ctrl, no snap";

  twtest::setCtrlHeld(mainWindow, true);
  ASSERT_TRUE(plat::isKeyDown(plat::vk::Control));
  p = near;
  SnapMovingWindow(p, moving);
  EXPECT_EQ(p, near.translated(-5, 0));

  p = near.translated(3, 0);  // 8 pixels away
  SnapMovingWindow(p, moving);
  EXPECT_EQ(p, near.translated(3, 0));

  // Beside it with the tops 6 apart: both axes snap, the tops aligned.
  const plat::Rect topsNear{still.right - 4, still.top + 6, still.right + 96, still.top + 86};
  p = topsNear;
  SnapMovingWindow(p, moving);
  EXPECT_EQ(p, (plat::Rect{still.right, still.top, still.right + 100, still.top + 80}));

  // Overlapping its bottom edge by 2 with the lefts 7 apart: onto its bottom edge, lefts
  // aligned.
  const plat::Rect below{still.left + 7, still.bottom - 2, still.left + 107, still.bottom + 78};
  p = below;
  SnapMovingWindow(p, moving);
  EXPECT_EQ(p, (plat::Rect{still.left, still.bottom, still.left + 100, still.bottom + 80}));

  // 2 pixels under it, the rectangles no longer overlap vertically: the lefts stay apart.
  p = below.translated(0, 4);
  SnapMovingWindow(p, moving);
  EXPECT_EQ(p, (plat::Rect{still.left + 7, still.bottom, still.left + 107, still.bottom + 80}));

  // Near a screen strip: the left edge onto the screen's left edge.
  p = {4, 500, 104, 580};
  SnapMovingWindow(p, moving);
  EXPECT_EQ(p, (plat::Rect{0, 500, 100, 580}));

  // Its own rectangle in the table never attracts it.
  const plat::Rect self = plat::getWindowRect(moving);
  p = self.translated(3, 3);
  SnapMovingWindow(p, moving);
  EXPECT_EQ(p, self.translated(3, 3));
}

TEST_F(EdgeTest, DraggingWithoutCtrlMovesTheWindowAsProposed) {
  openAt(0, {300, 300, 500, 420});
  const plat::Rect start = openAt(1, {520, 300, 620, 380});
  RefreshWindowEdges();
  // Drag by the caption 15 pixels left: 5 pixels from window 0's right edge.
  plat::test::dragOuter(windowOf(1), {40, 8}, {25, 8});
  twtest::pumpOnce();
  EXPECT_EQ(plat::getWindowRect(windowOf(1)), start.translated(-15, 0));
}

}  // namespace
