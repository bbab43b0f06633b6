// A small program of the whole-program tests: one framed window with an edit field and
// two buttons on the real display. It prints its outer rectangle after every move and
// ends when the window is closed.
#include <cstdio>

#include "platform/platform.h"

namespace {

intptr_t demoProc(plat::Window w, plat::Message& m) {
  if (m.kind == plat::Msg::Move) {
    plat::Rect r = plat::getWindowRect(w);
    std::printf("moved %d %d %d %d\n", r.left, r.top, r.right, r.bottom);
    std::fflush(stdout);
  }
  if (m.kind == plat::Msg::Command && m.commandId >= 1 && m.commandId <= 2) {
    std::printf("command %d\n", m.commandId);
    std::fflush(stdout);
  }
  if (m.kind == plat::Msg::Destroy) plat::postQuitMessage(0);
  return plat::defWindowProc(w, m);
}

int run() {
  plat::registerClass({"demo_frame", demoProc, false, 0xD4D0C8});
  plat::Rect outer = plat::adjustWindowRect({0, 0, 300, 120}, plat::kStyleOverlapped);
  plat::CreateParams p;
  p.className = "demo_frame";
  p.title = "DIREVO frame test";
  p.x = 200;
  p.y = 150;
  p.width = outer.width();
  p.height = outer.height();
  plat::Window w = plat::createWindow(p);
  if (!w) return 1;
  plat::Window edit =
      plat::createControl({plat::ControlKind::Edit, w, 10, "0", {10, 10, 290, 34}, true, true});
  plat::createControl({plat::ControlKind::Button, w, 3000, "play", {10, 50, 108, 76}});
  plat::createControl({plat::ControlKind::Button, w, 3001, "pause\nnow", {120, 50, 218, 110}});
  plat::setFocus(edit);
  plat::Rect r = plat::getWindowRect(w);
  std::printf("ready %d %d %d %d\n", r.left, r.top, r.right, r.bottom);
  std::fflush(stdout);
  plat::Message m;
  while (plat::getMessage(m)) {
    if (plat::isDialogMessage(w, m)) continue;
    plat::translateMessage(m);
    plat::dispatchMessage(m);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return plat::runApplication(argc, argv, run);
}
