// Reading and composing ahead: one thread reads the source's frames, lays out their
// views and composes each for the panel, into a small fixed pool of frames, while the
// viewer's own thread shows them. A frame already late when read is not composed.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "compose/compose_pixels.h"
#include "panel_tuning.h"
#include "playback_clock.h"
#include "view_source.h"
#include "views/frame_views.h"

namespace viewer {

// One frame of the pool: its views, the panel's picture composed from them, and with
// what tuning.
struct ViewerFrame {
  compose::MultiViewPicture read;  // the frame as read, where the views are made from it
  compose::MultiViewPicture views;
  std::vector<uint32_t> panel;  // W x H
  std::vector<uint32_t> scratch;
  long number = -1;  // the movie's own frame number
  double msec = 0;   // when it shows, counting the laps a loop went round
  uint64_t generation = 0;
  uint64_t tuningVersion = 0;
};

// Composes `frame`'s panel picture with the tuning.
void composeFrame(ViewerFrame& frame, const SharedTuning::Snapshot& tuning);

class FramePipeline {
 public:
  static constexpr int kPoolSize = 4;
  struct Settings {
    bool loop = false;
    double slackMsec = 0;  // late by more than this once composed: not composed
    // Called on the reading thread when a frame is ready or the source has ended, to
    // wake the thread that shows them.
    std::function<void()> wake = [] {};
    // Makes the views from each frame read (a stereo pair, a picture and its depth);
    // empty: the frame holds them.
    views::FrameViews makeViews;
  };
  FramePipeline(ViewSource& source, const SharedTuning& tuning, const PlaybackClock& clock,
                Settings settings);
  ~FramePipeline();
  FramePipeline(const FramePipeline&) = delete;
  FramePipeline& operator=(const FramePipeline&) = delete;

  // The first frame ready to show, or null. It stays the pipeline's until taken.
  const ViewerFrame* peek() const;
  std::unique_ptr<ViewerFrame> take();
  // A frame shown (or dropped) goes back to the pool.
  void recycle(std::unique_ptr<ViewerFrame> frame);
  // Drops whatever is ready and goes on from frame n with a new generation.
  void seek(long n);
  uint64_t generation() const;
  // Whether the source has ended for this generation and every frame was taken.
  bool ended() const;
  // Frames read but not composed because they were late already, and frames the
  // decoder passed over to catch up.
  int64_t skipped() const { return skipped_.load(); }
  // How often the source met damaged data, and the frame read after the first time.
  long damaged() const { return damaged_.load(); }
  long firstDamagedFrame() const { return firstDamagedFrame_.load(); }
  // The highest frame number read so far; -1 before the first.
  long lastNumber() const { return lastNumber_.load(); }
  // How long making the views from the last frame took, milliseconds (0: not made).
  double makeMsec() const { return makeMsec_.load(); }
  // Why the views could not be made from a frame, the first time (such frames are passed
  // over); empty when they always could.
  std::string unmadeViews() const;

 private:
  void run();
  // Reads the next frame into `f`; false at the end.
  bool read(ViewerFrame& f, long& number, double& msec);
  // Makes its views from the frame read, where they are made; false (the reason kept)
  // when they cannot be.
  bool make(ViewerFrame& f);
  // Marks the source ended for `generation`, unless a seek came since.
  void endGeneration(uint64_t generation);

  ViewSource& source_;
  const SharedTuning& tuning_;
  const PlaybackClock& clock_;
  const Settings settings_;

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<std::unique_ptr<ViewerFrame>> free_;
  std::deque<std::unique_ptr<ViewerFrame>> ready_;
  uint64_t generation_ = 1;
  long seekTarget_ = -1;  // a seek the reading thread has not made yet
  bool ended_ = false;    // for generation_
  bool stopping_ = false;
  std::atomic<int64_t> skipped_{0};
  std::atomic<long> damaged_{0};
  std::atomic<long> firstDamagedFrame_{-1};
  std::atomic<double> makeMsec_{0};
  std::atomic<long> lastNumber_{-1};
  std::string unmadeViews_;  // under mutex_
  // The reading thread's own: the time the laps a loop went round take, the time of the
  // last frame read in this lap, and how many frames it has read.
  double lapMsec_ = 0;
  double lastMsec_ = 0;
  long framesThisLap_ = 0;
  double workMsec_ = 0;  // making and composing a frame takes about this long
  long passedOver_ = 0;  // the source's count, as far as skipped_ has it
  int64_t lastComposedMicros_ = 0;
  std::thread thread_;
};

}  // namespace viewer
