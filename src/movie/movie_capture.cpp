#include "movie/movie_capture.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <mutex>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>
#include <system_error>
#include <thread>
#include <vector>

#include "movie/frame_cache.h"
#include "movie/seek_planner.h"

namespace movie {

namespace {

// Our property numbers in OpenCV's terms (the numbers happen to agree; the table says
// so instead of relying on it).
constexpr int kCvProperty[kMoviePropertyCount] = {
    cv::CAP_PROP_POS_MSEC,    cv::CAP_PROP_POS_FRAMES,   cv::CAP_PROP_POS_AVI_RATIO,
    cv::CAP_PROP_FRAME_WIDTH, cv::CAP_PROP_FRAME_HEIGHT, cv::CAP_PROP_FPS,
    cv::CAP_PROP_FOURCC,      cv::CAP_PROP_FRAME_COUNT,
};

MadeMovieCapture failed(MovieOpenError::Kind kind, std::string text) {
  return MadeMovieCapture::failed({kind, std::move(text)});
}

// Brings a decoded picture to 8-bit blue-green-red; false for layouts we cannot read.
bool ToPackedBgr(const cv::Mat& in, cv::Mat& out) {
  cv::Mat bytes;
  switch (in.depth()) {
    case CV_8U:
      bytes = in;
      break;
    case CV_16U:
      in.convertTo(bytes, CV_8U, 1.0 / 256.0);
      break;
    case CV_32F:
    case CV_64F:
      in.convertTo(bytes, CV_8U, 255.0);
      break;
    default:
      in.convertTo(bytes, CV_8U);
      break;
  }
  switch (bytes.channels()) {
    case 3:
      out = bytes;
      return true;
    case 1:
      cv::cvtColor(bytes, out, cv::COLOR_GRAY2BGR);
      return true;
    case 4:
      cv::cvtColor(bytes, out, cv::COLOR_BGRA2BGR);
      return true;
    default:
      return false;
  }
}

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

// While a movie plays, the next frames are decoded on a thread of their own while the
// caller converts and shows the current one; the reader keeps up to kReadAhead frames
// ready, so it never waits for the caller to come back for one. Every other use of
// the decoder waits until the read in progress is over and drops what was read
// ahead, so the capture behaves as if the frames were read one at a time.
//
// A seek to a frame number within the movie is not passed on at once: the next query
// decides how to come by the frame (kept in memory, or as the seek planner says: read
// forward, or sought), so that the decoder does no more work than it must.
struct MovieCapture::Reader {
  static constexpr size_t kReadAhead = 2;

  cv::VideoCapture capture;
  std::string path;        // the movie's full path, for opening it anew
  double frameCount = 0;   // at open
  double fps = 0;          // at open
  double seekTarget = -1;  // the frame the last seek asked for, until it is read
  cv::Mat frame;           // the handed-out frame: `current.mat` itself or its conversion
  MovieFrame view;
  DecodedFrame current;
  std::deque<DecodedFrame> ahead;  // the frames after `current`, in order
  std::vector<cv::Mat> spare;      // buffers to decode into again

  // The frame the next query hands out when the adapter is to come by it itself;
  // -1 when it is whatever the decoder reads next.
  long want = -1;
  bool seekPending = false;  // `want` was set by a seek that nothing has read yet
  SeekPlanner planner;       // where the decoder stands, what its steps cost
  FrameCache cache{kCacheFrames, kCacheBytes};
  SeekCounts counts;

  std::mutex m;
  std::condition_variable changed;
  bool reading = false;     // the reader is decoding: it owns the capture
  bool readAhead = false;   // the movie is playing: the reader may read on
  bool aheadEnded = false;  // the last frame read ahead was the end of the movie
  bool positionKnown = false;
  bool lastWasQuery = false;  // two queries in a row: the movie is playing
  bool stop = false;
  std::thread reader;

