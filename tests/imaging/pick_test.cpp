// The picking tools driven by real mouse input, headless, one scripted step per pass of
// a tool's wait loop.
#include "imaging/pick.h"

#include <gtest/gtest.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "base/pump.h"
#include "base/services.h"
#include "drawing_fixture.h"
#include "library_support.h"
#include "pick_script.h"
#include "platform/test.h"
#include "platform/thread.h"
#include "platform/types.h"

namespace {

class Picking : public Drawing, protected testsupport::PickScript {
 protected:
  void SetUp() override {
    Drawing::SetUp();
    installLibraryServices({});
    install();
  }
  void TearDown() override {
    installLibraryServices({});
    Drawing::TearDown();
  }

  static plat::Window win(int n = 0) { return ImageTable[n].window; }

  // A pixel of the window as the display shows it (zoom 100).
  static uint32_t shownPixel(int x, int y) {
    plat::test::sync();
    return plat::test::clientPixels(win())->row32(y)[x];
  }

  // A 120 x 80 window of random pixels, and those pixels.
  static std::vector<uint32_t> openNoisy(int number = 0, int zoom = 100) {
    EXPECT_EQ(TAV_CreateImageFL(number, "t", 0, 0, 120, 80, zoom), kCreateOk);
    TAV_SelectImage(number);
    fillWithNoise(7 + number);
    TAV_ShowImage(number);
    return pixels();
  }
};

TEST_F(Picking, RectOrdersTheCornersPromptsAndLeavesThePictureAsItWas) {
  const std::vector<uint32_t> before = openNoisy();
  press(30, 20);
  move(20, 12);
  move(10, 5);
  press(10, 5);
  int l, t, r, b;
  EXPECT_EQ(TAV_PickRect(0, l, t, r, b), kPickDone);
  EXPECT_FALSE(ranOut);
  EXPECT_EQ(std::vector<int>({l, t, r, b}), std::vector<int>({10, 5, 30, 20}));
  EXPECT_EQ(statusTexts, std::vector<std::string>(
                             {"Click the first point", "Click the second point", depthText()}));
  EXPECT_EQ(dropsAllowed, std::vector<bool>({false, true}));
  EXPECT_EQ(pixels(), before);
  EXPECT_EQ(PickState.active, 0);
  EXPECT_EQ(PickState.window, -1);

  press(7, 9);
  press(7, 9);
  EXPECT_EQ(TAV_PickRect(0, l, t, r, b), kPickDone);
  EXPECT_EQ(std::vector<int>({l, t, r, b}), std::vector<int>({7, 9, 7, 9}));
}

TEST_F(Picking, BoxFeedbackFollowsThePointerAndIsShownInTheWindow) {
  const std::vector<uint32_t> before = openNoisy();
  std::vector<uint32_t> whileDragging;
  uint32_t shownCorner = 0;
  press(10, 10);
  move(40, 30);
  then([&] {
    whileDragging = pixels();
    shownCorner = shownPixel(40, 30);
  });
  press(40, 30);
  int l, t, r, b;
  ASSERT_EQ(TAV_PickRect(0, l, t, r, b), kPickDone);
  // The outline from the first corner to the pointer is inverted, nothing else.
  ASSERT_EQ(whileDragging.size(), before.size());
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 120; ++x) {
      const bool outline = ((x == 10 || x == 40) && y >= 10 && y <= 30) ||
                           ((y == 10 || y == 30) && x >= 10 && x <= 40);
      const size_t i = static_cast<size_t>(y) * 120 + x;
      ASSERT_EQ(whileDragging[i], outline ? before[i] ^ 0xFFFFFF : before[i]) << x << "," << y;
    }
  EXPECT_EQ(shownCorner & 0xFFFFFF, (before[30 * 120 + 40] ^ 0xFFFFFF) & 0xFFFFFF);
  EXPECT_EQ(pixels(), before);
  EXPECT_EQ(shownPixel(40, 30) & 0xFFFFFF, before[30 * 120 + 40] & 0xFFFFFF);
}

TEST_F(Picking, RightClickAfterTheFirstPointStartsOverAndASecondOneCancels) {
  const std::vector<uint32_t> before = openNoisy();
  press(10, 10);
  move(50, 40);
  press(50, 40, Button::Right);
  press(60, 60, Button::Middle);
  int l = -1, t = -1, r = -1, b = -1;
  EXPECT_EQ(TAV_PickRect(0, l, t, r, b), kPickCancelled);
  EXPECT_FALSE(ranOut);
  EXPECT_EQ(statusTexts,
            std::vector<std::string>({"Click the first point", "Click the second point",
                                      "Click the first point", depthText()}));
  EXPECT_EQ(std::vector<int>({l, t, r, b}), std::vector<int>({0, 0, 0, 0}));
  EXPECT_EQ(pixels(), before);
  EXPECT_EQ(shownPixel(50, 40) & 0xFFFFFF, before[40 * 120 + 50] & 0xFFFFFF);
  EXPECT_EQ(dropsAllowed, std::vector<bool>({false, true}));
}

