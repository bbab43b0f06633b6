// The message pump that printing and line input turn, and the millisecond clock.
#include "platform/message.h"
#include "platform/thread.h"
#include "textwin/internal.h"

namespace {
std::atomic<void (*)()> pumpHook{nullptr};
}  // namespace

namespace textwin {

void setPumpHook(void (*pump)()) { pumpHook = pump; }

void pumpMessages() {
  if (void (*hook)() = pumpHook.load()) {
    hook();
    return;
  }
  plat::Message m;
  while (plat::peekMessage(m, plat::Peek::Remove)) {
    if (m.kind == plat::Msg::Quit) {
      plat::postQuitMessage(static_cast<int>(m.param));  // not ours to swallow
      return;
    }
    plat::translateMessage(m);
    plat::dispatchMessage(m);
  }
}

uint32_t milliseconds() {
  const int64_t freq = plat::performanceFrequency();
  if (freq <= 0) return 0;
  const int64_t count = plat::performanceCounter();
  // Whole seconds and the remainder apart, so that the product cannot overflow.
  const int64_t ms = count / freq * 1000 + count % freq * 1000 / freq;
  return static_cast<uint32_t>(ms);
}

}  // namespace textwin
