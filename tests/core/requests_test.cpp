// Window requests: this thread asks, as the main window's does, and the real worker
// serves the slot in its wait loop.
#include "core/requests.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "base/ids.h"
#include "boxes/boxes.h"
#include "core/core.h"
#include "core/library.h"
#include "core/worker.h"
#include "imagewin/imagewin.h"
#include "interchange/interchange.h"
#include "library_support.h"
#include "platform/imagefile.h"
#include "platform/platform.h"
#include "platform/test.h"
#include "textwin/textwin.h"

namespace {

using Clock = std::chrono::steady_clock;

long msSince(Clock::time_point t) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

std::unique_ptr<plat::Surface> filled(int width, int height, uint32_t color) {
  std::unique_ptr<plat::Surface> s = plat::Surface::create(width, height, 32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) s->row32(y)[x] = color;
  return s;
}

bool allPixels(const plat::Surface& s, int width, int height, uint32_t color) {
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if ((s.row32(y)[x] & 0xFFFFFF) != color) return false;
  return true;
}

// The worker's set-up for the test of a request left behind: it waits until a request
// is pending, then moves on as if into the main routine without serving it.
void moveOnWithARequestPending() {
  while (RequestSlot.kind.load() == 0) plat::sleepMs(1);
  mainRunning = 1;
  while (quitRequested.load() == 0) plat::sleepMs(1);
}

void pumpUntilQuit() {
  while (quitRequested.load() == 0) {
    plat::waitForMessage(10);
    PumpUserMessages();
  }
}

class RequestTest : public testing::Test {
 protected:
  void SetUp() override { startWorker({}); }

  void startWorker(UserTask task) {
    resetLibrary();
    testsupport::openMainWindow(900, 700);
    LibraryServices services = core::programServices();
    services.mainWindow = [] { return testsupport::mainWindow; };
    installLibraryServices(services);
    core::setUserTask(task);
    core::startWorker();
  }

  void TearDown() override {
    quitRequested = 1;
    core::joinWorker();
    resetLibrary();
    testsupport::closeMainWindow();
  }

  static plat::Window textWindow(int n) {
    std::lock_guard lock(TextWindowTable[n].lock);
    return TextWindowTable[n].window;
  }

