// The movie adapter on small movies written here, and the frame conversion against a
// pixel-by-pixel version of it.
#include "movie/movie_capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>
#include <random>
#include <thread>
#include <vector>

namespace {

using movie::MovieCapture;
using movie::MovieFrame;

constexpr int kW = 320, kH = 240, kFrames = 36;

// Frame n is one flat colour whose blue byte is 7 n, so JPEG's small errors still give
// the number back; a white square marks the top-left corner.
cv::Mat NumberedFrame(int n) {
  cv::Mat m(kH, kW, CV_8UC3, cv::Scalar(7 * n, 255 - 7 * n, 128));
  m(cv::Rect(0, 0, 32, 32)).setTo(cv::Scalar(255, 255, 255));
  return m;
}
// A frame's pixels as the player shows them.
std::vector<uint32_t> PixelsOf(const MovieFrame& f) {
  std::vector<uint32_t> pixels(static_cast<size_t>(f.width) * f.height);
  movie::convertFrameToImage(f, pixels.data(), f.width, f.height);
  return pixels;
}
int FrameNumberOf(const MovieFrame& f) {
  const uint32_t p = PixelsOf(f)[120 * f.width + 200];  // well away from the square
  return static_cast<int>(std::lround((p & 0xFF) / 7.0));
}

std::string TempPath(const std::string& name) {
  return (std::filesystem::path(testing::TempDir()) / name).string();
}

class MovieCaptureTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    path_ = TempPath("direvo_numbered.avi");
    cv::VideoWriter out(path_, cv::CAP_FFMPEG, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 25,
                        cv::Size(kW, kH));
    ASSERT_TRUE(out.isOpened());
    for (int n = 0; n < kFrames; ++n) out.write(NumberedFrame(n));
  }
  static void TearDownTestSuite() { std::remove(path_.c_str()); }
  static std::string path_;
};
std::string MovieCaptureTest::path_;

TEST_F(MovieCaptureTest, OpensWithItsProperties) {
  auto movie = MovieCapture::open(path_);
  ASSERT_TRUE(movie) << movie.reason.text;
  EXPECT_EQ(movie->property(movie::kFrameWidth), kW);
  EXPECT_EQ(movie->property(movie::kFrameHeight), kH);
  EXPECT_EQ(movie->property(movie::kFrameCount), kFrames);
  EXPECT_EQ(movie->property(movie::kFps), 25);
  EXPECT_EQ(movie->property(movie::kFourcc), cv::VideoWriter::fourcc('M', 'J', 'P', 'G'));
  EXPECT_EQ(movie->property(movie::kPosFrames), 0);
  // Numbers outside 0..7 are nothing.
  EXPECT_EQ(movie->property(-1), 0);
  EXPECT_EQ(movie->property(8), 0);
  EXPECT_FALSE(movie->setProperty(8, 3));
  EXPECT_FALSE(movie->setProperty(-1, 3));
}

TEST_F(MovieCaptureTest, FramesComeInOrderUntilTheEnd) {
  auto movie = MovieCapture::open(path_);
  ASSERT_TRUE(movie);
  for (int n = 0; n < kFrames; ++n) {
    const MovieFrame* f = movie->queryFrame();
    ASSERT_TRUE(f) << "frame " << n;
    EXPECT_EQ(f->width, kW);
    EXPECT_EQ(f->height, kH);
    EXPECT_EQ(FrameNumberOf(*f), n);
    // Top-left is the white square: rows are top-down, not mirrored.
    const std::vector<uint32_t> pixels = PixelsOf(*f);
    EXPECT_GT(pixels[0] & 0xFF, 240u);
    EXPECT_LT(pixels[(kH - 1) * kW] >> 16, 140u);  // red of the flat colour, 128
    EXPECT_EQ(movie->property(movie::kPosFrames), n + 1);
  }
  EXPECT_EQ(movie->queryFrame(), nullptr);
  EXPECT_EQ(movie->queryFrame(), nullptr);
  // Rewinding after the end plays from the start again.
  EXPECT_TRUE(movie->setProperty(movie::kPosFrames, 0.0));
  const MovieFrame* f = movie->queryFrame();
  ASSERT_TRUE(f);
  EXPECT_EQ(FrameNumberOf(*f), 0);
}

