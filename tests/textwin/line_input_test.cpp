// Reading lines: echo, wrapping and backspace, recall, paste, the length limit,
// cancelling by closing, the key queue, and a reader on another thread than the window.
#include <atomic>

#include "library_support.h"
#include "textwin_fixture.h"

namespace {

using twtest::inkIn;
using twtest::TextWindowTest;

class LineInputTest : public TextWindowTest {
 protected:
  void SetUp() override {
    TextWindowTest::SetUp();
    ASSERT_EQ(TAV_OpenTextWindow(0, 20, 20, 50 * cw, 300), 0);
    w = windowOf(0);
  }
  std::function<void()> typing(std::u16string text) {
    return [this, text] { plat::test::typeText(w, text); };
  }
  std::function<void()> pressing(int key, bool ctrl = false) {
    return [this, key, ctrl] { plat::test::key(w, key, ctrl); };
  }
  plat::Window w;
};

TEST_F(LineInputTest, TypedTextIsEchoedAfterThePromptAndReturnedOnEnter) {
  capture(0);
  TAV_Printf("Name>");
  std::string promptStatus;
  const std::string line =
      readLine({typing(u"ab\tcé"), [&] { promptStatus = statusText(); }, typing(u"\r")});
  EXPECT_EQ(line, "ab cé");  // the tab became a space
  EXPECT_EQ(LastInputLine, u"ab cé");
  EXPECT_NE(promptStatus.find("Input text"), std::string::npos);
  EXPECT_NE(statusText().find("-bit color"), std::string::npos);
  EXPECT_EQ(printed(0), "Name>ab cé\n");  // the log gets the line and a line feed
  EXPECT_EQ(InputOwner, 0);

  const TextWindowRecord& rec = TextWindowTable[0];
  EXPECT_EQ(rec.cursorX, 0);
  EXPECT_EQ(rec.cursorY, lh);
  twtest::pumpOnce();  // the last echo is painted
  auto pixels = plat::test::clientPixels(w);
  ASSERT_TRUE(pixels);
  // "Name>" and the five echoed units, the last one double-width; the cursor cell behind
  // them was blanked by Enter.
  for (int cell = 0; cell < 9; ++cell) {
    if (cell == 7) continue;  // the space that stands for the tab
    EXPECT_GT(inkIn(*pixels, {cell * cw, 0, (cell + 1) * cw, lh}), 0) << cell;
  }
  EXPECT_EQ(inkIn(*pixels, {11 * cw, 0, 50 * cw, lh}), 0);
}

TEST_F(LineInputTest, TheLineWrapsWithAFreeCellLeftAndBackspaceReturnsOverTheWrap) {
  const TextWindowRecord& rec = TextWindowTable[0];
  const int width = 50 * cw;
  std::vector<plat::Point> seen;
  auto note = [&] { seen.push_back({rec.cursorX, rec.cursorY}); };
  const std::string line =
      readLine({typing(std::u16string(49, u'a')), note,  // 49 cells: still on the first row
                typing(u"b"), note,                      // the 50th moves the cursor down
                pressing(plat::vk::Back), note,          // back to the last cell of the row above
                typing(u"あ"), note,                     // no room for two cells: next row first
                pressing(plat::vk::Back), note,          // removed, the cursor back where it was
                typing(u"\r")});
  EXPECT_EQ(line, std::string(49, 'a'));
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen[0], (plat::Point{width - cw, 0}));
  EXPECT_EQ(seen[1], (plat::Point{0, lh}));
  EXPECT_EQ(seen[2], (plat::Point{width - cw, 0}));
  EXPECT_EQ(seen[3], (plat::Point{2 * cw, lh}));
  EXPECT_EQ(seen[4], (plat::Point{width - cw, 0}));
  // The double-width character was erased from the row it had moved to.
  EXPECT_EQ(inkIn(*rec.picture, {0, lh, 2 * cw, 2 * lh}), 0);
}

