// Text window records: opening, closing, selecting, resizing, painting and the window
// procedure of "tav_twi".
#include <algorithm>
#include <string>

#include "base/ids.h"
#include "base/services.h"
#include "platform/canvas.h"
#include "platform/font.h"
#include "platform/top_level.h"
#include "platform/window.h"
#include "textwin/internal.h"

TextWindowsState textWindowsState;

namespace {

constexpr const char* kClassName = "tav_twi";
// Caption, close box and sizing border; no minimise or maximise box.
constexpr uint32_t kTextWindowStyle = plat::kStyleOverlapped;
constexpr int kDefaultWidth = 400;
constexpr int kDefaultHeight = 300;

// A picture of the client size, black; at least one pixel, so that a window dragged
// down to no client area still has something to draw into.
std::unique_ptr<plat::Surface> makePicture(int width, int height) {
  return plat::Surface::create(std::max(width, 1), std::max(height, 1), 32);
}

void applyFontMetrics(TextWindowRecord& rec) {
  const plat::FontMetrics fm = plat::stockFontMetrics();
  rec.charWidth = fm.charWidth;
  rec.lineHeight = fm.lineHeight;
}

void onSize(plat::Window window, int width, int height) {
  const int n = FindTextWindow(window);
  if (n < 0) return;  // during its own creation
  TextWindowRecord& rec = TextWindowTable[n];
  {
    std::lock_guard lock(rec.lock);
    std::unique_ptr<plat::Surface> picture = makePicture(width, height);
    if (!picture) return;  // no memory: keep the old picture and size
    rec.width = width;
    rec.height = height;
    rec.picture = std::move(picture);
    rec.cursorX = 0;
    rec.cursorY = 0;
  }
  RefreshWindowEdges();
  plat::invalidateAll(window);
}

void onPaint(plat::Window window) {
  const plat::Rect r = plat::beginPaint(window);
  const int n = FindTextWindow(window);
  if (n < 0 || r.empty()) return;
  TextWindowRecord& rec = TextWindowTable[n];
  std::lock_guard lock(rec.lock);
  if (!rec.picture) return;
  plat::WindowCanvas canvas(window);
  if (!canvas) return;
  plat::bitBlt(*canvas.surface(), r.left, r.top, r.width(), r.height(), *rec.picture, r.left,
               r.top);
}

void onCommand(plat::Window window, int id) {
  const int n = FindTextWindow(window);
  if (n >= 0) textwin::runCommand(n, id);
}

}  // namespace

namespace textwin {

TextWindowRecord* openRecord(int n) {
  if (static_cast<unsigned>(n) >= kTextWindowCount) return nullptr;
  TextWindowRecord& rec = TextWindowTable[n];
  return rec.inUse ? &rec : nullptr;
}

int fullScreenWidth() {
  return plat::systemMetric(plat::Metric::CxScreen);
}
int fullScreenHeight() {
  return plat::systemMetric(plat::Metric::CyScreen) - plat::systemMetric(plat::Metric::CyCaption);
}

intptr_t textWindowProc(plat::Window window, plat::Message& m) {
  switch (m.kind) {
    case plat::Msg::Move:
      RefreshWindowEdges();
      return 0;
    case plat::Msg::Moving:
      SnapMovingWindow(m.rect, window);
      return 0;
    case plat::Msg::Size:
      onSize(window, m.width, m.height);
      return 0;
    case plat::Msg::Paint:
      onPaint(window);
      return 0;
    case plat::Msg::Close: {
      const int n = FindTextWindow(window);
      if (n < 0) break;
      TAV_CloseTextWindow(n);
      return 0;
    }
    case plat::Msg::KeyDown:
      onKeyDown(window, m);
      return 0;
    case plat::Msg::Char:
      onChar(window, m);
      return 0;
    case plat::Msg::Command:
      onCommand(window, m.commandId & 0xFFFF);
      return 0;
    case plat::Msg::RButtonDown:
      onRButtonDown(window);
      return 0;
    case plat::Msg::Create:
    case plat::Msg::Destroy:
      return 0;
    default:
      break;
  }
  return plat::defWindowProc(window, m);
}

bool registerTextWindowClass() {
  if (plat::classExists(kClassName)) return true;
  plat::WindowClass c;
  c.name = kClassName;
  c.proc = &textWindowProc;
  c.background = 0x000000;
  return plat::registerClass(c) || plat::classExists(kClassName);
}

void resetTextWindows() {
  for (int n = 0; n < kTextWindowCount; ++n) TAV_CloseTextWindow(n);
  for (TextWindowRecord& rec : TextWindowTable) {
    std::lock_guard lock(rec.lock);
    rec.width = rec.height = rec.cursorX = rec.cursorY = 0;
    rec.charWidth = rec.lineHeight = 0;
    rec.textColor = 0xFFFFFF;
    rec.backColor = 0x000000;
    rec.textColorStack.fill(0);
    rec.backColorStack.fill(0);
    rec.window = {};
    rec.picture.reset();
    rec.logState = 0;
    rec.logFile = nullptr;
  }
  CurrentTextWindow = 0;
  InputOwner = 0;
  resetLineInput();
  resetWindowEdges();
}

}  // namespace textwin

