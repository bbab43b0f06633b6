// Movies composed in one run of the pipeline: frames come out in order whatever the
// number of composing threads, cancelling stops after the frame being written, and a
// movie too short for its span is refused.
#include "movie/movie_compose.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>
#include <random>
#include <string>
#include <vector>

#include "compose/compose_pixels.h"
#include "movie/movie_writer.h"

namespace {

namespace fs = std::filesystem;

constexpr int kViews = 3, kViewWidth = 10, kHeight = 8, kFrames = 9;

class MovieComposeTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(testing::TempDir()) / ("direvo-movie-compose-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    cv::VideoWriter out(path("in.mkv"), cv::CAP_FFMPEG, cv::VideoWriter::fourcc('F', 'F', 'V', '1'),
                        20, cv::Size(kViews * kViewWidth, kHeight));
    std::mt19937 rng(11);
    for (int n = 0; n < kFrames; ++n) {
      cv::Mat m(kHeight, kViews * kViewWidth, CV_8UC3);
      for (size_t i = 0; i < m.total() * 3; ++i) m.data[i] = static_cast<uint8_t>(rng());
      out.write(m);
      frames_.push_back(m);
    }
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  // The oracle: frame n composed straight from its views by the picture functions.
  std::vector<uint8_t> composedFrame(int n, const compose::LentiParams& p) const {
    const cv::Mat& f = frames_[static_cast<size_t>(n)];
    std::vector<uint32_t> views(f.total());
    for (size_t i = 0; i < views.size(); ++i) {
      views[i] = f.data[3 * i + 2] << 16 | f.data[3 * i + 1] << 8 | f.data[3 * i];
    }
    std::vector<uint32_t> out(static_cast<size_t>(p.width) * p.height, 0);
    compose::composeStablePixels(
        compose::WorkResampling{
            {views.data(), f.cols, f.rows}, kViewWidth, kHeight, p.width, p.height, kViews},
        compose::PixelBuffer{out.data(), p.width, p.height}, p);
    std::vector<uint8_t> bgr;
    movie::convertImageToFrame(out.data(), p.width, p.height, bgr);
    return bgr;
  }

  fs::path dir_;
  std::vector<cv::Mat> frames_;
};

TEST_F(MovieComposeTest, FramesComeOutInOrderWithManyComposingThreads) {
  movie::MovieComposition c;
  c.params = {6.1, kViews, 24, 12};
  c.workers = 5;  // more threads than frames in flight at a time
  std::vector<int64_t> reported;
  c.progress = [&reported](const movie::MovieProgress& p) { reported.push_back(p.done); };
  auto in = movie::MovieCapture::open(path("in.mkv"));
  movie::MadeMovieWriter out = movie::MovieWriter::open(path("out.mkv"), 24, 12, 20);
  ASSERT_TRUE(in && out);
  const movie::MovieResult r = movie::composeViewsMovie(*in, *out, c);
  ASSERT_TRUE(r.finished) << r.error;
  EXPECT_EQ(r.frames, kFrames);
  ASSERT_EQ(out->commit(), movie::MovieWriteError::None);
  ASSERT_EQ(reported.size(), static_cast<size_t>(kFrames));
  EXPECT_EQ(reported.back(), kFrames);

  cv::VideoCapture back(path("out.mkv"), cv::CAP_FFMPEG);
  cv::Mat m;
  for (int n = 0; n < kFrames; ++n) {
    ASSERT_TRUE(back.read(m)) << n;
    const std::vector<uint8_t> expected = composedFrame(n, c.params);
    ASSERT_EQ(std::vector<uint8_t>(m.data, m.data + m.total() * 3), expected) << "frame " << n;
  }
  EXPECT_FALSE(back.read(m));
}

TEST_F(MovieComposeTest, CancellingStopsAfterTheFrameBeingWritten) {
  std::atomic<bool> cancel{false};
  movie::MovieComposition c;
  c.params = {6.1, kViews, 24, 12};
  c.cancel = &cancel;
  c.progress = [&cancel](const movie::MovieProgress& p) {
    if (p.done == 3) cancel = true;
  };
  auto in = movie::MovieCapture::open(path("in.mkv"));
  movie::MadeMovieWriter out = movie::MovieWriter::open(path("out.mkv"), 24, 12, 20);
  ASSERT_TRUE(in && out);
  const movie::MovieResult r = movie::composeViewsMovie(*in, *out, c);
  EXPECT_TRUE(r.cancelled);
  EXPECT_FALSE(r.finished);
  EXPECT_EQ(r.frames, 3);
}

TEST_F(MovieComposeTest, SpansAndViewsTheMovieCannotHoldAreRefused) {
  movie::MovieComposition c;
  c.params = {6.1, kViews, 24, 12};
  {
    auto in = movie::MovieCapture::open(path("in.mkv"));
    movie::MadeMovieWriter out = movie::MovieWriter::open(path("a.mkv"), 24, 12, 20);
    const movie::MovieResult r = movie::composeSpanMovie(*in, kFrames, false, *out, c);
    EXPECT_FALSE(r.finished);
    EXPECT_EQ(r.frames, 0);
    EXPECT_NE(r.error.find("a span of 9 needs"), std::string::npos) << r.error;
  }
  {
    // The last frame that can end a span of 8 is frame 9: one output frame.
    auto in = movie::MovieCapture::open(path("in.mkv"));
    movie::MadeMovieWriter out = movie::MovieWriter::open(path("b.mkv"), 24, 12, 20);
    const movie::MovieResult r = movie::composeSpanMovie(*in, kFrames - 1, true, *out, c);
    EXPECT_TRUE(r.finished) << r.error;
    EXPECT_EQ(r.frames, 1);
  }
  c.params.views = kViews * kViewWidth + 1;  // more views than the frame has columns
  auto in = movie::MovieCapture::open(path("in.mkv"));
  movie::MadeMovieWriter out = movie::MovieWriter::open(path("c.mkv"), 24, 12, 20);
  const movie::MovieResult r = movie::composeViewsMovie(*in, *out, c);
  EXPECT_FALSE(r.finished);
  EXPECT_NE(r.error.find("cannot hold 31 views"), std::string::npos) << r.error;
}

}  // namespace
