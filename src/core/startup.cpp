// Program start: the instance number, the tables, the window classes, the main window
// and its message loop.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <memory>

#include "base/ids.h"
#include "core/core.h"
#include "core/library.h"
#include "core/main_window.h"
#include "core/worker.h"
#include "imagewin/imagewin.h"
#include "interchange/interchange.h"
#include "platform/platform.h"
#include "platform/top_level.h"
#include "textwin/textwin.h"

namespace {

constexpr int kInstanceLimit = 10;
constexpr int kMainClientWidth = 240;
constexpr int kMainClientHeight = 32;

int instance = -1;
std::unique_ptr<plat::InstanceLock> instanceLock;
std::string startFolder;

std::string currentDirectory() {
  char buf[PATH_MAX];
  std::string dir = getcwd(buf, sizeof buf) ? buf : ".";
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

std::string mainClassName(int n) {
  char name[24];
  std::snprintf(name, sizeof name, "direvo_mw%d", n);
  return name;
}

// The first number 0..9 whose lock nobody holds; the lock ends with the process.
int takeInstanceNumber() {
  for (int n = 0; n < kInstanceLimit; ++n) {
    if (auto lock = plat::InstanceLock::tryAcquire(mainClassName(n))) {
      instanceLock = std::move(lock);
      return n;
    }
  }
  return -1;
}

bool registerClasses(int n) {
  return plat::registerClass({.name = mainClassName(n),
                              .proc = core::mainWindowProc,
                              .doubleClicks = false,
                              .background = 0xD4D0C8}) &&
         registerLibraryClasses();
}

plat::Window createMainWindow(int n) {
  plat::CreateParams p;
  p.className = mainClassName(n);
  p.title = n == 0 ? "DIREVO" : "DIREVO[" + std::to_string(n) + "]";
  p.style = plat::kStyleCaption | plat::kStyleSysMenu | plat::kStyleMenuBar;
  const int outerHeight =
      plat::adjustWindowRect({0, 0, kMainClientWidth, kMainClientHeight}, p.style).height();
  // The drop-in moves it down by 55 pixels in all, to the bottom of the screen.
  p.x = 0;
  p.y = plat::systemMetric(plat::Metric::CyScreen) - outerHeight - 55;
  p.menuBar = {"Start(&S)", "Stop(&C)", "Exit(&X)"};
  p.menuBarIds = {ids::kStart, ids::kStop, ids::kExit};
  return plat::createTopLevelWindow(p, kMainClientWidth, kMainClientHeight);
}

}  // namespace

int programEntry(UserTask task) {
  instance = takeInstanceNumber();
  if (instance < 0) {
    plat::messageBox({}, "Over instance limit!", "DIREVO");
    return 1;
  }
  resetLibraryTables();
  startFolder = currentDirectory();
  interchange::setStartDirectory(startFolder);
  if (!registerClasses(instance)) return 1;
  startRequested = 0;
  mainRunning = 0;
  stopRequested = 0;
  quitRequested = 0;
  core::setUserTask(task);
  plat::Window w = createMainWindow(instance);
  if (!w) return 1;
  char status[32];
  std::snprintf(status, sizeof status, "%d-bit color", core::mainWindowColorDepth());
  StatusLine(status);
  plat::dragAcceptFiles(w, true);
  plat::Message m;
  while (plat::getMessage(m)) {
    plat::translateMessage(m);
    plat::dispatchMessage(m);
  }
  core::joinWorker();
  plat::unregisterClass(mainClassName(instance));
  instanceLock.reset();
  return 0;
}

int instanceNumber() {
  return instance;
}
int programColorDepth() {
  return core::mainWindowColorDepth();
}
const std::string& startDirectory() {
  return startFolder;
}
