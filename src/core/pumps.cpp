// The two threads' message pumps, the pause box and bringing the main window forward.
#include "core/core.h"
#include "core/library.h"
#include "core/main_window.h"
#include "platform/platform.h"
#include "textwin/textwin.h"

void PumpUserMessages() {
  if (edgeRefreshRequested.exchange(0) != 0) RefreshWindowEdges();
  plat::Message m;
  while (plat::peekMessage(m, plat::Peek::Keep)) {
    plat::getMessage(m);
    if (m.kind == plat::Msg::Quit) continue;  // the worker has no loop of its own to end
    // The boxes' dialog keys come first: Tab between fields, Enter commits.
    bool taken = false;
    for (plat::Window box : core::DialogBoxes()) {
      if (box && plat::isDialogMessage(box, m)) {
        taken = true;
        break;
      }
    }
    if (taken) continue;
    plat::translateMessage(m);
    plat::dispatchMessage(m);
  }
}

void PumpMessages() {
  plat::Message m;
  while (plat::peekMessage(m, plat::Peek::Remove)) {
    if (m.kind == plat::Msg::Quit) {
      plat::postQuitMessage(static_cast<int>(m.param));  // left for the main loop
      return;
    }
    plat::translateMessage(m);
    plat::dispatchMessage(m);
  }
}

void ShowPauseBox(const std::string& text) { plat::messageBox({}, text, "Pause"); }

void TAV_SetForeground(plat::Window w) { plat::setForegroundWindow(w); }
