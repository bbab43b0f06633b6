// The seek planner's decisions on figures of our choosing: when the frame asked for is
// read next, decoded forward to, or sought, and what it learns from the times it is told.
#include "movie/seek_planner.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using movie::SeekPlanner;
using Way = SeekPlanner::Way;

// A planner with the decoder before frame `next`, having learnt that a frame in a run
// costs frameMs and a seek seekMs (0: not learnt).
SeekPlanner Planner(long next, int forwardLimit, double frameMs, double seekMs) {
  SeekPlanner p;
  if (frameMs > 0) {
    p.frameRead(true, 1, 1000);     // starts a run: not timed
    p.frameRead(true, 2, frameMs);  // timed: the first sample is taken whole
  }
  if (seekMs > 0) p.seekRead(seekMs);
  p.setForwardLimit(forwardLimit);
  p.setDecoderNext(next);
  return p;
}

TEST(SeekPlanner, ChoosesTheCheapestWay) {
  struct Row {
    long next;
    int limit;
    double frameMs, seekMs;
    long target;
    Way way;
  };
  const Row rows[] = {
      {10, -1, 0, 0, 10, Way::ReadNext},    // the decoder stands right before it
      {10, 0, 0, 0, 10, Way::ReadNext},     // ... even when forward decoding is off
      {-1, -1, 0, 0, 5, Way::Seek},         // the decoder's place is not known
      {10, -1, 0, 0, 9, Way::Seek},         // behind the decoder
      {10, -1, 0, 0, 25, Way::Forward},     // closer than a seek backs off: 15 < 16
      {10, -1, 0, 0, 26, Way::Seek},        // 16 ahead and no costs learnt
      {10, -1, 1, 0, 40, Way::Seek},        // only the frame cost learnt
      {10, -1, 0, 17, 40, Way::Seek},       // only the seek cost learnt
      {10, -1, 1, 17, 26, Way::Forward},    // 17 frames (16 skipped + the one) cost 17 <= 17
      {10, -1, 1, 17, 27, Way::Seek},       // 18 frames cost 18 > 17
      {10, -1, 0.5, 40, 89, Way::Forward},  // 80 x 0.5 = 40
      {10, -1, 0.5, 40, 90, Way::Seek},
      {10, 0, 1, 1000, 11, Way::Seek},     // a limit of 0 never decodes forward
      {10, 5, 0, 0, 15, Way::Forward},     // within the limit
      {10, 5, 0, 0, 16, Way::Seek},        // the limit rules even below the backoff
      {10, 100, 0, 0, 110, Way::Forward},  // and beyond it, whatever was learnt
      {10, 100, 1, 2, 111, Way::Seek},
      {10, -7, 0, 0, 25, Way::Forward},  // a limit below -1 is taken as -1 (learn)
  };
  for (const Row& r : rows) {
    const SeekPlanner p = Planner(r.next, r.limit, r.frameMs, r.seekMs);
    EXPECT_EQ(p.plan(r.target), r.way)
        << "from " << r.next << " to " << r.target << ", limit " << r.limit << ", frame "
        << r.frameMs << " ms, seek " << r.seekMs << " ms";
  }
}

TEST(SeekPlanner, LearnsFromTimedReadsAndSeeksOnly) {
  struct Row {
    const char* what;
    std::function<void(SeekPlanner&)> steps;
    double frameMs, seekMs;
    long next;
    bool inRun;
  };
  const std::vector<Row> rows = {
      {"a first read starts a run, untimed", [](SeekPlanner& p) { p.frameRead(true, 1, 50); }, 0, 0,
       1, true},
      {"a read in a run is timed; later ones count for a quarter",
       [](SeekPlanner& p) {
         p.frameRead(true, 1, 50);
         p.frameRead(true, 2, 8);
         p.frameRead(true, 3, 4);
       },
       7, 0, 3, true},
      {"a failed read teaches nothing and loses the place",
       [](SeekPlanner& p) {
         p.frameRead(true, 1, 50);
         p.frameRead(false, -1, 100);
         p.frameRead(true, 6, 100);  // after the failure: no run, untimed
       },
       0, 0, 6, true},
      {"a broken run leaves the next read untimed",
       [](SeekPlanner& p) {
         p.frameRead(true, 1, 50);
         p.breakRun();
         p.frameRead(true, 20, 30);
       },
       0, 0, 20, true},
      {"seeks follow their own mean",
       [](SeekPlanner& p) {
         p.seekRead(20);
         p.seekRead(40);
       },
       0, 25, 0, false},
      {"a timed forward read counts per frame, the one read included",
       [](SeekPlanner& p) { p.forwardRead(10, 19, 50, true); }, 5, 0, 0, false},
      {"an untimed forward read teaches nothing",
       [](SeekPlanner& p) { p.forwardRead(10, 19, 50, false); }, 0, 0, 0, false},
  };
  for (const Row& r : rows) {
    SeekPlanner p;
    r.steps(p);
    EXPECT_DOUBLE_EQ(p.frameMs(), r.frameMs) << r.what;
    EXPECT_DOUBLE_EQ(p.seekMs(), r.seekMs) << r.what;
    EXPECT_EQ(p.decoderNext(), r.next) << r.what;
    EXPECT_EQ(p.inRun(), r.inRun) << r.what;
  }
}

}  // namespace
