#include "movie/movie_capture.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

#include "movie/frame_cache.h"

namespace movie {

namespace {

MadeMovieCapture failed(MovieOpenError::Kind kind, std::string text) {
  return MadeMovieCapture::failed({kind, std::move(text)});
}

}  // namespace

// While a movie plays, the next frames are decoded on a thread of their own while the
// caller converts and shows the current one; the reader keeps up to kReadAhead frames
// ready, so it never waits for the caller to come back for one. Every other use of
// the decoder waits until the read in progress is over and keeps what was read ahead
// with the recent frames, so the capture behaves as if the frames were read one at a
// time.
//
// A seek to a frame number is not passed on at once: the next query comes by the
// frame (kept in memory, or from the decoder), so that the decoder does no more work
// than it must.
struct MovieCapture::Reader {
  static constexpr size_t kReadAhead = 2;

  std::unique_ptr<MovieDecoder> decoder;
  DecodedFrame current;  // the frame handed out
  MovieFrame view;
  std::deque<DecodedFrame> ahead;  // the frames after `current`; no picture: the end

  // The frame the next query hands out; -1 when it is whatever the decoder reads next.
  long want = -1;
  bool seekPending = false;  // `want` was set by a seek that nothing has read yet
  // The positions after the frame handed out.
  double posFrames = 0;
  double posMsec = 0;
  FrameCache cache{kCacheFrames, kCacheBytes};
  SeekCounts counts;

  std::mutex m;
  std::condition_variable changed;
  bool reading = false;       // the reader is decoding: it owns the decoder
  bool readAhead = false;     // the movie is playing: the reader may read on
  bool aheadEnded = false;    // the last frame read ahead was the end of the movie
  bool lastWasQuery = false;  // two queries in a row: the movie is playing
  bool stop = false;
  std::thread reader;

  double frameCount() const { return decoder->facts().frameCount; }

  // Comes by frame n the cheapest way: from memory, or from the decoder, which reads
  // on or seeks as costs least.
  bool fetch(long n, DecodedFrame& d) {
    if (const DecodedFrame* kept = cache.find(n)) {
      ++counts.fromMemory;
      d = *kept;
      return true;
    }
    const bool readsNext = decoder->next() == n;
    const int seeksBefore = decoder->containerSeeks();
    const bool ok = decoder->seekTo(n) && decoder->read(d);
    if (decoder->containerSeeks() > seeksBefore) {
      ++counts.plainSeeks;
    } else if (ok && !readsNext) {
      ++counts.forwardDecodes;
    }
    if (ok) cache.put(d.number, d);
    return ok;
  }
  bool readNext(DecodedFrame& d) {
    if (!decoder->read(d)) return false;
    cache.put(d.number, d);
    return true;
  }
  // The time of the frame before the one a pending seek goes to, as after reading it.
  double pendingMsec() {
    if (want <= 0) return 0;
    DecodedFrame before;
    return fetch(want - 1, before) ? before.msec : 0;
  }

