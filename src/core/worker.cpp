#include "core/worker.h"

#include "imagewin/imagewin.h"
#include "platform/platform.h"
#include "textwin/textwin.h"

namespace core {

namespace {

UserTask userTask;
plat::ThreadHandle worker;
bool abandoned = false;
int endedWithCode = 0;  // the worker's exit code once it is let go

// Runs the set-up routine, waits (pumping) for Start, then runs the main routine.
int workerMain() {
  if (userTask.setup) userTask.setup();
  RefreshWindowEdges();
  for (;;) {
    if (quitRequested.load() != 0) {
      quitRequested.store(2);
      PumpUserMessages();
      return 0;
    }
    plat::sleepMs(1);
    PumpUserMessages();
    if (startRequested.load() == 1 && mainRunning.load() == 0) break;
  }
  plat::dragAcceptFiles(MainWindowHandle(), false);
  mainRunning.store(1);
  startRequested.store(0);
  stopRequested.store(0);
  if (userTask.main) userTask.main();
  // The player's main routine never returns; a test task may. Wait for Exit then.
  while (quitRequested.load() == 0) {
    plat::sleepMs(1);
    PumpUserMessages();
  }
  return 0;
}

}  // namespace

void SetUserTask(UserTask task) { userTask = task; }

void StartWorker() {
  abandoned = false;
  endedWithCode = 0;
  worker = plat::startThread(workerMain);
}

int WorkerExitCode() { return worker ? plat::threadExitCode(worker) : endedWithCode; }

void AbandonWorker(int exitCode) {
  if (!worker) return;
  plat::abandonThread(worker, exitCode);
  abandoned = true;
}

bool WorkerAbandoned() { return abandoned; }

void JoinWorker() {
  if (worker && !abandoned) plat::joinThread(worker);
  if (worker) endedWithCode = plat::threadExitCode(worker);
  worker.reset();
}

}  // namespace core
