#include "platform/window.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "platform/controls.h"
#include "platform/qt/display.h"
#include "platform/surface.h"
#include "platform/window_table.h"

namespace plat {

namespace {

std::mutex classMutex;
std::map<std::string, WindowClass>& classes() {
  static std::map<std::string, WindowClass> c;
  return c;
}

// Default positions step down and right from the top left, like a deck of cards.
std::mutex cascadeMutex;
int cascadeStep = 0;
Point nextCascade() {
  std::lock_guard lock(cascadeMutex);
  int i = cascadeStep++ % 10;
  return {32 + 26 * i, 32 + 26 * i};
}

// What a setWindowPos call changes, read once from its flags.
struct PosChange {
  bool move, size, raise, show;
};
PosChange posChangeOf(uint32_t flags) {
  return {.move = !(flags & kNoMove),
          .size = !(flags & kNoSize),
          .raise = !(flags & kNoZOrder),
          .show = (flags & kShowWindow) != 0};
}

void sendSimple(Window w, Message m) {
  m.window = w;
  sendMessage(m);
}

}  // namespace

bool registerClass(const WindowClass& c) {
  if (c.name.empty() || !c.proc) return false;
  std::lock_guard lock(classMutex);
  return classes().emplace(c.name, c).second;
}

bool unregisterClass(const std::string& name) {
  std::lock_guard lock(classMutex);
  return classes().erase(name) > 0;
}

bool classExists(const std::string& name) {
  std::lock_guard lock(classMutex);
  return classes().count(name) > 0;
}

Rect adjustWindowRect(const Rect& client, uint32_t style) {
  Point off = clientOffset(framePartsOf(style));
  return {client.left - off.x, client.top - off.y, client.right + kFrameWidth,
          client.bottom + kFrameWidth};
}

Window createWindow(const CreateParams& p) {
  qt::blockIfAbandoned();
  WindowClass cls;
  {
    std::lock_guard lock(classMutex);
    auto it = classes().find(p.className);
    if (it == classes().end()) return {};
    cls = it->second;
  }
  RecordPtr r = newRecord();
  r->owner = currentQueueShared();
  r->proc = cls.proc;
  r->className = cls.name;
  r->doubleClicks = cls.doubleClicks;
  r->background = cls.background;
  r->parts = framePartsOf(p.style);
  r->ownerWindow = p.owner;
  Point pos{p.x, p.y};
  if (p.x == kDefaultPosition || p.y == kDefaultPosition) {
    Point c = nextCascade();
    if (p.x == kDefaultPosition) pos.x = c.x;
    if (p.y == kDefaultPosition) pos.y = c.y;
  }
  int w = std::max(p.width, 1), h = std::max(p.height, 1);
  {
    std::lock_guard lock(r->m);
    r->outer = {pos.x, pos.y, pos.x + w, pos.y + h};
    r->title = p.title;
    r->menuBar = p.menuBar;
    r->menuBarIds = p.menuBarIds;
    r->menuBarEnabled.assign(p.menuBar.size(), true);
    r->zOrder = nextZOrder();
  }
  Rect client = getClientRect(r->handle);
  resizeClientSurface(*r, client.width(), client.height());
  {
    std::lock_guard lock(r->surfaceMutex);
    if (!r->client) {
      removeRecord(r->handle);
      return {};
    }
  }
  qt::runOnDisplay([&] { qt::createFrameWidget(r); });

  Message create;
  create.window = r->handle;
  create.kind = Msg::Create;
  create.param = p.createParam;
  if (r->proc(r->handle, create) == -1) {
    destroyWindow(r->handle);
    return {};
  }
  if ((p.style & kStyleVisible) && findRecord(r->handle)) showWindow(r->handle, true);
  return findRecord(r->handle) ? r->handle : Window{};
}

bool destroyWindow(Window w) {
  RecordPtr r = findRecord(w);
  if (!r) return false;
  {
    std::lock_guard lock(r->m);
    if (!r->alive) return false;
    r->alive = false;
  }
  for (Window c : childControls(w)) destroyWindow(c);
  Message d;
  d.window = w;
  d.kind = Msg::Destroy;
  if (r->proc && r->owner.get() == &currentQueue()) r->proc(w, d);
  qt::runOnDisplay([&] { qt::destroyWidgets(r); });
  if (r->isControl) {
    if (auto parent = findRecord(r->parent)) {
      std::lock_guard lock(parent->m);
      std::erase(parent->children, w);
    }
  }
  {
    std::lock_guard lock(r->owner->m);
    r->owner->paintPending.erase({w.slot, w.generation});
  }
  removeRecord(w);
  return true;
}

bool isWindow(Window w) {
  return findRecord(w) != nullptr;
}

std::string windowClassName(Window w) {
  auto r = findRecord(w);
  return r ? r->className : std::string();
}

Window windowOwner(Window w) {
  auto r = findRecord(w);
  return r ? r->ownerWindow : Window{};
}

bool setWindowPos(Window w, int x, int y, int width, int height, uint32_t flags) {
  qt::blockIfAbandoned();
  auto r = findRecord(w);
  if (!r) return false;
  const PosChange change = posChangeOf(flags);
  Rect before, after;
  {
    std::lock_guard lock(r->m);
    before = r->outer;
    after = before;
    if (change.move) after = {x, y, x + before.width(), y + before.height()};
    if (change.size) {
      after.right = after.left + std::max(width, 0);
      after.bottom = after.top + std::max(height, 0);
    }
    r->outer = after;
    if (after.left != before.left || after.top != before.top) r->cornerUnsent = true;
    if (after.width() != before.width() || after.height() != before.height()) r->sizeUnsent = true;
    if (change.raise) r->zOrder = nextZOrder();
  }
  bool sized = after.width() != before.width() || after.height() != before.height();
  if (sized) {
    Rect client = getClientRect(w);
    resizeClientSurface(*r, client.width(), client.height());
  }
  qt::runOnDisplay([&] { qt::syncGeometry(r); });
  if (change.show) showWindow(w, true);
  announceGeometry(r, before, after);
  return true;
}

namespace {

// Move when the corner moved, Size when the size changed, each handed to `deliver`; a
// top-level window that changed size is repainted whole.
template <class Deliver>
void tellGeometry(const RecordPtr& r, const Rect& before, const Rect& after, Deliver deliver) {
  const Window w = r->handle;
  if (after.left != before.left || after.top != before.top) {
    Message m;
    m.kind = Msg::Move;
    Point c = clientToScreen(w, {0, 0});
    m.x = c.x;
    m.y = c.y;
    deliver(m);
  }
  if (after.width() != before.width() || after.height() != before.height()) {
    Message m;
    m.kind = Msg::Size;
    Rect client = getClientRect(w);
    m.width = client.width();
    m.height = client.height();
    deliver(m);
    if (!r->isControl) invalidateAll(w);
  }
}

}  // namespace

void announceGeometry(const RecordPtr& r, const Rect& before, const Rect& after) {
  tellGeometry(r, before, after, [&](const Message& m) { sendSimple(r->handle, m); });
}

void takeReportedGeometry(const RecordPtr& r, const Point* corner, const Point* size) {
  Rect before, after;
  {
    std::lock_guard lock(r->m);
    if (!r->alive || r->fullScreen) return;
    before = after = r->outer;
    if (corner && !r->cornerUnsent)
      after = before.translated(corner->x - before.left, corner->y - before.top);
    if (size && !r->sizeUnsent) {
      after.right = after.left + std::max(size->x, 1);
      after.bottom = after.top + std::max(size->y, 1);
    }
    if (after == before) return;
    r->outer = after;
  }
  if (after.width() != before.width() || after.height() != before.height()) {
    const Rect client = getClientRect(r->handle);
    resizeClientSurface(*r, client.width(), client.height());
  }
  tellGeometry(r, before, after, [&](const Message& m) { postTo(r, m); });
}

Rect getWindowRect(Window w) {
  auto r = findRecord(w);
  if (!r) return {};
  if (r->isControl) {
    Rect c;
    {
      std::lock_guard lock(r->m);
      c = r->outer;
    }
    Point origin = clientToScreen(r->parent, {0, 0});
    return c.translated(origin.x, origin.y);
  }
  std::lock_guard lock(r->m);
  return r->outer;
}

Rect getClientRect(Window w) {
  auto r = findRecord(w);
  if (!r) return {};
  std::lock_guard lock(r->m);
  if (r->isControl) return {0, 0, r->outer.width(), r->outer.height()};
  const Rect area = clientArea(*r);
  return {0, 0, area.width(), area.height()};
}

Point clientToScreen(Window w, Point p) {
  auto r = findRecord(w);
  if (!r) return p;
  if (r->isControl) {
    Rect c;
    {
      std::lock_guard lock(r->m);
      c = r->outer;
    }
    return clientToScreen(r->parent, {p.x + c.left, p.y + c.top});
  }
  std::lock_guard lock(r->m);
  const Rect area = clientArea(*r);
  return {p.x + r->outer.left + area.left, p.y + r->outer.top + area.top};
}

bool setWindowText(Window w, const std::string& utf8) {
  auto r = findRecord(w);
  if (!r) return false;
  {
    std::lock_guard lock(r->m);
    r->title = utf8;
  }
  qt::runOnDisplay([&] { qt::syncGeometry(r); });
  return true;
}

std::string getWindowText(Window w) {
  auto r = findRecord(w);
  if (!r) return {};
  std::lock_guard lock(r->m);
  return r->title;
}

bool setForegroundWindow(Window w) {
  auto r = findRecord(w);
  if (!r || r->isControl) return false;
  {
    std::lock_guard lock(r->m);
    r->zOrder = nextZOrder();
  }
  qt::runOnDisplay([&] {
    qt::syncGeometry(r);
    qt::raiseFrame(r);
  });
  return true;
}

Window foregroundWindow() {
  Window best;
  uint64_t z = 0;
  for (auto& r : allRecords()) {
    if (r->isControl) continue;
    std::lock_guard lock(r->m);
    if (r->visible && r->zOrder > z) z = r->zOrder, best = r->handle;
  }
  return best;
}

bool showWindow(Window w, bool show) {
  auto r = findRecord(w);
  if (!r) return false;
  {
    std::lock_guard lock(r->m);
    r->visible = show;
  }
  qt::runOnDisplay([&] { qt::syncGeometry(r); });
  return true;
}

void dragAcceptFiles(Window w, bool accept) {
  auto r = findRecord(w);
  if (!r) return;
  {
    std::lock_guard lock(r->m);
    r->acceptDrops = accept;
  }
  qt::runOnDisplay([&] { qt::syncGeometry(r); });
}

Window windowFromPoint(Point screen) {
  Window best;
  uint64_t z = 0;
  for (auto& r : allRecords()) {
    if (r->isControl) continue;
    std::lock_guard lock(r->m);
    if (r->visible && r->outer.contains(screen) && r->zOrder > z) z = r->zOrder, best = r->handle;
  }
  return best;
}

}  // namespace plat
