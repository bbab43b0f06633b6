// Seeking in the movie adapter: whichever way it comes by a frame (read forward, kept
// in memory, sought), the frame, the positions and the time stamp are those a plain
// seek of the decoder gives. Held frame by frame against the decoder itself on small
// movies of several kinds, H.264 with B-frames among them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>
#include <random>
#include <string>
#include <vector>

#include "movie/movie_capture.h"
#include "movie/movie_decoder.h"
#include "movie/movie_views.h"

namespace {

using movie::MovieCapture;
using movie::MovieFrame;

constexpr int kW = 96, kH = 64;

std::string TempPath(const std::string& name) {
  return (std::filesystem::path(testing::TempDir()) / name).string();
}

// Frames that all differ: a colour that changes with n and a square that moves.
cv::Mat MovingFrame(int n) {
  cv::Mat m(kH, kW, CV_8UC3, cv::Scalar(3 * n % 256, 255 - 5 * n % 256, 90));
  cv::rectangle(m, cv::Rect(n % (kW - 16), (2 * n) % (kH - 16), 16, 16), cv::Scalar(255, 255, 255),
                cv::FILLED);
  return m;
}

bool WriteMovie(const std::string& path, int fourcc, int frames) {
  cv::VideoWriter out(path, cv::CAP_FFMPEG, fourcc, 25, cv::Size(kW, kH));
  if (!out.isOpened()) return false;
  for (int n = 0; n < frames; ++n) out.write(MovingFrame(n));
  return true;
}

bool HaveFfmpeg() {
  return std::system("ffmpeg -version >/dev/null 2>&1") == 0;
}

// What one read gives: whether there was a frame, its bytes, the positions after it.
struct Shot {
  bool ok = false;
  std::vector<uint8_t> bytes;
  std::array<double, 3> position{};
};

std::vector<uint8_t> BytesOf(const cv::Mat& m) {
  std::vector<uint8_t> bytes;
  for (int y = 0; y < m.rows; ++y)
    bytes.insert(bytes.end(), m.ptr<uint8_t>(y), m.ptr<uint8_t>(y) + m.cols * 3);
  return bytes;
}
std::vector<uint8_t> BytesOf(const MovieFrame& f) {
  std::vector<uint32_t> pixels(static_cast<size_t>(f.width) * f.height);
  movie::convertFrameToImage(f, pixels.data(), f.width, f.height);
  std::vector<uint8_t> bytes;
  for (const uint32_t p : pixels) {
    bytes.push_back(p & 0xFF);
    bytes.push_back(p >> 8 & 0xFF);
    bytes.push_back(p >> 16 & 0xFF);
  }
  return bytes;
}

// What a plain seek to each frame gives: the decoder's own seek and read, and, when
// that read fails, the movie read again from its start (as the adapter always did for
// movies the decoder cannot seek in).
std::vector<Shot> PlainSeeks(const std::string& path, int count) {
  std::vector<Shot> shots(count);
  cv::VideoCapture cap(path, cv::CAP_FFMPEG);
  for (int t = 0; t < count; ++t) {
    cv::Mat m;
    cap.set(cv::CAP_PROP_POS_FRAMES, t);
    bool ok = cap.read(m);
    if (!ok) {
      cap.open(path, cv::CAP_FFMPEG);
      for (int n = 0; n < t && cap.grab(); ++n) {
      }
      ok = cap.read(m);
    }
    shots[t].ok = ok;
    if (ok) shots[t].bytes = BytesOf(m);
    for (int i = 0; i < 3; ++i) shots[t].position[i] = cap.get(i);
  }
  return shots;
}

// The time and the frame position are OpenCV's after a plain seek, but for the frames
// it gives no time stamp (0 after the first frame, the last of H.264 with B-frames),
// which have their own stamp, the time at the movie's rate; the relative position is
// the frame position over the count (OpenCV's is no position at all for most movies).
void ExpectPositionsOf(const MovieCapture& movie, const Shot& want, double count) {
  const bool noStamp = want.ok && want.position[0] == 0 && want.position[1] > 1;
  if (noStamp) {
    EXPECT_DOUBLE_EQ(movie.property(movie::kPosMsec),
                     (want.position[1] - 1) * 1000.0 / movie.property(movie::kFps));
  } else {
    EXPECT_EQ(movie.property(movie::kPosMsec), want.position[0]);
  }
  EXPECT_EQ(movie.property(movie::kPosFrames), want.position[1]);
  EXPECT_EQ(movie.property(movie::kPosAviRatio), std::clamp(want.position[1] / count, 0.0, 1.0));
}

class MovieSeek : public testing::TestWithParam<const char*> {
 protected:
  static void SetUpTestSuite() {
    const std::string dir = testing::TempDir();
    WriteMovie(TempPath("seek_mjpeg.avi"), cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 60);
    WriteMovie(TempPath("seek_raw.avi"), 0, 40);
    // The writer's H.264: B-frames, one key frame.
    WriteMovie(TempPath("seek_h264.mp4"), cv::VideoWriter::fourcc('a', 'v', 'c', '1'), 48);
    // Key frames every 12 frames, three B-frames between references.
    if (HaveFfmpeg()) {
      const std::string cmd =
          "ffmpeg -v error -y -f lavfi -i testsrc2=size=96x64:rate=25 -frames:v 60 "
          "-c:v libx264 -g 12 -bf 3 -pix_fmt yuv420p " +
          TempPath("seek_h264_gop12.mp4");
      if (std::system(cmd.c_str()) != 0) std::remove(TempPath("seek_h264_gop12.mp4").c_str());
    }
    // Cut short: the frames past the cut cannot be read, though the count says they exist.
    const std::string cut = TempPath("seek_truncated.avi");
    WriteMovie(cut, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 40);
    std::filesystem::resize_file(cut, std::filesystem::file_size(cut) / 3);
  }
  static void TearDownTestSuite() {
    for (const char* name : {"seek_mjpeg.avi", "seek_raw.avi", "seek_h264.mp4",
                             "seek_h264_gop12.mp4", "seek_truncated.avi"})
      std::remove(TempPath(name).c_str());
  }
  std::string Path() const { return TempPath(GetParam()); }
};

// Steps forward of many sizes, steps back (one and ten), reads without a seek, and
// jumps about; a negative entry is a read without a seek.
std::vector<int> Walk(int count) {
  std::vector<int> walk;
  int t = 0;
  for (int step = 1; t < count; t += step, step = step % 13 + 1) walk.push_back(t);
  for (t = count - 2; t >= 0; t -= (t % 3 == 0 ? 10 : 1)) {
    walk.push_back(t);
    if (t % 4 == 0) walk.push_back(-1);
  }
  std::mt19937 rng(7);
  for (int i = 0; i < 40; ++i) {
    walk.push_back(static_cast<int>(rng() % count));
    if (i % 3 == 0) walk.push_back(-1);
  }
  walk.push_back(count - 1);
  walk.push_back(-1);  // the end
  walk.push_back(0);   // and back to the start
  return walk;
}

// Follows the walk with the adapter, checking each frame against the plain seeks.
MovieCapture::SeekCounts ExpectWalkLikePlainSeeks(const std::string& path,
                                                  const std::vector<Shot>& plain) {
  // A frame cut through by a truncation is what the decoder makes of what is left of
  // it, which need not be what another reader made of it.
  int damaged = -1;
  if (path.find("truncated") != std::string::npos) {
    for (size_t n = 0; n < plain.size() && plain[n].ok; ++n) damaged = static_cast<int>(n);
  }
  auto movie = MovieCapture::open(path);
  EXPECT_TRUE(movie);
  if (!movie) return {};
  const int count = static_cast<int>(movie->property(movie::kFrameCount));
  EXPECT_EQ(static_cast<size_t>(count), plain.size());
  int expected = 0;
  for (const int t : Walk(count)) {
    if (t >= 0) {
      movie->setProperty(movie::kPosFrames, t);
      expected = t;
    }
    const MovieFrame* f = movie->queryFrame();
    SCOPED_TRACE(testing::Message() << "frame " << expected << (t < 0 ? " read on" : " sought"));
    if (expected >= count) {
      EXPECT_EQ(f, nullptr);
      continue;
    }
    const Shot& want = plain[expected];
    EXPECT_EQ(f != nullptr, want.ok);
    if (f && want.ok && expected != damaged) {
      EXPECT_TRUE(BytesOf(*f) == want.bytes);
    }
    ExpectPositionsOf(*movie, want, count);
    ++expected;
  }
  return movie->seekCounts();
}

TEST_P(MovieSeek, EveryWayToAFrameGivesWhatAPlainSeekGives) {
  if (!std::filesystem::exists(Path())) GTEST_SKIP() << "no " << GetParam() << " (ffmpeg missing?)";
  const std::vector<Shot> plain = PlainSeeks(
      Path(), static_cast<int>(MovieCapture::open(Path())->property(movie::kFrameCount)));
  const MovieCapture::SeekCounts counts = ExpectWalkLikePlainSeeks(Path(), plain);
  const bool wholeMovieReads =
      std::all_of(plain.begin(), plain.end(), [](const Shot& s) { return s.ok; });
  // Where every frame is a key frame, a seek never decodes a frame more than the one
  // sought; elsewhere a frame ahead with no key frame before it is decoded forward to.
  const bool everyFrameKey = std::string(GetParam()).find("h264") == std::string::npos;
  if (wholeMovieReads) {
    if (everyFrameKey) {
      EXPECT_EQ(counts.forwardDecodes, 0);
    } else {
      EXPECT_GT(counts.forwardDecodes, 0);
    }
  }
  EXPECT_GT(counts.fromMemory, 10);
}

INSTANTIATE_TEST_SUITE_P(Movies, MovieSeek,
                         testing::Values("seek_mjpeg.avi", "seek_raw.avi", "seek_h264.mp4",
                                         "seek_h264_gop12.mp4", "seek_truncated.avi"),
                         [](const testing::TestParamInfo<const char*>& movie) {
                           std::string name = movie.param;
                           return name.substr(5, name.find('.') - 5);
                         });

// A position asked for between a seek and its read is that after the frame before,
// as reading up to it gives, and the frame read after it is still the one sought.
TEST_P(MovieSeek, PositionsReadBeforeTheFrameAreThoseAfterTheFrameBefore) {
  if (!std::filesystem::exists(Path())) GTEST_SKIP();
  auto movie = MovieCapture::open(Path());
  ASSERT_TRUE(movie);
  const std::vector<Shot> plain = PlainSeeks(Path(), 12);
  for (int t : {2, 6, 3}) {
    movie->queryFrame();  // the decoder stands before t, or after it
    movie->setProperty(movie::kPosFrames, t);
    EXPECT_EQ(movie->property(movie::kPosFrames), t);
    EXPECT_EQ(movie->property(movie::kPosMsec), plain[t - 1].position[0]);
    const MovieFrame* f = movie->queryFrame();
    ASSERT_EQ(f != nullptr, plain[t].ok) << t;
    if (f) {
      EXPECT_TRUE(BytesOf(*f) == plain[t].bytes) << t;
    }
    ExpectPositionsOf(*movie, plain[t], movie->property(movie::kFrameCount));
  }
}

// A frame ahead within the decoder's picture group is decoded on to; one past the
// next key frame is sought, so decoding starts at that key frame (with B-frames the
// index's decoding times run ahead of display times, which must not count the next
// group's key frame as this one's).
TEST(MovieSeekWay, ReadsOnWithinAPictureGroupAndSeeksPastAKeyFrame) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "no ffmpeg";
  const std::string path = TempPath("way_gop12.mp4");
  ASSERT_EQ(std::system(("ffmpeg -v error -y -f lavfi -i testsrc2=size=96x64:rate=25 "
                         "-frames:v 60 -c:v libx264 -g 12 -bf 3 -sc_threshold 0 "
                         "-pix_fmt yuv420p " +
                         path)
                            .c_str()),
            0);
  const std::vector<Shot> plain = PlainSeeks(path, 60);
  const struct {
    int from, to;
    bool sought;
  } cases[] = {
      {3, 10, false},  {3, 11, false}, {3, 12, true},  // key frames at 0, 12, 24, ...
      {13, 23, false}, {13, 30, true}, {40, 5, true},  // and back
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << " to " << c.to);
    auto movie = MovieCapture::open(path);
    ASSERT_TRUE(movie);
    movie->setProperty(movie::kPosFrames, c.from);
    ASSERT_TRUE(movie->queryFrame());
    const MovieCapture::SeekCounts before = movie->seekCounts();
    movie->setProperty(movie::kPosFrames, c.to);
    const MovieFrame* f = movie->queryFrame();
    ASSERT_TRUE(f);
    EXPECT_TRUE(BytesOf(*f) == plain[c.to].bytes);
    const MovieCapture::SeekCounts after = movie->seekCounts();
    EXPECT_EQ(after.plainSeeks - before.plainSeeks, c.sought ? 1 : 0);
    EXPECT_EQ(after.forwardDecodes - before.forwardDecodes, c.sought ? 0 : 1);
  }
  std::remove(path.c_str());
}

