// The picking tools: one loop that waits for the mouse of the picked window, and a
// small description of each tool (one or two points, which feedback).
#include "imaging/pick.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "base/services.h"
#include "imagewin/imagewin.h"
#include "imaging/imaging.h"
#include "platform/message.h"
#include "platform/types.h"

namespace {

// A stop request comes as a flag, without a message to this thread: each wait for
// the mouse ends after this long to look at it.
constexpr int kPassWaitMs = 10;

constexpr const char* kFirstPrompt = "Click the first point";
constexpr const char* kSecondPrompt = "Click the second point";
constexpr const char* kPointPrompt = "Click a point";

enum class Feedback { None, Box, Line, Circle, Row, Column, Place };

struct Point {
  int x = 0;
  int y = 0;
};

struct Tool {
  int number = 0;
  bool twoPoints = false;
  Feedback feedback = Feedback::None;
  int boxWidth = 0;  // the place tool's box
  int boxHeight = 0;

  int state = 0;  // 0 no point yet, 1 the first point taken, 2 done
  int taken = 0;  // how many points were taken
  Point first, second;
  bool shown = false;  // feedback is in the picture, drawn towards `towards`
  Point towards;
};

bool isOpen(int number) {
  return static_cast<unsigned>(number) < kImageWindowCount && ImageTable[number].inUse;
}

int radiusThrough(Point centre, Point p) {
  const double dx = static_cast<double>(p.x) - centre.x;
  const double dy = static_cast<double>(p.y) - centre.y;
  return static_cast<int>(std::sqrt(dy * dy + dx * dx) + 0.5);
}

// Inverts the pixels of the feedback towards point p: drawn twice, it is gone.
void xorFeedback(const Tool& t, Point p) {
  const ImageWindowRecord& rec = ImageTable[t.number];
  switch (t.feedback) {
    case Feedback::None:
      break;
    case Feedback::Box:
      TAV_XorBox(t.first.x, t.first.y, p.x, p.y);
      break;
    case Feedback::Line:
      TAV_XorLine(t.first.x, t.first.y, p.x, p.y);
      break;
    case Feedback::Circle:
      TAV_XorCircle(t.first.x, t.first.y, radiusThrough(t.first, p));
      break;
    case Feedback::Row:
      TAV_XorLine(0, p.y, rec.width - 1, p.y);
      break;
    case Feedback::Column:
      TAV_XorLine(p.x, 0, p.x, rec.height - 1);
      break;
    case Feedback::Place: {
      const int left = p.x - t.boxWidth / 2;
      const int right = left + t.boxWidth - 1;
      const int top = p.y - t.boxHeight / 2;
      const int bottom = top + t.boxHeight - 1;
      TAV_XorBox(left, top, right, bottom);
      if (t.boxWidth >= 9 && t.boxHeight >= 9) {
        TAV_XorLine(left + 1, top + 1, right - 1, bottom - 1);
        TAV_XorLine(right - 1, top + 1, left + 1, bottom - 1);
      }
      break;
    }
  }
}

void showFeedback(Tool& t, Point p) {
  if (t.feedback == Feedback::None) return;
  xorFeedback(t, p);
  t.shown = true;
  t.towards = p;
}

void eraseFeedback(Tool& t) {
  if (!t.shown) return;
  xorFeedback(t, t.towards);
  t.shown = false;
}

void redraw(const Tool& t) {
  if (t.feedback != Feedback::None) TAV_ShowImage(t.number);
}

// The row, column and place tools show their feedback from the start.
bool followsFromStart(const Tool& t) {
  return t.feedback == Feedback::Row || t.feedback == Feedback::Column ||
         t.feedback == Feedback::Place;
}

Point hoverPoint() {
  return {PickState.hoverX, PickState.hoverY};
}

void takeClick(Tool& t) {
  const Point click{PickState.clickX, PickState.clickY};
  if (t.twoPoints && t.state == 0) {
    t.first = click;
    t.taken = 1;
    showFeedback(t, click);  // the shape shrunk to the point itself
    redraw(t);
    libraryServices().statusLine(kSecondPrompt);
    t.state = 1;
    return;
  }
  if (t.state == 2) return;
  eraseFeedback(t);
  redraw(t);
  if (t.twoPoints) {
    t.second = click;
    t.taken = 2;
  } else {
    t.first = click;
    t.taken = 1;
  }
  t.state = 2;
}

// True when the cancel ends the tool.
bool takeCancel(Tool& t) {
  if (t.state == 0) {
    eraseFeedback(t);
    redraw(t);
    return true;
  }
  if (t.state == 1) {
    eraseFeedback(t);
    redraw(t);
    libraryServices().statusLine(kFirstPrompt);
    t.state = 0;
    t.taken = 0;  // the first point is given up
  }
  return false;
}

bool feedbackFollowsPointer(const Tool& t) {
  if (t.state == 2) return false;  // a finished tool has erased its feedback for good
  return t.twoPoints ? t.state == 1 : followsFromStart(t);
}

int begin(Tool& t) {
  if (!isOpen(t.number)) return kPickBadWindow;
  const LibraryServices& services = libraryServices();
  services.statusLine(t.twoPoints ? kFirstPrompt : kPointPrompt);
  services.allowMainWindowDrops(false);
  TAV_SelectImage(t.number);
  PickState.clicked = 0;
  PickState.cancel = 0;  // a cancel left over from a tool ended by a stop request
  services.clearStopRequest();
  PickState.window = t.number;
  PickState.active = 1;
  if (followsFromStart(t)) {
    showFeedback(t, hoverPoint());
    redraw(t);
  }
  return kPickDone;
}

// The wait loop: every pass pumps the pending messages, then looks at the stop
// request, the click, the cancel and the move, in that order.
int waitForPoints(Tool& t) {
  const LibraryServices& services = libraryServices();
  for (;;) {
    services.pump();
    // Closed while picking: there is nothing left to pick in or to erase.
    if (!isOpen(t.number)) return kPickCancelled;
    if (services.stopRequested() || t.state == 2) return kPickDone;
    if (PickState.clicked) {
      PickState.clicked = 0;
      takeClick(t);
    }
    if (PickState.cancel) {
      PickState.cancel = 0;
      if (takeCancel(t)) return kPickCancelled;
    }
    if (PickState.moved && feedbackFollowsPointer(t)) {
      PickState.moved = 0;
      eraseFeedback(t);
      showFeedback(t, hoverPoint());
      redraw(t);
    }
    if (t.state != 2) plat::waitForMessage(kPassWaitMs);
  }
}

int run(Tool& t) {
  const int started = begin(t);
  if (started != kPickDone) return started;
  const int result = waitForPoints(t);
  TAV_EndPick();
  return result;
}

Tool onePointTool(int number, Feedback feedback) {
  Tool t;
  t.number = number;
  t.feedback = feedback;
  return t;
}

Tool twoPointTool(int number, Feedback feedback) {
  Tool t = onePointTool(number, feedback);
  t.twoPoints = true;
  return t;
}

int pickOnePoint(Tool t, int& x, int& y) {
  if (!isOpen(t.number)) return kPickBadWindow;  // the outputs stay as they were
  x = y = 0;
  const int result = run(t);
  if (result == kPickDone && t.taken >= 1) {
    x = t.first.x;
    y = t.first.y;
  }
  return result;
}

}  // namespace

