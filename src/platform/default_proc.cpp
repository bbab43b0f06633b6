// The default window behaviour: moving and sizing by the frame, the close box.
#include "platform/window_table.h"
#include "platform/window.h"

namespace plat {

namespace {

bool isSizingEdge(Hit h) {
  switch (h) {
    case Hit::Left: case Hit::Right: case Hit::Top: case Hit::Bottom: case Hit::TopLeft:
    case Hit::TopRight: case Hit::BottomLeft: case Hit::BottomRight:
      return true;
    default:
      return false;
  }
}

// The outer rectangle after the pointer moved by (dx, dy) while dragging this edge.
Rect dragRect(Rect r, Hit edge, int dx, int dy) {
  if (edge == Hit::Caption) return r.translated(dx, dy);
  if (edge == Hit::Left || edge == Hit::TopLeft || edge == Hit::BottomLeft) r.left += dx;
  if (edge == Hit::Right || edge == Hit::TopRight || edge == Hit::BottomRight) r.right += dx;
  if (edge == Hit::Top || edge == Hit::TopLeft || edge == Hit::TopRight) r.top += dy;
  if (edge == Hit::Bottom || edge == Hit::BottomLeft || edge == Hit::BottomRight) r.bottom += dy;
  // The frame never gets smaller than the minimum tracking size.
  if (r.width() < kMinTrackWidth) {
    if (edge == Hit::Left || edge == Hit::TopLeft || edge == Hit::BottomLeft)
      r.left = r.right - kMinTrackWidth;
    else
      r.right = r.left + kMinTrackWidth;
  }
  if (r.height() < kMinTrackHeight) {
    if (edge == Hit::Top || edge == Hit::TopLeft || edge == Hit::TopRight)
      r.top = r.bottom - kMinTrackHeight;
    else
      r.bottom = r.top + kMinTrackHeight;
  }
  return r;
}

// The modal loop of a frame drag, fed by the owner's queue: every pointer move proposes
// a rectangle (Moving or Sizing), the window procedure may change it, then the window
// takes it. Other messages are dispatched as usual meanwhile.
void trackFrame(Window w, Hit edge, Point start) {
  const Rect origin = getWindowRect(w);
  const bool moving = edge == Hit::Caption;
  Message m;
  while (getMessage(m)) {
    if (m.window == w && (m.kind == Msg::NcMouseMove || m.kind == Msg::NcLButtonUp)) {
      Rect proposed = dragRect(origin, edge, m.x - start.x, m.y - start.y);
      Message ask;
      ask.window = w;
      ask.kind = moving ? Msg::Moving : Msg::Sizing;
      ask.rect = proposed;
      ask.edge = static_cast<int>(edge);
      sendMessage(ask);
      Rect now = getWindowRect(w);
      if (!(ask.rect == now)) {
        setWindowPos(w, ask.rect.left, ask.rect.top, ask.rect.width(), ask.rect.height(),
                     (moving ? uint32_t{kNoSize} : 0u) | kNoZOrder);
      }
      if (m.kind == Msg::NcLButtonUp) return;
      continue;
    }
    if (!isWindow(w)) return;
    translateMessage(m);
    dispatchMessage(m);
  }
  postQuitMessage(static_cast<int>(m.param));  // the loop must not swallow Quit
}

}  // namespace

intptr_t defWindowProc(Window w, Message& m) {
  switch (m.kind) {
    case Msg::NcLButtonDown:
      if (m.hit == Hit::Caption || isSizingEdge(m.hit)) trackFrame(w, m.hit, {m.x, m.y});
      return 0;
    case Msg::Close:
      destroyWindow(w);
      return 0;
    case Msg::Paint:
      validate(w);
      return 0;
    default:
      return 0;
  }
}

}  // namespace plat
