// The movie writer: the codec by extension, a codec FFmpeg lacks refused, and the
// destination replaced only by a finished movie.
#include "movie/movie_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class MovieWriterTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(testing::TempDir()) / ("direvo-movie-writer-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  size_t fileCount() const {
    return static_cast<size_t>(
        std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
  }
  fs::path dir_;
};

TEST_F(MovieWriterTest, ChoosesTheCodecByExtensionInAnyCase) {
  EXPECT_STREQ(movie::movieCodecFor("a.MKV")->fourcc, "FFV1");
  EXPECT_STREQ(movie::movieCodecFor("dir.mp4/b.avi")->fourcc, "FFV1");
  EXPECT_STREQ(movie::movieCodecFor("c.Mp4")->fourcc, "avc1");
  EXPECT_EQ(movie::movieCodecFor("d.mov"), nullptr);
  EXPECT_EQ(movie::movieCodecFor(".mkv"), nullptr);  // no name before the extension
  EXPECT_EQ(movie::movieCodecFor("mkv"), nullptr);
  EXPECT_EQ(movie::movieExtensionList(), ".mkv, .avi or .mp4");
}

TEST_F(MovieWriterTest, WritesLosslessFramesAndReplacesTheFileOnlyWhenFinished) {
  {
    std::ofstream old(path("out.mkv"));
    old << "old";
  }
  std::vector<uint32_t> pixels(6 * 4);
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = static_cast<uint32_t>(0x010203 * i + 0x405060);
  std::vector<uint8_t> bgr;
  movie::convertImageToFrame(pixels.data(), 6, 4, bgr);
  ASSERT_EQ(bgr.size(), 6u * 4 * 3);
  EXPECT_EQ(bgr[3 * 5 + 0], pixels[5] & 0xFF);          // blue first
  EXPECT_EQ(bgr[3 * 5 + 2], (pixels[5] >> 16) & 0xFF);  // red last
  {
    // Dropped before commit: the old file stays, nothing else is left.
    movie::MadeMovieWriter w = movie::MovieWriter::open(path("out.mkv"), 6, 4, 10);
    ASSERT_TRUE(w);
    w->write({bgr.data(), 6, 4, 18});
    EXPECT_TRUE(fs::exists(w->stagedPath()));
  }
  EXPECT_EQ(fileCount(), 1u);
  EXPECT_EQ(fs::file_size(path("out.mkv")), 3u);

  movie::MadeMovieWriter w = movie::MovieWriter::open(path("out.mkv"), 6, 4, 10);
  ASSERT_TRUE(w);
  for (int n = 0; n < 3; ++n) w->write({bgr.data(), 6, 4, 18});
  w->write({bgr.data(), 4, 4, 12});  // not the movie's size: left out
  ASSERT_EQ(w->commit(), movie::MovieWriteError::None);
  EXPECT_EQ(fileCount(), 1u);
  cv::VideoCapture in(path("out.mkv"), cv::CAP_FFMPEG);
  EXPECT_EQ(in.get(cv::CAP_PROP_FPS), 10);
  cv::Mat m;
  int frames = 0;
  while (in.read(m)) {
    ++frames;
    ASSERT_EQ(m.cols, 6);
    EXPECT_EQ(std::memcmp(m.ptr<uint8_t>(0), bgr.data(), bgr.size()), 0) << "frame " << frames;
  }
  EXPECT_EQ(frames, 3);
}

// A composed picture's kind of detail: each sub-pixel from one of two smooth views, a
// bright and a dark one, in a slanted pattern; its PSNR after H.264 at each setting.
double psnrThroughH264(const std::string& file, const movie::MovieCodec& codec,
                       const movie::MovieEncoding& e) {
  const int w = 96, h = 64;
  std::vector<uint8_t> bgr(static_cast<size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y) {
    for (int s = 0; s < 3 * w; ++s) {
      const bool bright = (s + y) % 5 < 2;
      const int level = bright ? 160 + y : 40 + s / 6;
      bgr[static_cast<size_t>(y) * 3 * w + s] = static_cast<uint8_t>(level);
    }
  }
  movie::MadeMovieWriter out = movie::MovieWriter::open(file, codec, w, h, 25, e);
  if (!out) return -1;
  for (int n = 0; n < 5; ++n) out->write({bgr.data(), w, h, 3 * w});
  if (out->commit() != movie::MovieWriteError::None) return -1;
  cv::VideoCapture in(file, cv::CAP_FFMPEG);
  cv::Mat m;
  if (!in.read(m) || m.cols != w || m.rows != h) return -1;
  double squares = 0;
  for (size_t i = 0; i < bgr.size(); ++i) {
    const double d = double(m.ptr<uint8_t>(0)[i]) - bgr[i];
    squares += d * d;
  }
  return squares == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * bgr.size() / squares);
}