int TAV_PickRect(int number, int& left, int& top, int& right, int& bottom) {
  if (!isOpen(number)) return kPickBadWindow;  // the outputs stay as they were
  left = top = right = bottom = 0;
  Tool t = twoPointTool(number, Feedback::Box);
  const int result = run(t);
  if (result != kPickDone) return result;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  if (t.taken >= 1) x1 = t.first.x, y1 = t.first.y;
  if (t.taken >= 2) x2 = t.second.x, y2 = t.second.y;
  // Ordered even when a stop request came between the corners: callers size by it.
  left = std::min(x1, x2);
  right = std::max(x1, x2);
  top = std::min(y1, y2);
  bottom = std::max(y1, y2);
  return result;
}

int TAV_PickLine(int number, int& x1, int& y1, int& x2, int& y2) {
  if (!isOpen(number)) return kPickBadWindow;  // the outputs stay as they were
  x1 = y1 = x2 = y2 = 0;
  Tool t = twoPointTool(number, Feedback::Line);
  const int result = run(t);
  if (result != kPickDone) return result;
  if (t.taken >= 1) x1 = t.first.x, y1 = t.first.y;
  if (t.taken >= 2) x2 = t.second.x, y2 = t.second.y;
  return result;
}

int TAV_PickCircle(int number, int& cx, int& cy, int& radius) {
  if (!isOpen(number)) return kPickBadWindow;  // the outputs stay as they were
  cx = cy = radius = 0;
  Tool t = twoPointTool(number, Feedback::Circle);
  const int result = run(t);
  if (result != kPickDone) return result;
  if (t.taken >= 1) cx = t.first.x, cy = t.first.y;
  if (t.taken >= 2) radius = radiusThrough(t.first, t.second);
  return result;
}

int TAV_PickPoint(int number, int& x, int& y) {
  return pickOnePoint(onePointTool(number, Feedback::None), x, y);
}

int TAV_PickRow(int number, int& x, int& y) {
  return pickOnePoint(onePointTool(number, Feedback::Row), x, y);
}

int TAV_PickColumn(int number, int& x, int& y) {
  return pickOnePoint(onePointTool(number, Feedback::Column), x, y);
}

int TAV_PickPlace(int number, int boxWidth, int boxHeight, int& x, int& y) {
  Tool t = onePointTool(number, Feedback::Place);
  t.boxWidth = boxWidth;
  t.boxHeight = boxHeight;
  return pickOnePoint(t, x, y);
}

void TAV_EndPick() {
  char text[32];
  std::snprintf(text, sizeof text, "%d-bit color", plat::displayColorDepth());
  const LibraryServices& services = libraryServices();
  services.statusLine(text);
  PickState.active = 0;
  PickState.window = -1;
  services.allowMainWindowDrops(true);
}

namespace imaging {

bool pickInProgress() {
  return PickState.active != 0;
}

void feedPick(int number, plat::Msg kind, int clientX, int clientY) {
  if (!PickState.active || number != PickState.window || !isOpen(number)) return;
  const int zoom = ImageTable[number].zoom;
  // Client points travel as unsigned 16-bit halves.
  const int x = static_cast<uint16_t>(clientX) * 100 / zoom;
  const int y = static_cast<uint16_t>(clientY) * 100 / zoom;
  switch (kind) {
    case plat::Msg::MouseMove:
      PickState.hoverX = x;
      PickState.hoverY = y;
      PickState.moved = 1;
      break;
    case plat::Msg::LButtonDown:
      PickState.clickX = x;
      PickState.clickY = y;
      PickState.clicked = 1;
      break;
    case plat::Msg::RButtonDown:
    case plat::Msg::MButtonDown:
      PickState.cancel = 1;
      break;
    default:
      break;
  }
}

void resetPickState() {
  PickState = PickRecord{};
}

}  // namespace imaging
