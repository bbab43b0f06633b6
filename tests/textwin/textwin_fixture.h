// Shared set-up of the text window tests: the stand-in main window with its status
// line, the worker's pump, and a window onto what was printed (the log hook).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "base/pump.h"
#include "boxes/boxes.h"
#include "core/library.h"
#include "imagewin/imagewin.h"
#include "imaging/imaging.h"
#include "library_support.h"
#include "platform/platform.h"
#include "platform/test.h"
#include "textwin/textwin.h"

namespace twtest {

// Key-downs that reached the stand-in main window.
inline std::vector<plat::Message>& mainKeys = testsupport::mainWindowKeys;

inline void pumpOnce() {
  plat::test::sync();
  PumpUserMessages();
}

// The pump that printing and line input turn; null: the worker's own.
inline void usePump(void (*pump)()) {
  testsupport::useService(&LibraryServices::pump, pump);
}

// Steps a test plays into a line being read: each runs once the reader has taken
// everything typed before it (the key queue is empty), inside the reader's own pump.
inline std::deque<std::function<void()>> script;
inline int64_t scriptRanOutAt = 0;
inline void scriptedPump() {
  pumpOnce();
  if (InputOwner == 0) return;
  if (!script.empty() && KeyQueue.empty()) {
    auto step = std::move(script.front());
    script.pop_front();
    step();
    pumpOnce();
    scriptRanOutAt = script.empty() ? plat::performanceCounter() : 0;
  } else if (script.empty() && scriptRanOutAt != 0 &&
             plat::performanceCounter() - scriptRanOutAt > 5 * plat::performanceFrequency()) {
    // A line that never ends would hang the test: fail and cancel it.
    ADD_FAILURE() << "the line did not end";
    scriptRanOutAt = 0;
    TAV_CloseTextWindow(InputOwner - 1);
  }
}

// Sets the Ctrl state the platform reports for this thread, as an input message does.
inline void setCtrlHeld(plat::Window w, bool held) {
  plat::Message m;
  m.window = w;
  m.kind = plat::Msg::KeyUp;
  m.key = 0;
  m.ctrl = held;
  plat::postMessage(m);
  plat::Message taken;
  while (plat::peekMessage(taken, plat::Peek::Remove)) plat::dispatchMessage(taken);
}

// Number of pixels in r that are not black.
inline int inkIn(const plat::Surface& s, const plat::Rect& r) {
  int count = 0;
  for (int y = std::max(r.top, 0); y < std::min(r.bottom, s.height()); ++y)
    for (int x = std::max(r.left, 0); x < std::min(r.right, s.width()); ++x)
      if ((s.row32(y)[x] & 0xFFFFFF) != 0) ++count;
  return count;
}

class TextWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    resetLibrary();
    ASSERT_TRUE(textwin::registerTextWindowClass());
    mainWindow = testsupport::openMainWindow(900, 800);
    status = plat::controlById(mainWindow, ids::kStatusLine);
    LibraryServices services = testsupport::servicesWithMainWindow();
    services.refreshWindowEdges = RefreshWindowEdges;
    services.snapMovingWindow = SnapMovingWindow;
    services.promptLine = textwin::promptLine;
    services.dialogBoxes = boxes::dialogBoxes;
    installLibraryServices(services);
    const plat::FontMetrics fm = plat::stockFontMetrics();
    cw = fm.charWidth;
    lh = fm.lineHeight;
    ASSERT_GT(cw, 0);
    ASSERT_GT(lh, 0);
    mainKeys.clear();
    script.clear();
    pumpOnce();
  }
  void TearDown() override {
    resetLibrary();
    testsupport::closeMainWindow();
    script.clear();
    pumpOnce();
  }

  // Everything printed into window n from now on (and every line entered there) is
  // kept, through the log hook, and read back by printed().
  void capture(int n) {
    TextWindowRecord& rec = TextWindowTable[n];
    rec.logFile = std::tmpfile();
    ASSERT_NE(rec.logFile, nullptr);
    rec.logState = 1;
  }
  std::string printed(int n) {
    std::FILE* f = TextWindowTable[n].logFile;
    if (!f) return "<no log>";
    std::fflush(f);
    const long end = std::ftell(f);
    std::string s(static_cast<size_t>(end), '\0');
    std::rewind(f);
    const size_t got = std::fread(s.data(), 1, s.size(), f);
    s.resize(got);
    std::fseek(f, 0, SEEK_END);
    // The log stores every line feed as CR LF; what was printed had a line feed.
    std::string text;
    for (size_t i = 0; i < s.size(); ++i)
      if (!(s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')) text += s[i];
    return text;
  }

  // Reads a line with the scripted steps fed from the reader's pump.
  std::string readLine(std::deque<std::function<void()>> steps) {
    script = std::move(steps);
    scriptRanOutAt = script.empty() ? plat::performanceCounter() : 0;
    usePump(scriptedPump);
    char line[kInputLineBytes];
    std::memset(line, 'x', sizeof line);
    TAV_InputLine(line);
    usePump(nullptr);
    EXPECT_TRUE(script.empty()) << "steps left unplayed";
    return line;
  }

  plat::Window windowOf(int n) const { return TextWindowTable[n].window; }
  std::string statusText() const { return plat::getControlText(status); }

  plat::Window mainWindow;
  plat::Window status;
  int cw = 0;
  int lh = 0;
};

}  // namespace twtest
