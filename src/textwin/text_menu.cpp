// A text window's housekeeping: its popup menu and the commands that the menu, the
// Ctrl keys and the console post to it.
#include <cstdio>
#include <string>

#include "base/action.h"
#include "base/ids.h"
#include "base/services.h"
#include "platform/message.h"
#include "platform/window.h"
#include "textwin/internal.h"

namespace {

// TextAction::check: which state puts a check on the entry.
constexpr int kCheckedWhenCurrent = 1, kCheckedWhileLogging = 2, kCheckedWhilePaused = 3;

bool isChecked(int condition, int n, int logState) {
  switch (condition) {
    case kCheckedWhenCurrent:
      return CurrentTextWindow == n;
    case kCheckedWhileLogging:
      return logState == 1;
    case kCheckedWhilePaused:
      return logState == 2;
    default:
      break;
  }
  return false;
}

// The label with the instance number and the window number put in for its "%d%d".
std::string copyLogLabel(const char* label, int n) {
  char text[64];
  std::snprintf(text, sizeof text, label, libraryServices().instanceNumber(), n);
  return text;
}

// The library's banner, in the window whose About was chosen.
void about(int n) {
  TAV_SelectTextWindow(n);
  TAV_PushTextColor(0x000000, 0xFFFF00);
  TAV_Printf("DIREVO --- image and text window library\n");
  TAV_PopTextColor();
}

using action::ctrlKey;
using textwin::TextAction;
constexpr TextAction kSeparator{};

constexpr TextAction kMenu[] = {
    {ids::text::kSelect, "&Select", ctrlKey('S'), [](int n) { TAV_SelectTextWindow(n); }, 0,
     kCheckedWhenCurrent},
    {ids::text::kWindowInfo, "&Window Info.", ctrlKey('W'), GenerateWindowInfo},
    {ids::text::kConsole, "Command", {}, [](int) { RunConsoleCommand(); }},
    kSeparator,
    {ids::text::kStartLog,
     "Start Log",
     {},
     [](int n) { TAV_StartLog(n); },
     0,
     kCheckedWhileLogging},
    {ids::text::kStopLog, "Stop Log", {}, [](int n) { TAV_StopLog(n); }, 0, kCheckedWhilePaused},
    {ids::text::kCopyLog, "&Copy DIREVO%d%d.LOG", ctrlKey('C'),
     [](int n) { CopyLogToClipboard(n); }},
    kSeparator,
    {ids::text::kAbout, "&About DIREVO", ctrlKey('A'), about},
    kSeparator,
    {ids::text::kDestroy, "&Destroy", ctrlKey('Q'), [](int n) { TAV_CloseTextWindow(n); }},
};

}  // namespace

namespace textwin {

std::span<const TextAction> textWindowActions() {
  return kMenu;
}

plat::Menu textWindowMenu(int n) {
  int logState = 0;
  if (TextWindowRecord* rec = openRecord(n)) {
    std::lock_guard lock(rec->lock);
    logState = rec->logState;
  }
  return action::buildMenu(textWindowActions(), [n, logState](const TextAction& row) {
    action::ItemState state;
    state.checked = isChecked(row.check, n, logState);
    if (row.id == ids::text::kCopyLog) state.label = copyLogLabel(row.label, n);
    return state;
  });
}

void onRButtonDown(plat::Window window) {
  const int n = FindTextWindow(window);
  if (n < 0) return;
  // Off while a line is read or a picking tool holds the mouse.
  if (InputOwner != 0 || libraryServices().pickInProgress()) return;
  plat::trackPopupMenu(textWindowMenu(n), plat::cursorPos(), window);
}

void runCommand(int n, int id) {
  if (const TextAction* row = action::findById(textWindowActions(), id)) row->run(n);
}

}  // namespace textwin
