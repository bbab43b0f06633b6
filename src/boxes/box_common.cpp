#include "boxes/box_common.h"

#include <string>

#include "base/services.h"
#include "boxes/boxes.h"
#include "platform/dialogs.h"
#include "platform/menu.h"
#include "platform/message.h"
#include "platform/utf8.h"
#include "platform/window.h"

namespace boxes {

std::string promptForLabel(int number, const std::string& oldLabel) {
  return libraryServices().promptLine(std::to_string(number) + " '" + oldLabel + "' ->");
}

std::string cutLabel(const std::string& label, size_t maxBytes) {
  std::string cut = label;
  plat::cutUtf8(cut, maxBytes);
  return cut;
}

void reportDestroyFailure(const char* text, const char* title) {
  plat::messageBox(libraryServices().mainWindow(), text, title, plat::kMbIconError);
}

void popupOneItem(plat::Window owner, const BoxAction& row) {
  plat::trackPopupMenu(action::buildMenu(std::span<const BoxAction>(&row, 1)), plat::cursorPos(),
                       owner);
}

bool registerBoxClasses() {
  // Own drawing context, double clicks, button-face background, arrow cursor.
  if (!plat::classExists(kInputBoxClass))
    plat::registerClass({.name = kInputBoxClass,
                         .proc = inputBoxProc,
                         .doubleClicks = true,
                         .background = kButtonFace});
  if (!plat::classExists(kButtonBoxClass))
    plat::registerClass({.name = kButtonBoxClass,
                         .proc = buttonBoxProc,
                         .doubleClicks = true,
                         .background = kButtonFace});
  return plat::classExists(kInputBoxClass) && plat::classExists(kButtonBoxClass);
}

BoxesLayout layout() {
  BoxesLayout l;
  if (const plat::Window box = inputBoxWindow()) {
    l.inputBoxOpen = true;
    l.inputBoxRect = plat::getWindowRect(box);
    l.itemCount = inputBoxItemCount();
    l.labelWidth = ISIZE;
    l.editWidth = ESIZE;
    for (int i = 0; i < l.itemCount; ++i) l.itemLabels.push_back(inputBoxLabel(i));
  }
  if (const plat::Window box = buttonBoxWindow()) {
    l.buttonBoxOpen = true;
    l.buttonBoxRect = plat::getWindowRect(box);
    l.columns = NX;
    l.rows = NY;
    const plat::Rect client = plat::getClientRect(box);
    l.clientWidth = client.width();
    l.clientHeight = client.height();
    for (int i = 0; i < buttonBoxButtonCount(); ++i) l.buttonLabels.push_back(buttonLabel(i));
  }
  return l;
}

}  // namespace boxes
