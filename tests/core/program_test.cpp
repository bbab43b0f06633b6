// The program frame run in-process: the main window, the worker, Start, Stop and Exit.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "base/ids.h"
#include "core/core.h"
#include "core/library.h"
#include "core/worker.h"
#include "platform/platform.h"
#include "platform/test.h"
#include "platform/window_table.h"
#include "runtime_folder.h"
#include "textwin/textwin.h"

namespace {

std::atomic<int> mainCalls{0};
std::atomic<int> setupCalls{0};

void countingSetup() {
  ++setupCalls;
}
void countingMain() {
  ++mainCalls;
}
void selfStartingSetup() {
  startRequested = 1;
}
// Logs a line in text window 0, then only keeps its windows alive until Stop.
void loggingMain() {
  TAV_OpenTextWindow(0, 10, 10, 200, 100);
  TAV_StartLog(0);
  TAV_Printf("before exit\n");
  ++mainCalls;
  while (!stopRequested.load()) {
    PumpUserMessages();
    plat::sleepMs(1);
  }
}
// A main routine that never polls the stop flag, like a user task stuck in work.
void stuckMain() {
  ++mainCalls;
  for (;;) plat::sleepMs(1);
}

class ProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(runtime_.made());
    mainCalls = 0;
    setupCalls = 0;
    resetLibrary();  // no menu of an earlier test is taken for this one's
  }
  testsupport::PrivateRuntimeFolder runtime_;
  // Runs the program on this thread while `driver` acts from another one.
  int run(UserTask task, const std::function<void()>& driver) {
    std::thread d([&] {
      while (!plat::isWindow(mainWindowHandle()))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      driver();
    });
    int code = programEntry(task);
    d.join();
    return code;
  }
  static void waitFor(const std::function<bool()>& done) {
    while (!done()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
};

TEST_F(ProgramTest, StartPressedTwiceRunsTheMainRoutineOnceAndExitEndsCleanly) {
  int code = run({countingSetup, countingMain}, [] {
    plat::Window w = mainWindowHandle();
    plat::postCommand(w, ids::kStart);
    plat::postCommand(w, ids::kStart);
    waitFor([] { return mainCalls.load() == 1; });
    plat::postCommand(w, ids::kStart);  // ignored while the main routine runs
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    plat::postCommand(w, ids::kExit);
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(setupCalls.load(), 1);
  EXPECT_EQ(mainCalls.load(), 1);
  EXPECT_FALSE(core::workerAbandoned());
  EXPECT_EQ(quitRequested.load(), 2);
}

TEST_F(ProgramTest, ExitWhileTheMainRoutineRunsAbandonsTheWorkerAfterTwoSeconds) {
  std::chrono::steady_clock::time_point exitAt;
  int code = run({selfStartingSetup, stuckMain}, [&] {
    waitFor([] { return mainRunning.load() == 1; });
    exitAt = std::chrono::steady_clock::now();
    plat::postCommand(mainWindowHandle(), ids::kExit);
  });
  auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::steady_clock::now() - exitAt)
                    .count();
  EXPECT_EQ(code, 0);
  EXPECT_EQ(mainCalls.load(), 1);
  EXPECT_TRUE(core::workerAbandoned());
  EXPECT_EQ(core::workerExitCode(), 1);
  EXPECT_GE(waited, 1990);
  EXPECT_LT(waited, 4000);
  EXPECT_EQ(stopRequested.load(), 1);
}

TEST_F(ProgramTest, PopupGreysAllButStopAndExitWhileTheMainRoutineRuns) {
  std::vector<plat::MenuItem> before, during;
  run({countingSetup, stuckMain}, [&] {
    plat::Window w = mainWindowHandle();
    plat::test::answerNextMenu(0);
    plat::test::click(w, {5, 5}, plat::test::Button::Right);
    waitFor([] { return plat::test::lastMenu().has_value(); });
    before = plat::test::lastMenu()->items;
    plat::test::key(w, 'S');  // S starts
    waitFor([] { return mainRunning.load() == 1; });
    plat::test::answerNextMenu(0);
    plat::test::click(w, {5, 5}, plat::test::Button::Right);
    waitFor([&] { return plat::test::lastMenu()->items[2].grayed; });
    during = plat::test::lastMenu()->items;
    plat::test::key(w, plat::vk::Escape);  // Esc exits
  });
  ASSERT_EQ(before.size(), 12u);
  EXPECT_EQ(before[0].text, "Paste\tCtrl+V");
  EXPECT_EQ(before[11].text, "&Window Info.\tCtrl+W");
  for (auto& item : before) EXPECT_FALSE(item.grayed) << item.text;
  ASSERT_EQ(during.size(), 12u);
  for (auto& item : during) {
    if (item.separator) continue;
    bool stays = item.id == ids::kStop || item.id == ids::kExit;
    EXPECT_EQ(item.grayed, !stays) << item.text;
  }
}

TEST_F(ProgramTest, TheMainWindowDropsInToTheBottomWithItsStatusLine) {
  plat::Rect where;
  std::string status;
  run({countingSetup, countingMain}, [&] {
    plat::Window w = mainWindowHandle();
    // Creation (with the drop-in) is over once the status line shows the depth.
    plat::Window line;
    waitFor([&] {
      line = plat::controlById(w, ids::kStatusLine);
      return line && plat::getControlText(line).find("-bit color") != std::string::npos;
    });
    where = plat::getWindowRect(w);
    status = plat::getControlText(line);
    plat::postCommand(w, ids::kExit);
  });
  EXPECT_EQ(where.bottom, 1024);
  // The status line centres its text in 63 columns: 18 - length / 2 spaces before it.
  const std::string text = std::to_string(programColorDepth()) + "-bit color";
  EXPECT_EQ(status, std::string(18 - text.size() / 2, ' ') + text);
}

TEST_F(ProgramTest, APickHandsTheMainWindowItsDropsBackOnlyBeforeTheMainRoutine) {
  bool duringPick = true, afterPick = false, afterPickInMainRoutine = true;
  run({countingSetup, countingMain}, [&] {
    const plat::Window w = mainWindowHandle();
    const auto accepts = [&] {
      const plat::RecordPtr r = plat::findRecord(w);
      std::lock_guard lock(r->m);
      return r->acceptDrops;
    };
    // Start-up ends by taking drops: only after that can a pick turn them off.
    waitFor(accepts);
    const LibraryServices services = core::programServices();
    services.allowMainWindowDrops(false);
    duringPick = accepts();
    services.allowMainWindowDrops(true);
    afterPick = accepts();
    plat::postCommand(w, ids::kStart);
    waitFor([] { return mainCalls.load() == 1; });
    services.allowMainWindowDrops(true);
    afterPickInMainRoutine = accepts();
    plat::postCommand(w, ids::kExit);
  });
  EXPECT_FALSE(duringPick);
  EXPECT_TRUE(afterPick);
  // A drop would ask the worker for a window it no longer makes.
  EXPECT_FALSE(afterPickInMainRoutine);
}

TEST_F(ProgramTest, MovingTheMainWindowRetakesTheEdgesOnTheWorker) {
  bool found = false;
  run({countingSetup, countingMain}, [&] {
    plat::Window w = mainWindowHandle();
    waitFor([&] { return static_cast<bool>(plat::controlById(w, ids::kStatusLine)); });
    plat::setWindowPos(w, 300, 200, 0, 0, plat::kNoSize | plat::kNoZOrder);
    const plat::Rect moved = plat::getWindowRect(w);
    waitFor([&] {
      for (const plat::Rect& r : textwin::windowEdges()) found = found || r == moved;
      return found;
    });
    plat::postCommand(w, ids::kExit);
  });
  EXPECT_TRUE(found);
}

TEST_F(ProgramTest, ExitClosesTheLogsSoThatEverythingLoggedIsInTheFile) {
  // The log goes to the folder the program starts in.
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(runtime_.path());
  int code = run({selfStartingSetup, loggingMain}, [] {
    waitFor([] { return mainCalls.load() == 1; });
    plat::postCommand(mainWindowHandle(), ids::kExit);
  });
  std::filesystem::current_path(before);
  EXPECT_EQ(code, 0);
  const std::filesystem::path log = std::filesystem::path(runtime_.path()) /
                                    ("DIREVO" + std::to_string(instanceNumber()) + "0.LOG");
  std::FILE* f = std::fopen(log.c_str(), "rb");
  ASSERT_NE(f, nullptr) << log;
  char text[64] = {};
  const size_t got = std::fread(text, 1, sizeof text - 1, f);
  std::fclose(f);
  EXPECT_EQ(std::string(text, got), "before exit\r\n");
}

}  // namespace
