// The time of the movie now: what frames are shown by and late against. It runs on the
// platform's counter, or on the sound's own clock while sound plays, and stands still
// while paused. Read by the thread that composes ahead as well as the one that shows.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>

namespace viewer {

// The platform's counter in microseconds: the one clock the viewer's threads measure
// their work and waits with.
int64_t counterMicros();

class PlaybackClock {
 public:
  // The microseconds of the clock that drives it; by default the platform's counter.
  using Source = std::function<int64_t()>;
  PlaybackClock();
  void setSource(Source source);

  // From now on the movie's time is `msec`, for the frames of `generation` (a seek
  // starts a new one); running unless paused.
  void anchor(double msec, uint64_t generation);
  bool anchoredFor(uint64_t generation) const;
  void setPaused(bool paused);
  bool paused() const;
  // The movie's time now, milliseconds.
  double nowMsec() const;
  // Whether a frame of `generation` due at `msec` is late by more than `slackMsec`: never
  // while paused, nor before the clock runs for that generation.
  bool isLate(double msec, uint64_t generation, double slackMsec) const;

 private:
  double nowLocked() const;
  mutable std::mutex mutex_;
  Source source_;
  double anchorMsec_ = 0;
  int64_t anchorMicros_ = 0;
  uint64_t generation_ = UINT64_MAX;
  bool paused_ = false;
};

}  // namespace viewer
