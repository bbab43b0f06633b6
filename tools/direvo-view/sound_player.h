// The movie's sound, played along: a thread decodes it and keeps the sound device's
// queue full, and the device's clock is the one the frames are shown by.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace movie {
class SoundDecoder;
}
namespace plat {
class SoundOutput;
}

namespace viewer {

class SoundPlayer {
 public:
  // The sound of the movie at `path` on the default device, waiting to start; null when
  // the movie has none (*why empty) or it cannot be played (*why says why).
  static std::unique_ptr<SoundPlayer> open(const std::string& path, bool loop, std::string* why);
  ~SoundPlayer();
  SoundPlayer(const SoundPlayer&) = delete;
  SoundPlayer& operator=(const SoundPlayer&) = delete;

  // Microseconds of sound heard since the start, never going back (a seek goes on from
  // where it stood); once the sound has ended (or the device failed), the wall clock
  // runs on from there.
  int64_t clockMicros();
  // Starts or pauses the sound; after a seek it starts once the sound is there.
  void setPlaying(bool playing);
  // Goes on from `msec`, paused until started again.
  void seekToMsec(double msec);

 private:
  SoundPlayer(std::unique_ptr<movie::SoundDecoder> decoder,
              std::unique_ptr<plat::SoundOutput> output, bool loop);
  void run();

  std::unique_ptr<movie::SoundDecoder> decoder_;
  std::unique_ptr<plat::SoundOutput> output_;
  const bool loop_;

  std::mutex mutex_;
  std::condition_variable changed_;
  double seekTo_ = -1;    // a seek the sound thread has not made yet
  bool seeking_ = false;  // the sound thread is making one
  bool playing_ = false;  // asked to play
  bool stopping_ = false;
  int64_t base_ = 0;                // the clock where the device's own restarted at the last seek
  std::atomic<bool> ended_{false};  // nothing more will be written until a seek
  // The clock past the end: the last time heard, and when.
  int64_t lastHeard_ = 0;
  int64_t lastHeardAtMicros_ = 0;
  std::thread thread_;
};

}  // namespace viewer