TEST_F(Picking, EveryToolCancelsBeforeItsFirstPointWithThePictureUnchanged) {
  const std::vector<uint32_t> before = openNoisy();
  const std::vector<std::function<int()>> tools = {
      [] {
        int a, b, c, d;
        return TAV_PickRect(0, a, b, c, d);
      },
      [] {
        int a, b, c, d;
        return TAV_PickLine(0, a, b, c, d);
      },
      [] {
        int a, b, c;
        return TAV_PickCircle(0, a, b, c);
      },
      [] {
        int a, b;
        return TAV_PickPoint(0, a, b);
      },
      [] {
        int a, b;
        return TAV_PickRow(0, a, b);
      },
      [] {
        int a, b;
        return TAV_PickColumn(0, a, b);
      },
      [] {
        int a, b;
        return TAV_PickPlace(0, 11, 11, a, b);
      },
  };
  for (size_t i = 0; i < tools.size(); ++i) {
    move(30 + static_cast<int>(i), 40);
    press(30, 40, i % 2 ? Button::Middle : Button::Right);
    EXPECT_EQ(tools[i](), kPickCancelled) << i;
    EXPECT_FALSE(ranOut) << i;
    EXPECT_EQ(pixels(), before) << i;
  }
}

TEST_F(Picking, LineKeepsTheClickOrderAndCircleMeasuresTheRadius) {
  const std::vector<uint32_t> before = openNoisy();
  press(50, 40);
  move(5, 6);
  press(5, 6);
  int x1, y1, x2, y2;
  EXPECT_EQ(TAV_PickLine(0, x1, y1, x2, y2), kPickDone);
  EXPECT_EQ(std::vector<int>({x1, y1, x2, y2}), std::vector<int>({50, 40, 5, 6}));

  int cx, cy, radius;
  press(20, 20);
  move(40, 30);
  press(23, 24);
  EXPECT_EQ(TAV_PickCircle(0, cx, cy, radius), kPickDone);
  EXPECT_EQ(std::vector<int>({cx, cy, radius}), std::vector<int>({20, 20, 5}));
  press(20, 20);
  press(20, 20);
  EXPECT_EQ(TAV_PickCircle(0, cx, cy, radius), kPickDone);
  EXPECT_EQ(radius, 0);
  EXPECT_EQ(pixels(), before);
}

TEST_F(Picking, CircleFeedbackGoesThroughThePointer) {
  openNoisy();
  const std::vector<uint32_t> before = pixels();
  std::vector<uint32_t> shown;
  press(60, 40);
  move(66, 48);  // radius 10
  then([&] { shown = pixels(); });
  press(60, 40, Button::Right);
  press(60, 40, Button::Right);
  int cx, cy, radius;
  EXPECT_EQ(TAV_PickCircle(0, cx, cy, radius), kPickCancelled);
  // The circle of radius 10 round (60, 40) is inverted while the pointer is there.
  const auto at = [](const std::vector<uint32_t>& p, int x, int y) {
    return p[static_cast<size_t>(y) * 120 + x];
  };
  EXPECT_EQ(at(shown, 70, 40), at(before, 70, 40) ^ 0xFFFFFF);
  EXPECT_EQ(at(shown, 60, 30), at(before, 60, 30) ^ 0xFFFFFF);
  EXPECT_EQ(at(shown, 60, 40), at(before, 60, 40));
  EXPECT_EQ(pixels(), before);
}

TEST_F(Picking, PointTakesTheClickInPictureCoordinatesOfTheZoom) {
  openNoisy(0, 200);
  move(100, 100);
  press(41, 61);
  int x, y;
  EXPECT_EQ(TAV_PickPoint(0, x, y), kPickDone);
  EXPECT_EQ(x, 20);
  EXPECT_EQ(y, 30);
  EXPECT_EQ(statusTexts, std::vector<std::string>({"Click a point", depthText()}));
}

