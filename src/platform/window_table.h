// The shared state of the window system: window records and the client threads' queues.
// Client threads and the display thread both read it; every field says who guards it.
// Internal to the platform.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/message.h"
#include "platform/surface.h"
#include "platform/window.h"

class QWidget;

namespace plat {

namespace qt {
class FrameWidget;
}

// A message sent across threads: the sender waits until `done`.
struct SentMessage {
  Message* message = nullptr;
  intptr_t result = 0;
  bool done = false;
  struct ThreadQueue* sender = nullptr;
};

// One queue per client thread. Guarded by `m`.
struct ThreadQueue {
  std::mutex m;
  std::condition_variable cv;
  std::deque<Message> posted;
  std::deque<SentMessage*> sent;
  std::set<std::pair<uint32_t, uint32_t>> paintPending;  // (slot, generation) with an invalid area
  bool quit = false;
  int quitCode = 0;
  // Key state of the message being handled (only the owner thread touches these).
  bool ctrl = false;
  bool shift = false;
  std::set<int> keysDown;
};
// The calling thread's queue, made on first use.
ThreadQueue& currentQueue();
std::shared_ptr<ThreadQueue> currentQueueShared();

// What a window's style gives its frame.
struct FrameParts {
  bool caption = false;  // a caption bar with the title
  bool closeBox = false;
  bool sizingBorder = false;  // the border sizes the window (it is drawn either way)
  bool menuBar = false;       // one row for a menu bar under the caption
};
FrameParts framePartsOf(uint32_t style);

struct WindowRecord {
  Window handle;
  std::shared_ptr<ThreadQueue> owner;  // set at creation, never changed
  WindowProc proc = nullptr;
  std::string className;
  FrameParts parts;
  bool doubleClicks = false;
  uint32_t background = 0;
  Window ownerWindow;
  // Controls
  bool isControl = false;
  ControlKind controlKind = ControlKind::Static;
  Window parent;
  int controlId = 0;
  bool tabStop = false;
  std::vector<Window> children;  // controls, in creation order

  // Guarded by `m`.
  std::mutex m;
  Rect outer;  // top-level: screen; control: client coordinates of the parent
  std::string title;
  std::vector<std::string> menuBar;
  std::vector<int> menuBarIds;
  std::vector<bool> menuBarEnabled;
  Rect invalid;
  bool acceptDrops = false;
  bool visible = false;
  bool alive = true;
  uint64_t zOrder = 0;
  // Shown borderless over a whole screen; `restoredOuter` is where it goes back to.
  bool fullScreen = false;
  Rect restoredOuter;
  // The program changed the outer corner (size) and the display has not yet handed the
  // change to the window system: whatever the window system reports meanwhile is older.
  bool cornerUnsent = false;
  bool sizeUnsent = false;

  // The retained client surface, guarded by surfaceMutex.
  std::mutex surfaceMutex;
  std::unique_ptr<Surface> client;

  // Display thread only.
  qt::FrameWidget* frame = nullptr;
  QWidget* widget = nullptr;  // controls: the Qt control; top-level: the client widget
};
// Declared (for the display side) in platform/qt/display.h too.
using RecordPtr = std::shared_ptr<WindowRecord>;

void initWindowSystem();
void shutdownWindowSystem();

// Live record for a handle, or null.
RecordPtr findRecord(Window w);
RecordPtr newRecord();
void removeRecord(Window w);
std::vector<RecordPtr> allRecords();
uint64_t nextZOrder();

// Client offset of a top-level window's client area within its outer rectangle.
Point clientOffset(const FrameParts& parts);
// The client area of a top-level window in coordinates of its outer rectangle: inside
// the frame, or all of it while the window is shown full screen. The caller holds r.m.
Rect clientArea(const WindowRecord& r);

// Queue a message for the window's owner thread (from any thread, the display too).
void postTo(const RecordPtr& r, Message m);
void markPaint(const RecordPtr& r, const Rect& clientRect);

// Resizes the retained client surface (content kept at the top left).
void resizeClientSurface(WindowRecord& r, int width, int height);

// After the outer rectangle changed from `before` to `after`: Move when the corner moved,
// Size (and a whole repaint of a top-level window) when the size changed.
void announceGeometry(const RecordPtr& r, const Rect& before, const Rect& after);

// The window system reports a top-level window's outer corner or size, moved or sized by
// someone else (display thread). The record takes what it reports, unless the window is
// full screen or a change of the program's own is still on its way, and the owner hears
// Move or Size as after a move of its own, posted (the display never waits).
void takeReportedGeometry(const RecordPtr& r, const Point* corner, const Point* size);

}  // namespace plat