TEST_F(MovieWriterTest, H264KeepsEachSubpixelApartUnlessAskedForQuarterColour) {
  movie::MovieEncoding full, quarter, lossless;
  quarter.chroma = movie::Chroma::Quarter;
  lossless.lossless = true;
  const movie::MovieCodec& mp4 = *movie::movieCodecFor("a.mp4");
  const double fullDb = psnrThroughH264(path("full.mp4"), mp4, full);
  const double quarterDb = psnrThroughH264(path("quarter.mp4"), mp4, quarter);
  const double losslessDb = psnrThroughH264(path("lossless.mkv"), movie::kH264InMatroska, lossless);
  EXPECT_GE(fullDb, 26) << "4:4:4 at the default quality";
  EXPECT_LT(quarterDb, fullDb - 10) << "4:2:0 blends neighbouring sub-pixels";
  EXPECT_GE(losslessDb, 45) << "only the colour conversion's rounding is lost";
  std::printf("PSNR through H.264: 4:4:4 crf 18 %.1f dB, 4:2:0 %.1f dB, lossless %.1f dB\n", fullDb,
              quarterDb, losslessDb);
  // An unknown preset is refused by the encoder, and leaves nothing.
  movie::MovieEncoding bad;
  bad.preset = "warp";
  EXPECT_EQ(movie::MovieWriter::open(path("bad.mp4"), 8, 8, 25, bad).reason,
            movie::MovieWriteError::NoEncoder);
  EXPECT_FALSE(fs::exists(path("bad.mp4")));
}

TEST_F(MovieWriterTest, RefusesWhatCannotBeWrittenAndLeavesNoFile) {
  const movie::MovieCodec missing{".mkv", "ZZZZ", "a codec nobody has", "zzzz"};
  movie::MadeMovieWriter w = movie::MovieWriter::open(path("a.mkv"), missing, 8, 8, 25);
  EXPECT_FALSE(w);
  EXPECT_EQ(w.reason, movie::MovieWriteError::NoEncoder);
  EXPECT_EQ(movie::movieWriteErrorText(w.reason, &missing),
            "the installed FFmpeg cannot write a codec nobody has into a .mkv file");
  EXPECT_EQ(movie::MovieWriter::open(path("a.mkv"), 7, 8, 25).reason,
            movie::MovieWriteError::OddSize);
  EXPECT_EQ(movie::MovieWriter::open(path("a.mp4"), 8, 0, 25).reason,
            movie::MovieWriteError::OddSize);
  EXPECT_EQ(movie::MovieWriter::open(path("a.mkv"), 8, 8, 0).reason,
            movie::MovieWriteError::BadFrameRate);
  EXPECT_EQ(movie::MovieWriter::open(path("a.mkv"), 8, 8, NAN).reason,
            movie::MovieWriteError::BadFrameRate);
  EXPECT_EQ(movie::MovieWriter::open(path("a.webm"), 8, 8, 25).reason,
            movie::MovieWriteError::UnknownExtension);
  EXPECT_EQ(movie::MovieWriter::open(path("none/a.mkv"), 8, 8, 25).reason,
            movie::MovieWriteError::CannotCreate);
  EXPECT_EQ(fileCount(), 0u);
  // A folder in the way of the finished movie: refused, and the staged file goes.
  fs::create_directories(dir_ / "b.mkv" / "inside");
  movie::MadeMovieWriter blocked = movie::MovieWriter::open(path("b.mkv"), 8, 8, 25);
  ASSERT_TRUE(blocked);
  std::vector<uint8_t> black(8 * 8 * 3, 0);
  blocked->write({black.data(), 8, 8, 24});
  EXPECT_EQ(blocked->commit(), movie::MovieWriteError::CannotFinish);
  blocked.reset();
  EXPECT_EQ(fileCount(), 1u);  // the folder alone
  // A frame still in a decoder's layout (no packed bytes) fails the movie.
  movie::MadeMovieWriter unpacked = movie::MovieWriter::open(path("c.mkv"), 8, 8, 25);
  ASSERT_TRUE(unpacked);
  unpacked->write({nullptr, 8, 8, 24});
  EXPECT_EQ(unpacked->commit(), movie::MovieWriteError::CannotFinish);
  unpacked.reset();
  EXPECT_EQ(fileCount(), 1u);
}

}  // namespace
