// The sound output on Qt Multimedia's audio sink. The sink belongs to the display thread:
// a timer there moves samples from our queue into it as it takes them and notes how much
// of what it was given it has processed, which is the clock.
#include "platform/sound_output.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <vector>

#include "platform/qt/display.h"

namespace plat {

namespace {

using Clock = std::chrono::steady_clock;

// How often the display thread feeds the device, and how much the queue holds.
constexpr int kFeedMsec = 10;
constexpr int kQueueMsec = 250;

// Qt Multimedia says on the terminal that there is no sound server or no device; the
// programs say it in their own words. Messages made on the display thread while it works
// the sink are dropped, all others go where they went before.
thread_local bool quiet = false;
QtMessageHandler previousHandler = nullptr;

void dropWhileQuiet(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (quiet) return;
  if (previousHandler) {
    previousHandler(type, context, text);
  } else {
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
  }
}

// Runs fn on the display thread with Qt's messages made meanwhile dropped.
void runQuietlyOnDisplay(const std::function<void()>& fn) {
  qt::runOnDisplay([&] {
    static std::once_flag installed;
    std::call_once(installed, [] { previousHandler = qInstallMessageHandler(dropWhileQuiet); });
    quiet = true;
    fn();
    quiet = false;
  });
}

QAudioFormat formatOf(int sampleRate, int channels) {
  QAudioFormat f;
  f.setSampleRate(sampleRate);
  f.setChannelCount(channels);
  f.setSampleFormat(QAudioFormat::Int16);
  return f;
}

}  // namespace

struct SoundOutput::State {
  int rate = 0;
  int channels = 0;
  size_t frameBytes = 0;

  mutable std::mutex m;
  // The queue: a ring of frames.
  std::vector<int16_t> ring;
  size_t capacity = 0;  // frames
  size_t head = 0;      // the first frame queued
  size_t queued = 0;
  // The clock, in frames since opening or the last clear: all handed to the device, and
  // what it had played of that when it last changed, at `heardAt`.
  int64_t handed = 0;
  int64_t heard = 0;
  Clock::time_point heardAt;
  bool running = false;  // the device is playing: the clock runs on between feeds
  bool paused = false;
  bool failed = false;
  mutable int64_t shown = 0;  // the latest time told, which the clock never goes back from

  // Display thread only.
  QAudioSink* sink = nullptr;
  QIODevice* io = nullptr;
  QTimer* timer = nullptr;

  qint64 processedAtStart = 0;  // the sink's count when it was last started

  // The frames the device has played of those handed to it; display thread. Qt counts
  // them as processed: on PulseAudio the stream's playing position, which lags what was
  // handed over by what the server still holds (measured on a null sink: it ends exactly
  // at the last sample handed over). Qt's count of free bytes is no measure of that: it
  // stays at nothing for long stretches while the stream plays.
  int64_t playedByDevice() const {
    const qint64 us = std::max<qint64>(sink->processedUSecs() - processedAtStart, 0);
    return us * rate / 1000000;
  }

  // Hands the device what it takes of the queue and notes what it has played; display
  // thread.
  void feed() {
    if (!sink || !io) return;
    const QAudio::State s = sink->state();
    if (s == QAudio::StoppedState && sink->error() != QAudio::NoError) {
      std::lock_guard lock(m);
      failed = true;
      running = false;
      return;
    }
    std::vector<int16_t> chunk;
    {
      std::lock_guard lock(m);
      const size_t free =
          static_cast<size_t>(std::max<qsizetype>(sink->bytesFree(), 0)) / frameBytes;
      const size_t n = std::min(free, queued);
      chunk.reserve(n * channels);
      for (size_t i = 0, at = head; i < n; ++i, at = (at + 1) % capacity) {
        chunk.insert(chunk.end(), ring.begin() + at * channels, ring.begin() + (at + 1) * channels);
      }
    }
    qint64 taken = 0;
    if (!chunk.empty()) {
      taken = io->write(reinterpret_cast<const char*>(chunk.data()),
                        static_cast<qint64>(chunk.size() * sizeof(int16_t)));
    }
    const int64_t frames = std::max<qint64>(taken, 0) / static_cast<qint64>(frameBytes);
    const int64_t played = playedByDevice();
    const bool playing = sink->state() == QAudio::ActiveState;
    std::lock_guard lock(m);
    head = (head + frames) % capacity;
    queued -= frames;
    handed += frames;
    const int64_t nowHeard = std::clamp<int64_t>(played, 0, handed);
    if (nowHeard != heard) {
      heard = nowHeard;
      heardAt = Clock::now();
    }
    running = playing && !paused;
  }

  // Display thread.
  void close() {
    delete timer;
    timer = nullptr;
    if (sink) sink->stop();
    delete sink;
    sink = nullptr;
    io = nullptr;
  }

  int64_t playedFrames() const {
    std::lock_guard lock(m);
    int64_t now = heard;
    if (running) {
      const auto since =
          std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - heardAt);
      now += since.count() * rate / 1000000;
    }
    now = std::min(now, handed);
    shown = std::max(shown, now);
    return shown;
  }
};

