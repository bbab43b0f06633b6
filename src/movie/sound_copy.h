// The sound of a movie copied unchanged, packet by packet, into a movie being written:
// composing changes the pictures, never the sound.
#pragma once

#include <memory>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVPacket;

namespace movie {

class SoundCopy {
 public:
  // Adds to `output`, before its header is written, one stream for each audio stream of
  // the movie at `path` that `output`'s container can hold. Null when there is none to
  // copy; `note` then says why where a user would want to know (sound the container
  // cannot hold), and is empty for a movie without sound.
  static std::unique_ptr<SoundCopy> open(const std::string& path, AVFormatContext* output,
                                         std::string& note);
  ~SoundCopy();
  SoundCopy(const SoundCopy&) = delete;
  SoundCopy& operator=(const SoundCopy&) = delete;

  // Stores the sound that starts before `seconds` from the movie's start, interleaved
  // with the pictures by the muxer. False when storing failed.
  bool copyUntil(double seconds);
  // The codecs of the streams copied, "aac" or "aac, ac3".
  const std::string& codecs() const { return codecs_; }

 private:
  SoundCopy(AVFormatContext* input, AVFormatContext* output);
  AVFormatContext* input_;
  AVFormatContext* output_;
  std::string codecs_;
  std::vector<int> outputStream_;  // per input stream: the output stream, or -1
  AVPacket* packet_;
  bool held_ = false;  // packet_ holds one read but not yet due
  bool ended_ = false;
};

}  // namespace movie