TEST_F(Picking, RowAndColumnShowALineAtThePointerAndEraseItOnTheClick) {
  const std::vector<uint32_t> before = openNoisy();
  std::vector<uint32_t> rowShown, columnShown;
  move(15, 25);
  then([&] { rowShown = pixels(); });
  press(17, 26);
  int x, y;
  EXPECT_EQ(TAV_PickRow(0, x, y), kPickDone);
  EXPECT_EQ(x, 17);
  EXPECT_EQ(y, 26);
  EXPECT_EQ(pixels(), before);

  move(33, 44);
  then([&] { columnShown = pixels(); });
  press(34, 45);
  EXPECT_EQ(TAV_PickColumn(0, x, y), kPickDone);
  EXPECT_EQ(x, 34);
  EXPECT_EQ(y, 45);
  EXPECT_EQ(pixels(), before);

  for (int y2 = 0; y2 < 80; ++y2)
    for (int x2 = 0; x2 < 120; ++x2) {
      const size_t i = static_cast<size_t>(y2) * 120 + x2;
      ASSERT_EQ(rowShown[i], y2 == 25 ? before[i] ^ 0xFFFFFF : before[i]) << x2 << "," << y2;
      ASSERT_EQ(columnShown[i], x2 == 33 ? before[i] ^ 0xFFFFFF : before[i]) << x2 << "," << y2;
    }
}

TEST_F(Picking, RowFeedbackStartsAtTheLastHoverPoint) {
  const std::vector<uint32_t> before = openNoisy();
  move(5, 12);
  press(5, 12, Button::Right);
  int x, y;
  ASSERT_EQ(TAV_PickRow(0, x, y), kPickCancelled);
  std::vector<uint32_t> atStart;
  then([&] { atStart = pixels(); });
  press(1, 1, Button::Right);
  ASSERT_EQ(TAV_PickRow(0, x, y), kPickCancelled);
  EXPECT_EQ(atStart[12 * 120 + 50], before[12 * 120 + 50] ^ 0xFFFFFF);
  EXPECT_EQ(pixels(), before);
}

TEST_F(Picking, PlaceShowsACentredBoxWithDiagonalsFromNinePixels) {
  const std::vector<uint32_t> before = openNoisy();
  const auto changed = [&](const std::vector<uint32_t>& p) {
    std::set<std::pair<int, int>> points;
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 120; ++x)
        if (p[static_cast<size_t>(y) * 120 + x] != before[static_cast<size_t>(y) * 120 + x])
          points.insert({x, y});
    return points;
  };
  std::vector<uint32_t> small, large, even;
  move(20, 20);
  then([&] { small = pixels(); });
  press(21, 22);
  int x, y;
  EXPECT_EQ(TAV_PickPlace(0, 5, 5, x, y), kPickDone);
  EXPECT_EQ(x, 21);
  EXPECT_EQ(y, 22);
  EXPECT_EQ(pixels(), before);
  // 5 x 5 round (20, 20): columns and rows 18..22, the outline only.
  std::set<std::pair<int, int>> outline;
  for (int i = 18; i <= 22; ++i) outline.insert({{i, 18}, {i, 22}, {18, i}, {22, i}});
  EXPECT_EQ(changed(small), outline);

  move(60, 40);
  then([&] { large = pixels(); });
  press(60, 40);
  EXPECT_EQ(TAV_PickPlace(0, 9, 9, x, y), kPickDone);
  const std::set<std::pair<int, int>> nine = changed(large);
  EXPECT_TRUE(nine.count({57, 37}));  // on a diagonal, one inside the corner (56, 36)
  EXPECT_TRUE(nine.count({63, 43}));
  EXPECT_TRUE(nine.count({63, 37}));
  EXPECT_FALSE(nine.count({60, 40}));  // the diagonals cross there: inverted twice
  EXPECT_TRUE(nine.count({56, 36}));
  EXPECT_TRUE(nine.count({64, 44}));

  move(10, 10);
  then([&] { even = pixels(); });
  press(10, 10, Button::Right);
  EXPECT_EQ(TAV_PickPlace(0, 4, 3, x, y), kPickCancelled);
  int minX = 999, maxX = -1;
  for (auto [px, py] : changed(even)) minX = std::min(minX, px), maxX = std::max(maxX, px);
  EXPECT_EQ(minX, 8);
  EXPECT_EQ(maxX, 11);
  EXPECT_EQ(pixels(), before);
}

TEST_F(Picking, AStopRequestEndsAtOnceWithThePointsSoFarAndTheFeedbackLeft) {
  const std::vector<uint32_t> before = openNoisy();
  press(30, 20);
  move(40, 25);
  then([] { stopFlag = true; });
  int l, t, r, b;
  EXPECT_EQ(TAV_PickRect(0, l, t, r, b), kPickDone);
  EXPECT_FALSE(ranOut);
  // The first corner was taken, the second not (0), ordered.
  EXPECT_EQ(std::vector<int>({l, t, r, b}), std::vector<int>({0, 0, 30, 20}));
  EXPECT_NE(pixels(), before);  // the box to the pointer stays
  EXPECT_EQ(statusTexts.back(), depthText());
  EXPECT_EQ(PickState.active, 0);

  openNoisy(1);
  then([] { stopFlag = true; });
  int x = -1, y = -1;
  EXPECT_EQ(TAV_PickPoint(1, x, y), kPickDone);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
}

