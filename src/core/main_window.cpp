// The main window: status line, drop-in, popup menu, Start, Stop and Exit.
#include "core/main_window.h"

#include <array>
#include <atomic>
#include <cstdio>
#include <span>

#include "base/ids.h"
#include "core/core.h"
#include "core/main_actions.h"
#include "core/main_commands.h"
#include "core/worker.h"
#include "platform/platform.h"
#include "textwin/textwin.h"

namespace core {

namespace {

// Written during creation on the program thread, read by the worker and by tests.
std::atomic<plat::Window> theMainWindow{};
std::atomic<uint64_t> mainWindowThread{0};
int colorDepth = 0;

// Each step moves the window by its offset; they add up to +55.
constexpr std::array<int, 28> kDropSteps = {1,  2,  3, 4, 5, 6, 7, 8, 9,  10, -6, -5, -4, -3,
                                            -2, -1, 1, 2, 3, 4, 5, 6, -3, -2, -1, 1,  2,  3};
constexpr int kDropStepMs = 20;
constexpr int kDropSettleMs = 500;
// How long Exit waits for the worker to end by itself.
constexpr int kExitWaitMs = 2000;

// Sleeps until ms have passed since `since`.
void waitFrom(int32_t since, int ms) {
  const uint32_t passed = static_cast<uint32_t>(GetMilliseconds() - since);
  if (passed < static_cast<uint32_t>(ms)) plat::sleepMs(static_cast<int>(ms - passed));
}

void dropIn(plat::Window w) {
  int32_t start = GetMilliseconds();
  int32_t last = start;
  for (int offset : kDropSteps) {
    plat::Rect r = plat::getWindowRect(w);
    plat::setWindowPos(w, r.left, r.top + offset, 0, 0,
                       plat::kNoSize | plat::kNoZOrder | plat::kShowWindow);
    waitFrom(last, kDropStepMs);
    last = GetMilliseconds();
  }
  waitFrom(start, kDropSettleMs);
}

void start() {
  if (mainRunning.load() == 0) startRequested.store(1);
}

void stop() {
  stopRequested.store(1);
}

void exitProgram(plat::Window w) {
  InputOwner.store(0);
  stopRequested.store(1);
  quitRequested.store(1);
  TAV_CloseAllLogs();
  int32_t since = GetMilliseconds();
  while (workerExitCode() == plat::kStillActive &&
         static_cast<uint32_t>(GetMilliseconds() - since) <= static_cast<uint32_t>(kExitWaitMs)) {
    plat::sleepMs(1);
  }
  if (workerExitCode() == plat::kStillActive) abandonWorker(1);
  if (quitRequested.load() == 1) quitRequested.store(2);
  plat::destroyWindow(w);
}

void windowCommand(plat::Window, int id) {
  runWindowCommand(id);
}

using action::ctrlKey;
using action::plainKey;
constexpr MainAction kSeparator{};

constexpr MainAction kMenu[] = {
    {ids::kPaste, "Paste", ctrlKey('V'), windowCommand, kGreyedWhileBusy},
    kSeparator,
    {ids::kStart, "Start", {}, [](plat::Window, int) { start(); }, kGreyedWhileBusy},
    {ids::kStop, "Stop", {}, [](plat::Window, int) { stop(); }},
    {ids::kExit, "E&xit", {}, [](plat::Window w, int) { exitProgram(w); }},
    kSeparator,
    {ids::kImageWindow, "Image Window", {}, windowCommand, kGreyedWhileBusy},
    {ids::kTextWindow, "Text Window", {}, windowCommand, kGreyedWhileBusy},
    {ids::kInputBox, "Input Box", {}, windowCommand, kGreyedWhileBusy},
    {ids::kButtonBox, "Button Box", {}, windowCommand, kGreyedWhileBusy},
    kSeparator,
    {ids::kWindowInfo, "&Window Info.", ctrlKey('W'), windowCommand, kGreyedWhileBusy},
};

// The keys every library window hands on to the main window (ids::kMainWindowKeys).
constexpr MainAction kKeys[] = {
    {ids::kExit, nullptr, plainKey('X'), [](plat::Window w, int) { exitProgram(w); }},
    {ids::kExit, nullptr, plainKey(plat::vk::Escape), [](plat::Window w, int) { exitProgram(w); }},
    {ids::kStart, nullptr, plainKey('S'), [](plat::Window, int) { start(); }},
    {ids::kStop, nullptr, plainKey('C'), [](plat::Window, int) { stop(); }},
};

}  // namespace

std::span<const MainAction> mainWindowMenuActions() {
  return kMenu;
}
std::span<const MainAction> mainWindowKeyActions() {
  return kKeys;
}

namespace {

void command(plat::Window w, int id) {
  if (const MainAction* row = action::findById(mainWindowMenuActions(), id))
    row->run(w, id);
  else
    runWindowCommand(id);
}

void showPopup(plat::Window w) {
  const bool busy = mainRunning.load() == 1 || InputOwner.load() != 0;
  const plat::Menu menu = action::buildMenu(mainWindowMenuActions(), [busy](const MainAction& row) {
    action::ItemState state;
    state.greyed = busy && (row.flags & kGreyedWhileBusy) != 0;
    return state;
  });
  plat::trackPopupMenu(menu, plat::cursorPos(), w);
}

// A key of the menu posts the entry's command as the menu does; the other keys run at once.
intptr_t keyDown(plat::Window w, const plat::Message& m) {
  if (const MainAction* row = action::findByKey(mainWindowMenuActions(), m.key, m.ctrl, m.shift))
    plat::postCommand(w, row->id);
  else if (const MainAction* key =
               action::findByKey(mainWindowKeyActions(), m.key, m.ctrl, m.shift))
    key->run(w, key->id);
  return 0;
}

}  // namespace

intptr_t mainWindowProc(plat::Window w, plat::Message& m) {
  switch (m.kind) {
    case plat::Msg::Create: {
      theMainWindow = w;  // the worker uses the handle before creation returns
      mainWindowThread = plat::currentThreadId();
      plat::createControl(
          {plat::ControlKind::Static, w, ids::kStatusLine, "Ready", {0, 6, 234, 26}});
      dropIn(w);
      colorDepth = plat::displayColorDepth();
      startWorker();
      return 0;
    }
    case plat::Msg::Close:
      exitProgram(w);  // the close box ends the program as Exit does
      return 0;
    case plat::Msg::Destroy:
      plat::postQuitMessage(0);
      return 0;
    case plat::Msg::Move:
      // The edge snapshot reads the worker's window tables, so the worker takes it.
      edgeRefreshRequested.store(1);
      return 0;
    case plat::Msg::Moving:
      SnapMovingWindow(m.rect, w);
      return 0;
    case plat::Msg::Sizing:
      m.rect = plat::getWindowRect(w);  // the main window keeps its size
      return 0;
    case plat::Msg::RButtonDown:
    case plat::Msg::NcRButtonDown:
      showPopup(w);
      return 0;
    case plat::Msg::KeyDown:
      return keyDown(w, m);
    case plat::Msg::Command:
      command(w, m.commandId);
      return 0;
    case plat::Msg::DropFiles:
      openDroppedFiles(m.files);
      return 0;
    default:
      return plat::defWindowProc(w, m);
  }
}

bool onMainWindowThread() {
  return theMainWindow.load() && mainWindowThread.load() == plat::currentThreadId();
}
int mainWindowColorDepth() {
  return colorDepth;
}
void resetMainWindow() {
  theMainWindow.store({});
  mainWindowThread.store(0);
}

}  // namespace core

plat::Window mainWindowHandle() {
  return core::theMainWindow.load();
}
