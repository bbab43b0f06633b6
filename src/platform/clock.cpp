#include "platform/clock.h"

#include "platform/thread.h"

namespace plat {

uint32_t milliseconds() {
  const int64_t frequency = performanceFrequency();
  if (frequency <= 0) return 0;
  const int64_t count = performanceCounter();
  // Whole seconds and the remainder apart, so that the product cannot overflow.
  const int64_t ms = count / frequency * 1000 + count % frequency * 1000 / frequency;
  return static_cast<uint32_t>(ms);
}

}  // namespace plat