TEST_F(Picking, AFirstPointGivenUpIsNotReturnedByALaterStopRequest) {
  openNoisy();
  press(30, 20);
  press(30, 20, Button::Right);
  then([] { stopFlag = true; });
  int x1 = -1, y1 = -1, x2 = -1, y2 = -1;
  EXPECT_EQ(TAV_PickLine(0, x1, y1, x2, y2), kPickDone);
  EXPECT_EQ(std::vector<int>({x1, y1, x2, y2}), std::vector<int>({0, 0, 0, 0}));
}

TEST_F(Picking, AStopRequestFromBeforeThePickIsCleared) {
  openNoisy();
  stopFlag = true;
  press(12, 13);
  int x, y;
  EXPECT_EQ(TAV_PickPoint(0, x, y), kPickDone);
  EXPECT_EQ(x, 12);
  EXPECT_EQ(y, 13);
  EXPECT_FALSE(ranOut);
}

TEST_F(Picking, OnlyThePickedWindowFeedsTheTool) {
  openNoisy(1);
  openNoisy(0);
  press(5, 5, Button::Left, 1);
  press(5, 5, Button::Right, 1);
  press(9, 8, Button::Left, 0);
  int x, y;
  EXPECT_EQ(TAV_PickPoint(0, x, y), kPickDone);
  EXPECT_EQ(x, 9);
  EXPECT_EQ(y, 8);
  EXPECT_EQ(CurrentImage, 0);
  // With no tool running a press feeds nothing.
  imaging::feedPick(0, plat::Msg::LButtonDown, 3, 3);
  EXPECT_EQ(PickState.clicked, 0);
}

TEST_F(Picking, TheToolSelectsTheWindowItPicksIn) {
  openNoisy(0);
  openNoisy(1);
  TAV_SelectImage(1);
  press(1, 2);
  int x, y;
  EXPECT_EQ(TAV_PickPoint(0, x, y), kPickDone);
  EXPECT_EQ(CurrentImage, 0);
  EXPECT_EQ(SelectionHistory[0], 1);
}

TEST_F(Picking, ABadWindowNumberIsRefusedWithoutPromptOrDrawing) {
  openNoisy(3);
  TAV_SelectImage(3);
  int x = 5, y = 5, l, t, r, b;
  EXPECT_EQ(TAV_PickPoint(256, x, y), kPickBadWindow);
  EXPECT_EQ(TAV_PickRow(-1, x, y), kPickBadWindow);
  EXPECT_EQ(TAV_PickRect(4, l, t, r, b), kPickBadWindow);
  EXPECT_EQ(TAV_PickPlace(7, 3, 3, x, y), kPickBadWindow);
  EXPECT_EQ(x, 5);  // untouched
  EXPECT_TRUE(statusTexts.empty());
  EXPECT_TRUE(dropsAllowed.empty());
  EXPECT_EQ(CurrentImage, 3);
  EXPECT_EQ(PickState.active, 0);
}

TEST_F(Picking, ClosingThePickedWindowCancelsTheTool) {
  openNoisy();
  press(10, 10);
  then([] { TAV_DestroyImage(0); });
  int l, t, r, b;
  EXPECT_EQ(TAV_PickRect(0, l, t, r, b), kPickCancelled);
  EXPECT_FALSE(ranOut);
  EXPECT_EQ(PickState.active, 0);
  EXPECT_EQ(dropsAllowed, std::vector<bool>({false, true}));
}

}  // namespace

namespace {

double processCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// A tool waiting for a click that never comes sleeps between passes: the pump counts
// the passes and asks for a stop after two seconds.
TEST_F(Picking, AWaitingToolUsesNoProcessor) {
  openNoisy();
  static int passes;
  static int64_t stopAt;
  passes = 0;
  stopAt = plat::performanceCounter() + 2 * plat::performanceFrequency();
  testsupport::useService(
      &LibraryServices::pump, +[] {
        ++passes;
        PumpUserMessages();
        if (plat::performanceCounter() >= stopAt) stopFlag = true;
      });
  const double cpuBefore = processCpuSeconds();
  int x, y;
  EXPECT_EQ(TAV_PickRow(0, x, y), kPickDone);
  const double cpu = processCpuSeconds() - cpuBefore;
  std::printf("idle pick: %d passes, %.3f s of processor time in 2 s (%.1f %%)\n", passes, cpu,
              cpu / 2.0 * 100.0);
  // About one pass per 10 ms wait; a loop that spun would make hundreds of thousands.
  EXPECT_LT(passes, 400);
  EXPECT_LT(cpu, 0.2);
}

}  // namespace
