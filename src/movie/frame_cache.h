// The movie's recently decoded frames, kept by frame number, so that going back to a
// frame already seen needs no decoding. Bounded by a number of frames and a number of
// bytes; one frame may be held beyond both.
#pragma once

#include <cstddef>
#include <list>
#include <opencv2/core.hpp>
#include <vector>

namespace movie {

// One decoded picture with the reading position right after it was read.
struct DecodedFrame {
  cv::Mat mat;
  bool ok = false;
  double position[3] = {};  // milliseconds, frames, ratio
};

class FrameCache {
 public:
  FrameCache(size_t maxFrames, size_t maxBytes) : maxFrames_(maxFrames), maxBytes_(maxBytes) {}

  // Keeps `d` (sharing its pixels) as frame number `frame`, the most recent. The least
  // recent frames go while over budget; a buffer nothing else shares is handed back in
  // *freed so that it can be decoded into again.
  void put(long frame, const DecodedFrame& d, std::vector<cv::Mat>* freed);
  // The frame kept as number `frame`, made the most recent; null when it is not kept.
  const DecodedFrame* find(long frame);
  // Frame `frame` stays, even over budget, until another is held (-1: none).
  void hold(long frame) { held_ = frame; }
  void clear();

  size_t frames() const { return entries_.size(); }
  size_t bytes() const { return bytes_; }

 private:
  struct Entry {
    long frame;
    DecodedFrame d;
  };
  void evict(std::vector<cv::Mat>* freed);

  size_t maxFrames_;
  size_t maxBytes_;
  size_t bytes_ = 0;
  long held_ = -1;
  std::list<Entry> entries_;  // most recent first
};

// Bytes of pixels a decoded picture takes.
size_t pictureBytes(const cv::Mat& m);

}  // namespace movie