  void read(DecodedFrame& d) {
    try {
      d.ok = capture.read(d.mat) && !d.mat.empty() && d.mat.dims == 2;
      for (int i = 0; i < 3; ++i) d.position[i] = capture.get(kCvProperty[i]);
      // The frames FFmpeg drains from the decoder at the end of a movie with B-frames
      // come without a time stamp, read as 0: such a frame after the first gets the
      // time its number has at the movie's rate.
      if (d.ok && d.position[0] == 0 && d.position[1] > 1 && fps > 0) {
        d.position[0] = (d.position[1] - 1) * 1000.0 / fps;
      }
    } catch (...) {
      d.ok = false;
    }
  }
  // Reads the next frame into a buffer of its own: the one `d` had may be shared by
  // the frames kept in memory and by the frame handed out.
  void readIntoOwnBuffer(DecodedFrame& d) {
    d.mat = cv::Mat();
    if (!spare.empty()) {
      d.mat = std::move(spare.back());
      spare.pop_back();
    }
    read(d);
  }
  // The number a frame read is kept under: the one before the position after it.
  static long numberOf(const DecodedFrame& d) { return static_cast<long>(d.position[1]) - 1; }
  static long positionAfter(const DecodedFrame& d) {
    return d.ok ? static_cast<long>(d.position[1]) : -1;
  }
  // Some movies cannot be sought in (the decoder cannot go back to the start of a
  // one-frame movie): when the read after a seek fails, the movie is opened anew and
  // read forward to the frame asked for.
  void readFromStart(DecodedFrame& d, double target) {
    planner.breakRun();
    try {
      capture.release();
      if (!capture.open(path, cv::CAP_FFMPEG)) return;
      for (double n = 0; n < target; ++n) {
        if (!capture.grab()) return;
      }
    } catch (...) {
      return;
    }
    readIntoOwnBuffer(d);
  }
  // The next frame from the decoder. A read that follows a read is timed, to learn
  // what a frame costs in the run of a movie (the first after a seek costs more).
  void readNext(DecodedFrame& d) {
    const Clock::time_point start = Clock::now();
    readIntoOwnBuffer(d);
    planner.frameRead(d.ok, positionAfter(d), millisecondsSince(start));
  }
  // The frame `target` as the decoder gives it after a seek, timed to learn what a
  // seek costs.
  void seekAndRead(long target, DecodedFrame& d) {
    ++counts.plainSeeks;
    const Clock::time_point start = Clock::now();
    try {
      capture.set(cv::CAP_PROP_POS_FRAMES, static_cast<double>(target));
    } catch (...) {
    }
    planner.breakRun();
    readNext(d);
    if (!d.ok) {
      readFromStart(d, static_cast<double>(target));
      planner.setDecoderNext(positionAfter(d));
      return;
    }
    planner.seekRead(millisecondsSince(start));
  }
  // Reads forward to `target`; false (the decoder's place then unknown) when a frame
  // on the way cannot be read or the frame read is not the one asked for.
  bool readForwardTo(long target, DecodedFrame& d) {
    const Clock::time_point start = Clock::now();
    const bool timed = planner.inRun();
    const long from = planner.decoderNext();
    try {
      for (long n = from; n < target; ++n) {
        if (!capture.grab()) {
          planner.setDecoderNext(-1);
          return false;
        }
      }
    } catch (...) {
      planner.setDecoderNext(-1);
      return false;
    }
    planner.breakRun();  // timed below, as a whole
    readNext(d);
    if (!d.ok || numberOf(d) != target) {
      planner.setDecoderNext(-1);
      return false;
    }
    planner.forwardRead(from, target, millisecondsSince(start), timed);
    ++counts.forwardDecodes;
    return true;
  }
  // Comes by frame `want` the cheapest way; true when it came from memory.
  bool fetchWanted(DecodedFrame& d) {
    if (const DecodedFrame* kept = cache.find(want)) {
      ++counts.fromMemory;
      d = *kept;
      return true;
    }
    // Anything unexpected on the short ways (a frame that cannot be read, a number
    // that is not the one asked for) is left to the seek, which says what is there.
    switch (planner.plan(want)) {
      case SeekPlanner::Way::ReadNext:
        readNext(d);
        if (d.ok && numberOf(d) == want) return false;
        break;
      case SeekPlanner::Way::Forward:
        if (readForwardTo(want, d)) return false;
        break;
      case SeekPlanner::Way::Seek:
        break;
    }
    seekAndRead(want, d);
    return false;
  }
  // Keeps the frame just read, when it is the one its number says.
  void keep(const DecodedFrame& d, long expected) {
    if (d.ok && numberOf(d) == expected) cache.put(expected, d, &spare);
  }
  // The seek asked for and not yet read is made now, as a plain seek, so that the
  // positions read back before the next frame are the decoder's own.
  void settlePendingSeek() {
    if (!seekPending) return;
    seekPending = false;
    ++counts.plainSeeks;
    try {
      capture.set(cv::CAP_PROP_POS_FRAMES, static_cast<double>(want));
    } catch (...) {
    }
    planner.setDecoderNext(want);
    planner.breakRun();
    want = -1;
  }
  bool readerHasWork() const { return readAhead && !aheadEnded && ahead.size() < kReadAhead; }
  void readerLoop() {
    std::unique_lock lock(m);
    for (;;) {
      changed.wait(lock, [this] { return stop || readerHasWork(); });
      if (stop) return;
      reading = true;
      DecodedFrame d;
      if (!spare.empty()) {
        d.mat = std::move(spare.back());
        spare.pop_back();
      }
      lock.unlock();
      read(d);
      lock.lock();
      reading = false;
      if (!d.ok) aheadEnded = true;  // nothing to read past the end
      ahead.push_back(std::move(d));
      changed.notify_all();
    }
  }
  // Waits until the reader has let go of the capture.
  void waitIdle(std::unique_lock<std::mutex>& lock) {
    changed.wait(lock, [this] { return !reading; });
  }
  // Reads no further. The frames read ahead are kept with the recent ones; the
  // decoder's place is after the last of them.
  void dropReadAhead() {
    if (readAhead) planner.setDecoderNext(positionAfter(ahead.empty() ? current : ahead.back()));
    for (DecodedFrame& d : ahead) {
      if (d.ok) keep(d, numberOf(d));
    }
    ahead.clear();
    readAhead = false;
    aheadEnded = false;
  }
  void startReadAhead() {
    if (!reader.joinable()) reader = std::thread([this] { readerLoop(); });
    readAhead = true;
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
  try {
    state_->capture.release();
  } catch (...) {
  }
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
  state->path = full.string();
  try {
    if (!state->capture.open(full.string(), cv::CAP_FFMPEG) || !state->capture.isOpened()) {
      return failed(MovieOpenError::NotAMovie, "not a movie the decoder reads: " + path);
    }
    if (state->capture.get(cv::CAP_PROP_FRAME_WIDTH) < 1 ||
        state->capture.get(cv::CAP_PROP_FRAME_HEIGHT) < 1) {
      return failed(MovieOpenError::NoPicture, "no picture in " + path);
    }
    state->frameCount = state->capture.get(cv::CAP_PROP_FRAME_COUNT);
    state->fps = state->capture.get(cv::CAP_PROP_FPS);
    state->planner.setDecoderNext(static_cast<long>(state->capture.get(cv::CAP_PROP_POS_FRAMES)));
  } catch (const cv::Exception& e) {
    return failed(MovieOpenError::DecoderFailed, "the decoder failed on " + path + ": " + e.what());
  } catch (...) {
    return failed(MovieOpenError::DecoderFailed, "the decoder failed on " + path);
  }
  return MadeMovieCapture{std::unique_ptr<MovieCapture>(new MovieCapture(std::move(state))), {}};
}

const MovieFrame* MovieCapture::queryFrame() {
  Reader& s = *state_;
  std::unique_lock lock(s.m);
  // A frame being read ahead is the next one: wait for it rather than read past it.
  s.changed.wait(lock, [&s] { return !s.ahead.empty() || !s.reading; });
  s.view = {};
  bool fromMemory = false;
  if (!s.ahead.empty()) {
    s.current = std::move(s.ahead.front());
    s.ahead.pop_front();
    s.keep(s.current, Reader::numberOf(s.current));
    s.want = -1;  // the reader reads on from the decoder
  } else if (s.want >= 0) {
    const long wanted = s.want;
    fromMemory = s.fetchWanted(s.current);
    if (!fromMemory) s.keep(s.current, wanted);
  } else {
    // Nothing read ahead waits: the decoder stands after the frame in hand.
    const long expected = s.readAhead ? Reader::positionAfter(s.current) : s.planner.decoderNext();
    s.readNext(s.current);
    if (!s.current.ok && s.seekTarget >= 0) {
      s.readFromStart(s.current, s.seekTarget);
      s.planner.setDecoderNext(Reader::positionAfter(s.current));
    }
    if (expected >= 0) s.keep(s.current, expected);
  }
  s.seekTarget = -1;
  s.seekPending = false;
  s.positionKnown = true;
  // The frame after this one: the decoder's next, or, when the decoder stands
  // elsewhere, the one to come by as after a seek.
  const long next = Reader::positionAfter(s.current);
  if (!s.readAhead) s.want = next >= 0 && next != s.planner.decoderNext() ? next : -1;
  if (!s.current.ok) s.planner.setDecoderNext(-1);
  const bool playing = s.lastWasQuery;
  s.lastWasQuery = true;
  bool ok = false;
  try {
    ok = s.current.ok && ToPackedBgr(s.current.mat, s.frame);
  } catch (...) {
    ok = false;
  }
  if (!ok) {
    s.frame.release();
    return nullptr;
  }
  // Only while playing: after a seek the next read would be thrown away again. The
  // reader reads on from the decoder, so only when that is where the movie goes on.
  if (playing && s.want < 0 && !fromMemory) s.startReadAhead();
  s.view.bgr = s.frame.ptr<uint8_t>(0);
  s.view.width = s.frame.cols;
  s.view.height = s.frame.rows;
  s.view.stride = static_cast<int>(s.frame.step[0]);
  return &s.view;
}

double MovieCapture::property(int id) const {
  if (id < 0 || id >= kMoviePropertyCount) return 0.0;
  Reader& s = *state_;
  // The relative position, 0 at the start and 1 after the last frame, from the frame
  // position and the count: the decoder's own (FFmpeg's) gives a constant for many
  // movies.
  if (id == kPosAviRatio) {
    if (!(s.frameCount > 0)) return 0.0;
    return std::clamp(property(kPosFrames) / s.frameCount, 0.0, 1.0);
  }
  std::unique_lock lock(s.m);
  // The position is the one after the frame handed out, not after the one read ahead.
  if (id < 3 && s.positionKnown) return s.current.position[id];
  s.waitIdle(lock);
  if (id < 3) s.settlePendingSeek();
  try {
    return s.capture.get(kCvProperty[id]);
  } catch (...) {
    return 0.0;
  }
}

bool MovieCapture::setProperty(int id, double value) {
  if (id < 0 || id >= kMoviePropertyCount || !std::isfinite(value)) return false;
  Reader& s = *state_;
  std::unique_lock lock(s.m);
  s.waitIdle(lock);
  s.dropReadAhead();
  s.positionKnown = false;
  s.lastWasQuery = false;
  s.seekPending = false;
  s.seekTarget = id == kPosFrames ? std::max(value, 0.0) : -1;
  // A whole frame number within the movie: the next query comes by it.
  if (id == kPosFrames && value >= 0 && value < s.frameCount && value == std::floor(value)) {
    s.want = static_cast<long>(value);
    s.seekPending = true;
    return true;
  }
  s.want = -1;
  try {
    const bool taken = s.capture.set(kCvProperty[id], value);
    s.planner.setDecoderNext(-1);  // the decoder's own idea of the place; not ours to guess
    s.planner.breakRun();
    return taken;
  } catch (...) {
    return false;
  }
}

void silenceDecoderLog() {
  // A level set by hand (to see what FFmpeg says) is left as it is.
  ::setenv("OPENCV_FFMPEG_LOGLEVEL", "-8", 0);  // AV_LOG_QUIET
}

MovieCapture::SeekCounts MovieCapture::seekCounts() const {
  std::lock_guard lock(state_->m);
  return state_->counts;
}

void MovieCapture::keepFrame(int frame) {
  std::lock_guard lock(state_->m);
  state_->cache.hold(frame);
}

void MovieCapture::setForwardLimit(int frames) {
  std::lock_guard lock(state_->m);
  state_->planner.setForwardLimit(frames);
}

}  // namespace movie