TEST_F(MovieCaptureTest, SeeksByFrameNumber) {
  auto movie = MovieCapture::open(path_);
  ASSERT_TRUE(movie);
  for (int target : {20, 5, kFrames - 1, 0, 33, 1}) {
    EXPECT_TRUE(movie->setProperty(movie::kPosFrames, target));
    EXPECT_EQ(movie->property(movie::kPosFrames), target);
    const MovieFrame* f = movie->queryFrame();
    ASSERT_TRUE(f) << "after seeking to " << target;
    EXPECT_EQ(FrameNumberOf(*f), target);
    EXPECT_EQ(movie->property(movie::kPosFrames), target + 1);
  }
  EXPECT_TRUE(movie->setProperty(movie::kPosFrames, kFrames - 1));
  EXPECT_TRUE(movie->queryFrame());
  EXPECT_EQ(movie->queryFrame(), nullptr);
  // A value that is no number is refused and the position stays.
  EXPECT_TRUE(movie->setProperty(movie::kPosFrames, 10));
  EXPECT_FALSE(movie->setProperty(movie::kPosFrames, std::nan("")));
  EXPECT_FALSE(movie->setProperty(movie::kPosFrames, INFINITY));
  const MovieFrame* f = movie->queryFrame();
  ASSERT_TRUE(f);
  EXPECT_EQ(FrameNumberOf(*f), 10);
}

// While playing, the next frame is read ahead; none of that may show.
TEST_F(MovieCaptureTest, ReadingAheadNeitherDisturbsTheFrameInHandNorASeek) {
  auto movie = MovieCapture::open(path_);
  ASSERT_TRUE(movie);
  ASSERT_TRUE(movie->queryFrame());
  const MovieFrame* f = movie->queryFrame();  // playing: frame 2 is being read now
  ASSERT_TRUE(f);
  const std::vector<uint32_t> copy = PixelsOf(*f);
  // Time for the reader to fill its queue: two frames ahead, or more if it overran.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(movie->property(movie::kPosFrames), 2);
  EXPECT_EQ(movie->property(movie::kFrameCount), kFrames);
  EXPECT_TRUE(PixelsOf(*f) == copy);  // still frame 1's pixels
  EXPECT_EQ(FrameNumberOf(*f), 1);
  for (int n = 2; n <= 5; ++n) {  // the frames read ahead come in order, none skipped
    f = movie->queryFrame();
    ASSERT_TRUE(f);
    EXPECT_EQ(FrameNumberOf(*f), n);
    EXPECT_EQ(movie->property(movie::kPosFrames), n + 1);
  }
  // A seek drops the frames read ahead.
  EXPECT_TRUE(movie->setProperty(movie::kPosFrames, 30));
  f = movie->queryFrame();
  ASSERT_TRUE(f);
  EXPECT_EQ(FrameNumberOf(*f), 30);
  f = movie->queryFrame();
  ASSERT_TRUE(f);
  EXPECT_EQ(FrameNumberOf(*f), 31);
  EXPECT_EQ(movie->property(movie::kPosFrames), 32);
}

