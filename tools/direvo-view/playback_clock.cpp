#include "playback_clock.h"

#include "platform/thread.h"

namespace viewer {

int64_t counterMicros() {
  const int64_t f = plat::performanceFrequency();
  const int64_t c = plat::performanceCounter();
  return c / f * 1000000 + c % f * 1000000 / f;
}

PlaybackClock::PlaybackClock() : source_(counterMicros) {}

void PlaybackClock::setSource(Source source) {
  std::lock_guard lock(mutex_);
  const double now = nowLocked();
  source_ = std::move(source);
  anchorMsec_ = now;
  anchorMicros_ = source_();
}

void PlaybackClock::anchor(double msec, uint64_t generation) {
  std::lock_guard lock(mutex_);
  anchorMsec_ = msec;
  anchorMicros_ = source_();
  generation_ = generation;
}

bool PlaybackClock::anchoredFor(uint64_t generation) const {
  std::lock_guard lock(mutex_);
  return generation_ == generation;
}

void PlaybackClock::setPaused(bool paused) {
  std::lock_guard lock(mutex_);
  if (paused == paused_) return;
  // The time stops where it is and goes on from there.
  anchorMsec_ = nowLocked();
  anchorMicros_ = source_();
  paused_ = paused;
}

bool PlaybackClock::paused() const {
  std::lock_guard lock(mutex_);
  return paused_;
}

double PlaybackClock::nowLocked() const {
  if (paused_) return anchorMsec_;
  return anchorMsec_ + static_cast<double>(source_() - anchorMicros_) / 1000.0;
}

double PlaybackClock::nowMsec() const {
  std::lock_guard lock(mutex_);
  return nowLocked();
}

bool PlaybackClock::isLate(double msec, uint64_t generation, double slackMsec) const {
  std::lock_guard lock(mutex_);
  if (paused_ || generation != generation_) return false;
  return nowLocked() > msec + slackMsec;
}

}  // namespace viewer
