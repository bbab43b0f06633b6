// The image window's display controls on the real platform, headless: zoom by call,
// keys and wheel, the scaling-mode toggle, the typed zoom and resize, painting, and
// the frame under the user's drags.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <tuple>
#include <vector>

#include "core/library.h"
#include "imagewin/imagewin.h"
#include "library_support.h"
#include "platform/message.h"
#include "platform/test.h"
#include "platform/window.h"

namespace {

namespace vk = plat::vk;

class DisplayControls : public testing::Test {
 protected:
  void SetUp() override {
    resetLibrary();
    prompts.clear();
    answers.clear();
    edgeRefreshes = 0;
  }
  void TearDown() override {
    resetLibrary();
    plat::test::pinScreenSize(1280, 1024);
  }

  static void pump() { testsupport::deliverPosted(); }
  static plat::Window win(int n) { return ImageTable[n].window; }
  static std::string caption(int n) { return plat::test::title(win(n)); }
  static void key(int n, int k, bool ctrl) {
    plat::test::key(win(n), k, ctrl);
    pump();
  }
  static void wheel(int n, int delta, bool ctrl) {
    plat::test::wheel(win(n), {5, 5}, delta, ctrl);
    pump();
  }

  // The prompt hook answers from a script and keeps what it was asked.
  static inline std::vector<std::string> prompts, answers;
  static std::string scriptedAnswer(const std::string& prompt) {
    prompts.push_back(prompt);
    if (answers.empty()) return "";
    std::string a = answers.front();
    answers.erase(answers.begin());
    return a;
  }
  static inline int edgeRefreshes = 0;
};

TEST_F(DisplayControls, SetImageZoomResizesTheWindowByTheClientChange) {
  ASSERT_EQ(TAV_CreateImage(4, "camera", 50, 60, 200, 100, 100), 0);
  testsupport::useService(&LibraryServices::refreshWindowEdges, [] { ++edgeRefreshes; });
  const plat::Rect before = plat::getWindowRect(win(4));
  ASSERT_EQ(TAV_SetImageZoom(150, 4), 0);
  const ImageWindowRecord& r = ImageTable[4];
  EXPECT_EQ(r.zoom, 150);
  EXPECT_EQ(r.dispWidth, 300);
  EXPECT_EQ(r.dispHeight, 150);
  EXPECT_EQ(r.inUse, 1);
  EXPECT_EQ(plat::getClientRect(win(4)), (plat::Rect{0, 0, 300, 150}));
  EXPECT_EQ(plat::getWindowRect(win(4)),
            (plat::Rect{before.left, before.top, before.right + 100, before.bottom + 50}));
  EXPECT_EQ(caption(4), "camera(150%)");
  EXPECT_GE(edgeRefreshes, 1);

  // The picture is too big for the screen at 800%: the largest zoom that fits is taken.
  ASSERT_EQ(TAV_SetImageZoom(800, 4), 0);
  EXPECT_EQ(r.zoom, 640);
  EXPECT_EQ(plat::getClientRect(win(4)).width(), 1280);
  EXPECT_EQ(caption(4), "camera(640%)");

  EXPECT_EQ(TAV_SetImageZoom(100, 5), 1);
  EXPECT_EQ(TAV_SetImageZoom(100, -1), 1);
  EXPECT_EQ(TAV_SetImageZoom(100, 256), 1);
}

TEST_F(DisplayControls, TheMinimumWidthWinsOverASmallZoom) {
  // "Zoom: 50%" on 100 x 100 with a minimum client width of 104.
  ASSERT_EQ(TAV_CreateImage(0, "small", 0, 0, 100, 100, 100), 0);
  ASSERT_EQ(TAV_SetImageZoom(50, 0), 0);
  EXPECT_EQ(ImageTable[0].zoom, 104);
  EXPECT_EQ(plat::getClientRect(win(0)), (plat::Rect{0, 0, 104, 104}));
  // Zooming out cannot go below it either.
  key(0, vk::Subtract, true);
  EXPECT_EQ(ImageTable[0].zoom, 104);
}

TEST_F(DisplayControls, AZoomThatCannotFitChangesNothingAndTheWindowStaysUsable) {
  // 100 x 900 needs zoom 104 for the minimum width: 936 rows, which fit a 1024-row
  // screen but not an 800-row one.
  ASSERT_EQ(TAV_CreateImage(2, "tall", 0, 0, 100, 900, 100), 0);
  ASSERT_EQ(ImageTable[2].zoom, 104);
  const plat::Rect outer = plat::getWindowRect(win(2));
  plat::test::pinScreenSize(1280, 800);
  EXPECT_EQ(TAV_SetImageZoom(104, 2), 2);
  const ImageWindowRecord& r = ImageTable[2];
  EXPECT_EQ(r.inUse, 1);
  EXPECT_EQ(r.zoom, 104);
  EXPECT_EQ(r.dispHeight, 936);
  EXPECT_EQ(plat::getWindowRect(win(2)), outer);
  EXPECT_EQ(caption(2), "tall(104%)");
  EXPECT_EQ(TAV_FindImage(win(2)), 2);
  // It still paints its picture.
  reinterpret_cast<uint32_t*>(ImagePixels[2])[0] = 0x00336699;
  plat::invalidate(win(2));
  pump();
  auto shown = plat::test::clientPixels(win(2));
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->row32(0)[0], 0x00336699u);
}

