// The image window procedure: painting, closing, keys, the wheel and the frame here; the
// mouse goes to the picking tool while a point is picked, and otherwise the right and
// middle buttons (menus), the commands and dropped files go to the image editor.
#include "base/services.h"
#include "imagewin/imagewin.h"
#include "platform/window.h"

namespace imagewin {

namespace {

// The image editor's messages: handled there, or else by default.
intptr_t editorMessage(plat::Window window, plat::Message& message) {
  if (libraryServices().imageEditor(window, message)) return 0;
  return plat::defWindowProc(window, message);
}

}  // namespace

intptr_t imageWindowProc(plat::Window window, plat::Message& message) {
  switch (message.kind) {
    case plat::Msg::Paint: {
      plat::beginPaint(window);
      const int number = TAV_FindImage(window);
      if (number >= 0) TAV_ShowImage(number);
      return 0;
    }
    case plat::Msg::Close: {
      const int number = TAV_FindImage(window);
      if (number < 0) break;
      TAV_DestroyImage(number);
      return 0;
    }
    case plat::Msg::KeyDown: {
      // Nothing at all while a point is picked.
      if (libraryServices().pickInProgress()) return 0;
      const int number = TAV_FindImage(window);
      if (number >= 0 && imageKeyDown(window, number, message.key)) return 0;
      break;
    }
    case plat::Msg::MouseWheel:
      zoomByWheel(TAV_FindImage(window), message);
      return 0;  // consumed, with or without Ctrl
    case plat::Msg::Sizing:
      // The size follows the zoom only: the frame keeps the window where it is.
      message.rect = plat::getWindowRect(window);
      return 0;
    case plat::Msg::Moving:
      libraryServices().snapMovingWindow(message.rect, window);
      return 0;
    case plat::Msg::Move:
      libraryServices().refreshWindowEdges();
      return 0;
    case plat::Msg::MouseMove:
    case plat::Msg::LButtonDown:
    case plat::Msg::RButtonDown:
    case plat::Msg::MButtonDown: {
      // While a point is picked the mouse belongs to the picking tool, and the buttons
      // open no menu.
      if (!libraryServices().pickInProgress()) {
        if (message.kind == plat::Msg::RButtonDown || message.kind == plat::Msg::MButtonDown)
          return editorMessage(window, message);
        break;
      }
      const int number = TAV_FindImage(window);
      if (number >= 0) libraryServices().pickMouse(number, message.kind, message.x, message.y);
      return 0;
    }
    case plat::Msg::Command:
    case plat::Msg::DropFiles:
      return editorMessage(window, message);
    default:
      break;
  }
  return plat::defWindowProc(window, message);
}

}  // namespace imagewin
