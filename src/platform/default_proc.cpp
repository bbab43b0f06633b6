// The default window behaviour: moving and sizing by the frame, the close box.
#include "platform/window.h"
#include "platform/window_table.h"

namespace plat {

MovedSides sidesMovedBy(Hit grabbed) {
  switch (grabbed) {
    case Hit::Caption:
      return {.left = true, .top = true, .right = true, .bottom = true};
    case Hit::Left:
      return {.left = true};
    case Hit::Right:
      return {.right = true};
    case Hit::Top:
      return {.top = true};
    case Hit::Bottom:
      return {.bottom = true};
    case Hit::TopLeft:
      return {.left = true, .top = true};
    case Hit::TopRight:
      return {.top = true, .right = true};
    case Hit::BottomLeft:
      return {.left = true, .bottom = true};
    case Hit::BottomRight:
      return {.right = true, .bottom = true};
    case Hit::Nowhere:
    case Hit::Client:
    case Hit::Close:
      return {};
  }
  return {};
}

namespace {

bool isSizingEdge(Hit h) {
  return h != Hit::Caption && sidesMovedBy(h).any();
}

// The outer rectangle after the pointer moved by (dx, dy) while dragging this part.
Rect dragRect(Rect r, Hit grabbed, int dx, int dy) {
  if (grabbed == Hit::Caption) return r.translated(dx, dy);
  const MovedSides sides = sidesMovedBy(grabbed);
  if (sides.left) r.left += dx;
  if (sides.right) r.right += dx;
  if (sides.top) r.top += dy;
  if (sides.bottom) r.bottom += dy;
  // The frame never gets smaller than the minimum tracking size.
  if (r.width() < kMinTrackWidth) {
    if (sides.left)
      r.left = r.right - kMinTrackWidth;
    else
      r.right = r.left + kMinTrackWidth;
  }
  if (r.height() < kMinTrackHeight) {
    if (sides.top)
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
        uint32_t keep = kNoZOrder;
        if (moving) keep |= kNoSize;
        setWindowPos(w, ask.rect.left, ask.rect.top, ask.rect.width(), ask.rect.height(), keep);
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
