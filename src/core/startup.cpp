// Program start: the instance number, the tables, the window classes, the main window
// and its message loop.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <memory>

#include "core/core.h"
#include "core/library.h"
#include "core/main_window.h"
#include "core/worker.h"
#include "imagewin/imagewin.h"
#include "interchange/interchange.h"
#include "platform/platform.h"
#include "textwin/textwin.h"

namespace {

constexpr int kInstanceLimit = 10;
constexpr int kStatusWidth = 234;
constexpr int kMainClientWidth = 240;
constexpr int kMainClientHeight = 32;

int instanceNumber = -1;
std::unique_ptr<plat::InstanceLock> instanceLock;
std::string startDirectory;

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
  return plat::registerClass({.name = mainClassName(n), .proc = core::MainWindowProc,
                              .doubleClicks = false, .background = 0xD4D0C8}) &&
         RegisterLibraryClasses();
}

plat::Window createMainWindow(int n) {
  uint32_t style = plat::kStyleCaption | plat::kStyleSysMenu | plat::kStyleMenuBar;
  plat::Rect outer = plat::adjustWindowRect({0, 0, kMainClientWidth, kMainClientHeight}, style);
  plat::CreateParams p;
  p.className = mainClassName(n);
  p.title = n == 0 ? "DIREVO" : "DIREVO[" + std::to_string(n) + "]";
  p.style = style;
  p.width = outer.width();
  p.height = outer.height();
  // The drop-in moves it down by 55 pixels in all, to the bottom of the screen.
  p.x = 0;
  p.y = plat::systemMetric(plat::Metric::CyScreen) - outer.height() - 55;
  p.menuBar = {"Start(&S)", "Stop(&C)", "Exit(&X)"};
  p.menuBarIds = {kCmdStart, kCmdStop, kCmdExit};
  return plat::createWindow(p);
}

}  // namespace

int ProgramEntry(UserTask task) {
  instanceNumber = takeInstanceNumber();
  if (instanceNumber < 0) {
    plat::messageBox({}, "Over instance limit!", "DIREVO");
    return 1;
  }
  GetMilliseconds();  // fixes the millisecond factor
  ResetLibraryTables();
  startDirectory = currentDirectory();
  interchange::setStartDirectory(startDirectory);
  if (!registerClasses(instanceNumber)) return 1;
  startRequested = 0;
  mainRunning = 0;
  stopRequested = 0;
  quitRequested = 0;
  core::SetUserTask(task);
  plat::Window w = createMainWindow(instanceNumber);
  if (!w) return 1;
  char status[32];
  std::snprintf(status, sizeof status, "%d-bit color", core::MainWindowColorDepth());
  StatusLine(status);
  plat::dragAcceptFiles(w, true);
  plat::Message m;
  while (plat::getMessage(m)) {
    plat::translateMessage(m);
    plat::dispatchMessage(m);
  }
  core::JoinWorker();
  plat::unregisterClass(mainClassName(instanceNumber));
  instanceLock.reset();
  return 0;
}

plat::Window MainWindowHandle() { return core::MainWindow(); }
int InstanceNumber() { return instanceNumber; }
int DisplayColorDepth() { return core::MainWindowColorDepth(); }
const std::string& StartDirectory() { return startDirectory; }
