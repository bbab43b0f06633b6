#include "platform/window_table.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace plat {

namespace {

std::mutex tableMutex;
std::vector<RecordPtr> slots;       // index = slot; null when free
std::vector<uint32_t> generations;  // last generation used per slot
std::atomic<uint64_t> zCounter{1};

thread_local std::shared_ptr<ThreadQueue> threadQueue;

}  // namespace

std::shared_ptr<ThreadQueue> currentQueueShared() {
  if (!threadQueue) threadQueue = std::make_shared<ThreadQueue>();
  return threadQueue;
}
ThreadQueue& currentQueue() {
  return *currentQueueShared();
}

void initWindowSystem() {}

void shutdownWindowSystem() {
  std::lock_guard lock(tableMutex);
  for (auto& r : slots) {
    if (r) r->frame = nullptr, r->widget = nullptr;
  }
}

RecordPtr findRecord(Window w) {
  if (!w) return nullptr;
  std::lock_guard lock(tableMutex);
  if (w.slot >= slots.size()) return nullptr;
  const RecordPtr& r = slots[w.slot];
  if (!r || r->handle.generation != w.generation) return nullptr;
  return r;
}

RecordPtr newRecord() {
  auto r = std::make_shared<WindowRecord>();
  std::lock_guard lock(tableMutex);
  uint32_t slot = 0;
  while (slot < slots.size() && slots[slot]) ++slot;
  if (slot == slots.size()) {
    slots.emplace_back();
    generations.push_back(0);
  }
  r->handle = Window{slot, ++generations[slot]};
  slots[slot] = r;
  return r;
}

void removeRecord(Window w) {
  std::lock_guard lock(tableMutex);
  if (w.slot < slots.size() && slots[w.slot] && slots[w.slot]->handle == w) slots[w.slot].reset();
}

std::vector<RecordPtr> allRecords() {
  std::lock_guard lock(tableMutex);
  std::vector<RecordPtr> out;
  for (auto& r : slots)
    if (r) out.push_back(r);
  return out;
}

uint64_t nextZOrder() {
  return zCounter.fetch_add(1);
}

FrameParts framePartsOf(uint32_t style) {
  return {.caption = (style & kStyleCaption) != 0,
          .closeBox = (style & kStyleSysMenu) != 0,
          .sizingBorder = (style & kStyleThickFrame) != 0,
          .menuBar = (style & kStyleMenuBar) != 0};
}

Point clientOffset(const FrameParts& parts) {
  Point p{kFrameWidth, kFrameWidth};
  if (parts.caption) p.y += kCaptionHeight;
  if (parts.menuBar) p.y += kMenuBarHeight;
  return p;
}

Rect clientArea(const WindowRecord& r) {
  if (r.fullScreen) return {0, 0, r.outer.width(), r.outer.height()};
  const Point off = clientOffset(r.parts);
  return {off.x, off.y, std::max(r.outer.width() - kFrameWidth, off.x),
          std::max(r.outer.height() - kFrameWidth, off.y)};
}

void postTo(const RecordPtr& r, Message m) {
  if (!r) return;
  m.window = r->handle;
  auto& q = *r->owner;
  std::lock_guard lock(q.m);
  q.posted.push_back(std::move(m));
  q.cv.notify_all();
}

void markPaint(const RecordPtr& r, const Rect& clientRect) {
  {
    std::lock_guard lock(r->m);
    r->invalid = r->invalid.empty() ? clientRect : r->invalid.united(clientRect);
  }
  auto& q = *r->owner;
  std::lock_guard lock(q.m);
  q.paintPending.insert({r->handle.slot, r->handle.generation});
  q.cv.notify_all();
}

void resizeClientSurface(WindowRecord& r, int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  std::lock_guard lock(r.surfaceMutex);
  if (r.client && r.client->width() == width && r.client->height() == height) return;
  auto next = Surface::create(width, height, 32);
  if (!next) return;  // keep the old one rather than none
  fillRect(*next, Rect{0, 0, width, height}, r.background);
  if (r.client) {
    next->setStretchMode(r.client->stretchMode());
    bitBlt(*next, 0, 0, width, height, *r.client, 0, 0);
  }
  r.client = std::move(next);
}

Rect Rect::united(const Rect& o) const {
  if (empty()) return o;
  if (o.empty()) return *this;
  return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right),
          std::max(bottom, o.bottom)};
}

Rect Rect::intersected(const Rect& o) const {
  Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
         std::min(bottom, o.bottom)};
  if (r.empty()) return {};
  return r;
}

}  // namespace plat