  static bool slotIsEmpty() { return RequestSlot.kind.load() == 0 && RequestSlot.done.load() == 1; }
};

TEST_F(RequestTest, AnOpenTextWindowIsOnlyBroughtForwardWithoutARequest) {
  RequestOpenTextWindow(3);
  ASSERT_TRUE(TextWindowTable[3].inUse);
  RequestOpenTextWindow(5);
  ASSERT_TRUE(TextWindowTable[5].inUse);
  EXPECT_EQ(CurrentTextWindow.load(), 5);
  const plat::Window three = textWindow(3);

  RequestOpenTextWindow(3);
  plat::test::sync();
  // A request would have made the worker open it again, which makes it current.
  EXPECT_EQ(CurrentTextWindow.load(), 5);
  EXPECT_EQ(plat::foregroundWindow(), three);
  EXPECT_EQ(textWindow(3), three);
  EXPECT_TRUE(slotIsEmpty());

  RequestOpenTextWindow(256);  // not a window number: the worker opens nothing
  EXPECT_TRUE(slotIsEmpty());
  EXPECT_EQ(CurrentTextWindow.load(), 5);
}

TEST_F(RequestTest, ImagesAreMadeByTheWorkerAndANumberInUseReturnsOne) {
  ASSERT_EQ(RequestCreateImage(4, "004", 64, 48, 32), kCreateOk);
  const ImageWindowRecord& rec = ImageTable[4];
  ASSERT_TRUE(rec.inUse);
  EXPECT_EQ(rec.width, 64);
  EXPECT_EQ(rec.bits, 32);
  EXPECT_EQ(plat::test::title(rec.window), imageCaption("004", rec.zoom, 32, false));

  EXPECT_EQ(RequestCreateImage(4, "again", 10, 10, 8), kCreateInUse);
  EXPECT_EQ(rec.width, 64);
  EXPECT_EQ(rec.bits, 32);
  EXPECT_EQ(rec.title, "004");

  ASSERT_EQ(RequestCreateImage(5, "005", 16, 16, 8), kCreateOk);
  EXPECT_EQ(ImageTable[5].bits, 8);
  EXPECT_EQ(RequestCreateImage(300, "300", 16, 16, 32), kCreateBadNumber);
  EXPECT_TRUE(slotIsEmpty());
}

TEST_F(RequestTest, APutBitmapAndAShowAreCarriedOutInOrder) {
  ASSERT_EQ(RequestCreateImage(3, "003", 120, 40, 32), kCreateOk);
  RequestPutBitmap(filled(120, 40, 0x3366CC));
  EXPECT_TRUE(allPixels(*ImageTable[3].surface, 120, 40, 0x3366CC));
  EXPECT_FALSE(PasteBitmap);  // the worker deleted it after the copy

  // The show returns at once after a completed request; the next request waits for it.
  RequestShowImage(3);
  RequestOpenTextWindow(9);
  ASSERT_TRUE(TextWindowTable[9].inUse);
  plat::test::sync();
  const std::unique_ptr<plat::Surface> shown = plat::test::clientPixels(ImageTable[3].window);
  ASSERT_TRUE(shown);
  EXPECT_TRUE(allPixels(*shown, 120, 40, 0x3366CC));
}

TEST_F(RequestTest, AFileIsLoadedIntoItsWindowAndNeverIntoAnotherImage) {
  const std::string dir = std::filesystem::temp_directory_path() / "direvo-requests-load";
  std::filesystem::create_directories(dir);
  const std::string file = dir + "/red.png";
  ASSERT_EQ(plat::saveImageFile(*filled(20, 10, 0xFF0000), file), plat::ImageFileError::None);

  ASSERT_EQ(RequestCreateImage(0, "000", 20, 10, 32), kCreateOk);
  ASSERT_EQ(RequestCreateImage(1, "001", 30, 20, 32), kCreateOk);
  EXPECT_EQ(CurrentImage, 1);
  EXPECT_EQ(RequestLoadImage(0, file), 0);
  EXPECT_TRUE(allPixels(*ImageTable[0].surface, 20, 10, 0xFF0000));
  EXPECT_EQ(CurrentImage, 1);  // put back after the load

  // Window 7 is not open: nothing is drawn into the current image instead.
  EXPECT_EQ(RequestLoadImage(7, file), 2);
  EXPECT_TRUE(allPixels(*ImageTable[1].surface, 30, 20, 0x000000));
  EXPECT_EQ(RequestLoadImage(0, dir + "/missing.png"), 1);
  std::filesystem::remove_all(dir);
}

TEST_F(RequestTest, ABoxRequestReplacesTheOpenBoxAtTheTopLeftCorner) {
  RequestOpenInputBox(2);
  const plat::Window first = boxes::inputBoxWindow();
  ASSERT_TRUE(first);
  EXPECT_EQ(boxes::inputBoxItemCount(), 2);

  RequestOpenInputBox(4);
  const plat::Window second = boxes::inputBoxWindow();
  ASSERT_TRUE(second);
  EXPECT_FALSE(plat::isWindow(first));
  EXPECT_EQ(boxes::inputBoxItemCount(), 4);
  EXPECT_EQ(plat::getWindowRect(second).left, 0);
  EXPECT_EQ(plat::getWindowRect(second).top, 0);

  RequestOpenButtonBox(3, 2);
  const plat::Window buttons = boxes::buttonBoxWindow();
  ASSERT_TRUE(buttons);
  EXPECT_EQ(boxes::buttonBoxButtonCount(), 6);
  RequestOpenButtonBox(1, 1);
  EXPECT_FALSE(plat::isWindow(buttons));
  EXPECT_EQ(boxes::buttonBoxButtonCount(), 1);
  EXPECT_EQ(plat::getWindowRect(boxes::buttonBoxWindow()).left, 0);
}

// A request made while another waits (a second command run from the first one's pump)
// takes its turn after it, and each gets its own result.
int nestedResult = -1;
intptr_t nestingProc(plat::Window w, plat::Message& m) {
  if (m.kind == plat::Msg::Command) {
    nestedResult = RequestCreateImage(6, "006", 8, 8, 32);
    return 0;
  }
  return plat::defWindowProc(w, m);
}

TEST_F(RequestTest, ANestedRequestWaitsItsTurnAndKeepsItsOwnResult) {
  ASSERT_EQ(RequestCreateImage(5, "005", 8, 8, 32), kCreateOk);
  if (!plat::classExists("nesting_test"))
    plat::registerClass({.name = "nesting_test", .proc = nestingProc});
  plat::CreateParams p;
  p.className = "nesting_test";
  const plat::Window nesting = plat::createWindow(p);
  nestedResult = -1;
  plat::postCommand(nesting, 1);

  // Number 5 is in use (1); the nested request for 6 is served after it (0).
  EXPECT_EQ(RequestCreateImage(5, "again", 8, 8, 32), kCreateInUse);
  EXPECT_EQ(nestedResult, kCreateOk);
  EXPECT_TRUE(ImageTable[6].inUse);
  plat::destroyWindow(nesting);
}

class MainRoutineRequestTest : public RequestTest {
 protected:
  void SetUp() override {}
};

TEST_F(MainRoutineRequestTest, RequestsWhileTheMainRoutineRunsAreRefusedAtOnce) {
  startWorker({nullptr, pumpUntilQuit});
  startRequested = 1;
  while (mainRunning.load() == 0) plat::sleepMs(1);

  const Clock::time_point t = Clock::now();
  EXPECT_EQ(RequestCreateImage(0, "000", 64, 48, 32), 1);
  EXPECT_EQ(RequestLoadImage(0, "/nowhere.png"), 1);
  RequestOpenTextWindow(0);
  RequestOpenInputBox(3);
  RequestOpenButtonBox(2, 2);
  RequestPutBitmap(filled(4, 4, 0xFFFFFF));
  RequestShowImage(0);
  EXPECT_LT(msSince(t), 200);
  EXPECT_FALSE(ImageTable[0].inUse);
  EXPECT_FALSE(TextWindowTable[0].inUse);
  EXPECT_FALSE(boxes::inputBoxWindow());
  EXPECT_FALSE(boxes::buttonBoxWindow());
  EXPECT_TRUE(slotIsEmpty());
}

TEST_F(MainRoutineRequestTest, ARequestLeftPendingWhenTheWorkerMovesOnIsWithdrawn) {
  startWorker({moveOnWithARequestPending, nullptr});
  const Clock::time_point t = Clock::now();
  EXPECT_EQ(RequestCreateImage(2, "002", 64, 48, 32), 1);
  EXPECT_LT(msSince(t), 1000);
  EXPECT_FALSE(ImageTable[2].inUse);
  EXPECT_TRUE(slotIsEmpty());
  // And the next one is refused without waiting.
  RequestOpenTextWindow(1);
  EXPECT_FALSE(TextWindowTable[1].inUse);
  EXPECT_TRUE(slotIsEmpty());
}

TEST_F(MainRoutineRequestTest, ARequestAfterTheWorkerEndedIsRefused) {
  startWorker({});
  quitRequested = 1;
  core::joinWorker();
  EXPECT_EQ(RequestCreateImage(0, "000", 8, 8, 32), 1);
  EXPECT_FALSE(ImageTable[0].inUse);
  EXPECT_TRUE(slotIsEmpty());
}

}  // namespace
