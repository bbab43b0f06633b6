// Which screen a window is on, and a window of any kind shown over a whole screen and
// put back, on the real platform, headless.
#include "platform/full_screen.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/platform.h"
#include "platform/test.h"

namespace {

using namespace plat;

TEST(ScreenFor, TheScreenOverlappedMostElseTheNearestToTheCorner) {
  const std::vector<Rect> screens = {{0, 0, 1280, 1024}, {1280, 0, 2080, 600}};
  EXPECT_EQ(screenFor({100, 100, 300, 200}, screens), 0);
  EXPECT_EQ(screenFor({1300, 10, 1400, 90}, screens), 1);
  // Across the seam: more of it on the second screen.
  EXPECT_EQ(screenFor({1200, 10, 1500, 90}, screens), 1);
  EXPECT_EQ(screenFor({1100, 10, 1400, 90}, screens), 0);
  // On neither: below the second screen is nearer to it, left of the first to that one.
  EXPECT_EQ(screenFor({1500, 700, 1600, 800}, screens), 1);
  EXPECT_EQ(screenFor({-500, 100, -400, 200}, screens), 0);
  EXPECT_EQ(screenFor({0, 0, 10, 10}, {}), -1);
}

intptr_t plainProc(Window w, Message& m) {
  return defWindowProc(w, m);
}

class FullScreen : public testing::Test {
 protected:
  void SetUp() override {
    static const bool registered = registerClass({"full_screen_test", plainProc, false, 0x405060});
    ASSERT_TRUE(registered);
  }
  void TearDown() override {
    if (window) destroyWindow(window);
    test::sync();
  }
  Window window;
};

TEST_F(FullScreen, AFramedWindowWithAMenuBarComesBackWithBoth) {
  CreateParams p;
  p.className = "full_screen_test";
  p.title = "menus";
  p.style = kStyleOverlapped | kStyleMenuBar;
  p.menuBar = {"&File"};
  p.menuBarIds = {1};
  p.x = 40;
  p.y = 50;
  p.width = 300;
  p.height = 200;
  window = createWindow(p);
  ASSERT_TRUE(window);
  const Rect client = getClientRect(window);
  const Point origin = clientToScreen(window, {0, 0});

  ASSERT_TRUE(presentFullScreen(window, 0));
  EXPECT_EQ(getWindowRect(window), screenRects()[0]);
  EXPECT_EQ(clientToScreen(window, {0, 0}), (Point{0, 0}));
  EXPECT_EQ(getWindowText(window), "menus");
  // Nothing of the frame, the caption or the menu bar is drawn: the screen is the
  // client surface, black where nothing was drawn yet.
  auto shown = test::screenPixels(0);
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->row32(0)[0], 0u);
  EXPECT_EQ(shown->row32(shown->height() - 1)[shown->width() - 1], 0u);

  ASSERT_TRUE(endFullScreen(window));
  EXPECT_EQ(getWindowRect(window), (Rect{40, 50, 340, 250}));
  EXPECT_EQ(getClientRect(window), client);
  EXPECT_EQ(clientToScreen(window, {0, 0}), origin);
  EXPECT_FALSE(endFullScreen(window));  // not presented any more
}

// F11 twice after someone else moved the window: it comes back where it was moved to,
// and a move reported while it covers the screen changes nothing.
TEST_F(FullScreen, ComesBackWhereTheWindowSystemLastHadIt) {
  CreateParams p;
  p.className = "full_screen_test";
  p.style = kStyleOverlapped | kStyleVisible;
  p.x = 40;
  p.y = 50;
  p.width = 300;
  p.height = 200;
  window = createWindow(p);
  ASSERT_TRUE(window);
  test::sync();
  test::moveFromOutside(window, {400, 300, 700, 500});
  ASSERT_EQ(getWindowRect(window), (Rect{400, 300, 700, 500}));

  ASSERT_TRUE(presentFullScreen(window, 0));
  test::moveFromOutside(window, {10, 10, 310, 210});
  EXPECT_EQ(getWindowRect(window), screenRects()[0]);
  ASSERT_TRUE(endFullScreen(window));
  test::sync();
  EXPECT_EQ(getWindowRect(window), (Rect{400, 300, 700, 500}));
}

TEST_F(FullScreen, RefusesNoSuchScreenAControlAndADeadWindow) {
  CreateParams p;
  p.className = "full_screen_test";
  p.x = 10;
  p.y = 10;
  window = createWindow(p);
  ASSERT_TRUE(window);
  const int screens = static_cast<int>(screenRects().size());
  EXPECT_FALSE(presentFullScreen(window, screens));
  EXPECT_FALSE(presentFullScreen(window, -1));
  EXPECT_FALSE(isFullScreen(window));
  EXPECT_EQ(getWindowRect(window), (Rect{10, 10, 110, 110}));
  const Window button = createControl({ControlKind::Button, window, 7, "ok", {0, 0, 40, 20}});
  ASSERT_TRUE(button);
  EXPECT_FALSE(presentFullScreen(button, 0));
  EXPECT_EQ(screenOfWindow(button), -1);
  EXPECT_EQ(screenOfWindow(window), 0);
  destroyWindow(window);
  EXPECT_FALSE(presentFullScreen(window, 0));
  EXPECT_EQ(screenOfWindow(window), -1);
  window = {};
}

}  // namespace
