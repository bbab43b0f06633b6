// The command console: one line after "Cmd>", one command.
#include <string_view>

#include "base/ids.h"
#include "base/services.h"
#include "imaging/imaging.h"
#include "platform/message.h"
#include "platform/thread.h"
#include "textwin/internal.h"

namespace {

void postMainWindowKey(int key) {
  plat::Message m;
  m.window = libraryServices().mainWindow();
  m.kind = plat::Msg::KeyDown;
  m.key = key;
  plat::postMessage(m);
}

void exitCommand() {
  postMainWindowKey(plat::vk::Escape);
  plat::sleepMs(1);
}
void startCommand() {
  postMainWindowKey('S');
}
void helpCommand() {
  TAV_Printf("Command list:exit help start ver color\n");
}
void verCommand() {
  if (TextWindowRecord* rec = textwin::openRecord(CurrentTextWindow)) {
    plat::postCommand(rec->window, ids::text::kAbout);
  }
}
void colorCommand() {
  TAV_Printf("Red  :%3d\n", static_cast<int>((DrawColor >> 16) & 0xFF));
  TAV_Printf("Green:%3d\n", static_cast<int>((DrawColor >> 8) & 0xFF));
  TAV_Printf("Blue :%3d\n", static_cast<int>(DrawColor & 0xFF));
  TAV_Printf("tav_tttc=%06x\n", static_cast<unsigned>(tav_tttc));
  TAV_Printf("tav_tc=%06x\n", static_cast<unsigned>(tav_tc));
}

struct ConsoleCommand {
  std::string_view name;
  void (*run)();
};
// Names match the whole line exactly, case and spaces included.
constexpr ConsoleCommand kCommands[] = {
    {"exit", exitCommand}, {"start", startCommand}, {"help", helpCommand},
    {"ver", verCommand},   {"color", colorCommand},
};

}  // namespace

int RunConsoleCommand() {
  TAV_Printf("Cmd>");
  char line[kInputLineBytes];
  TAV_InputLine(line);
  for (const ConsoleCommand& c : kCommands) {
    if (c.name == line) {
      c.run();
      return 0;
    }
  }
  TAV_Printf("Invalid command\n");
  return 1;
}
