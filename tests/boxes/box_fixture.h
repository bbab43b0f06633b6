// Shared set-up of the box tests: a recording main window and the worker's pump.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "boxes/boxes.h"
#include "imagewin/imagewin.h"
#include "platform/platform.h"
#include "platform/test.h"

namespace boxtest {

// Messages that reached the stand-in main window.
inline std::vector<plat::Message> mainReceived;

inline intptr_t mainProc(plat::Window w, plat::Message& m) {
  if (m.kind == plat::Msg::KeyDown) mainReceived.push_back(m);
  return plat::defWindowProc(w, m);
}

class BoxTest : public testing::Test {
 protected:
  void SetUp() override {
    static bool registered = plat::registerClass({"box_test_main", mainProc, false, 0xD4D0C8});
    ASSERT_TRUE(registered);
    plat::CreateParams p;
    p.className = "box_test_main";
    p.title = "main";
    p.x = 900;
    p.y = 700;
    p.width = 250;
    p.height = 80;
    mainWindow = plat::createWindow(p);
    imagewin::setOwnerWindow(mainWindow);
    boxes::resetForTests();
    plat::test::clearMessageBoxes();
    mainReceived.clear();
    pump();
  }
  void TearDown() override {
    boxes::resetForTests();
    imagewin::setOwnerWindow({});
    plat::destroyWindow(mainWindow);
    pump();
  }

  // What the worker's pump does: the input box's dialog keys first, then the button
  // box's, then plain dispatch; repeated until the display has nothing more to say.
  static void pump() {
    for (int round = 0; round < 3; ++round) {
      plat::test::sync();
      plat::Message m;
      while (plat::peekMessage(m, plat::Peek::Remove)) {
        if (m.kind == plat::Msg::Quit) continue;
        bool taken = false;
        for (plat::Window box : {boxes::inputBoxWindow(), boxes::buttonBoxWindow()}) {
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
  }

  // A control's rectangle in its parent's client coordinates.
  static plat::Rect clientRectOf(plat::Window control) {
    plat::Rect r = plat::getWindowRect(control);
    plat::Point origin = plat::clientToScreen(plat::controlParent(control), {0, 0});
    return r.translated(-origin.x, -origin.y);
  }

  plat::Window mainWindow;
};

}  // namespace boxtest
