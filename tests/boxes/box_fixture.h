// Shared set-up of the box tests: the stand-in main window and the worker's pump.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "base/pump.h"
#include "boxes/boxes.h"
#include "core/library.h"
#include "library_support.h"
#include "platform/platform.h"
#include "platform/test.h"

namespace boxtest {

class BoxTest : public testing::Test {
 protected:
  void SetUp() override {
    resetLibrary();
    mainWindow = testsupport::openMainWindow(900, 700);
    LibraryServices services = testsupport::servicesWithMainWindow();
    services.dialogBoxes = boxes::dialogBoxes;
    installLibraryServices(services);
    pump();
  }
  void TearDown() override {
    resetLibrary();
    testsupport::closeMainWindow();
    pump();
  }

  // The worker's pump, repeated until the display has nothing more to say.
  static void pump() {
    for (int round = 0; round < 3; ++round) {
      plat::test::sync();
      PumpUserMessages();
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
