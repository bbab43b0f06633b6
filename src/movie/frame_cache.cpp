#include "movie/frame_cache.h"

namespace movie {

size_t pictureBytes(const cv::Mat& m) {
  return m.total() * m.elemSize();
}

void FrameCache::put(long frame, const DecodedFrame& d, std::vector<cv::Mat>* freed) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->frame != frame) continue;
    bytes_ -= pictureBytes(it->d.mat);
    entries_.erase(it);
    break;
  }
  entries_.push_front({frame, d});
  bytes_ += pictureBytes(d.mat);
  evict(freed);
}

const DecodedFrame* FrameCache::find(long frame) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->frame != frame) continue;
    entries_.splice(entries_.begin(), entries_, it);
    return &entries_.front().d;
  }
  return nullptr;
}

void FrameCache::evict(std::vector<cv::Mat>* freed) {
  // From the least recent; the held frame and the one just put are passed over.
  auto it = entries_.end();
  while ((entries_.size() > maxFrames_ || bytes_ > maxBytes_) && it != entries_.begin()) {
    --it;
    if (it == entries_.begin() || it->frame == held_) continue;
    bytes_ -= pictureBytes(it->d.mat);
    cv::Mat pixels = std::move(it->d.mat);
    it = entries_.erase(it);
    // Still shared (the frame in hand, a frame handed out): not ours to reuse.
    if (freed && pixels.u && pixels.u->refcount == 1) freed->push_back(std::move(pixels));
  }
}

void FrameCache::clear() {
  entries_.clear();
  bytes_ = 0;
  held_ = -1;
}

}  // namespace movie