// Every property "prop" prints, held to what each movie is: written here with a known
// size, rate, codec and length, then sought and played through. The relative position
// runs from 0 before the first frame to 1 after the last (FFmpeg's own is a constant,
// 1 / fps for AVI).
TEST(MovieProperties, AreWhatTheMovieIs) {
  const struct {
    const char* name;
    const char* fourcc;  // written with, and read back
    int fps;
    int frames;
  } movies[] = {
      {"props_mjpeg.avi", "MJPG", 25, 30},
      {"props_ffv1.mkv", "FFV1", 30, 24},
      {"props_h264.mp4", "avc1", 24, 20},
  };
  for (const auto& m : movies) {
    SCOPED_TRACE(m.name);
    const std::string path = TempPath(m.name);
    const int fourcc = cv::VideoWriter::fourcc(m.fourcc[0], m.fourcc[1], m.fourcc[2], m.fourcc[3]);
    {
      cv::VideoWriter out(path, cv::CAP_FFMPEG, fourcc, m.fps, cv::Size(96, 64));
      if (!out.isOpened()) {
        ADD_FAILURE() << "cannot write " << m.name;
        continue;
      }
      for (int n = 0; n < m.frames; ++n)
        out.write(cv::Mat(64, 96, CV_8UC3, cv::Scalar(7 * n, 90, 200 - 7 * n)));
    }
    auto movie = MovieCapture::open(path);
    ASSERT_TRUE(movie) << movie.reason.text;
    EXPECT_EQ(movie->property(movie::kFrameWidth), 96);
    EXPECT_EQ(movie->property(movie::kFrameHeight), 64);
    EXPECT_EQ(movie->property(movie::kFps), m.fps);
    EXPECT_EQ(movie->property(movie::kFourcc), fourcc);
    EXPECT_EQ(movie->property(movie::kFrameCount), m.frames);
    EXPECT_EQ(movie->property(movie::kPosFrames), 0);
    EXPECT_EQ(movie->property(movie::kPosMsec), 0);
    EXPECT_EQ(movie->property(movie::kPosAviRatio), 0);
    // Sought to the first, a middle and the last frame: after reading frame t the
    // movie stands at t + 1, the time is frame t's (to the millisecond Matroska keeps;
    // FFmpeg itself gives 0 for the last frames of H.264 with B-frames).
    for (const int t : {0, m.frames / 2, m.frames - 1, 1}) {
      SCOPED_TRACE(t);
      movie->setProperty(movie::kPosFrames, t);
      ASSERT_TRUE(movie->queryFrame());
      EXPECT_EQ(movie->property(movie::kPosFrames), t + 1);
      EXPECT_NEAR(movie->property(movie::kPosMsec), 1000.0 * t / m.fps, 0.5);
      EXPECT_DOUBLE_EQ(movie->property(movie::kPosAviRatio), (t + 1.0) / m.frames);
    }
    // Played through from there: the ratio climbs to 1 at the last frame.
    double last = 0;
    for (int n = 2; n < m.frames; ++n) {
      ASSERT_TRUE(movie->queryFrame()) << n;
      EXPECT_NEAR(movie->property(movie::kPosMsec), 1000.0 * n / m.fps, 0.5) << n;
      const double ratio = movie->property(movie::kPosAviRatio);
      EXPECT_GT(ratio, last) << n;
      last = ratio;
    }
    EXPECT_EQ(last, 1.0);
    std::remove(path.c_str());
  }
}

TEST(MovieCaptureOpen, RefusesWhatIsNotAMovie) {
  const std::string text = TempPath("direvo_not_a_movie.avi");
  {
    std::ofstream out(text);
    for (int i = 0; i < 200; ++i) out << "this is a line of text, not a movie\n";
  }
  const std::string empty = TempPath("direvo_empty.avi");
  std::ofstream{empty};
  for (const std::string& path :
       {text, empty, TempPath("direvo_no_such_file.avi"), std::string(), testing::TempDir()}) {
    const movie::MadeMovieCapture movie = MovieCapture::open(path);
    EXPECT_EQ(movie.get(), nullptr) << path;
    EXPECT_NE(movie.reason.kind, movie::MovieOpenError::None) << path;
    EXPECT_FALSE(movie.reason.text.empty()) << path;
  }
  std::remove(text.c_str());
  std::remove(empty.c_str());
}

// The conversion as the player describes it, one pixel at a time.
void ConvertReference(const MovieFrame& f, uint32_t* dest, int dw, int dh) {
  for (int y = 0; y < std::min(f.height, dh); ++y)
    for (int x = 0; x < std::min(f.width, dw); ++x) {
      const uint8_t* p = f.bgr + y * f.stride + 3 * x;
      dest[y * dw + x] = p[2] * 65536u + p[1] * 256u + p[0];
    }
}

// A frame of random bytes, with `padding` bytes of filler after each row.
struct RandomFrame {
  std::vector<uint8_t> bytes;
  MovieFrame frame;
  RandomFrame(int w, int h, int padding, uint32_t seed) {
    std::mt19937 rng(seed);
    frame.width = w;
    frame.height = h;
    frame.stride = 3 * w + padding;
    bytes.resize(static_cast<size_t>(frame.stride) * h);
    for (auto& b : bytes) b = static_cast<uint8_t>(rng());
    frame.bgr = bytes.data();
  }
};

constexpr uint32_t kUntouched = 0xDEADBEEF;
constexpr int kGuard = 16;  // words after the destination that must stay as they were

