// Windows, queues, frame drags, controls and dialog keys on the real platform, headless.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/platform.h"
#include "platform/test.h"

namespace {

using namespace plat;

// Every message a test window receives, in order of arrival.
std::vector<Message> received;
Rect movingAnswer;  // when non-empty, Moving is answered with this rectangle
bool keepSizeOnSizing = false;

intptr_t recordingProc(Window w, Message& m) {
  received.push_back(m);
  if (m.kind == Msg::Moving && !movingAnswer.empty()) m.rect = movingAnswer;
  if (m.kind == Msg::Sizing && keepSizeOnSizing) m.rect = getWindowRect(w);
  if (m.kind == Msg::User) return m.param * 2;
  return defWindowProc(w, m);
}

class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    static bool registered = registerClass({"test_window", recordingProc, true, 0x101010});
    ASSERT_TRUE(registered);
    received.clear();
    movingAnswer = {};
    keepSizeOnSizing = false;
  }
  void TearDown() override {
    if (window) destroyWindow(window);
    pump();
  }
  Window open(int x = 100, int y = 100, int clientW = 200, int clientH = 150) {
    Rect outer = adjustWindowRect({0, 0, clientW, clientH}, kStyleOverlapped);
    CreateParams p;
    p.className = "test_window";
    p.title = "test";
    p.x = x;
    p.y = y;
    p.width = outer.width();
    p.height = outer.height();
    window = createWindow(p);
    return window;
  }
  // Delivers everything posted so far.
  void pump() {
    test::sync();
    Message m;
    while (peekMessage(m, Peek::Remove)) {
      translateMessage(m);
      dispatchMessage(m);
    }
  }
  std::vector<Message> kinds(Msg k) {
    std::vector<Message> out;
    for (auto& m : received)
      if (m.kind == k) out.push_back(m);
    return out;
  }
  Window window;
};

TEST_F(WindowTest, CreateDeliversCreateBeforeReturningAndClientSizeMatches) {
  Window w = open(100, 100, 200, 150);
  ASSERT_TRUE(w);
  ASSERT_FALSE(received.empty());
  EXPECT_EQ(received.front().kind, Msg::Create);
  Rect outer = getWindowRect(w);
  EXPECT_EQ(outer, (Rect{100, 100, 100 + 200 + 8, 100 + 150 + 19 + 8}));
  EXPECT_EQ(getClientRect(w), (Rect{0, 0, 200, 150}));
  EXPECT_EQ(clientToScreen(w, {0, 0}), (Point{104, 123}));
  EXPECT_EQ(test::title(w), "test");
  auto pixels = test::clientPixels(w);
  ASSERT_TRUE(pixels);
  EXPECT_EQ(pixels->width(), 200);
  EXPECT_EQ(pixels->row32(10)[10], 0x101010u);  // the class background
}

TEST_F(WindowTest, DestroyedHandleNeverMatchesALaterWindow) {
  Window first = open();
  destroyWindow(first);
  window = {};
  EXPECT_FALSE(isWindow(first));
  Window second = open();
  EXPECT_TRUE(isWindow(second));
  EXPECT_NE(first, second);
  EXPECT_EQ(first.slot, second.slot);  // the slot is reused, the generation tells them apart
  EXPECT_EQ(kinds(Msg::Destroy).size(), 1u);
}

TEST_F(WindowTest, PostedMessagesArriveInOrderAndPaintsCoalesceAfterThem) {
  Window w = open();
  pump();
  received.clear();
  Rect a{0, 0, 10, 10}, b{50, 60, 70, 80};
  invalidate(w, &a);
  for (int i = 1; i <= 3; ++i) {
    Message m;
    m.window = w;
    m.kind = Msg::User;
    m.param = i;
    postMessage(m);
  }
  invalidate(w, &b);
  std::vector<Message> got;
  Message m;
  while (peekMessage(m, Peek::Remove)) {
    got.push_back(m);
    if (m.kind == Msg::Paint) {
      EXPECT_EQ(beginPaint(w), (Rect{0, 0, 70, 80}));
    }
  }
  ASSERT_EQ(got.size(), 4u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(got[i].kind, Msg::User);
    EXPECT_EQ(got[i].param, i + 1);
  }
  EXPECT_EQ(got[3].kind, Msg::Paint);  // one paint for both rectangles, after the posts
  EXPECT_FALSE(peekMessage(m, Peek::Keep));
}

TEST_F(WindowTest, PeekWithoutRemovalLeavesTheMessage) {
  Window w = open();
  pump();
  postCommand(w, 77);
  Message m;
  ASSERT_TRUE(peekMessage(m, Peek::Keep));
  EXPECT_EQ(m.commandId, 77);
  ASSERT_TRUE(peekMessage(m, Peek::Remove));
  EXPECT_EQ(m.commandId, 77);
  EXPECT_FALSE(peekMessage(m, Peek::Remove));
}