TEST_F(LineInputTest, BackspaceOnAnEmptyLineDoesNothing) {
  const TextWindowRecord& rec = TextWindowTable[0];
  TAV_Printf(">");
  int x = -1;
  const std::string line = readLine({pressing(plat::vk::Back), pressing(plat::vk::Back),
                                     [&] { x = rec.cursorX; }, typing(u"z\r")});
  EXPECT_EQ(x, cw);
  EXPECT_EQ(line, "z");
}

TEST_F(LineInputTest, UpTypesTheLastLineAgainBehindWhatIsThere) {
  EXPECT_EQ(readLine({typing(u"first\r")}), "first");
  EXPECT_EQ(readLine({typing(u"x"), pressing(plat::vk::Up), typing(u"!\r")}), "xfirst!");
  EXPECT_EQ(LastInputLine, u"xfirst!");
  // Before any line, Up types nothing.
  LastInputLine.clear();
  EXPECT_EQ(readLine({pressing(plat::vk::Up), typing(u"y\r")}), "y");
}

TEST_F(LineInputTest, CtrlVPastesOnlyTheClipboardsFirstLine) {
  plat::setClipboardText("pasted\nsecond line");
  EXPECT_EQ(readLine({typing(u">"), pressing('V', true), typing(u"<\r")}), ">pasted<");
  plat::setClipboardText("");
  EXPECT_EQ(readLine({pressing('V', true), typing(u"k\r")}), "k");
}

TEST_F(LineInputTest, UnitsBeyond255AreIgnoredUntilEnter) {
  const std::string line = readLine({typing(std::u16string(254, u'q')), typing(u"rst"),
                                     pressing(plat::vk::Back), typing(u"u\r")});
  EXPECT_EQ(line, std::string(254, 'q') + "u");
  // 255 double-width units do not fit the 255-byte answer: cut at a character boundary.
  const std::string wide = readLine({typing(std::u16string(255, u'あ')), typing(u"\r")});
  EXPECT_EQ(wide.size(), 85u * 3u);
  EXPECT_EQ(LastInputLine.size(), 255u);
}

TEST_F(LineInputTest, ClosingTheReadingWindowCancelsWithAnEmptyLine) {
  TAV_OpenTextWindow(3, 300, 20, 200, 100);
  TAV_SelectTextWindow(0);
  const std::string line = readLine({typing(u"abc"), [] { TAV_CloseTextWindow(0); }});
  EXPECT_EQ(line, "");
  EXPECT_EQ(InputOwner, 0);
  EXPECT_EQ(CurrentTextWindow, 3);
  EXPECT_NE(statusText().find("-bit color"), std::string::npos);
  // What was typed before the cancel does not become the last line.
  EXPECT_EQ(LastInputLine, u"");

  // With no open current window the answer is "" at once.
  TAV_CloseTextWindow(3);
  char buffer[kInputLineBytes] = "junk";
  TAV_InputLine(buffer);
  EXPECT_STREQ(buffer, "");
}

TEST_F(LineInputTest, KeysOfAnyTextWindowFeedTheLineAndItsShortcutsAreOff) {
  ASSERT_EQ(TAV_OpenTextWindow(4, 300, 20, 200, 100), 0);
  const plat::Window other = windowOf(4);
  TAV_SelectTextWindow(0);
  const std::string line =
      readLine({[&] { plat::test::typeText(other, u"ot"); },
                [&] { plat::test::key(other, 'Q', true); },  // Ctrl+Q would close it
                [&] { plat::test::key(other, plat::vk::Escape); }, typing(u"\r")});
  twtest::pumpOnce();
  EXPECT_EQ(line, "ot\x1b");
  EXPECT_TRUE(TextWindowTable[4].inUse);
  EXPECT_TRUE(twtest::mainKeys.empty());

  // Idle, the same keys act: Ctrl+Q closes, Esc goes to the main window.
  plat::test::key(other, plat::vk::Escape);
  plat::test::key(other, 'Q', true);
  twtest::pumpOnce();
  twtest::pumpOnce();
  EXPECT_FALSE(TextWindowTable[4].inUse);
  ASSERT_EQ(twtest::mainKeys.size(), 1u);
  EXPECT_EQ(twtest::mainKeys[0].key, plat::vk::Escape);
  EXPECT_TRUE(KeyQueue.empty());  // idle characters are dropped
}

