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

TEST_F(MovieWriterTest, RefusesWhatCannotBeWrittenAndLeavesNoFile) {
  const movie::MovieCodec missing{".mkv", "ZZZZ", "a codec nobody has"};
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
}

}  // namespace
