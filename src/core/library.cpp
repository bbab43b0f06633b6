// Wiring of the library's layers at start-up: their window classes, their tables and
// the services that lower layers get from higher ones.
#include "core/library.h"

#include <vector>

#include "base/services.h"
#include "boxes/boxes.h"
#include "core/core.h"
#include "core/main_window.h"
#include "core/requests.h"
#include "editor/editor.h"
#include "imagewin/imagewin.h"
#include "imaging/imaging.h"
#include "imaging/pick.h"
#include "interchange/interchange.h"
#include "platform/test.h"
#include "platform/window.h"
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

namespace {

// The resets of the layers above core, in the order registered.
std::vector<void (*)()>& higherResets() {
  static std::vector<void (*)()> resets;
  return resets;
}

}  // namespace

void resetLibrary() {
  plat::test::reset();
  installLibraryServices({});
  edgeRefreshRequested.store(0);
  imagewin::resetImageWindows();
  imaging::resetDrawingState();
  interchange::resetInterchange();
  textwin::resetTextWindows();
  boxes::resetBoxes();
  editor::resetEditor();
  core::resetRequestSlot();
  core::resetMainWindow();
  startRequested.store(0);
  mainRunning.store(0);
  stopRequested.store(0);
  quitRequested.store(0);
  for (void (*reset)() : higherResets()) reset();
}

void addLibraryReset(void (*reset)()) {
  higherResets().push_back(reset);
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

// The main window takes dropped files only until the main routine starts: a drop after
// that would ask the worker for a window it never makes.
void allowMainWindowDrops(bool allow) {
  plat::dragAcceptFiles(mainWindowHandle(), allow && mainRunning.load() == 0);
}

}  // namespace

LibraryServices programServices() {
  return {
      .mainWindow = mainWindowHandle,
      .refreshWindowEdges = RefreshWindowEdges,
      .snapMovingWindow = SnapMovingWindow,
      .promptLine = textwin::promptLine,
      .openTextWindow = TAV_OpenTextWindow,
      .imageEditor = editor::handleImageWindowMessage,
      .pickInProgress = imaging::pickInProgress,
      .pickMouse = imaging::feedPick,
      .statusLine = StatusLine,
      .stopRequested = [] { return stopRequested.load() != 0; },
      .clearStopRequest = [] { stopRequested.store(0); },
      .allowMainWindowDrops = allowMainWindowDrops,
      .dialogBoxes = boxes::dialogBoxes,
      .instanceNumber = instanceNumber,
      .startDirectory = [] { return startDirectory(); },
      .boxesLayout = boxes::layout,
      .pump = pumpCallingThread,
  };
}

}  // namespace core
