// A program of the whole-program tests: direvo-sandbox whose command-line files are
// dropped on its main window once it is up, through the platform's drop seam, as a
// file manager would drop them. It writes every text the main window's status line
// shows to its standard output ("status: TEXT"), so that a test can read what the
// program told the user.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "base/ids.h"
#include "core/core.h"
#include "core/sandbox.h"
#include "platform/app.h"
#include "platform/controls.h"
#include "platform/message.h"
#include "platform/test.h"
#include "platform/window.h"

int main(int argc, char** argv) {
  const std::vector<std::string> files(argv + 1, argv + argc);
  std::thread dropper([files] {
    // Drops are taken once the main window's message loop runs: Stop, harmless before
    // Start, shows when it does.
    plat::Window w;
    while (!(w = mainWindowHandle())) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    plat::postCommand(w, ids::kStop);
    while (stopRequested.load() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!files.empty()) plat::test::dropFiles(w, files);
    // Each text the status line takes, without its centring blanks.
    std::string shown;
    while (plat::isWindow(w)) {
      std::string text = plat::getControlText(plat::controlById(w, ids::kStatusLine));
      text.erase(0, text.find_first_not_of(' '));
      if (text != shown) {
        shown = text;
        std::printf("status: %s\n", shown.c_str());
        std::fflush(stdout);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });
  dropper.detach();
  int code = plat::runApplication(1, argv, [] { return programEntry(core::sandboxTask()); });
  plat::quickExit(code);
}
