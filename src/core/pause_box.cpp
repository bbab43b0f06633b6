// Bringing a window forward.
#include "core/core.h"
#include "platform/window.h"

void TAV_SetForeground(plat::Window w) {
  plat::setForegroundWindow(w);
}
