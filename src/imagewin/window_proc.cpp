// The image window procedure: painting, closing, keys, the wheel and the frame here; the
// menus, their commands, the mouse buttons and dropped files go to the image editor.
#include "base/services.h"
#include "imagewin/imagewin.h"
#include "platform/window.h"

namespace imagewin {

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
    case plat::Msg::Command:
    case plat::Msg::RButtonDown:
    case plat::Msg::MButtonDown:
    case plat::Msg::DropFiles:
      if (libraryServices().imageEditor(window, message)) return 0;
      break;
    default:
      break;
  }
  return plat::defWindowProc(window, message);
}

}  // namespace imagewin
