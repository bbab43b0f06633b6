#include "app/movie_capture.h"

#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

namespace app {

namespace {

// Our property numbers in OpenCV's terms (the numbers happen to agree; the table says
// so instead of relying on it).
constexpr int kCvProperty[kMoviePropertyCount] = {
    cv::CAP_PROP_POS_MSEC,     cv::CAP_PROP_POS_FRAMES,   cv::CAP_PROP_POS_AVI_RATIO,
    cv::CAP_PROP_FRAME_WIDTH,  cv::CAP_PROP_FRAME_HEIGHT, cv::CAP_PROP_FPS,
    cv::CAP_PROP_FOURCC,       cv::CAP_PROP_FRAME_COUNT,
};

void SetError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

// Brings a decoded picture to 8-bit blue-green-red; false for layouts we cannot read.
bool ToPackedBgr(const cv::Mat& in, cv::Mat& out) {
  cv::Mat bytes;
  switch (in.depth()) {
    case CV_8U: bytes = in; break;
    case CV_16U: in.convertTo(bytes, CV_8U, 1.0 / 256.0); break;
    case CV_32F:
    case CV_64F: in.convertTo(bytes, CV_8U, 255.0); break;
    default: in.convertTo(bytes, CV_8U); break;
  }
  switch (bytes.channels()) {
    case 3: out = bytes; return true;
    case 1: cv::cvtColor(bytes, out, cv::COLOR_GRAY2BGR); return true;
    case 4: cv::cvtColor(bytes, out, cv::COLOR_BGRA2BGR); return true;
    default: return false;
  }
}

}  // namespace

// One decoded picture with the reading position right after it was read.
struct DecodedFrame {
  cv::Mat mat;
  bool ok = false;
  double position[3] = {};  // milliseconds, frames, ratio
};

// While a movie plays, the next frames are decoded on a thread of their own while the
// caller converts and shows the current one; the reader keeps up to kReadAhead frames
// ready, so it never waits for the caller to come back for one. Every other use of
// the decoder waits until the read in progress is over and drops what was read
// ahead, so the capture behaves as if the frames were read one at a time.
struct MovieCapture::State {
  static constexpr size_t kReadAhead = 2;

  cv::VideoCapture capture;
  std::string path;         // the movie's full path, for opening it anew
  double seekTarget = -1;   // the frame the last seek asked for, until it is read
  cv::Mat frame;  // the handed-out frame: `current.mat` itself or its conversion
  MovieFrame view;
  DecodedFrame current;
  std::deque<DecodedFrame> ahead;  // the frames after `current`, in order
  std::vector<cv::Mat> spare;      // buffers to decode into again

  std::mutex m;
  std::condition_variable changed;
  bool reading = false;       // the reader is decoding: it owns the capture
  bool readAhead = false;     // the movie is playing: the reader may read on
  bool aheadEnded = false;    // the last frame read ahead was the end of the movie
  bool positionKnown = false;
  bool lastWasQuery = false;  // two queries in a row: the movie is playing
  bool stop = false;
  std::thread reader;

