#include "platform/message.h"

#include <algorithm>

#include "platform/controls.h"
#include "platform/qt/display.h"
#include "platform/window.h"
#include "platform/window_table.h"

namespace plat {

namespace {

intptr_t callProc(Message& m) {
  auto r = findRecord(m.window);
  if (!r || !r->proc) return 0;
  return r->proc(m.window, m);
}

void serveSent(ThreadQueue& q, std::unique_lock<std::mutex>& lock) {
  while (!q.sent.empty()) {
    SentMessage* s = q.sent.front();
    q.sent.pop_front();
    lock.unlock();
    intptr_t result = callProc(*s->message);
    {
      std::lock_guard done(s->sender->m);
      s->result = result;
      s->done = true;
      s->sender->cv.notify_all();
    }
    lock.lock();
  }
}

bool isInput(Msg k) {
  switch (k) {
    case Msg::KeyDown:
    case Msg::KeyUp:
    case Msg::Char:
    case Msg::MouseMove:
    case Msg::LButtonDown:
    case Msg::LButtonUp:
    case Msg::LButtonDblClk:
    case Msg::RButtonDown:
    case Msg::RButtonUp:
    case Msg::MButtonDown:
    case Msg::MouseWheel:
    case Msg::NcLButtonDown:
    case Msg::NcRButtonDown:
    case Msg::NcMouseMove:
    case Msg::NcLButtonUp:
      return true;
    default:
      return false;
  }
}

void noteKeyState(ThreadQueue& q, const Message& m) {
  if (!isInput(m.kind)) return;
  q.ctrl = m.ctrl;
  q.shift = m.shift;
  if (m.kind == Msg::KeyDown) q.keysDown.insert(m.key);
  if (m.kind == Msg::KeyUp) q.keysDown.erase(m.key);
}

// Takes the next message under the queue lock: sent messages are served first,
// then posted ones, then Quit, then Paint for windows with an invalid area.
bool takeNext(ThreadQueue& q, std::unique_lock<std::mutex>& lock, Message& out, bool remove) {
  serveSent(q, lock);
  if (!q.posted.empty()) {
    out = q.posted.front();
    if (remove) {
      q.posted.pop_front();
      noteKeyState(q, out);
    }
    return true;
  }
  if (q.quit) {
    out = Message{};
    out.kind = Msg::Quit;
    out.param = q.quitCode;
    if (remove) q.quit = false;
    return true;
  }
  if (!q.paintPending.empty()) {
    auto [slot, generation] = *q.paintPending.begin();
    out = Message{};
    out.window = Window{slot, generation};
    out.kind = Msg::Paint;
    return true;
  }
  return false;
}

}  // namespace

void postMessage(const Message& m) {
  qt::blockIfAbandoned();
  auto r = findRecord(m.window);
  if (!r) return;
  postTo(r, m);
}

void postCommand(Window w, int id, int notifyCode, Window control) {
  Message m;
  m.window = w;
  m.kind = Msg::Command;
  m.commandId = id;
  m.notifyCode = notifyCode;
  m.control = control;
  postMessage(m);
}

void postQuitMessage(int exitCode) {
  auto& q = currentQueue();
  std::lock_guard lock(q.m);
  q.quit = true;
  q.quitCode = exitCode;
  q.cv.notify_all();
}

intptr_t sendMessage(Message& m) {
  qt::blockIfAbandoned();
  auto r = findRecord(m.window);
  if (!r) return 0;
  ThreadQueue& me = currentQueue();
  if (r->owner.get() == &me) return callProc(m);
  SentMessage s;
  s.message = &m;
  s.sender = &me;
  {
    std::lock_guard lock(r->owner->m);
    r->owner->sent.push_back(&s);
    r->owner->cv.notify_all();
  }
  std::unique_lock lock(me.m);
  while (!s.done) {
    if (!me.sent.empty()) {
      serveSent(me, lock);
      continue;
    }
    me.cv.wait(lock);
  }
  return s.result;
}

bool peekMessage(Message& out, Peek mode) {
  qt::blockIfAbandoned();
  auto& q = currentQueue();
  std::unique_lock lock(q.m);
  return takeNext(q, lock, out, mode == Peek::Remove);
}

bool getMessage(Message& out) {
  qt::blockIfAbandoned();
  auto& q = currentQueue();
  std::unique_lock lock(q.m);
  while (!takeNext(q, lock, out, true)) q.cv.wait(lock);
  return out.kind != Msg::Quit;
}

bool waitMessage(Message& out, int timeoutMs) {
  qt::blockIfAbandoned();
  auto& q = currentQueue();
  std::unique_lock lock(q.m);
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!takeNext(q, lock, out, true)) {
    if (q.cv.wait_until(lock, until) == std::cv_status::timeout)
      return takeNext(q, lock, out, true);
  }
  return true;
}