  bool readerHasWork() const { return readAhead && !aheadEnded && ahead.size() < kReadAhead; }
  void readerLoop() {
    std::unique_lock lock(m);
    for (;;) {
      changed.wait(lock, [this] { return stop || readerHasWork(); });
      if (stop) return;
      reading = true;
      lock.unlock();
      DecodedFrame d;
      if (!decoder->read(d)) d = {};
      lock.lock();
      reading = false;
      if (!d.picture) aheadEnded = true;  // nothing to read past the end
      ahead.push_back(std::move(d));
      changed.notify_all();
    }
  }
  // Waits until the reader has let go of the decoder.
  void waitIdle(std::unique_lock<std::mutex>& lock) {
    changed.wait(lock, [this] { return !reading; });
  }
  // Reads no further; the frames read ahead are kept with the recent ones.
  void dropReadAhead() {
    for (const DecodedFrame& d : ahead) {
      if (d.picture) cache.put(d.number, d);
    }
    ahead.clear();
    readAhead = false;
    aheadEnded = false;
  }
  void startReadAhead() {
    readAhead = true;
    if (!reader.joinable()) {
      try {
        reader = std::thread([this] { readerLoop(); });
      } catch (const std::system_error&) {
        readAhead = false;  // no thread to spare: the frames are read when asked for
        return;
      }
    }
    changed.notify_all();
  }
  void stopReader() {
    {
      std::lock_guard lock(m);
      stop = true;
    }
    changed.notify_all();
    if (reader.joinable()) reader.join();
  }
  ~Reader() { stopReader(); }
};

MovieCapture::MovieCapture(std::unique_ptr<Reader> state) : state_(std::move(state)) {}
MovieCapture::~MovieCapture() {
  state_->stopReader();  // the decoder is not released under a read
}

MadeMovieCapture MovieCapture::open(const std::string& path) {
  std::error_code ec;
  if (path.empty() || !std::filesystem::is_regular_file(path, ec)) {
    return failed(MovieOpenError::NotAFile, "not a file: " + path);
  }
  // An absolute path never reads as one of FFmpeg's protocol prefixes ("pipe:", "http:").
  std::filesystem::path full = std::filesystem::absolute(path, ec);
  if (ec) {
    return failed(MovieOpenError::NoFullPath, "no full path for " + path + ": " + ec.message());
  }
  auto state = std::make_unique<Reader>();
  int why = 0;
  state->decoder = MovieDecoder::open(full.string(), &why);
  if (!state->decoder) {
    if (why == 2) return failed(MovieOpenError::NoPicture, "no picture in " + path);
    return failed(MovieOpenError::NotAMovie, "not a movie the decoder reads: " + path);
  }
  return MadeMovieCapture{std::unique_ptr<MovieCapture>(new MovieCapture(std::move(state))), {}};
}

const MovieFrame* MovieCapture::queryFrame() {
  Reader& s = *state_;
  std::unique_lock lock(s.m);
  // A frame being read ahead is the next one: wait for it rather than read past it.
  s.changed.wait(lock, [&s] { return !s.ahead.empty() || !s.reading; });
  DecodedFrame d;
  bool ok = false;
  bool inSequence = true;  // the decoder stands right after the frame handed out
  if (!s.ahead.empty()) {
    d = std::move(s.ahead.front());
    s.ahead.pop_front();
    ok = d.picture != nullptr;
    if (ok) s.cache.put(d.number, d);
  } else if (s.want >= 0) {
    ok = s.fetch(s.want, d);
    inSequence = ok && s.decoder->next() == d.number + 1;
  } else {
    ok = s.readNext(d);
  }
  s.want = -1;
  s.seekPending = false;
  const bool playing = s.lastWasQuery;
  s.lastWasQuery = true;
  s.view = {};
  if (!ok) {
    // As after reading what could be read: past the last frame decoded, no time.
    s.current = {};
    s.posFrames = static_cast<double>(s.decoder->lastDecoded() + 1);
    s.posMsec = 0;
    return nullptr;
  }
  s.current = std::move(d);
  // The frame after this one comes from the decoder when it stands there, else as
  // after a seek.
  const long after = s.current.number + 1;
  if (!s.readAhead && s.decoder->next() != after) s.want = after;
  s.posFrames = static_cast<double>(after);
  s.posMsec = s.current.msec;
  // Only while playing on from the decoder: after a seek the frames read ahead would
  // be thrown away again.
  if (playing && inSequence) s.startReadAhead();
  s.view.picture = s.current.picture.get();
  s.view.width = s.decoder->facts().width;
  s.view.height = s.decoder->facts().height;
  return &s.view;
}

double MovieCapture::property(int id) const {
  if (id < 0 || id >= kMoviePropertyCount) return 0.0;
  Reader& s = *state_;
  std::unique_lock lock(s.m);
  const StreamFacts& f = s.decoder->facts();
  const double frames = s.seekPending ? static_cast<double>(s.want) : s.posFrames;
  switch (id) {
    case kPosMsec:
      if (!s.seekPending) return s.posMsec;
      s.waitIdle(lock);
      return s.pendingMsec();
    case kPosFrames:
      return frames;
    case kPosAviRatio:
      // The relative position, 0 at the start and 1 after the last frame.
      return f.frameCount > 0 ? std::clamp(frames / f.frameCount, 0.0, 1.0) : 0.0;
    case kFrameWidth:
      return f.width;
    case kFrameHeight:
      return f.height;
    case kFps:
      return f.fps;
    case kFourcc:
      return f.fourcc;
    case kFrameCount:
      return f.frameCount;
    default:
      return 0.0;
  }
}

bool MovieCapture::setProperty(int id, double value) {
  if (id < 0 || id >= kMoviePropertyCount || !std::isfinite(value)) return false;
  Reader& s = *state_;
  std::unique_lock lock(s.m);
  const StreamFacts& f = s.decoder->facts();
  // Every position names a frame: the time at the movie's rate, the ratio of its length.
  double frame = 0;
  switch (id) {
    case kPosFrames:
      frame = value;
      break;
    case kPosMsec:
      frame = value / 1000.0 * f.fps;
      break;
    case kPosAviRatio:
      frame = value * f.frameCount;
      break;
    default:
      return false;  // what the movie is cannot be set
  }
  s.waitIdle(lock);
  s.dropReadAhead();
  s.lastWasQuery = false;
  // Past the end stands at the end; a movie that does not say its length is not cut.
  const double last = f.frameCount > 0 ? f.frameCount : static_cast<double>(LONG_MAX / 2);
  s.want = static_cast<long>(std::clamp(std::floor(frame), 0.0, last));
  s.seekPending = true;
  return true;
}

MovieCapture::SeekCounts MovieCapture::seekCounts() const {
  std::lock_guard lock(state_->m);
  return state_->counts;
}

void MovieCapture::keepFrame(int frame) {
  std::lock_guard lock(state_->m);
  state_->cache.hold(frame);
}

}  // namespace movie
