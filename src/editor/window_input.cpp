// What the editor takes of an image window's messages: the right and middle buttons open
// a menu, a chosen entry arrives as a command, and a dropped picture file is drawn in.
#include "editor/editor.h"
#include "imagewin/imagewin.h"
#include "interchange/interchange.h"
#include "platform/window.h"
#include "textwin/textwin.h"

namespace editor {

namespace {

// The right button opens ImageMenu; the middle button, or the right one with Ctrl held,
// ProcessMenu. The picking tools take the buttons before they come here, so while a
// point is picked no menu opens; nor while a line is read in a text window.
void openMenu(plat::Window window, const plat::Message& message) {
  if (InputOwner.load() != 0) return;
  const int number = TAV_FindImage(window);
  if (number < 0) return;
  const ImageWindowRecord& rec = ImageTable[number];
  const bool process = message.kind == plat::Msg::MButtonDown || plat::isKeyDown(plat::vk::Control);
  const plat::Menu menu = process ? processMenu(rec.bits) : imageMenu(rec.zoom);
  plat::trackPopupMenu(menu, plat::cursorPos(), window);
}

// The first dropped file is drawn at the top-left corner of this window, which is
// current only meanwhile; the window keeps its size.
void dropFiles(plat::Window window, const plat::Message& message) {
  const int number = TAV_FindImage(window);
  if (number < 0 || message.files.empty()) return;
  TAV_SelectImage(number);
  // A name longer than a file name may be is refused whole, never loaded cut short.
  interchange::LoadImageFileTelling(message.files.front().c_str(), 0, 0);
  plat::invalidate(window);
  TAV_RestoreImage();
  plat::setForegroundWindow(window);
}

}  // namespace

bool handleImageWindowMessage(plat::Window window, plat::Message& message) {
  switch (message.kind) {
    case plat::Msg::Command: {
      const int number = TAV_FindImage(window);
      if (number >= 0) runImageCommand(number, message.commandId);
      return true;
    }
    case plat::Msg::RButtonDown:
    case plat::Msg::MButtonDown:
      openMenu(window, message);
      return true;
    case plat::Msg::DropFiles:
      dropFiles(window, message);
      return true;
    default:
      return false;
  }
}

}  // namespace editor
