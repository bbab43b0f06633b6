// Telling the window system's late answers to our own moves from moves made by others.
#include "platform/sent_geometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using plat::Point;
using plat::SentGeometry;
using Heard = SentGeometry::Heard;

struct Step {
  bool sent;  // true: a request; false: a notification, expected to be `heard`
  Point value;
  uint32_t atMs;
  Heard heard = Heard::Foreign;
};

struct Case {
  const char* name;
  std::vector<Step> steps;
};

Step ask(int x, uint32_t at = 0) {
  return {true, {x, 0}, at};
}
Step hear(int x, Heard h, uint32_t at = 0) {
  return {false, {x, 0}, at, h};
}

TEST(SentGeometry, TellsAnswersStaleAnswersAndForeignMoves) {
  const std::vector<Case> cases = {
      {"an answer to the only request",
       {ask(10), hear(10, Heard::Newest), hear(10, Heard::Foreign)}},
      {"a move nobody asked for", {hear(5, Heard::Foreign)}},
      {"answers in order, the last one current",
       {ask(1), ask(2), ask(3), hear(1, Heard::Stale), hear(2, Heard::Stale),
        hear(3, Heard::Newest)}},
      {"the newest answered first: the older ones are done with",
       {ask(1), ask(2), hear(2, Heard::Newest), hear(1, Heard::Foreign)}},
      {"a foreign move between answers leaves them answerable",
       {ask(1), ask(2), hear(1, Heard::Stale), hear(7, Heard::Foreign), hear(2, Heard::Newest)}},
      {"a value asked for twice is answered by the later request",
       {ask(1), ask(2), ask(1), hear(1, Heard::Newest), hear(2, Heard::Foreign)}},
      {"a request unanswered for too long is forgotten",
       {ask(1, 0), ask(2, 10), hear(1, Heard::Foreign, 10 + SentGeometry::kForgetAfterMs + 1)}},
      {"the clock wrapping round keeps recent requests",
       {ask(1, 0xFFFFFF00u), hear(1, Heard::Newest, 0x00000100u)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SentGeometry sent;
    for (const Step& s : c.steps) {
      if (s.sent)
        sent.sent(s.value, s.atMs);
      else
        EXPECT_EQ(sent.heard(s.value, s.atMs), s.heard) << "value " << s.value.x;
    }
  }
}

TEST(SentGeometry, KeepsOnlyTheNewestRequests) {
  SentGeometry sent;
  for (int i = 0; i < static_cast<int>(SentGeometry::kMaxKept) + 5; ++i) sent.sent({i, i}, 0);
  EXPECT_EQ(sent.heard({0, 0}, 0), Heard::Foreign);  // dropped to keep the list bounded
  EXPECT_EQ(sent.heard({5, 5}, 0), Heard::Stale);
}

}  // namespace