std::optional<SoundFormat> SoundOutput::preferredFormat() {
  std::optional<SoundFormat> format;
  runQuietlyOnDisplay([&] {
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return;
    const QAudioFormat f = device.preferredFormat();
    format = SoundFormat{f.sampleRate(), f.channelCount()};
  });
  return format;
}

std::unique_ptr<SoundOutput> SoundOutput::open(int sampleRate, int channels, std::string* why) {
  if (why) why->clear();
  const auto say = [why](std::string reason) {
    if (why) *why = std::move(reason);
    return nullptr;
  };
  if (sampleRate < 1 || channels < 1) return say("no sound can be played in that format");
  auto state = std::make_unique<State>();
  state->rate = sampleRate;
  state->channels = channels;
  state->frameBytes = sizeof(int16_t) * static_cast<size_t>(channels);
  state->capacity = std::max<size_t>(static_cast<size_t>(sampleRate) * kQueueMsec / 1000, 1);
  state->ring.resize(state->capacity * channels);
  std::string failed;
  runQuietlyOnDisplay([&] {
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
      failed = "there is no sound output device";
      return;
    }
    const QAudioFormat format = formatOf(sampleRate, channels);
    const std::string name = device.description().toStdString();
    if (!device.isFormatSupported(format)) {
      failed = "the sound device (" + name + ") does not play 16-bit sound at " +
               std::to_string(sampleRate) + " Hz with " + std::to_string(channels) + " channels";
      return;
    }
    // The device's own buffer size: a smaller one asked for (120 ms) made PulseAudio
    // hold the stream for a second before it started to play.
    state->sink = new QAudioSink(device, format);
    state->io = state->sink->start();
    state->processedAtStart = state->sink->processedUSecs();
    if (!state->io || state->sink->error() != QAudio::NoError) {
      failed = "the sound device (" + name + ") cannot be opened";
      state->close();
      return;
    }
    state->timer = new QTimer;
    state->timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(state->timer, &QTimer::timeout, [s = state.get()] {
      quiet = true;
      s->feed();
      quiet = false;
    });
    state->timer->start(kFeedMsec);
  });
  if (!failed.empty()) return say(failed);
  return std::unique_ptr<SoundOutput>(new SoundOutput(std::move(state)));
}

SoundOutput::SoundOutput(std::unique_ptr<State> state) : state_(std::move(state)) {}

SoundOutput::~SoundOutput() {
  qt::runOnDisplay([s = state_.get()] { s->close(); });
}

size_t SoundOutput::write(const int16_t* samples, size_t frames) {
  State& s = *state_;
  std::lock_guard lock(s.m);
  const size_t n = std::min(frames, s.capacity - s.queued);
  for (size_t i = 0, at = (s.head + s.queued) % s.capacity; i < n;
       ++i, at = (at + 1) % s.capacity) {
    std::copy_n(samples + i * s.channels, s.channels, s.ring.begin() + at * s.channels);
  }
  s.queued += n;
  return n;
}

size_t SoundOutput::room() const {
  std::lock_guard lock(state_->m);
  return state_->capacity - state_->queued;
}

size_t SoundOutput::pending() const {
  const int64_t played = state_->playedFrames();
  std::lock_guard lock(state_->m);
  return state_->queued + static_cast<size_t>(std::max<int64_t>(state_->handed - played, 0));
}

int64_t SoundOutput::playedMicroseconds() const {
  return state_->playedFrames() * 1000000 / state_->rate;
}

void SoundOutput::setPaused(bool paused) {
  State& s = *state_;
  runQuietlyOnDisplay([&] {
    {
      std::lock_guard lock(s.m);
      if (s.paused == paused) return;
      s.paused = paused;
      if (paused) {
        s.running = false;
        s.heard = std::max(s.heard, s.shown);  // stands where it was last told
      }
      s.heardAt = Clock::now();  // runs on from now on resuming
    }
    if (!s.sink) return;
    if (paused) {
      s.sink->suspend();
    } else {
      s.sink->resume();
    }
  });
}

void SoundOutput::clear() {
  State& s = *state_;
  runQuietlyOnDisplay([&] {
    {
      std::lock_guard lock(s.m);
      s.head = s.queued = 0;
      s.handed = s.heard = s.shown = 0;
      s.heardAt = Clock::now();
      s.running = false;
    }
    if (!s.sink) return;
    // Stopping drops what the device holds; it starts again empty.
    s.sink->stop();
    s.io = s.sink->start();
    s.processedAtStart = s.sink->processedUSecs();
    if (!s.io) {
      std::lock_guard lock(s.m);
      s.failed = true;
      return;
    }
    std::lock_guard lock(s.m);
    if (s.paused) s.sink->suspend();
  });
}

bool SoundOutput::ok() const {
  std::lock_guard lock(state_->m);
  return !state_->failed;
}

int SoundOutput::sampleRate() const {
  return state_->rate;
}
int SoundOutput::channels() const {
  return state_->channels;
}

}  // namespace plat
