// The shared flags and the clock.
#include "core/core.h"
#include "platform/clock.h"

std::atomic<int> startRequested{0};
std::atomic<int> mainRunning{0};
std::atomic<int> stopRequested{0};
std::atomic<int> quitRequested{0};

int32_t GetMilliseconds() {
  return static_cast<int32_t>(plat::milliseconds());
}
