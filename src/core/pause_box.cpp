// The pause box and bringing a window forward.
#include "core/core.h"
#include "platform/dialogs.h"
#include "platform/window.h"

void ShowPauseBox(const std::string& text) {
  plat::messageBox({}, text, "Pause");
}

void TAV_SetForeground(plat::Window w) {
  plat::setForegroundWindow(w);
}