int TAV_OpenTextWindow(int n, int x, int y, int width, int height) {
  if (static_cast<unsigned>(n) >= kTextWindowCount) return 1;
  TextWindowRecord& rec = TextWindowTable[n];
  if (rec.inUse) {
    plat::setForegroundWindow(rec.window);
    CurrentTextWindow = n;
    return 1;
  }
  if (width < 0) width = kDefaultWidth;
  if (height < 0) height = kDefaultHeight;
  std::unique_ptr<plat::Surface> picture = makePicture(width, height);
  if (!picture) return 2;
  textwin::registerTextWindowClass();

  {
    std::lock_guard lock(rec.lock);
    rec.width = width;
    rec.height = height;
    rec.textColor = 0xFFFFFF;
    rec.backColor = 0x000000;
  }
  CurrentTextWindow = n;

  plat::CreateParams p;
  p.className = kClassName;
  p.title = "TextWindow " + std::to_string(n);
  p.style = kTextWindowStyle;
  p.x = x < 0 ? plat::kDefaultPosition : x;
  p.y = y < 0 ? plat::kDefaultPosition : y;
  p.owner = libraryServices().mainWindow();
  const plat::Window window = plat::createTopLevelWindow(p, width, height);
  if (!window) return 2;

  {
    std::lock_guard lock(rec.lock);
    rec.window = window;
    rec.picture = std::move(picture);
    rec.cursorX = 0;
    rec.cursorY = 0;
    applyFontMetrics(rec);
    rec.textColorStack.fill(rec.textColor);
    rec.backColorStack.fill(rec.backColor);
    rec.logState = 0;
    rec.logFile = nullptr;
  }
  rec.inUse = 1;
  RefreshWindowEdges();
  plat::invalidateAll(window);
  plat::Message paint;
  paint.window = window;
  paint.kind = plat::Msg::Paint;
  plat::sendMessage(paint);  // painted at once
  plat::setForegroundWindow(window);
  return 0;
}

int TAV_SelectTextWindow(int n) {
  if (!textwin::openRecord(n)) return 1;
  CurrentTextWindow = n;
  return 0;
}

int TAV_CloseTextWindow(int n) {
  TextWindowRecord* rec = textwin::openRecord(n);
  if (!rec) return 1;
  plat::Window window;
  {
    std::lock_guard lock(rec->lock);
    rec->inUse = 0;
    window = rec->window;
    textwin::closeLog(*rec);
    rec->picture.reset();
  }
  if (CurrentTextWindow == n) {
    for (int k = 0; k < kTextWindowCount; ++k) {
      if (TextWindowTable[k].inUse) {
        CurrentTextWindow = k;
        break;
      }
    }
  }
  int reading = n + 1;
  InputOwner.compare_exchange_strong(reading, 0);  // a line read there ends as cancelled
  plat::destroyWindow(window);
  return 0;
}

int FindTextWindow(plat::Window window) {
  for (int n = 0; n < kTextWindowCount; ++n) {
    const TextWindowRecord& rec = TextWindowTable[n];
    if (rec.inUse && rec.window == window) return n;
  }
  return -1;
}

void EnsureTextWindow() {
  if (TextWindowRecord* rec = textwin::openRecord(CurrentTextWindow)) {
    plat::setForegroundWindow(rec->window);
    return;
  }
  TAV_OpenTextWindow(0, textwin::fullScreenWidth() / 2 - 200, textwin::fullScreenHeight() / 2 - 150,
                     400, 300);
}