TEST_F(DisplayControls, CtrlKeysStepTheZoomAndCtrlZeroResetsIt) {
  ASSERT_EQ(TAV_CreateImage(1, "steps", 0, 0, 300, 200, 100), 0);
  key(1, vk::Add, true);
  EXPECT_EQ(ImageTable[1].zoom, 111);
  key(1, vk::Add, true);
  EXPECT_EQ(ImageTable[1].zoom, 123);
  EXPECT_EQ(caption(1), "steps(123%)");
  EXPECT_EQ(plat::getClientRect(win(1)), (plat::Rect{0, 0, 369, 246}));
  key(1, vk::Numpad0, true);
  EXPECT_EQ(ImageTable[1].zoom, 100);
  key(1, vk::Subtract, true);
  EXPECT_EQ(ImageTable[1].zoom, 90);
  key(1, vk::Subtract, true);
  EXPECT_EQ(ImageTable[1].zoom, 81);
  // Without Ctrl the same keys do nothing.
  for (int k : {vk::Add, vk::Subtract, vk::Numpad0}) key(1, k, false);
  EXPECT_EQ(ImageTable[1].zoom, 81);
}

TEST_F(DisplayControls, SmallZoomsAreFixedPointsOfTheSteps) {
  EXPECT_EQ(imagewin::zoomIn(1), 1);
  EXPECT_EQ(imagewin::zoomOut(5), 5);
  EXPECT_EQ(imagewin::zoomIn(137), 152);
  EXPECT_EQ(imagewin::zoomOut(73), 66);
  EXPECT_EQ(imagewin::zoomIn(INT_MAX / 5), static_cast<int>((10LL * (INT_MAX / 5) + 4) / 9));
  // On a window: a picture shown at 5% (free limits) stays at 5%.
  ASSERT_EQ(TAV_CreateImageFL(3, "huge", 0, 0, 2000, 2000, 5), 0);
  key(3, vk::Subtract, true);
  EXPECT_EQ(ImageTable[3].zoom, 5);
}

TEST_F(DisplayControls, OnlyCtrlWithTheWheelZooms) {
  ASSERT_EQ(TAV_CreateImage(0, "wheel", 0, 0, 300, 200, 100), 0);
  wheel(0, -120, false);
  wheel(0, 120, false);
  EXPECT_EQ(ImageTable[0].zoom, 100);
  wheel(0, -120, true);  // toward the user: in
  EXPECT_EQ(ImageTable[0].zoom, 111);
  wheel(0, 120, true);  // away from the user: out
  EXPECT_EQ(ImageTable[0].zoom, 100);
  wheel(0, 120, true);
  EXPECT_EQ(ImageTable[0].zoom, 90);
}

TEST_F(DisplayControls, TabTogglesSmoothScalingAndItsMark) {
  ASSERT_EQ(TAV_CreateImage(0, "cam", 0, 0, 200, 100, 111), 0);
  key(0, vk::Tab, false);
  EXPECT_EQ(TAV_GetStretchMode(0), plat::kHalftone);
  EXPECT_EQ(caption(0), "cam(111%)*");
  key(0, vk::Tab, true);  // Ctrl+Tab toggles too
  EXPECT_EQ(TAV_GetStretchMode(0), plat::kColorOnColor);
  EXPECT_EQ(caption(0), "cam(111%)");
  // The mark survives a zoom change.
  key(0, vk::Tab, false);
  key(0, vk::Add, true);
  EXPECT_EQ(caption(0), "cam(123%)*");
}

