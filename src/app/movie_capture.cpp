#include "app/movie_capture.h"

#include <bit>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <cstring>
#include <filesystem>
#include <system_error>

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

// While a movie plays, the next frame is decoded on a thread of its own while the
// caller converts and shows the current one. Every other use of the decoder waits
// until that read is over and drops what it read, so the capture behaves as if the
// frames were read one at a time.
struct MovieCapture::State {
  cv::VideoCapture capture;
  cv::Mat frame;  // the handed-out frame: `current.mat` itself or its conversion
  MovieFrame view;
  DecodedFrame current;
  DecodedFrame ahead;  // read by the reader thread while `reading`

  std::mutex m;
  std::condition_variable changed;
  bool reading = false;     // the reader owns the capture and `ahead`
  bool aheadReady = false;  // `ahead` holds the frame after `current`
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
  void readerLoop() {
    std::unique_lock lock(m);
    for (;;) {
      changed.wait(lock, [this] { return reading || stop; });
      if (stop) return;
      lock.unlock();
      read(ahead);
      lock.lock();
      reading = false;
      aheadReady = true;
      changed.notify_all();
    }
  }
  // Waits until the reader has let go of the capture.
  void waitIdle(std::unique_lock<std::mutex>& lock) {
    changed.wait(lock, [this] { return !reading; });
  }
  void startReadAhead(std::unique_lock<std::mutex>&) {
    if (!reader.joinable()) reader = std::thread([this] { readerLoop(); });
    reading = true;
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
  s.waitIdle(lock);
  s.view = {};
  if (s.aheadReady) {
    // The old buffer goes to the reader; `frame` stops pointing at it below.
    std::swap(s.current, s.ahead);
    s.aheadReady = false;
  } else {
    s.read(s.current);
  }
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
  if (playing) s.startReadAhead(lock);
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
  s.aheadReady = false;
  s.positionKnown = false;
  s.lastWasQuery = false;
  try {
    return s.capture.set(kCvProperty[id], value);
  } catch (...) {
    return false;
  }
}

void ConvertFrameToImage(const MovieFrame& frame, uint32_t* dest, int destWidth, int destHeight) {
  if (!frame.bgr || !dest || frame.width <= 0 || frame.height <= 0 || destWidth <= 0 ||
      destHeight <= 0)
    return;
  const int w = frame.width < destWidth ? frame.width : destWidth;
  const int h = frame.height < destHeight ? frame.height : destHeight;
  for (int y = 0; y < h; ++y) {
    const uint8_t* src = frame.bgr + static_cast<ptrdiff_t>(y) * frame.stride;
    uint32_t* out = dest + static_cast<ptrdiff_t>(y) * destWidth;
    int x = 0;
    if constexpr (std::endian::native == std::endian::little) {
      // Four pixels are twelve bytes, three little-endian words:
      //   a = B1 R0 G0 B0, b = G2 B2 R1 G1, c = R3 G3 B3 R2 (high byte first).
      // Each pixel is then a shift and a mask away; no byte past the row is read.
      for (; x + 4 <= w; x += 4, src += 12) {
        uint32_t a, b, c;
        std::memcpy(&a, src, 4);
        std::memcpy(&b, src + 4, 4);
        std::memcpy(&c, src + 8, 4);
        out[x] = a & 0xFFFFFF;
        out[x + 1] = (a >> 24) | ((b & 0xFFFF) << 8);
        out[x + 2] = (b >> 16) | ((c & 0xFF) << 16);
        out[x + 3] = c >> 8;
      }
    }
    for (; x < w; ++x, src += 3) out[x] = src[2] << 16 | src[1] << 8 | src[0];
  }
}

}  // namespace app
