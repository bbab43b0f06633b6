// A movie's sound through FFmpeg's libraries: its main sound stream decoded and
// converted to interleaved signed 16-bit samples at the rate and channel count the
// caller names (what its sound device takes), block by block, each with its time on the
// same clock as the pictures MovieDecoder hands out.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace movie {

// Samples that follow each other in the stream, channels interleaved.
struct SoundBlock {
  std::vector<int16_t> samples;
  // The time of its first sample from the start of the movie's picture stream (the
  // origin of DecodedFrame::msec), or from the first sound when there is no picture.
  double msec = 0;
  size_t frames(int channels) const { return channels > 0 ? samples.size() / channels : 0; }
};

// Why a movie without a sound stream has no sound decoder: the one reason that is no
// fault.
inline constexpr const char* kNoSound = "it has no sound";

class SoundDecoder {
 public:
  // The movie's main sound stream (the one FFmpeg's own programs play) at `path`, converted to
  // `sampleRate` samples a second of `channels` channels. Null when the file cannot be read, holds
  // no sound or its sound cannot be decoded, or the rate or count is out of range; *why then says
  // which, for people.
  static std::unique_ptr<SoundDecoder> open(const std::string& path, int sampleRate, int channels,
                                            std::string* why);
  ~SoundDecoder();
  SoundDecoder(const SoundDecoder&) = delete;
  SoundDecoder& operator=(const SoundDecoder&) = delete;

  // The next block; false at the end of the sound. Packets the decoder refuses as
  // damaged are passed over.
  bool read(SoundBlock& out);
  // Places the decoder so that the next block starts with the sample at `msec` (on the
  // blocks' clock), or with the first sample when the sound starts later. It decodes
  // from a little before `msec` and drops what comes before it; a time before the
  // sound's start, or a container that cannot seek, reads the file from its start.
  // False when the sound ends before `msec`: the decoder then stands at its end.
  bool seekToMsec(double msec);

  int sampleRate() const;
  int channels() const;
  // The codec's name ("aac"), for messages.
  const std::string& codec() const;

 private:
  struct State;
  explicit SoundDecoder(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace movie