TEST(KeyQueueTest, HoldsUnitsInOrderAndDropsWhatAFullRingCannotTake) {
  TextKeyQueue q;
  char16_t u = 0;
  EXPECT_FALSE(q.take(u));
  for (int i = 0; i < kKeyQueueSize; ++i) EXPECT_TRUE(q.put(static_cast<char16_t>(i + 1)));
  EXPECT_FALSE(q.put(u'x'));
  for (int i = 0; i < kKeyQueueSize; ++i) {
    ASSERT_TRUE(q.take(u));
    EXPECT_EQ(u, static_cast<char16_t>(i + 1));
  }
  EXPECT_TRUE(q.empty());
  // Wrapping around the end of the ring keeps the order.
  EXPECT_TRUE(q.put(u'a'));
  EXPECT_TRUE(q.put(u'b'));
  ASSERT_TRUE(q.take(u));
  EXPECT_EQ(u, u'a');
  ASSERT_TRUE(q.take(u));
  EXPECT_EQ(u, u'b');
  EXPECT_FALSE(q.take(u));
}

// The window belongs to a worker that pumps it; the line is read on this thread.
class CrossThreadInput : public TextWindowTest {
 protected:
  void TearDown() override {
    stop = true;
    if (worker) plat::joinThread(worker);
    TextWindowTest::TearDown();
  }
  // whileReading runs in the worker's loop while a line is read, with the number of
  // reads begun so far.
  void startWorker(std::function<void(plat::Window, int)> whileReading) {
    worker = plat::startThread([this, whileReading] {
      TAV_OpenTextWindow(7, 40, 40, 400, 200);
      const plat::Window w = TextWindowTable[7].window;
      window = w;
      opened = true;
      while (!stop) {
        if (InputOwner != 0) whileReading(w, reads);
        testsupport::dispatchPending();
        plat::sleepMs(1);
      }
      TAV_CloseTextWindow(7);
      return 0;
    });
    while (!opened) plat::sleepMs(1);
  }
  std::string read() {
    ++reads;
    char line[kInputLineBytes];
    TAV_InputLine(line);
    return line;
  }

  plat::ThreadHandle worker;
  std::atomic<bool> opened{false}, stop{false};
  std::atomic<int> reads{0};
  std::atomic<plat::Window> window{};
};

TEST_F(CrossThreadInput, ALineTypedIntoTheWorkersWindowReachesTheReader) {
  int step = 0;  // the worker's alone
  startWorker([&step](plat::Window w, int readCount) {
    if (readCount == 1 && step == 0) {
      plat::test::typeText(w, u"hello\r");
      step = 1;
    } else if (readCount == 2 && step == 1) {
      plat::test::key(w, plat::vk::Up);  // the reader sends the recalled units back here
      step = 2;
    } else if (readCount == 2 && step == 2 && InputRequest == kRequestNone) {
      // The recall is done: its units are queued ahead of these.
      plat::test::typeText(w, u"!\r");
      step = 3;
    } else if (readCount == 3 && step == 3) {
      TAV_CloseTextWindow(7);
      step = 4;
    }
  });
  EXPECT_EQ(CurrentTextWindow, 7);
  EXPECT_EQ(read(), "hello");
  // The echo was painted by the worker from the picture the reader drew.
  auto pixels = plat::test::clientPixels(window.load());
  ASSERT_TRUE(pixels);
  EXPECT_GT(inkIn(*pixels, {0, 0, 5 * cw, lh}), 0);
  EXPECT_EQ(read(), "hello!");
  EXPECT_EQ(read(), "");  // the worker closed the window while the line was read
  EXPECT_FALSE(TextWindowTable[7].inUse);
}

}  // namespace
