#include "platform/full_screen.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "platform/qt/display.h"
#include "platform/surface.h"
#include "platform/window_table.h"

namespace plat {

namespace {

int64_t overlapArea(const Rect& a, const Rect& b) {
  const Rect i = a.intersected(b);
  return static_cast<int64_t>(i.width()) * i.height();
}

// Squared distance from a point to the nearest pixel of a rectangle.
int64_t distanceSquared(Point p, const Rect& r) {
  const int64_t dx = std::max<int64_t>({int64_t{r.left} - p.x, 0, int64_t{p.x} - (r.right - 1)});
  const int64_t dy = std::max<int64_t>({int64_t{r.top} - p.y, 0, int64_t{p.y} - (r.bottom - 1)});
  return dx * dx + dy * dy;
}

// The client surface of a presented window: the screen's size, black, so that a picture
// smaller than the screen stands on black.
void clearClientSurface(WindowRecord& r, int width, int height) {
  auto next = Surface::create(std::max(width, 1), std::max(height, 1), 32);
  if (!next) return;  // keep the old one rather than none
  fillRect(*next, Rect{0, 0, next->width(), next->height()}, 0x000000);
  std::lock_guard lock(r.surfaceMutex);
  if (r.client) next->setStretchMode(r.client->stretchMode());
  r.client = std::move(next);
}

RecordPtr topLevelRecord(Window w) {
  RecordPtr r = findRecord(w);
  return r && !r->isControl ? r : nullptr;
}

}  // namespace

int screenFor(const Rect& outer, const std::vector<Rect>& screens) {
  int best = -1;
  int64_t bestArea = 0;
  for (size_t i = 0; i < screens.size(); ++i) {
    const int64_t area = overlapArea(outer, screens[i]);
    if (area > bestArea) best = static_cast<int>(i), bestArea = area;
  }
  if (best >= 0) return best;
  // Off every screen: the one nearest to the window's corner.
  int64_t bestDistance = std::numeric_limits<int64_t>::max();
  for (size_t i = 0; i < screens.size(); ++i) {
    const int64_t d = distanceSquared({outer.left, outer.top}, screens[i]);
    if (d < bestDistance) best = static_cast<int>(i), bestDistance = d;
  }
  return best;
}

std::vector<Rect> screenRects() {
  std::vector<Rect> rects;
  qt::runOnDisplay([&] { rects = qt::screenGeometries(); });
  return rects;
}

int screenOfWindow(Window w) {
  RecordPtr r = topLevelRecord(w);
  if (!r) return -1;
  Rect outer;
  {
    std::lock_guard lock(r->m);
    outer = r->outer;
  }
  return screenFor(outer, screenRects());
}

bool presentFullScreen(Window w, int screen) {
  qt::blockIfAbandoned();
  RecordPtr r = topLevelRecord(w);
  if (!r) return false;
  const std::vector<Rect> screens = screenRects();
  if (screen < 0 || static_cast<size_t>(screen) >= screens.size()) return false;
  const Rect target = screens[screen];
  Rect before;
  {
    std::lock_guard lock(r->m);
    before = r->outer;
    if (!r->fullScreen) r->restoredOuter = r->outer;
    r->fullScreen = true;
    r->outer = target;
    r->cornerUnsent = r->sizeUnsent = true;
    r->visible = true;
    r->zOrder = nextZOrder();
  }
  clearClientSurface(*r, target.width(), target.height());
  qt::runOnDisplay([&] { qt::enterFullScreen(r, screen); });
  announceGeometry(r, before, target);
  invalidateAll(w);  // the whole screen, even when the size happens to be the same
  return true;
}

bool endFullScreen(Window w) {
  qt::blockIfAbandoned();
  RecordPtr r = topLevelRecord(w);
  if (!r) return false;
  Rect before, after;
  {
    std::lock_guard lock(r->m);
    if (!r->fullScreen) return false;
    before = r->outer;
    after = r->restoredOuter;
    r->fullScreen = false;
    r->outer = after;
    r->cornerUnsent = r->sizeUnsent = true;
  }
  const Rect client = getClientRect(w);
  resizeClientSurface(*r, client.width(), client.height());
  qt::runOnDisplay([&] { qt::leaveFullScreen(r); });
  announceGeometry(r, before, after);
  invalidateAll(w);
  return true;
}

bool isFullScreen(Window w) {
  RecordPtr r = topLevelRecord(w);
  if (!r) return false;
  std::lock_guard lock(r->m);
  return r->fullScreen;
}

}  // namespace plat
