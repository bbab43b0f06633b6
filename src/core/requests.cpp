// The request slot: the main window's thread asks, the worker carries out.
#include "core/requests.h"

#include <mutex>

#include "base/ids.h"
#include "base/pump.h"
#include "boxes/boxes.h"
#include "core/core.h"
#include "core/worker.h"
#include "imagewin/imagewin.h"
#include "interchange/interchange.h"
#include "platform/message.h"
#include "platform/thread.h"
#include "platform/window.h"
#include "textwin/textwin.h"

namespace {

// The worker sets done without a message to this thread: look again this often.
constexpr int kWaitPassMs = 2;
// What a creating or loading request returns when it is refused.
constexpr int kRefused = 1;

// The worker serves requests only in its wait loop: not once its main routine runs, and
// not after it has ended.
bool workerServes() {
  return mainRunning.load() == 0 && core::workerExitCode() == plat::kStillActive;
}

void waitPass() {
  PumpMessages();
  plat::waitForMessage(kWaitPassMs);
}

// Waits until an earlier request has been taken. False when none will be served.
bool claimSlot() {
  for (;;) {
    if (!workerServes()) return false;
    if (RequestSlot.kind.load(std::memory_order_acquire) == 0) return true;
    waitPass();
  }
}

// Takes back a request that will never be served, so that the slot is empty again.
void withdraw() {
  RequestSlot.kind.store(0, std::memory_order_release);
  RequestSlot.bitmap.reset();
  RequestSlot.resultTo = nullptr;
  RequestSlot.done.store(1, std::memory_order_release);
}

// Waits until the pending request is carried out; false when it was withdrawn.
bool waitUntilDone() {
  for (;;) {
    if (RequestSlot.done.load(std::memory_order_acquire) != 0) return true;
    if (!workerServes()) {
      // The worker stores done before it leaves its wait loop: look once more.
      if (RequestSlot.done.load(std::memory_order_acquire) != 0) return true;
      withdraw();
      return false;
    }
    waitPass();
  }
}

// Publishes a request whose fields are stored and waits for it; the result, or
// kRefused when it was withdrawn.
int issue(int kind) {
  int result = kRefused;
  RequestSlot.resultTo = &result;
  RequestSlot.done.store(0, std::memory_order_relaxed);
  RequestSlot.kind.store(kind, std::memory_order_release);
  if (!waitUntilDone()) return kRefused;
  return result;
}

}  // namespace

int RequestCreateImage(int number, const std::string& title, int width, int height, int depth) {
  if (!claimSlot()) return kRefused;
  RequestSlot.number = number;
  RequestSlot.title = title;
  RequestSlot.left = RequestSlot.top = -1;
  RequestSlot.width = width;
  RequestSlot.height = height;
  RequestSlot.zoom = 100;
  RequestSlot.depth = depth;
  return issue(ids::request::kCreateImage);
}

void RequestShowImage(int number) {
  if (!claimSlot()) return;
  RequestSlot.number = number;
  RequestSlot.resultTo = nullptr;
  // done is left as it is: after a completed request the worker shows it on its next
  // pass while this thread goes on.
  RequestSlot.kind.store(ids::request::kShowImage, std::memory_order_release);
  if (RequestSlot.done.load(std::memory_order_acquire) == 0) waitUntilDone();
}

int RequestLoadImage(int number, const std::string& path) {
  if (!claimSlot()) return kRefused;
  RequestSlot.number = number;
  RequestSlot.path = path;
  RequestSlot.left = RequestSlot.top = 0;
  return issue(ids::request::kLoadImage);
}

void RequestPutBitmap(std::unique_ptr<plat::Surface> bitmap) {
  if (!claimSlot()) return;
  RequestSlot.bitmap = std::move(bitmap);
  issue(ids::request::kPutBitmap);
}

void RequestOpenTextWindow(int number) {
  if (static_cast<unsigned>(number) < kTextWindowCount) {
    TextWindowRecord& rec = TextWindowTable[number];
    if (rec.inUse) {
      plat::Window window;
      {
        std::lock_guard lock(rec.lock);
        window = rec.window;
      }
      plat::setForegroundWindow(window);
      return;
    }
  }
  if (!claimSlot()) return;
  RequestSlot.number = number;
  RequestSlot.left = RequestSlot.top = RequestSlot.width = RequestSlot.height = -1;
  issue(ids::request::kOpenTextWindow);
}

void RequestOpenInputBox(int items) {
  if (!claimSlot()) return;
  RequestSlot.number = items;
  RequestSlot.left = RequestSlot.top = 0;
  issue(ids::request::kOpenInputBox);
}

void RequestOpenButtonBox(int columns, int rows) {
  if (!claimSlot()) return;
  RequestSlot.width = columns;
  RequestSlot.height = rows;
  RequestSlot.left = RequestSlot.top = 0;
  issue(ids::request::kOpenButtonBox);
}

namespace {

int createImage(const RequestSlotRecord& s) {
  const char* title = s.title.c_str();
  if (s.depth == 8)
    return TAV_CreateImage8(s.number, title, s.left, s.top, s.width, s.height, s.zoom);
  return TAV_CreateImage(s.number, title, s.left, s.top, s.width, s.height, s.zoom);
}

// Draws the file into image window s.number. A number that is no longer open (closed
// since it was made) is refused like a load without a current image, instead of
// drawing the file over whichever image happens to be current.
int loadImage(const RequestSlotRecord& s) {
  if (TAV_SelectImage(s.number) != 0) return 2;
  const int result = interchange::LoadImageFileTelling(s.path.c_str(), s.left, s.top);
  TAV_RestoreImage();
  return result;
}

}  // namespace

void ServeWindowRequest() {
  RequestSlotRecord& s = RequestSlot;
  int result = 0;
  switch (s.kind.load(std::memory_order_acquire)) {
    case ids::request::kCreateImage:
      result = createImage(s);
      break;
    case ids::request::kShowImage:
      TAV_ShowImage(s.number);
      break;
    case ids::request::kLoadImage:
      result = loadImage(s);
      break;
    case ids::request::kPutBitmap:
      PasteBitmap = std::move(s.bitmap);
      TAV_PutPasteBitmap();
      break;
    case ids::request::kOpenTextWindow:
      if (s.number < kTextWindowCount)
        TAV_OpenTextWindow(s.number, s.left, s.top, s.width, s.height);
      break;
    case ids::request::kOpenInputBox:
      DestroyInputBox();
      TAV_OpenInputBox(s.left, s.top, s.number);
      break;
    case ids::request::kOpenButtonBox:
      DestroyButtonBox();
      TAV_OpenButtonBox(s.left, s.top, s.width, s.height);
      break;
    default:
      return;  // empty, or not a request kind: left in place
  }
  s.result = result;
  if (s.resultTo) *s.resultTo = result;
  s.resultTo = nullptr;
  s.done.store(1, std::memory_order_release);
  s.kind.store(0, std::memory_order_release);
}

namespace core {

void resetRequestSlot() {
  RequestSlot.kind.store(0);
  RequestSlot.done.store(1);
  RequestSlot.title.clear();
  RequestSlot.path.clear();
  RequestSlot.bitmap.reset();
  RequestSlot.resultTo = nullptr;
  RequestSlot.result = 0;
}

}  // namespace core
