// Drives the picking tools with real mouse input, headless: every pass of a tool's wait
// loop plays the next step of a script (a move or a press injected at a client point of
// an image window), so the clicks reach the tool one pass at a time, as a user's would.
// The services point the image windows' mouse at the tools, and keep the status texts
// and the main window's drop permissions they were given.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/pump.h"
#include "base/services.h"
#include "imagewin/imagewin.h"
#include "imaging/pick.h"
#include "platform/test.h"
#include "platform/types.h"

namespace testsupport {

class PickScript {
 public:
  using Button = plat::test::Button;

  // Installs the scripted services over the ones in force, with an empty script.
  static void install() {
    steps.clear();
    statusTexts.clear();
    dropsAllowed.clear();
    stopFlag = false;
    idlePasses = 0;
    ranOut = false;
    LibraryServices s = libraryServices();
    s.pickInProgress = imaging::pickInProgress;
    s.pickMouse = imaging::feedPick;
    s.statusLine = [](const char* text) { statusTexts.push_back(text); };
    s.stopRequested = [] { return stopFlag; };
    s.clearStopRequest = [] { stopFlag = false; };
    s.allowMainWindowDrops = [](bool allow) { dropsAllowed.push_back(allow); };
    s.pump = pass;
    installLibraryServices(s);
  }

  static void move(int x, int y, int n = 0) {
    steps.push_back([=] { plat::test::mouseMove(ImageTable[n].window, {x, y}); });
  }
  static void press(int x, int y, Button b = Button::Left, int n = 0) {
    steps.push_back([=] { plat::test::click(ImageTable[n].window, {x, y}, b); });
  }
  // Any other step: a look at the picture while the tool runs, a stop request.
  static void then(std::function<void()> step) { steps.push_back(std::move(step)); }

  static std::string depthText() {
    return std::to_string(plat::displayColorDepth()) + "-bit color";
  }

  static inline std::vector<std::string> statusTexts;
  static inline std::vector<bool> dropsAllowed;
  static inline bool stopFlag = false;
  // Set when a tool still waited after the script was over (it was stopped then).
  static inline bool ranOut = false;

 private:
  // One step per pass; once the script is over a few idle passes are allowed (a tool
  // ends one pass after its last click), then a stop request ends a tool that waits on.
  static void pass() {
    if (!steps.empty()) {
      const std::function<void()> step = steps.front();
      steps.pop_front();
      idlePasses = 0;
      step();
      plat::test::sync();
    } else if (++idlePasses > 3) {
      ranOut = true;
      stopFlag = true;
    }
    PumpUserMessages();
  }

  static inline std::deque<std::function<void()>> steps;
  static inline int idlePasses = 0;
};

}  // namespace testsupport