  void read(DecodedFrame& d) {
    try {
      d.ok = capture.read(d.mat) && !d.mat.empty() && d.mat.dims == 2;
      for (int i = 0; i < 3; ++i) d.position[i] = capture.get(kCvProperty[i]);
    } catch (...) {
      d.ok = false;
    }
  }
  // Some movies cannot be sought in (the decoder cannot go back to the start of a
  // one-frame movie): when the read after a seek fails, the movie is opened anew and
  // read forward to the frame asked for.
  void readFromStart(DecodedFrame& d, double target) {
    try {
      capture.release();
      if (!capture.open(path, cv::CAP_FFMPEG)) return;
      for (double n = 0; n < target; ++n) {
        if (!capture.grab()) return;
      }
    } catch (...) {
      return;
    }
    read(d);
  }
  bool readerHasWork() const {
    return readAhead && !aheadEnded && ahead.size() < kReadAhead;
  }
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
  // Forgets the frames read ahead and reads no further: the decoder's own position is
  // the one after `current` again.
  void dropReadAhead() {
    for (DecodedFrame& d : ahead) spare.push_back(std::move(d.mat));
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
  ~State() { stopReader(); }
};

MovieCapture::MovieCapture(std::unique_ptr<State> state) : state_(std::move(state)) {}
MovieCapture::~MovieCapture() {
  state_->stopReader();  // the decoder is not released under a read
  try {
    state_->capture.release();
  } catch (...) {
  }
}

std::unique_ptr<MovieCapture> MovieCapture::open(const std::string& path, std::string* error) {
  std::error_code ec;
  if (path.empty() || !std::filesystem::is_regular_file(path, ec)) {
    SetError(error, "not a file: " + path);
    return nullptr;
  }
  // An absolute path never reads as one of FFmpeg's protocol prefixes ("pipe:", "http:").
  std::filesystem::path full = std::filesystem::absolute(path, ec);
  if (ec) {
    SetError(error, "no full path for " + path + ": " + ec.message());
    return nullptr;
  }
  auto state = std::make_unique<State>();
  state->path = full.string();
  try {
    if (!state->capture.open(full.string(), cv::CAP_FFMPEG) || !state->capture.isOpened()) {
      SetError(error, "not a movie the decoder reads: " + path);
      return nullptr;
    }
    if (state->capture.get(cv::CAP_PROP_FRAME_WIDTH) < 1 ||
        state->capture.get(cv::CAP_PROP_FRAME_HEIGHT) < 1) {
      SetError(error, "no picture in " + path);
      return nullptr;
    }
  } catch (const cv::Exception& e) {
    SetError(error, "the decoder failed on " + path + ": " + e.what());
    return nullptr;
  } catch (...) {
    SetError(error, "the decoder failed on " + path);
    return nullptr;
  }
  return std::unique_ptr<MovieCapture>(new MovieCapture(std::move(state)));
}

const MovieFrame* MovieCapture::queryFrame() {
  State& s = *state_;
  std::unique_lock lock(s.m);
  // A frame being read ahead is the next one: wait for it rather than read past it.
  s.changed.wait(lock, [&s] { return !s.ahead.empty() || !s.reading; });
  s.view = {};
  if (!s.ahead.empty()) {
    // The old buffer goes to the reader; `frame` stops pointing at it below, before
    // the reader can have the lock again.
    s.spare.push_back(std::move(s.current.mat));
    s.current = std::move(s.ahead.front());
    s.ahead.pop_front();
  } else {
    s.read(s.current);
    if (!s.current.ok && s.seekTarget >= 0) s.readFromStart(s.current, s.seekTarget);
  }
  s.seekTarget = -1;
  s.positionKnown = true;
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
  // Only while playing: after a seek the next read would be thrown away again.
  if (playing) s.startReadAhead();
  s.view.bgr = s.frame.ptr<uint8_t>(0);
  s.view.width = s.frame.cols;
  s.view.height = s.frame.rows;
  s.view.stride = static_cast<int>(s.frame.step[0]);
  return &s.view;
}

double MovieCapture::property(int id) const {
  if (id < 0 || id >= kMoviePropertyCount) return 0.0;
  State& s = *state_;
  std::unique_lock lock(s.m);
  // The position is the one after the frame handed out, not after the one read ahead.
  if (id < 3 && s.positionKnown) return s.current.position[id];
  s.waitIdle(lock);
  try {
    return s.capture.get(kCvProperty[id]);
  } catch (...) {
    return 0.0;
  }
}

bool MovieCapture::setProperty(int id, double value) {
  if (id < 0 || id >= kMoviePropertyCount || !std::isfinite(value)) return false;
  State& s = *state_;
  std::unique_lock lock(s.m);
  s.waitIdle(lock);
  s.dropReadAhead();
  s.positionKnown = false;
  s.lastWasQuery = false;
  s.seekTarget = id == kPosFrames ? std::max(value, 0.0) : -1;
  try {
    return s.capture.set(kCvProperty[id], value);
  } catch (...) {
    return false;
  }
}

}  // namespace app