// Stepping back over frames already shown, and playing on from them: the frames come
// from memory, then from the decoder again, in order, to the end and round again.
TEST(MovieMemory, StepsBackAndPlaysOnAcrossTheFramesInMemory) {
  const std::string path = TempPath("memory_mjpeg.avi");
  ASSERT_TRUE(WriteMovie(path, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 30));
  const std::vector<Shot> plain = PlainSeeks(path, 30);
  auto movie = MovieCapture::open(path);
  ASSERT_TRUE(movie);
  for (int n = 0; n < 20; ++n) ASSERT_TRUE(movie->queryFrame());  // playing, reading ahead
  const int before = movie->seekCounts().fromMemory;
  for (int n = 18; n >= 10; --n) {  // "<" from frame 19 down to 10
    movie->setProperty(movie::kPosFrames, movie->property(movie::kPosFrames) - 2);
    const MovieFrame* f = movie->queryFrame();
    ASSERT_TRUE(f);
    EXPECT_TRUE(BytesOf(*f) == plain[n].bytes) << n;
  }
  EXPECT_EQ(movie->seekCounts().fromMemory - before, 9);
  for (int n = 11; n < 30; ++n) {  // playing on, through the end
    const MovieFrame* f = movie->queryFrame();
    ASSERT_TRUE(f) << n;
    EXPECT_TRUE(BytesOf(*f) == plain[n].bytes) << n;
    EXPECT_EQ(movie->property(movie::kPosFrames), n + 1);
  }
  EXPECT_EQ(movie->queryFrame(), nullptr);
  movie->setProperty(movie::kPosFrames, 0.0);  // the rewind at the end
  const MovieFrame* f = movie->queryFrame();
  ASSERT_TRUE(f);
  EXPECT_TRUE(BytesOf(*f) == plain[0].bytes);
  std::remove(path.c_str());
}