TEST_F(DisplayControls, KeysWaitWhileAPointIsPicked) {
  ASSERT_EQ(TAV_CreateImage(0, "pick", 0, 0, 200, 100, 100), 0);
  static bool picking = true;
  testsupport::useService(&LibraryServices::pickInProgress, [] { return picking; });
  key(0, vk::Tab, false);
  key(0, vk::Add, true);
  EXPECT_EQ(TAV_GetStretchMode(0), plat::kColorOnColor);
  EXPECT_EQ(ImageTable[0].zoom, 100);
  picking = false;
  key(0, vk::Add, true);
  EXPECT_EQ(ImageTable[0].zoom, 111);
}

TEST_F(DisplayControls, PaintShowsThePictureAtTheZoom) {
  ASSERT_EQ(TAV_CreateImageFL(0, "tiny", 0, 0, 3, 2, 100), 0);
  auto* p = reinterpret_cast<uint32_t*>(ImagePixels[0]);
  for (int i = 0; i < 6; ++i) p[i] = 0x00101010u * (i + 1);
  ASSERT_EQ(TAV_SetImageZoom(300, 0), 0);
  pump();  // the zoom invalidates; the paint draws
  auto shown = plat::test::clientPixels(win(0));
  ASSERT_TRUE(shown);
  ASSERT_EQ(shown->width(), 9);
  ASSERT_EQ(shown->height(), 6);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 9; ++x) {
      ASSERT_EQ(shown->row32(y)[x], p[(y / 3) * 3 + x / 3]) << x << ", " << y;
    }
  }
}

TEST_F(DisplayControls, TheFrameCannotResizeTheWindow) {
  ASSERT_EQ(TAV_CreateImage(0, "fixed", 100, 100, 200, 100, 100), 0);
  pump();
  const plat::Rect before = plat::getWindowRect(win(0));
  // Right border, bottom-right corner, left border.
  plat::test::dragOuter(win(0), {before.width() - 2, 60}, {before.width() + 50, 60});
  pump();
  plat::test::dragOuter(win(0), {before.width() - 2, before.height() - 2},
                        {before.width() - 80, before.height() - 40});
  pump();
  plat::test::dragOuter(win(0), {1, 60}, {-30, 60});
  pump();
  EXPECT_EQ(plat::getWindowRect(win(0)), before);
  EXPECT_EQ(plat::getClientRect(win(0)), (plat::Rect{0, 0, 200, 100}));
  EXPECT_EQ(ImageTable[0].dispWidth, 200);
}

TEST_F(DisplayControls, DraggingSnapsThroughTheServiceAndAMoveRefreshesTheEdges) {
  ASSERT_EQ(TAV_CreateImage(0, "drag", 100, 100, 200, 100, 100), 0);
  pump();
  const plat::Rect start = plat::getWindowRect(win(0));
  // No snapping service: the window follows the pointer.
  plat::test::dragOuter(win(0), {50, 10}, {80, 30});
  pump();
  EXPECT_EQ(plat::getWindowRect(win(0)), start.translated(30, 20));

  static plat::Window snapped;
  testsupport::useService(&LibraryServices::snapMovingWindow, [](plat::Rect& r, plat::Window w) {
    snapped = w;
    r = r.translated(-r.left, 0);  // onto the screen's left edge
  });
  testsupport::useService(&LibraryServices::refreshWindowEdges, [] { ++edgeRefreshes; });
  plat::test::dragOuter(win(0), {50, 10}, {60, 40});
  pump();
  EXPECT_EQ(snapped, win(0));
  const plat::Rect now = plat::getWindowRect(win(0));
  EXPECT_EQ(now.left, 0);
  EXPECT_EQ(now.top, start.top + 50);
  EXPECT_EQ(now.width(), start.width());
  EXPECT_GE(edgeRefreshes, 1);
}