TEST_F(WindowTest, SendFromAnotherThreadRunsOnTheOwnerAndReturnsTheResult) {
  Window w = open();
  pump();
  std::atomic<intptr_t> result{0};
  std::atomic<bool> done{false};
  auto sender = startThread([&] {
    Message m;
    m.window = w;
    m.kind = Msg::User;
    m.param = 21;
    result = sendMessage(m);
    done = true;
    return 0;
  });
  // The sender blocks until this thread serves the message from its queue.
  Message m;
  while (!done) waitMessage(m, 10);
  joinThread(sender);
  EXPECT_EQ(result.load(), 42);
  ASSERT_EQ(kinds(Msg::User).size(), 1u);
}

TEST_F(WindowTest, MovingAnswerDecidesWhereTheDraggedWindowGoes) {
  Window w = open(100, 100);
  pump();
  movingAnswer = {300, 200, 300 + getWindowRect(w).width(), 200 + getWindowRect(w).height()};
  // Drag the caption 40 px right and 20 down; the window procedure moves it elsewhere.
  test::dragOuter(w, {50, 10}, {90, 30});
  pump();
  auto moving = kinds(Msg::Moving);
  ASSERT_FALSE(moving.empty());
  EXPECT_EQ(moving.back().rect.left, 140);  // the proposal followed the pointer
  EXPECT_EQ(moving.back().rect.top, 120);
  EXPECT_EQ(getWindowRect(w), movingAnswer);
  EXPECT_FALSE(kinds(Msg::Move).empty());
}

TEST_F(WindowTest, CaptionDragWithoutInterferenceFollowsThePointer) {
  Window w = open(100, 100);
  pump();
  Rect before = getWindowRect(w);
  test::dragOuter(w, {50, 10}, {80, 40});
  pump();
  EXPECT_EQ(getWindowRect(w), before.translated(30, 30));
}

// Moves made by someone else (a window manager, another program) reach the platform only
// as the window system's notifications; every later step starts from where they left it.
TEST_F(WindowTest, AMoveFromOutsideIsTakenAndAnnouncedAndADragStartsThere) {
  Window w = open(100, 100, 200, 150);
  showWindow(w, true);
  pump();
  const Rect before = getWindowRect(w);
  received.clear();
  const Rect moved = before.translated(300, 170);
  test::moveFromOutside(w, moved);
  pump();
  EXPECT_EQ(getWindowRect(w), moved);
  EXPECT_EQ(clientToScreen(w, {0, 0}), (Point{moved.left + 4, moved.top + 23}));
  auto moves = kinds(Msg::Move);
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0].x, moved.left + 4);  // the client origin, as after the program's own moves
  EXPECT_EQ(moves[0].y, moved.top + 23);
  EXPECT_TRUE(kinds(Msg::Size).empty());

  test::dragOuter(w, {50, 10}, {80, 40});
  pump();
  EXPECT_EQ(getWindowRect(w), moved.translated(30, 30));
}

TEST_F(WindowTest, ASizeFromOutsideResizesClientAndSurface) {
  Window w = open(100, 100, 200, 150);
  showWindow(w, true);
  pump();
  const Rect before = getWindowRect(w);
  received.clear();
  test::moveFromOutside(w, {before.left, before.top, before.right + 50, before.bottom + 20});
  pump();
  EXPECT_EQ(getClientRect(w), (Rect{0, 0, 250, 170}));
  auto sizes = kinds(Msg::Size);
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_EQ(sizes[0].width, 250);
  EXPECT_EQ(sizes[0].height, 170);
  EXPECT_TRUE(kinds(Msg::Move).empty());
  EXPECT_EQ(test::clientPixels(w)->width(), 250);
}

// The window system answers each of the program's own moves, late: a burst of moves (the
// main window's drop-in makes 28) ends where the last one put the window, with no move
// back to an older place and no Move beyond the program's own.
TEST_F(WindowTest, TheWindowSystemsAnswersToOwnMovesNeverMoveTheWindowBack) {
  Window w = open(100, 100, 200, 150);
  showWindow(w, true);
  pump();
  received.clear();
  for (int i = 1; i <= 28; ++i)
    setWindowPos(w, 100 + 10 * i, 100 + 5 * i, 0, 0, kNoSize | kNoZOrder);
  for (int i = 0; i < 5; ++i) pump();
  EXPECT_EQ(getWindowRect(w).left, 380);
  EXPECT_EQ(getWindowRect(w).top, 240);
  auto moves = kinds(Msg::Move);
  ASSERT_EQ(moves.size(), 28u);
  for (size_t i = 1; i < moves.size(); ++i) EXPECT_GT(moves[i].x, moves[i - 1].x);
}

