#include "movie/frame_cache.h"

namespace movie {

void FrameCache::put(long frame, const DecodedFrame& d) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->frame != frame) continue;
    bytes_ -= it->d.bytes;
    entries_.erase(it);
    break;
  }
  entries_.push_front({frame, d});
  bytes_ += d.bytes;
  evict();
}

const DecodedFrame* FrameCache::find(long frame) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->frame != frame) continue;
    entries_.splice(entries_.begin(), entries_, it);
    return &entries_.front().d;
  }
  return nullptr;
}

void FrameCache::evict() {
  // From the least recent; the held frame and the one just put are passed over.
  auto it = entries_.end();
  while ((entries_.size() > maxFrames_ || bytes_ > maxBytes_) && it != entries_.begin()) {
    --it;
    if (it == entries_.begin() || it->frame == held_) continue;
    bytes_ -= it->d.bytes;
    it = entries_.erase(it);
  }
}

void FrameCache::clear() {
  entries_.clear();
  bytes_ = 0;
  held_ = -1;
}

}  // namespace movie
