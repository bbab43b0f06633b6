// Wiring of the library's layers at start-up: their window classes, their tables and
// the services that lower layers get from higher ones.
#include "core/library.h"

#include "boxes/boxes.h"
#include "core/core.h"
#include "imagewin/imagewin.h"
#include "textwin/textwin.h"

bool RegisterLibraryClasses() {
  imagewin::registerImageWindowClass();
  return textwin::registerTextWindowClass() && boxes::registerBoxClasses();
}

void ResetLibraryTables() {
  // Nothing is open yet at start-up: these mark every record free.
  imagewin::resetForTests();
  textwin::resetTextWindows();
  imagewin::setRefreshWindowEdgesHook(RefreshWindowEdges);
  imagewin::setSnapMovingWindowHook(
      [](plat::Window w, plat::Rect& proposed) { SnapMovingWindow(proposed, w); });
  imagewin::setPromptLineHook(textwin::promptLine);
  boxes::setTextWindowServices(
      {RefreshWindowEdges, textwin::snapMovingWindowForBoxes, textwin::promptLine});
  textwin::setPumpHook(PumpUserMessages);
}

namespace core {

std::array<plat::Window, 2> DialogBoxes() {
  return {boxes::inputBoxWindow(), boxes::buttonBoxWindow()};
}

}  // namespace core
