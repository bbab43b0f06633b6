#include "core/sandbox.h"

#include "base/pump.h"
#include "platform/message.h"

namespace core {

namespace {

// Stop and Exit are flags set without a message to this thread: look this often.
constexpr int kFlagPollMs = 10;

void keepWindowsAlive() {
  while (stopRequested.load() == 0 && quitRequested.load() == 0) {
    plat::waitForMessage(kFlagPollMs);
    PumpUserMessages();
  }
}

}  // namespace

UserTask sandboxTask() {
  return {.setup = nullptr, .main = keepWindowsAlive};
}

}  // namespace core
