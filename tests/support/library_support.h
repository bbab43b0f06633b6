// What the library tests share: a stand-in for the program's main window, which keeps
// the key-downs handed to it and carries the status line, and the library services
// pointed at it.
#pragma once

#include <vector>

#include "base/ids.h"
#include "base/services.h"
#include "platform/controls.h"
#include "platform/message.h"
#include "platform/test.h"
#include "platform/window.h"

namespace testsupport {

inline constexpr uint32_t kButtonFace = 0xD4D0C8;
inline constexpr const char* kMainWindowClass = "test_main_window";

// The stand-in, while one is open, and the key-downs it received.
inline plat::Window mainWindow;
inline std::vector<plat::Message> mainWindowKeys;

inline intptr_t mainWindowProc(plat::Window w, plat::Message& m) {
  if (m.kind == plat::Msg::KeyDown) mainWindowKeys.push_back(m);
  return plat::defWindowProc(w, m);
}

// Opens the stand-in with its outer top-left corner at (x, y), and its status line.
inline plat::Window openMainWindow(int x, int y) {
  if (!plat::classExists(kMainWindowClass))
    plat::registerClass(
        {.name = kMainWindowClass, .proc = mainWindowProc, .background = kButtonFace});
  plat::CreateParams p;
  p.className = kMainWindowClass;
  p.title = "main";
  p.x = x;
  p.y = y;
  p.width = 250;
  p.height = 80;
  mainWindow = plat::createWindow(p);
  plat::createControl(
      {plat::ControlKind::Static, mainWindow, ids::kStatusLine, "Ready", {0, 6, 234, 26}});
  mainWindowKeys.clear();
  return mainWindow;
}

inline void closeMainWindow() {
  plat::destroyWindow(mainWindow);
  mainWindow = {};
}

// The default services with the stand-in as the main window.
inline LibraryServices servicesWithMainWindow() {
  return {.mainWindow = [] { return mainWindow; }};
}

// Changes one service, keeping the others.
template <class Field, class Value>
void useService(Field LibraryServices::*field, Value value) {
  LibraryServices s = libraryServices();
  s.*field = value;
  installLibraryServices(s);
}

// Delivers every message waiting for this thread's windows, as its message loop would.
inline void dispatchPending() {
  plat::Message m;
  while (plat::peekMessage(m, plat::Peek::Remove)) {
    plat::translateMessage(m);
    plat::dispatchMessage(m);
  }
}

// Delivers everything posted so far, the display's answers included, to this thread's
// windows.
inline void deliverPosted() {
  plat::test::sync();
  dispatchPending();
  plat::test::sync();
}

}  // namespace testsupport