TEST_F(DisplayControls, TypedZoomReadsTheLeadingNumber) {
  ASSERT_EQ(TAV_CreateImage(3, "typed", 0, 0, 800, 480, 100), 0);
  testsupport::useService(&LibraryServices::promptLine, scriptedAnswer);
  // The prompt goes to text window 0, opened at its default place first.
  static std::vector<std::vector<int>> opened;
  opened.clear();
  testsupport::useService(&LibraryServices::openTextWindow, [](int n, int x, int y, int w, int h) {
    opened.push_back({n, x, y, w, h});
    return 0;
  });
  answers = {"  120%"};
  EXPECT_EQ(imagewin::typedZoom(3), 0);
  EXPECT_EQ(prompts, std::vector<std::string>{"[3] Zoom(%)="});
  EXPECT_EQ(opened, (std::vector<std::vector<int>>{{0, -1, -1, -1, -1}}));
  EXPECT_EQ(ImageTable[3].zoom, 120);
  // Not a number: zoom 0, raised to the smallest zoom that meets the minimum width.
  answers = {"big"};
  EXPECT_EQ(imagewin::typedZoom(3), 0);
  EXPECT_EQ(ImageTable[3].zoom, 13);
  // No prompt service: every answer is empty, which reads as 0 too.
  testsupport::useService(&LibraryServices::promptLine, nullptr);
  TAV_SetImageZoom(100, 3);
  EXPECT_EQ(imagewin::typedZoom(3), 0);
  EXPECT_EQ(ImageTable[3].zoom, 13);
  EXPECT_EQ(imagewin::typedZoom(9), 1);
}

TEST_F(DisplayControls, LeadingIntegersAreReadLikeTheCLibraryAndNeverOverflow) {
  EXPECT_EQ(imagewin::leadingInteger(" \t-12px"), -12);
  EXPECT_EQ(imagewin::leadingInteger("+7"), 7);
  EXPECT_EQ(imagewin::leadingInteger("x7"), 0);
  EXPECT_EQ(imagewin::leadingInteger("- 7"), 0);
  EXPECT_EQ(imagewin::leadingInteger(""), 0);
  EXPECT_EQ(imagewin::leadingInteger("99999999999999999999"), INT_MAX);
  EXPECT_EQ(imagewin::leadingInteger("-2147483648"), INT_MIN);
  EXPECT_EQ(imagewin::leadingInteger("-99999999999999999999"), INT_MIN);
}

TEST_F(DisplayControls, TypedResizeRecreatesTheWindowAtTheNewSize) {
  ASSERT_EQ(TAV_CreateImage8(2, "resize", 40, 50, 300, 200, 111), 0);
  ASSERT_EQ(TAV_SetStretchMode(plat::kHalftone, 2), 0);
  ImagePixels[2][0] = 9;
  testsupport::useService(&LibraryServices::promptLine, scriptedAnswer);
  answers = {"150", "-3"};  // 0 or less becomes 1
  EXPECT_EQ(imagewin::typedResize(2), 0);
  EXPECT_EQ(prompts,
            (std::vector<std::string>{"[2] New x-size(pixel)=", "[2] New y-size(pixel)="}));
  const ImageWindowRecord& r = ImageTable[2];
  EXPECT_EQ(r.width, 150);
  EXPECT_EQ(r.height, 1);
  EXPECT_EQ(r.zoom, 111);
  EXPECT_EQ(plat::getWindowRect(win(2)).left, 40);
  EXPECT_EQ(caption(2), "resize(111%)[8bit]*");
  EXPECT_EQ(ImagePixels[2][0], 0);  // a cleared picture
}

TEST_F(DisplayControls, ATypedSizeThatCannotBeMadeKeepsTheWindow) {
  ASSERT_EQ(TAV_CreateImage(2, "keep", 40, 50, 300, 200, 100), 0);
  reinterpret_cast<uint32_t*>(ImagePixels[2])[5] = 0x00ABCDEF;
  const plat::Window before = win(2);
  testsupport::useService(&LibraryServices::promptLine, scriptedAnswer);
  // One column 5000 rows tall fits no zoom; 100000 x 100000 fits at zoom 1 but needs
  // 40 GB of pixels.
  for (auto [x, y, result] : {std::tuple{"1", "5000", kCreateTooLarge},
                              std::tuple{"100000", "100000", kCreateNoBuffer}}) {
    answers = {x, y};
    EXPECT_EQ(imagewin::typedResize(2), result) << x << " x " << y;
    EXPECT_EQ(ImageTable[2].inUse, 1);
    EXPECT_EQ(win(2), before);
    EXPECT_EQ(ImageTable[2].width, 300);
    EXPECT_EQ(reinterpret_cast<uint32_t*>(ImagePixels[2])[5], 0x00ABCDEFu);
  }
  answers = {"10", "10"};
  EXPECT_EQ(imagewin::typedResize(7), 1);
}

}  // namespace