// Converts with both versions into buffers of untouched words and compares them,
// guard included.
void ExpectSameConversion(const MovieFrame& f, int dw, int dh) {
  std::vector<uint32_t> fast(dw * dh + kGuard, kUntouched), slow(fast);
  movie::convertFrameToImage(f, fast.data(), dw, dh);
  ConvertReference(f, slow.data(), dw, dh);
  ASSERT_EQ(fast, slow) << f.width << "x" << f.height << " into " << dw << "x" << dh;
}

TEST(convertFrameToImage, MatchesThePixelByPixelVersion) {
  // Widths around the four-pixel steps, with and without row padding.
  for (int w = 1; w <= 13; ++w)
    for (int padding : {0, 1, 5})
      for (int h : {1, 3}) {
        RandomFrame r(w, h, padding, 1000 * w + 10 * padding + h);
        ExpectSameConversion(r.frame, w, h);
      }
  RandomFrame big(640, 360, 0, 7);
  ExpectSameConversion(big.frame, 640, 360);
}

TEST(convertFrameToImage, SizeMismatchWritesOnlyTheSharedCorner) {
  RandomFrame r(13, 9, 3, 42);
  ExpectSameConversion(r.frame, 7, 5);    // smaller buffer: the frame is cut
  ExpectSameConversion(r.frame, 20, 12);  // larger buffer: the rest stays
  ExpectSameConversion(r.frame, 5, 15);   // narrower and taller
  ExpectSameConversion(r.frame, 16, 2);   // wider and lower

  std::vector<uint32_t> dest(20 * 12, kUntouched);
  movie::convertFrameToImage(r.frame, dest.data(), 20, 12);
  const uint8_t* last = r.frame.bgr + 8 * r.frame.stride + 12 * 3;
  EXPECT_EQ(dest[8 * 20 + 12], uint32_t(last[2] << 16 | last[1] << 8 | last[0]));
  EXPECT_EQ(dest[8 * 20 + 13], kUntouched);
  EXPECT_EQ(dest[9 * 20 + 0], kUntouched);

  // Nothing to copy: nothing is written.
  std::vector<uint32_t> none(4, kUntouched);
  movie::convertFrameToImage(r.frame, none.data(), 0, 4);
  movie::convertFrameToImage(MovieFrame{}, none.data(), 2, 2);
  EXPECT_EQ(none, std::vector<uint32_t>(4, kUntouched));
}

}  // namespace

namespace {

// A movie of `frames` numbered frames written to path.
void writeNumberedMovie(const std::string& path, int frames) {
  cv::VideoWriter out(path, cv::CAP_FFMPEG, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 25,
                      cv::Size(kW, kH));
  ASSERT_TRUE(out.isOpened());
  for (int n = 0; n < frames; ++n) out.write(NumberedFrame(n));
}

TEST(MovieCaptureEdges, AOneFrameMovieShowsItsFrameAgainAfterARewind) {
  const std::string one = TempPath("direvo_one_frame.avi");
  writeNumberedMovie(one, 1);
  auto movie = MovieCapture::open(one);
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->property(movie::kFrameCount), 1);
  ASSERT_TRUE(movie->queryFrame());
  EXPECT_FALSE(movie->queryFrame());  // the end
  // The decoder cannot seek back in this movie; the adapter reads it from the start.
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(movie->setProperty(movie::kPosFrames, 0));
    const MovieFrame* f = movie->queryFrame();
    ASSERT_TRUE(f) << "round " << round;
    EXPECT_EQ(FrameNumberOf(*f), 0);
    EXPECT_EQ(movie->property(movie::kPosFrames), 1);
  }
  std::remove(one.c_str());
}

TEST(MovieCaptureEdges, FramesPastATruncationAreNotReadAndTheOthersAre) {
  const std::string cut = TempPath("direvo_truncated.avi");
  writeNumberedMovie(cut, 40);
  std::filesystem::resize_file(cut, std::filesystem::file_size(cut) / 4);
  auto movie = MovieCapture::open(cut);
  ASSERT_TRUE(movie);
  ASSERT_TRUE(movie->setProperty(movie::kPosFrames, 35));
  EXPECT_FALSE(movie->queryFrame());
  ASSERT_TRUE(movie->setProperty(movie::kPosFrames, 2));
  const MovieFrame* f = movie->queryFrame();
  ASSERT_TRUE(f);
  EXPECT_EQ(FrameNumberOf(*f), 2);
  std::remove(cut.c_str());
}

}  // namespace
