#include "base/pump.h"

#include "base/services.h"
#include "platform/message.h"

std::atomic<int> edgeRefreshRequested{0};

void PumpUserMessages() {
  const LibraryServices& services = libraryServices();
  if (edgeRefreshRequested.exchange(0) != 0) services.refreshWindowEdges();
  plat::Message m;
  while (plat::peekMessage(m, plat::Peek::Keep)) {
    plat::getMessage(m);
    if (m.kind == plat::Msg::Quit) continue;  // the worker has no loop of its own to end
    // The boxes' dialog keys come first: Tab between fields, Enter commits.
    bool taken = false;
    for (plat::Window box : services.dialogBoxes()) {
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