TEST(MovieMemory, KeepsTheLast64FramesAndAKeptOneBeyondThem) {
  const std::string path = TempPath("memory_long.avi");
  ASSERT_TRUE(WriteMovie(path, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 100));
  auto movie = MovieCapture::open(path);
  ASSERT_TRUE(movie);
  movie->keepFrame(5);
  for (int n = 0; n < 100; ++n) ASSERT_TRUE(movie->queryFrame());
  auto fromMemoryAfterSeekTo = [&movie](int t) {
    const int before = movie->seekCounts().fromMemory;
    movie->setProperty(movie::kPosFrames, t);
    EXPECT_TRUE(movie->queryFrame());
    return movie->seekCounts().fromMemory - before;
  };
  EXPECT_EQ(fromMemoryAfterSeekTo(5), 1);         // kept beyond the budget
  EXPECT_EQ(fromMemoryAfterSeekTo(100 - 63), 1);  // 64 recent ones, 5 among them now
  EXPECT_EQ(fromMemoryAfterSeekTo(100 - 64), 0);
  std::remove(path.c_str());
}

// The views are read once, in ascending order, and the movie ends where the order
// leaves it: make< on view 0's frame, make> on view V's.
TEST(TakeViewFrames, ReadsAscendingAndEndsWhereTheOrderEnds) {
  const std::string path = TempPath("views_mjpeg.avi");
  ASSERT_TRUE(WriteMovie(path, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 40));
  const std::vector<Shot> plain = PlainSeeks(path, 40);
  const std::vector<int> frames = {3, 9, 9, 20, 38};  // one frame twice
  for (const bool rightToLeft : {false, true}) {
    auto movie = MovieCapture::open(path);
    ASSERT_TRUE(movie);
    std::vector<int> placed;
    std::vector<uint8_t> last;
    movie::takeViewFrames(*movie, frames, rightToLeft, [&](int view, const MovieFrame* f) {
      ASSERT_TRUE(f);
      EXPECT_TRUE(BytesOf(*f) == plain[frames[view] - 1].bytes) << view;
      placed.push_back(view);
      last = BytesOf(*f);
    });
    const int lastView = rightToLeft ? 0 : 4;
    const std::vector<int> order =
        rightToLeft ? std::vector<int>{0, 1, 2, 3, 4, 0} : std::vector<int>{0, 1, 2, 3, 4};
    EXPECT_EQ(placed, order);
    EXPECT_TRUE(last == plain[frames[lastView] - 1].bytes);
    EXPECT_EQ(movie->property(movie::kPosFrames), frames[lastView]);
    // No seek went back: the last view's frame came again from memory.
    EXPECT_EQ(movie->seekCounts().fromMemory, rightToLeft ? 2 : 1);
  }
  std::remove(path.c_str());
}