bool waitForMessage(int timeoutMs) {
  qt::blockIfAbandoned();
  auto& q = currentQueue();
  std::unique_lock lock(q.m);
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  Message next;
  while (!takeNext(q, lock, next, false)) {
    if (q.cv.wait_until(lock, until) == std::cv_status::timeout)
      return takeNext(q, lock, next, false);
  }
  return true;
}

void translateMessage(const Message& m) {
  if (m.kind != Msg::KeyDown || m.text.empty()) return;
  auto r = findRecord(m.window);
  if (!r) return;
  for (char16_t u : m.text) {
    Message c;
    c.kind = Msg::Char;
    c.unit = u;
    c.key = u;
    c.ctrl = m.ctrl;
    c.shift = m.shift;
    postTo(r, c);
  }
}

intptr_t dispatchMessage(Message& m) {
  intptr_t result = callProc(m);
  if (m.kind == Msg::Paint) validate(m.window);  // a handler that did not paint is done too
  return result;
}

void invalidate(Window w, const Rect* rect) {
  auto r = findRecord(w);
  if (!r) return;
  Rect all = getClientRect(w);
  markPaint(r, rect ? rect->intersected(all) : all);
}

void invalidateAll(Window w) {
  invalidate(w, nullptr);
}

Rect beginPaint(Window w) {
  auto r = findRecord(w);
  if (!r) return {};
  Rect invalid;
  {
    std::lock_guard lock(r->m);
    invalid = r->invalid;
  }
  validate(w);
  return invalid;
}

void validate(Window w) {
  auto r = findRecord(w);
  if (!r) return;
  {
    std::lock_guard lock(r->m);
    r->invalid = {};
  }
  std::lock_guard lock(r->owner->m);
  r->owner->paintPending.erase({w.slot, w.generation});
}

bool isDialogMessage(Window box, Message& m) {
  auto r = findRecord(m.window);
  if (!r || !box) return false;
  bool ours = m.window == box || (r->isControl && r->parent == box);
  if (!ours) return false;
  if (m.kind == Msg::KeyDown && m.key == vk::Tab) {
    std::vector<Window> stops;
    for (Window c : childControls(box))
      if (isTabStop(c)) stops.push_back(c);
    if (!stops.empty()) {
      auto at = std::find(stops.begin(), stops.end(), focusWindow());
      size_t i = at == stops.end() ? 0 : static_cast<size_t>(at - stops.begin());
      size_t n = stops.size();
      size_t next =
          at == stops.end() ? (m.shift ? n - 1 : 0) : (m.shift ? (i + n - 1) % n : (i + 1) % n);
      setFocus(stops[next]);
    }
    return true;
  }
  if (m.kind == Msg::KeyDown && (m.key == vk::Return || m.key == vk::Escape)) {
    Message c;
    c.window = box;
    c.kind = Msg::Command;
    c.commandId = m.key == vk::Return ? 1 : 2;
    sendMessage(c);
    return true;
  }
  translateMessage(m);
  dispatchMessage(m);
  return true;
}

bool isKeyDown(int virtualKey) {
  auto& q = currentQueue();
  if (virtualKey == vk::Control) return q.ctrl;
  if (virtualKey == vk::Shift) return q.shift;
  return q.keysDown.count(virtualKey) > 0;
}

}  // namespace plat
