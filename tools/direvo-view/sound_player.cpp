#include "sound_player.h"

#include <algorithm>
#include <chrono>

#include "movie/sound_decoder.h"
#include "platform/sound_output.h"
#include "playback_clock.h"

namespace viewer {

namespace {

// What is asked of the device when it does not say what it prefers.
constexpr int kSampleRate = 48000;
constexpr int kChannels = 2;
// How long the sound thread waits for room in the device's queue.
constexpr auto kFeedWait = std::chrono::milliseconds(10);

}  // namespace

std::unique_ptr<SoundPlayer> SoundPlayer::open(const std::string& path, bool loop,
                                               std::string* why) {
  const std::optional<plat::SoundFormat> preferred = plat::SoundOutput::preferredFormat();
  const int rate = preferred && preferred->sampleRate > 0 ? preferred->sampleRate : kSampleRate;
  std::unique_ptr<movie::SoundDecoder> decoder =
      movie::SoundDecoder::open(path, rate, kChannels, why);
  if (!decoder) {
    if (*why == movie::kNoSound) why->clear();  // a silent movie: nothing to say
    return nullptr;
  }
  std::unique_ptr<plat::SoundOutput> output = plat::SoundOutput::open(rate, kChannels, why);
  if (!output) return nullptr;
  output->setPaused(true);  // until the first frame shows
  return std::unique_ptr<SoundPlayer>(new SoundPlayer(std::move(decoder), std::move(output), loop));
}

SoundPlayer::SoundPlayer(std::unique_ptr<movie::SoundDecoder> decoder,
                         std::unique_ptr<plat::SoundOutput> output, bool loop)
    : decoder_(std::move(decoder)), output_(std::move(output)), loop_(loop) {
  thread_ = std::thread([this] { run(); });
}

SoundPlayer::~SoundPlayer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

int64_t SoundPlayer::clockMicros() {
  const int64_t now = counterMicros();
  std::lock_guard lock(mutex_);
  const int64_t heard = base_ + output_->playedMicroseconds();
  const bool silent = (ended_.load() && output_->pending() == 0) || !output_->ok();
  if (!silent || heard != lastHeard_) {
    lastHeard_ = heard;
    lastHeardAtMicros_ = now;
    return heard;
  }
  return lastHeard_ + (now - lastHeardAtMicros_);
}

void SoundPlayer::setPlaying(bool playing) {
  std::lock_guard lock(mutex_);
  playing_ = playing;
  if (!seeking_ && seekTo_ < 0) output_->setPaused(!playing);
}

void SoundPlayer::seekToMsec(double msec) {
  {
    std::lock_guard lock(mutex_);
    playing_ = false;
    output_->setPaused(true);
    seekTo_ = std::max(0.0, msec);
  }
  changed_.notify_all();
}

void SoundPlayer::run() {
  movie::SoundBlock block;
  size_t at = 0;  // frames of the block written
  const int channels = decoder_->channels();
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    const double seekTo = seekTo_;
    seekTo_ = -1;
    if (seekTo >= 0) {
      // The device's clock restarts at 0: ours goes on from where it stood.
      seeking_ = true;
      base_ += output_->playedMicroseconds();
      output_->clear();
      lock.unlock();
      block.samples.clear();
      at = 0;
      ended_ = !decoder_->seekToMsec(seekTo);
      lock.lock();
      seeking_ = false;
      if (playing_ && seekTo_ < 0) output_->setPaused(false);
      continue;
    }
    lock.unlock();
    if (!ended_ && at >= block.frames(channels)) {
      at = 0;
      if (!decoder_->read(block)) {
        // Round again with the pictures, or stop writing: the clock then runs on alone.
        ended_ = !(loop_ && decoder_->seekToMsec(0) && decoder_->read(block));
      }
    }
    size_t wrote = 0;
    if (!ended_ && at < block.frames(channels)) {
      wrote = output_->write(block.samples.data() + at * channels, block.frames(channels) - at);
      at += wrote;
    }
    lock.lock();
    const auto asked = [this] { return stopping_ || seekTo_ >= 0; };
    if (ended_) {
      changed_.wait(lock, asked);  // nothing to do until a seek
    } else if (wrote == 0) {
      changed_.wait_for(lock, kFeedWait, asked);  // the device's queue is full
    }
  }
}

}  // namespace viewer
