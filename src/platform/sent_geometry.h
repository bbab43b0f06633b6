// What the display asked the window system for and has not yet heard back about, for one
// quantity of a window (its outer corner, or its size). The window system answers every
// request with a notification, late, and possibly after later requests have gone out: a
// notification that repeats an older request is stale, one that repeats the newest is the
// window system catching up, and anything else is a change made by someone else (a window
// manager, another program, the user on the desktop).
#pragma once

#include <cstdint>
#include <deque>

#include "platform/types.h"

namespace plat {

class SentGeometry {
 public:
  enum class Heard { Newest, Stale, Foreign };
  // A request whose notification has not come in this long never will (the window
  // system may merge or drop notifications); the list keeps at most kMaxKept.
  static constexpr uint32_t kForgetAfterMs = 3000;
  static constexpr size_t kMaxKept = 64;

  void sent(Point value, uint32_t nowMs);
  // What a notification of `value` is; the requests it answers are done with.
  Heard heard(Point value, uint32_t nowMs);
  bool empty() const { return requests_.empty(); }

 private:
  struct Request {
    Point value;
    uint32_t atMs;
  };
  void forgetOld(uint32_t nowMs);
  std::deque<Request> requests_;  // oldest first
};

}  // namespace plat
