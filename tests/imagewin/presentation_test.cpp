// A picture presented full screen with F11, headless: what the screen shows (as Qt
// painted it), the way back, recomposition while presented, and closing. The TwoScreens
// cases run in a second pass of this program on a two-screen configuration.
#include "imagewin/presentation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "core/library.h"
#include "imagewin/imagewin.h"
#include "library_support.h"
#include "platform/full_screen.h"
#include "platform/message.h"
#include "platform/test.h"
#include "platform/window.h"

namespace {

class Presentation : public testing::Test {
 protected:
  void SetUp() override { resetLibrary(); }
  void TearDown() override { resetLibrary(); }

  static void pump() { testsupport::deliverPosted(); }
  static plat::Window win(int n) { return ImageTable[n].window; }
  static void pressF11(int n) {
    plat::test::key(win(n), imagewin::kPresentKey);
    pump();
  }
  // A picture no two neighbouring pixels of which are alike, changed by `seed`.
  static void paint(int n, uint32_t seed) {
    const ImageWindowRecord& r = ImageTable[n];
    for (int y = 0; y < r.height; ++y)
      for (int x = 0; x < r.width; ++x)
        r.surface->row32(y)[x] = ((x * 7919u + y * 104729u) ^ seed) & 0xFFFFFFu;
  }
  // Counts the screen pixels that are not black; -1 when the screen could not be read.
  static long litPixels(int screen) {
    std::unique_ptr<plat::Surface> shown = plat::test::screenPixels(screen);
    if (!shown) return -1;
    long lit = 0;
    for (int y = 0; y < shown->height(); ++y)
      for (int x = 0; x < shown->width(); ++x) lit += shown->row32(y)[x] != 0;
    return lit;
  }
  // Counts the screen pixels that differ from the picture at the top left and from
  // black elsewhere; -1 when the screen could not be read.
  static long mismatches(int screen, int n) {
    std::unique_ptr<plat::Surface> shown = plat::test::screenPixels(screen);
    if (!shown) return -1;
    const ImageWindowRecord& r = ImageTable[n];
    long bad = 0;
    for (int y = 0; y < shown->height(); ++y)
      for (int x = 0; x < shown->width(); ++x) {
        const uint32_t want = x < r.width && y < r.height ? r.surface->row32(y)[x] : 0;
        bad += shown->row32(y)[x] != want;
      }
    return bad;
  }
};

TEST_F(Presentation, F11TwiceGivesBackPlaceSizeZoomCaptionAndPicture) {
  ASSERT_EQ(TAV_CreateImage(5, "camera", 50, 60, 200, 100, 150), 0);
  ASSERT_EQ(TAV_SetStretchMode(plat::kHalftone, 5), 0);
  paint(5, 0);
  TAV_ShowImage(5);
  pump();
  const plat::Rect outer = plat::getWindowRect(win(5));
  const plat::Rect client = plat::getClientRect(win(5));
  const std::string caption = plat::test::title(win(5));
  ASSERT_EQ(caption, "camera(150%)*");
  const std::unique_ptr<plat::Surface> before = plat::test::clientPixels(win(5));

  pressF11(5);
  EXPECT_TRUE(imagewin::isPresented(5));
  EXPECT_TRUE(plat::isFullScreen(win(5)));
  EXPECT_EQ(plat::getWindowRect(win(5)), (plat::Rect{0, 0, 1280, 1024}));
  EXPECT_EQ(plat::getClientRect(win(5)), (plat::Rect{0, 0, 1280, 1024}));
  EXPECT_EQ(plat::clientToScreen(win(5), {0, 0}), (plat::Point{0, 0}));
  EXPECT_EQ(ImageTable[5].zoom, 100);
  EXPECT_EQ(ImageTable[5].dispWidth, 200);
  EXPECT_TRUE(plat::test::pointerHidden(win(5)));
  EXPECT_EQ(mismatches(0, 5), 0);

  pressF11(5);
  EXPECT_FALSE(imagewin::isPresented(5));
  EXPECT_FALSE(plat::isFullScreen(win(5)));
  EXPECT_EQ(plat::getWindowRect(win(5)), outer);
  EXPECT_EQ(plat::getClientRect(win(5)), client);
  EXPECT_EQ(ImageTable[5].zoom, 150);
  EXPECT_EQ(ImageTable[5].dispWidth, 300);
  EXPECT_EQ(ImageTable[5].dispHeight, 150);
  EXPECT_EQ(plat::test::title(win(5)), caption);
  EXPECT_FALSE(plat::test::pointerHidden(win(5)));
  const std::unique_ptr<plat::Surface> after = plat::test::clientPixels(win(5));
  ASSERT_TRUE(before && after);
  ASSERT_EQ(after->width(), before->width());
  ASSERT_EQ(after->height(), before->height());
  long changed = 0;
  for (int y = 0; y < after->height(); ++y)
    for (int x = 0; x < after->width(); ++x) changed += after->row32(y)[x] != before->row32(y)[x];
  EXPECT_EQ(changed, 0);
}

TEST_F(Presentation, APanelSizedPictureFillsTheScreenPixelForPixel) {
  // The window itself cannot show 1280 x 1024 at zoom 100 under a caption; presented,
  // every picture pixel lands on its own screen pixel all the same.
  ASSERT_EQ(TAV_CreateImage(3, "Hello,there!", 10, 10, 1280, 1024, 100), 0);
  ASSERT_LT(ImageTable[3].zoom, 100);
  const int zoom = ImageTable[3].zoom;
  paint(3, 0x123456);
  TAV_ShowImage(3);
  pressF11(3);
  EXPECT_EQ(ImageTable[3].zoom, 100);
  EXPECT_EQ(mismatches(0, 3), 0);
  pressF11(3);
  EXPECT_EQ(ImageTable[3].zoom, zoom);
}

TEST_F(Presentation, ARecompositionShowsAtOnceWithoutTheWindowBeingServed) {
  ASSERT_EQ(TAV_CreateImage(3, "Hello,there!", 100, 100, 320, 240, 100), 0);
  paint(3, 0);
  TAV_ShowImage(3);
  pressF11(3);
  ASSERT_EQ(mismatches(0, 3), 0);
  // The program writes new pixels and shows them, as a new Pitch does; no message of the
  // window is handled in between.
  paint(3, 0xA5A5A5);
  TAV_ShowImage(3);
  plat::test::sync();
  EXPECT_EQ(mismatches(0, 3), 0);
}

TEST_F(Presentation, ClosingAPresentedWindowLeavesNothingBehind) {
  ASSERT_EQ(TAV_CreateImage(7, "gone", 100, 100, 320, 240, 100), 0);
  paint(7, 0);
  pressF11(7);
  ASSERT_EQ(mismatches(0, 7), 0);
  // The close message, as the window system sends it.
  plat::Message close;
  close.window = win(7);
  close.kind = plat::Msg::Close;
  plat::postMessage(close);
  pump();
  EXPECT_EQ(ImageTable[7].inUse, 0);
  EXPECT_FALSE(imagewin::isPresented(7));
  EXPECT_EQ(litPixels(0), 0);  // the screen is black: no window is left on it
  // The number comes back as an ordinary framed window.
  ASSERT_EQ(TAV_CreateImage(7, "again", 100, 100, 320, 240, 100), 0);
  EXPECT_FALSE(imagewin::isPresented(7));
  EXPECT_FALSE(plat::isFullScreen(win(7)));
  EXPECT_EQ(plat::getClientRect(win(7)), (plat::Rect{0, 0, 320, 240}));
  EXPECT_EQ(plat::getWindowRect(win(7)).left, 100);
}

TEST_F(Presentation, ResizingKeepsThePictureOnTheScreenAndZoomingTakesItBack) {
  ASSERT_EQ(TAV_CreateImage(3, "Hello,there!", 100, 120, 320, 240, 100), 0);
  const plat::Rect outer = plat::getWindowRect(win(3));
  ASSERT_EQ(imagewin::presentImage(3), 0);
  // New Width and Height: the window is made again where it stood, and presented again.
  ASSERT_EQ(TAV_ResizeImage(3, 400, 300), 0);
  EXPECT_TRUE(imagewin::isPresented(3));
  EXPECT_EQ(plat::getWindowRect(win(3)), (plat::Rect{0, 0, 1280, 1024}));
  paint(3, 0x010203);
  TAV_ShowImage(3);
  EXPECT_EQ(mismatches(0, 3), 0);
  ASSERT_EQ(imagewin::endPresentation(3), 0);
  EXPECT_EQ(plat::getWindowRect(win(3)).left, outer.left);
  EXPECT_EQ(plat::getWindowRect(win(3)).top, outer.top);
  EXPECT_EQ(plat::getClientRect(win(3)), (plat::Rect{0, 0, 400, 300}));

  // A zoom belongs to the framed window: asking for one ends the presentation first.
  ASSERT_EQ(imagewin::presentImage(3), 0);
  ASSERT_EQ(TAV_SetImageZoom(50, 3), 0);
  EXPECT_FALSE(imagewin::isPresented(3));
  EXPECT_EQ(ImageTable[3].zoom, 50);
  EXPECT_EQ(plat::getClientRect(win(3)), (plat::Rect{0, 0, 200, 150}));
  EXPECT_EQ(plat::getWindowRect(win(3)).left, outer.left);
  EXPECT_EQ(plat::test::title(win(3)), "Hello,there!(50%)");
}

// ---------------------------------------------------------------- two screens

// Screen 1 stands right of screen 0 in the second pass's configuration
// (two_screens.json); the first pass has one screen and skips these.
class TwoScreens : public Presentation {
 protected:
  void SetUp() override {
    Presentation::SetUp();
    const char* expected = std::getenv("DIREVO_TEST_SCREENS");
    if (expected && std::string(expected) == "2") {
      ASSERT_EQ(plat::screenRects().size(), 2u) << "the two-screen configuration was not read";
    } else if (plat::screenRects().size() < 2) {
      GTEST_SKIP() << "runs in the two-screen pass";
    }
  }
};

TEST_F(TwoScreens, TheWindowIsPresentedOnTheScreenItIsOn) {
  const plat::Rect second = plat::screenRects()[1];
  ASSERT_EQ(TAV_CreateImage(4, "right", second.left + 40, second.top + 30, 300, 200, 100), 0);
  EXPECT_EQ(plat::screenOfWindow(win(4)), 1);
  const plat::Rect outer = plat::getWindowRect(win(4));
  paint(4, 0x0F0F0F);
  TAV_ShowImage(4);
  pressF11(4);
  EXPECT_EQ(plat::getWindowRect(win(4)), second);
  EXPECT_EQ(plat::clientToScreen(win(4), {0, 0}), (plat::Point{second.left, second.top}));
  EXPECT_EQ(mismatches(1, 4), 0);
  EXPECT_EQ(litPixels(0), 0);  // nothing of it on the first screen
  // A recomposition reaches the second screen too.
  paint(4, 0x700070);
  TAV_ShowImage(4);
  plat::test::sync();
  EXPECT_EQ(mismatches(1, 4), 0);
  pressF11(4);
  EXPECT_EQ(plat::getWindowRect(win(4)), outer);
}

TEST_F(TwoScreens, AWindowOnTheFirstScreenStaysThere) {
  ASSERT_EQ(TAV_CreateImage(1, "left", 30, 30, 200, 150, 100), 0);
  paint(1, 0x333333);
  pressF11(1);
  EXPECT_EQ(plat::getWindowRect(win(1)), plat::screenRects()[0]);
  EXPECT_EQ(mismatches(0, 1), 0);
}

}  // namespace