// A reader that has fallen behind passes over the frames no other is decoded from:
// fewer frames come, each with the number its time gives, and the numbers count on
// from there once it stops.
TEST(MovieDecoderCatchingUp, PassedOverFramesKeepTheNumbersTheirTimesGive) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "no ffmpeg";
  const std::string path = TempPath("catch_up.mp4");
  ASSERT_EQ(std::system(("ffmpeg -v error -y -f lavfi -i testsrc2=size=96x64:rate=25 "
                         "-frames:v 60 -c:v libx264 -g 12 -bf 3 -b-pyramid none "
                         "-pix_fmt yuv420p " +
                         path)
                            .c_str()),
            0);
  int why = 0;
  auto decoder = movie::MovieDecoder::open(path, &why);
  ASSERT_TRUE(decoder);
  decoder->passOverUnreferenced(true);
  movie::DecodedFrame f;
  std::vector<long> numbers;
  while (numbers.size() < 40 && decoder->read(f)) {
    EXPECT_EQ(f.number, std::lround(f.msec * 25 / 1000)) << f.msec;
    numbers.push_back(f.number);
  }
  ASSERT_FALSE(numbers.empty());
  EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));
  EXPECT_LT(numbers.size(), 40u) << "no frame was passed over";
  EXPECT_LT(numbers.back(), 60);
  decoder->passOverUnreferenced(false);
  long last = numbers.back();
  while (decoder->read(f)) {
    EXPECT_GT(f.number, last);
    EXPECT_EQ(f.number, std::lround(f.msec * 25 / 1000)) << f.msec;
    last = f.number;
  }
  EXPECT_EQ(last, 59);
  std::remove(path.c_str());
}

