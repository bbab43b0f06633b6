#include "core/worker.h"

#include "core/core.h"
#include "core/requests.h"
#include "imagewin/imagewin.h"
#include "platform/platform.h"
#include "textwin/textwin.h"

namespace core {

namespace {

// Start and Exit are flags the program thread sets without a message to this thread:
// the wait loops look at them at least this often.
constexpr int kFlagPollMs = 10;

UserTask userTask;
plat::ThreadHandle worker;
bool abandoned = false;
int endedWithCode = 0;  // the worker's exit code once it is let go

// Runs the set-up routine, waits (pumping and serving window requests) for Start,
// then runs the main routine.
int workerMain() {
  if (userTask.setup) userTask.setup();
  RefreshWindowEdges();
  for (;;) {
    if (quitRequested.load() != 0) {
      quitRequested.store(2);
      PumpUserMessages();
      return 0;
    }
    plat::waitForMessage(kFlagPollMs);
    PumpUserMessages();
    // Windows the user builds from the main window are made here, and only here.
    if (RequestSlot.kind.load(std::memory_order_acquire) != 0) ServeWindowRequest();
    if (startRequested.load() == 1 && mainRunning.load() == 0) break;
  }
  plat::dragAcceptFiles(mainWindowHandle(), false);
  mainRunning.store(1);
  startRequested.store(0);
  stopRequested.store(0);
  if (userTask.main) userTask.main();
  // The player's main routine never returns; a test task may. Wait for Exit then.
  while (quitRequested.load() == 0) {
    plat::waitForMessage(kFlagPollMs);
    PumpUserMessages();
  }
  return 0;
}

}  // namespace

void setUserTask(UserTask task) {
  userTask = task;
}

void startWorker() {
  abandoned = false;
  endedWithCode = 0;
  worker = plat::startThread(workerMain);
}

int workerExitCode() {
  return worker ? plat::threadExitCode(worker) : endedWithCode;
}

void abandonWorker(int exitCode) {
  if (!worker) return;
  plat::abandonThread(worker, exitCode);
  abandoned = true;
}

bool workerAbandoned() {
  return abandoned;
}

void joinWorker() {
  if (worker && !abandoned) plat::joinThread(worker);
  if (worker) endedWithCode = plat::threadExitCode(worker);
  worker.reset();
}

}  // namespace core
