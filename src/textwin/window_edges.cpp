// The snapshot of window edges and the snapping of a window dragged with Ctrl held.
#include <cstdlib>

#include "base/services.h"
#include "imagewin/imagewin.h"
#include "platform/message.h"
#include "platform/window.h"
#include "textwin/internal.h"

namespace {

constexpr int kSnapDistance = 8;  // edges closer than this snap together

struct WindowEdgeTable {
  std::array<plat::Rect, kWindowEdgeCapacity> rects{};
  int count = 0;
  void add(const plat::Rect& r) {
    if (count < kWindowEdgeCapacity) rects[count++] = r;
  }
};

// Windows of several threads move and rebuild the table; the lock keeps every rebuild
// and every read whole.
std::mutex edgeLock;
WindowEdgeTable edges;

}  // namespace

void RefreshWindowEdges() {
  WindowEdgeTable next;
  // Strips around the screen, so that windows also snap to the screen's edges.
  const int w = textwin::fullScreenWidth();
  const int h = textwin::fullScreenHeight() + plat::systemMetric(plat::Metric::CyCaption);
  next.add({-1000, 0, 0, h});
  next.add({0, -1000, w, 0});
  next.add({w, 0, w + 1000, h});
  next.add({0, h, w, h + 1000});
  for (const ImageWindowRecord& rec : ImageTable) {
    if (rec.inUse) next.add(plat::getWindowRect(rec.window));
  }
  for (const TextWindowRecord& rec : TextWindowTable) {
    if (rec.inUse) next.add(plat::getWindowRect(rec.window));
  }
  for (plat::Window box : libraryServices().dialogBoxes()) {
    if (plat::isWindow(box)) next.add(plat::getWindowRect(box));
  }
  if (plat::Window main = libraryServices().mainWindow(); plat::isWindow(main)) {
    next.add(plat::getWindowRect(main));
  }
  std::lock_guard lock(edgeLock);
  edges = next;
}

void SnapMovingWindow(plat::Rect& p, plat::Window window) {
  if (!plat::isKeyDown(plat::vk::Control)) return;
  WindowEdgeTable table;
  {
    std::lock_guard lock(edgeLock);
    table = edges;
  }
  const plat::Rect c = plat::getWindowRect(window);
  // Distances and overlaps are measured from the rectangle as proposed.
  const int L = p.left, T = p.top, R = p.right, B = p.bottom;
  int dx = 0, dy = 0;
  bool snappedX = false, snappedY = false;
  auto near = [](int a, int b) { return std::abs(a - b) < kSnapDistance; };
  for (int i = 0; i < table.count && !(snappedX && snappedY); ++i) {
    const plat::Rect& e = table.rects[i];
    if (e == c) continue;  // the moving window itself
    const int a = e.left, b = e.top, cr = e.right, d = e.bottom;
    const bool overlapX = a <= R && cr >= L;
    const bool overlapY = b <= B && d >= T;
    // Side by side: left onto its right edge, or right onto its left edge ...
    if (!snappedX && overlapY) {
      if (near(cr, L))
        dx = cr - L, snappedX = true;
      else if (near(a, R))
        dx = a - R, snappedX = true;
    }
    // ... then tops or bottoms aligned with it.
    if (!snappedY && snappedX && overlapX) {
      if (near(b, T))
        dy = b - T, snappedY = true;
      else if (near(d, B))
        dy = d - B, snappedY = true;
    }
    // Stacked: top onto its bottom edge, or bottom onto its top edge ...
    if (!snappedY && overlapX) {
      if (near(d, T))
        dy = d - T, snappedY = true;
      else if (near(b, B))
        dy = b - B, snappedY = true;
    }
    // ... then lefts or rights aligned with it.
    if (!snappedX && snappedY && overlapY) {
      if (near(a, L))
        dx = a - L, snappedX = true;
      else if (near(cr, R))
        dx = cr - R, snappedX = true;
    }
  }
  p = p.translated(dx, dy);
}

namespace textwin {

std::vector<plat::Rect> windowEdges() {
  std::lock_guard lock(edgeLock);
  return {edges.rects.begin(), edges.rects.begin() + edges.count};
}

void resetWindowEdges() {
  std::lock_guard lock(edgeLock);
  edges = WindowEdgeTable{};
}

}  // namespace textwin
