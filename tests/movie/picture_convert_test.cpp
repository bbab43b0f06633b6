// Decoded pictures into the window's pixels: the colours FFmpeg's own program gives
// for blue-green-red output, whatever the stream's matrix, range and chroma layout, and
// the same pixels whether converted in bands on several threads or in one piece.
#include "movie/picture_convert.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "movie/movie_capture.h"

namespace {

constexpr int kW = 480, kH = 400;  // tall enough for several bands
constexpr uint32_t kUntouched = 0xDEADBEEF;

std::string TempPath(const std::string& name) {
  return (std::filesystem::path(testing::TempDir()) / name).string();
}

bool RunQuietly(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// Frame 0 as `ffmpeg -pix_fmt bgra` gives it, as words 0x00RRGGBB.
std::vector<uint32_t> FfmpegPixels(const std::string& movie) {
  const std::string raw = movie + ".bgra";
  if (!RunQuietly("ffmpeg -v error -y -i " + movie + " -frames:v 1 -pix_fmt bgra -f rawvideo " +
                  raw))
    return {};
  std::ifstream in(raw, std::ios::binary);
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
  std::remove(raw.c_str());
  std::vector<uint32_t> pixels(bytes.size() / 4);
  for (size_t i = 0; i < pixels.size(); ++i) {
    const auto b = [&](int k) {
      return static_cast<uint32_t>(static_cast<uint8_t>(bytes[4 * i + k]));
    };
    pixels[i] = b(2) << 16 | b(1) << 8 | b(0);
  }
  return pixels;
}

TEST(PictureConvert, ColoursAreFfmpegsForEveryMatrixRangeAndLayout) {
  if (!RunQuietly("ffmpeg -version")) GTEST_SKIP() << "no ffmpeg";
  const struct {
    const char* name;
    const char* encoding;  // ffmpeg arguments after the input
  } cases[] = {
      {"yuv420_untagged.mkv", "-c:v libx264 -qp 10 -pix_fmt yuv420p"},
      {"yuv420_bt709.mkv",
       "-c:v libx264 -qp 10 -pix_fmt yuv420p -colorspace bt709 -color_primaries bt709 "
       "-color_trc bt709"},
      {"yuv420_full.mkv", "-c:v libx264 -qp 10 -pix_fmt yuv420p -color_range pc"},
      {"yuv444_bt601.mkv", "-c:v libx264 -qp 10 -pix_fmt yuv444p -colorspace smpte170m"},
      {"yuvj422_mjpeg.avi", "-c:v mjpeg -q:v 2 -pix_fmt yuvj422p"},
      {"yuv420_10bit.mkv", "-c:v ffv1 -pix_fmt yuv420p10le"},
      {"bgr0_ffv1.mkv", "-c:v ffv1 -pix_fmt bgr0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = TempPath(c.name);
    ASSERT_TRUE(RunQuietly("ffmpeg -v error -y -f lavfi -i testsrc2=size=" + std::to_string(kW) +
                           "x" + std::to_string(kH) + " -frames:v 1 " + c.encoding + " " + path));
    const std::vector<uint32_t> want = FfmpegPixels(path);
    ASSERT_EQ(want.size(), size_t{kW} * kH);
    auto movie = movie::MovieCapture::open(path);
    ASSERT_TRUE(movie) << movie.reason.text;
    const movie::MovieFrame* f = movie->queryFrame();
    ASSERT_TRUE(f && f->picture);
    std::vector<uint32_t> banded(size_t{kW} * kH, kUntouched), whole(banded);
    ASSERT_TRUE(movie::convertPictureToImage(*f->picture, banded.data(), kW, kH));
    ASSERT_TRUE(movie::convertPictureToImageInOnePiece(*f->picture, whole.data(), kW, kH));
    EXPECT_TRUE(banded == want);
    EXPECT_TRUE(whole == want);
    // A smaller destination gets the corner it shares, and nothing beside it.
    constexpr int kSmallW = 300, kSmallH = 270;
    std::vector<uint32_t> corner(size_t{kSmallW} * kSmallH + 1, kUntouched);
    ASSERT_TRUE(movie::convertPictureToImage(*f->picture, corner.data(), kSmallW, kSmallH));
    for (int y = 0; y < kSmallH; ++y)
      for (int x = 0; x < kSmallW; ++x)
        ASSERT_EQ(corner[size_t{kSmallW} * y + x], want[size_t{kW} * y + x]) << x << "," << y;
    EXPECT_EQ(corner.back(), kUntouched);
    std::remove(path.c_str());
  }
}

}  // namespace
