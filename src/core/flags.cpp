// The shared flags and the clock.
#include "core/core.h"
#include "platform/clock.h"

CoreState coreState;

int32_t GetMilliseconds() {
  return static_cast<int32_t>(plat::milliseconds());
}