TEST_F(WindowTest, SizingAnsweredWithTheCurrentRectangleKeepsTheSize) {
  Window w = open(100, 100);
  pump();
  Rect before = getWindowRect(w);
  keepSizeOnSizing = true;
  test::dragOuter(w, {before.width() - 2, 60}, {before.width() + 40, 60});  // right border
  pump();
  auto sizing = kinds(Msg::Sizing);
  ASSERT_FALSE(sizing.empty());
  EXPECT_EQ(sizing.back().edge, static_cast<int>(Hit::Right));
  EXPECT_EQ(sizing.back().rect.right, before.right + 42);
  EXPECT_EQ(getWindowRect(w), before);
  EXPECT_TRUE(kinds(Msg::Size).empty());
}

TEST_F(WindowTest, SizingByTheRightBorderResizesClientAndSurface) {
  Window w = open(100, 100, 200, 150);
  pump();
  Rect before = getWindowRect(w);
  test::dragOuter(w, {before.width() - 2, 60}, {before.width() + 48, 60});
  pump();
  EXPECT_EQ(getClientRect(w).width(), 250);
  ASSERT_FALSE(kinds(Msg::Size).empty());
  EXPECT_EQ(kinds(Msg::Size).back().width, 250);
  EXPECT_EQ(test::clientPixels(w)->width(), 250);
}

TEST_F(WindowTest, CloseBoxSendsCloseAndTheDefaultDestroys) {
  Window w = open(100, 100, 200, 150);
  pump();
  Rect outer = getWindowRect(w);
  test::pressOuter(w, {outer.width() - 4 - 2 - 8, 4 + 9});
  pump();
  EXPECT_EQ(kinds(Msg::Close).size(), 1u);
  EXPECT_FALSE(isWindow(w));
  window = {};
}

TEST_F(WindowTest, RightClickOnCaptionIsNonClient) {
  Window w = open();
  pump();
  test::pressOuter(w, {50, 10}, test::Button::Right);
  pump();
  auto nc = kinds(Msg::NcRButtonDown);
  ASSERT_EQ(nc.size(), 1u);
  EXPECT_EQ(nc[0].hit, Hit::Caption);
}

TEST_F(WindowTest, MouseAndWheelArriveInClientCoordinatesWithCtrl) {
  Window w = open();
  pump();
  test::click(w, {12, 34}, test::Button::Left, true);
  test::wheel(w, {5, 6}, -120, true);
  test::doubleClick(w, {7, 8});
  pump();
  auto down = kinds(Msg::LButtonDown);
  ASSERT_GE(down.size(), 1u);
  EXPECT_EQ(down[0].x, 12);
  EXPECT_EQ(down[0].y, 34);
  EXPECT_TRUE(down[0].ctrl);
  auto wheel = kinds(Msg::MouseWheel);
  ASSERT_EQ(wheel.size(), 1u);
  EXPECT_EQ(wheel[0].wheelDelta, -120);
  EXPECT_TRUE(wheel[0].ctrl);
  EXPECT_EQ(kinds(Msg::LButtonDblClk).size(), 1u);  // the class asks for double clicks
  EXPECT_EQ(packPoint(-1, 3), 0x0003FFFFu);
}

TEST_F(WindowTest, KeysTranslateToCharactersAndKeyStateFollowsTheMessage) {
  Window w = open();
  pump();
  setFocus(w);
  test::key(w, 'A');
  test::key(w, 'V', true);
  test::sync();
  Message m;
  std::vector<std::pair<Msg, bool>> ctrlSeen;
  while (peekMessage(m, Peek::Remove)) {
    if (m.kind == Msg::KeyDown) ctrlSeen.push_back({m.kind, isKeyDown(vk::Control)});
    translateMessage(m);
    dispatchMessage(m);
  }
  auto downs = kinds(Msg::KeyDown);
  ASSERT_EQ(downs.size(), 2u);
  EXPECT_EQ(downs[0].key, 'A');
  EXPECT_EQ(downs[1].key, 'V');
  ASSERT_EQ(ctrlSeen.size(), 2u);
  EXPECT_FALSE(ctrlSeen[0].second);
  EXPECT_TRUE(ctrlSeen[1].second);
  auto chars = kinds(Msg::Char);
  ASSERT_EQ(chars.size(), 2u);
  EXPECT_EQ(chars[0].unit, u'a');
  EXPECT_EQ(chars[1].unit, 0x16);  // Ctrl+V
}

TEST_F(WindowTest, PopupMenuAnsweredThroughTheSeamPostsTheChoice) {
  Window w = open();
  pump();
  Menu menu;
  menu.add("Paste\tCtrl+V", 1026).separator().add("Start", 1001, true);
  test::answerNextMenu(1026);
  EXPECT_EQ(trackPopupMenu(menu, {10, 10}, w), 1026);
  pump();
  auto commands = kinds(Msg::Command);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].commandId, 1026);
  ASSERT_TRUE(test::lastMenu().has_value());
  EXPECT_TRUE(test::lastMenu()->items[2].grayed);
}

