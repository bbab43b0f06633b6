// The default sound output device, playing 16-bit samples that one thread queues, with
// the clock of what is heard now. The samples wait in a queue of our own, which the
// display thread hands to the device as it takes them; queuing never blocks. One thread
// (not the display thread) makes all the calls of an output, and destroys it before the
// program's entry returns (closing the device is the display thread's work).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace plat {

struct SoundFormat {
  int sampleRate = 0;
  int channels = 0;
};

class SoundOutput {
 public:
  // The default output device's own format (rate and channels); nothing when there is
  // no device.
  static std::optional<SoundFormat> preferredFormat();
  // The default output device playing interleaved 16-bit samples at this rate and
  // channel count, started and waiting for samples. Null when there is no device or it
  // refuses the format, with the reason for people in *why. Returns promptly either way.
  static std::unique_ptr<SoundOutput> open(int sampleRate, int channels, std::string* why);
  ~SoundOutput();
  SoundOutput(const SoundOutput&) = delete;
  SoundOutput& operator=(const SoundOutput&) = delete;

  // Queues as many of the `frames` frames (one sample per channel each) as fit now;
  // returns how many it took. Never blocks.
  size_t write(const int16_t* samples, size_t frames);
  // The frames the queue takes now.
  size_t room() const;
  // The frames written since opening or the last clear that have not been heard yet
  // (in the queue or in the device).
  size_t pending() const;
  // The time of the sample heard now, from the first sample written since opening or
  // the last clear: the viewer's clock. It stands still while paused and when all that
  // was written has been heard, and never goes back.
  int64_t playedMicroseconds() const;
  // Pauses and resumes the device where it stands.
  void setPaused(bool paused);
  // Drops all that is queued and not heard yet (for a seek); the clock starts again at 0
  // with the next sample written. A paused output stays paused.
  void clear();
  // False once the device has failed (unplugged, the sound server gone); the output is
  // then silent and its clock stands still.
  bool ok() const;

  int sampleRate() const;
  int channels() const;

 private:
  struct State;
  explicit SoundOutput(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace plat
