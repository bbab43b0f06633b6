// The shared flags and the clock.
#include <cmath>

#include "core/core.h"
#include "platform/thread.h"

std::atomic<int> startRequested{0};
std::atomic<int> mainRunning{0};
std::atomic<int> stopRequested{0};
std::atomic<int> quitRequested{0};
std::atomic<int> edgeRefreshRequested{0};

int32_t GetMilliseconds() {
  static const double millisecondFactor = 1000.0 / static_cast<double>(plat::performanceFrequency());
  double ms = std::floor(static_cast<double>(plat::performanceCounter()) * millisecondFactor);
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(ms)));
}