TEST_F(WindowTest, DroppedFilesArriveWhenAccepted) {
  Window w = open();
  pump();
  test::dropFiles(w, {"/tmp/a.png"});
  pump();
  EXPECT_TRUE(kinds(Msg::DropFiles).empty());
  dragAcceptFiles(w, true);
  test::dropFiles(w, {"/tmp/a.png", "/tmp/b.bmp"});
  pump();
  auto drops = kinds(Msg::DropFiles);
  ASSERT_EQ(drops.size(), 1u);
  EXPECT_EQ(drops[0].files, (std::vector<std::string>{"/tmp/a.png", "/tmp/b.bmp"}));
}

// ------------------------------------------------------------------ controls

class ControlTest : public WindowTest {};

TEST_F(ControlTest, ButtonClickPostsOneCommandToTheParentsOwner) {
  Window w = open();
  Window b = createControl({ControlKind::Button, w, 3005, "play\nnow", {4, 4, 102, 30}});
  ASSERT_TRUE(b);
  pump();
  received.clear();
  test::click(w, {20, 10});
  pump();
  auto commands = kinds(Msg::Command);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].commandId, 3005);
  EXPECT_EQ(commands[0].control, b);
  EXPECT_EQ(getControlText(b), "play\nnow");
  EXPECT_NE(focusWindow(), b);  // buttons take no focus
}

TEST_F(ControlTest, TabMovesFocusAndNotifiesKillThenSet) {
  Window w = open();
  Window e0 = createControl({ControlKind::Edit, w, 10, "0", {4, 4, 100, 24}, true, true});
  Window e1 = createControl({ControlKind::Edit, w, 11, "0", {4, 30, 100, 50}, true, true});
  setFocus(e0);
  pump();
  ASSERT_EQ(focusWindow(), e0);
  received.clear();
  test::key(e0, vk::Tab);
  test::sync();
  Message m;
  while (peekMessage(m, Peek::Remove))
    if (!isDialogMessage(w, m)) dispatchMessage(m);
  pump();
  EXPECT_EQ(focusWindow(), e1);
  auto commands = kinds(Msg::Command);
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[0].commandId, 10);
  EXPECT_EQ(commands[0].notifyCode, kEditKillFocus);
  EXPECT_EQ(commands[1].commandId, 11);
  EXPECT_EQ(commands[1].notifyCode, kEditSetFocus);
}

TEST_F(ControlTest, EnterAndEscapeInAnEditBecomeCommandsOneAndTwo) {
  Window w = open();
  Window e0 = createControl({ControlKind::Edit, w, 10, "0", {4, 4, 100, 24}, true, true});
  setFocus(e0);
  pump();
  received.clear();
  test::typeText(w, u"12");
  test::key(e0, vk::Return);
  test::key(e0, vk::Escape);
  test::sync();
  Message m;
  while (peekMessage(m, Peek::Remove))
    if (!isDialogMessage(w, m)) dispatchMessage(m);
  auto commands = kinds(Msg::Command);
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[0].commandId, 1);
  EXPECT_EQ(commands[1].commandId, 2);
  EXPECT_EQ(getControlText(e0), "012");
  selectAllText(e0);
  setControlText(e0, "日本");
  EXPECT_EQ(getControlText(e0), "日本");
}

TEST_F(ControlTest, ControlsDieWithTheirParent) {
  Window w = open();
  Window s = createControl({ControlKind::Static, w, 2001, "Ready", {0, 6, 234, 26}});
  EXPECT_EQ(controlById(w, 2001), s);
  EXPECT_EQ(
      getWindowRect(s),
      (Rect{0, 6, 234, 26}).translated(clientToScreen(w, {0, 0}).x, clientToScreen(w, {0, 0}).y));
  destroyWindow(w);
  window = {};
  EXPECT_FALSE(isWindow(s));
}

TEST(ThreadTest, ExitCodesAndAbandon) {
  auto quick = startThread([] { return 7; });
  joinThread(quick);
  EXPECT_EQ(threadExitCode(quick), 7);
  std::atomic<bool> entered{false};
  auto stuck = startThread([&] {
    entered = true;
    for (;;) sleepMs(1);  // an abandoned thread blocks in its next platform call
    return 0;
  });
  while (!entered) sleepMs(1);
  EXPECT_EQ(threadExitCode(stuck), kStillActive);
  abandonThread(stuck, 1);
  EXPECT_EQ(threadExitCode(stuck), 1);
  int64_t t0 = performanceCounter();
  sleepMs(5);
  EXPECT_GE((performanceCounter() - t0) * 1000 / performanceFrequency(), 4);
}

}  // namespace