// H.264 in AVI has decoding times only: the first frames' stamps, guessed through the
// reordering, say nothing of their place. Going back to them after the frames kept in
// memory have moved on is a seek to the start, and the frame sought is the one read in
// order, at its place.
TEST(MovieSeekWay, FramesOfReorderedAviAreThoseReadInOrder) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "no ffmpeg";
  const std::string path = TempPath("reordered_h264.avi");
  const int count = static_cast<int>(MovieCapture::kCacheFrames) + 20;
  const std::string cmd = "ffmpeg -v error -y -f lavfi -i testsrc2=size=96x64:rate=25 -frames:v " +
                          std::to_string(count) + " -c:v libx264 -bf 3 -pix_fmt yuv420p " + path;
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::vector<std::vector<uint8_t>> inOrder;
  auto movie = MovieCapture::open(path);
  ASSERT_TRUE(movie);
  while (const MovieFrame* f = movie->queryFrame()) inOrder.push_back(BytesOf(*f));
  ASSERT_EQ(inOrder.size(), static_cast<size_t>(count));
  for (int n : {0, 1, 2}) {
    movie->setProperty(movie::kPosFrames, count - 1);  // the frames kept move past n
    while (movie->queryFrame()) {
    }
    movie->setProperty(movie::kPosFrames, n);
    const MovieFrame* f = movie->queryFrame();
    ASSERT_TRUE(f) << n;
    EXPECT_TRUE(BytesOf(*f) == inOrder[static_cast<size_t>(n)]) << n;
    EXPECT_EQ(movie->property(movie::kPosFrames), n + 1);
  }
  std::remove(path.c_str());
}

}  // namespace
