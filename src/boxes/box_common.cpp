#include "boxes/box_common.h"

#include <string>

#include "boxes/boxes.h"
#include "platform/menu.h"
#include "platform/message.h"
#include "platform/window.h"

namespace boxes {

namespace {
TextWindowServices services;
}  // namespace

void setTextWindowServices(const TextWindowServices& s) { services = s; }

void refreshWindowEdges() {
  if (services.refreshWindowEdges) services.refreshWindowEdges();
}

void snapMovingWindow(plat::Rect& proposed, plat::Window window) {
  if (services.snapMovingWindow) services.snapMovingWindow(proposed, window);
}

std::string promptForLabel(int number, const std::string& oldLabel) {
  if (!services.promptLine) return "";
  return services.promptLine(std::to_string(number) + " '" + oldLabel + "' ->");
}

std::string cutUtf8(std::string s, size_t maxBytes) {
  if (s.size() <= maxBytes) return s;
  size_t cut = maxBytes;
  while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
  s.resize(cut);
  return s;
}

void popupOneItem(plat::Window owner, const char* text, int id) {
  plat::Menu menu;
  menu.add(text, id);
  plat::trackPopupMenu(menu, plat::cursorPos(), owner);
}

bool registerBoxClasses() {
  // Own drawing context, double clicks, button-face background, arrow cursor.
  if (!plat::classExists(kInputBoxClass))
    plat::registerClass({.name = kInputBoxClass, .proc = InputBoxProc, .doubleClicks = true,
                         .background = kButtonFace});
  if (!plat::classExists(kButtonBoxClass))
    plat::registerClass({.name = kButtonBoxClass, .proc = ButtonBoxProc, .doubleClicks = true,
                         .background = kButtonFace});
  return plat::classExists(kInputBoxClass) && plat::classExists(kButtonBoxClass);
}

}  // namespace boxes
