// The movie's recently decoded frames, kept by frame number, so that going back to a
// frame already seen needs no decoding. Bounded by a number of frames and a number of
// bytes; one frame may be held beyond both.
#pragma once

#include <cstddef>
#include <list>

#include "movie/movie_decoder.h"

namespace movie {

class FrameCache {
 public:
  FrameCache(size_t maxFrames, size_t maxBytes) : maxFrames_(maxFrames), maxBytes_(maxBytes) {}

  // Keeps `d` (sharing its picture) as frame number `frame`, the most recent. The
  // least recent frames go while over budget.
  void put(long frame, const DecodedFrame& d);
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
  void evict();

  size_t maxFrames_;
  size_t maxBytes_;
  size_t bytes_ = 0;
  long held_ = -1;
  std::list<Entry> entries_;  // most recent first
};

}  // namespace movie
