#include "movie/seek_planner.h"

#include <algorithm>

namespace movie {

namespace {

// A running mean that follows change: each new sample counts for a quarter.
void follow(double& mean, double sample) {
  mean = mean > 0 ? 0.75 * mean + 0.25 * sample : sample;
}

}  // namespace

SeekPlanner::Way SeekPlanner::plan(long target) const {
  if (decoderNext_ == target) return Way::ReadNext;
  return forwardIsCheaper(target) ? Way::Forward : Way::Seek;
}

bool SeekPlanner::forwardIsCheaper(long target) const {
  if (decoderNext_ < 0 || target <= decoderNext_) return false;
  const long distance = target - decoderNext_;
  if (forwardLimit_ >= 0) return distance <= forwardLimit_;
  if (distance < kSeekBackoff) return true;
  return frameMs_ > 0 && seekMs_ > 0 && static_cast<double>(distance + 1) * frameMs_ <= seekMs_;
}

void SeekPlanner::setForwardLimit(int frames) {
  forwardLimit_ = std::max(frames, -1);
}

void SeekPlanner::frameRead(bool ok, long positionAfter, double ms) {
  if (ok && inRun_) follow(frameMs_, ms);
  decoderNext_ = positionAfter;
  inRun_ = ok;
}

void SeekPlanner::seekRead(double ms) {
  follow(seekMs_, ms);
}

void SeekPlanner::forwardRead(long from, long target, double ms, bool timed) {
  if (timed) follow(frameMs_, ms / static_cast<double>(target - from + 1));
}

}  // namespace movie
