// A text window's housekeeping: its popup menu and the commands that the menu, the
// Ctrl keys and the console post to it.
#include <cstdio>
#include <string>

#include "base/ids.h"
#include "base/services.h"
#include "platform/message.h"
#include "platform/window.h"
#include "textwin/internal.h"

namespace {

enum class Check { Never, Current, Logging, Paused };

struct MenuEntry {
  const char* text;  // null: a separator
  int id;
  Check check;
};

// "%d%d" in the copy entry: the instance number and the window number.
constexpr MenuEntry kMenu[] = {
    {"&Select\tCtrl+S", ids::text::kSelect, Check::Current},
    {"&Window Info.\tCtrl+W", ids::text::kWindowInfo, Check::Never},
    {"Command", ids::text::kConsole, Check::Never},
    {nullptr, 0, Check::Never},
    {"Start Log", ids::text::kStartLog, Check::Logging},
    {"Stop Log", ids::text::kStopLog, Check::Paused},
    {"&Copy DIREVO%d%d.LOG\tCtrl+C", ids::text::kCopyLog, Check::Never},
    {nullptr, 0, Check::Never},
    {"&About DIREVO\tCtrl+A", ids::text::kAbout, Check::Never},
    {nullptr, 0, Check::Never},
    {"&Destroy\tCtrl+Q", ids::text::kDestroy, Check::Never},
};

bool isChecked(Check check, int n, int logState) {
  switch (check) {
    case Check::Current:
      return CurrentTextWindow == n;
    case Check::Logging:
      return logState == 1;
    case Check::Paused:
      return logState == 2;
    case Check::Never:
      break;
  }
  return false;
}

std::string entryText(const MenuEntry& e, int n) {
  if (e.id != ids::text::kCopyLog) return e.text;
  char text[64];
  std::snprintf(text, sizeof text, e.text, libraryServices().instanceNumber(), n);
  return text;
}

// The library's banner, in the window whose About was chosen.
void about(int n) {
  TAV_SelectTextWindow(n);
  TAV_PushTextColor(0x000000, 0xFFFF00);
  TAV_Printf("DIREVO --- image and text window library\n");
  TAV_PopTextColor();
}

struct Command {
  int id;
  void (*run)(int n);
};
constexpr Command kCommands[] = {
    {ids::text::kSelect, [](int n) { TAV_SelectTextWindow(n); }},
    {ids::text::kWindowInfo, GenerateWindowInfo},
    {ids::text::kConsole, [](int) { RunConsoleCommand(); }},
    {ids::text::kStartLog, [](int n) { TAV_StartLog(n); }},
    {ids::text::kStopLog, [](int n) { TAV_StopLog(n); }},
    {ids::text::kCopyLog, [](int n) { CopyLogToClipboard(n); }},
    {ids::text::kAbout, about},
    {ids::text::kDestroy, [](int n) { TAV_CloseTextWindow(n); }},
};

}  // namespace

namespace textwin {

plat::Menu textWindowMenu(int n) {
  int logState = 0;
  if (TextWindowRecord* rec = openRecord(n)) {
    std::lock_guard lock(rec->lock);
    logState = rec->logState;
  }
  plat::Menu menu;
  for (const MenuEntry& e : kMenu) {
    if (!e.text)
      menu.separator();
    else
      menu.add(entryText(e, n), e.id, false, isChecked(e.check, n, logState));
  }
  return menu;
}

void onRButtonDown(plat::Window window) {
  const int n = FindTextWindow(window);
  if (n < 0) return;
  // Off while a line is read or a picking tool holds the mouse.
  if (InputOwner != 0 || libraryServices().pickInProgress()) return;
  plat::trackPopupMenu(textWindowMenu(n), plat::cursorPos(), window);
}

void runCommand(int n, int id) {
  for (const Command& c : kCommands) {
    if (c.id == id) {
      c.run(n);
      return;
    }
  }
}

}  // namespace textwin
