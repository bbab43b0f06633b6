// Wiring of the library's layers at start-up: their window classes, their tables and
// the services that lower layers get from higher ones.
#include "core/library.h"

#include "base/services.h"
#include "boxes/boxes.h"
#include "core/core.h"
#include "core/main_window.h"
#include "core/requests.h"
#include "imagewin/imagewin.h"
#include "textwin/textwin.h"

bool registerLibraryClasses() {
  imagewin::registerImageWindowClass();
  return textwin::registerTextWindowClass() && boxes::registerBoxClasses();
}

void resetLibraryTables() {
  // Nothing is open yet at start-up: these mark every record free.
  imagewin::resetImageWindows();
  textwin::resetTextWindows();
  core::resetRequestSlot();
  installLibraryServices(core::programServices());
}

namespace core {

namespace {

// Printing and line input pump the thread they run on. The main window's commands print
// and read on its own thread, whose pump must leave a Quit (Exit during a prompt) for
// the message loop instead of dropping it as the worker's pump does.
void pumpCallingThread() {
  if (onMainWindowThread())
    PumpMessages();
  else
    PumpUserMessages();
}

}  // namespace

LibraryServices programServices() {
  return {
      .mainWindow = mainWindow,
      .refreshWindowEdges = RefreshWindowEdges,
      .snapMovingWindow = SnapMovingWindow,
      .promptLine = textwin::promptLine,
      .openTextWindow = TAV_OpenTextWindow,
      .dialogBoxes = boxes::dialogBoxes,
      .pump = pumpCallingThread,
  };
}

}  // namespace core
