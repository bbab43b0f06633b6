// direvo-compose on stereo pairs: every way of giving a pair (two files, side by side,
// crossed, an MPO file) makes the library's views of it, the depth found is written with
// its D and F, and bad pairs are refused with one line, writing nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "compose_tool_fixture.h"
#include "platform/imagefile.h"
#include "views/stereo_views.h"

namespace {

using composetest::ComposeTool;
namespace fs = std::filesystem;

constexpr int kW = 64, kH = 24;

std::unique_ptr<plat::Surface> loaded(const std::string& file) {
  plat::LoadedImage l = plat::loadImageFile(file);
  EXPECT_TRUE(l.object) << file;
  return std::move(l.object);
}

std::vector<uint8_t> bytesOf(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class StereoTool : public ComposeTool {
 protected:
  // Noise seen by two eyes: the right eye's picture is the left's moved 3 columns left,
  // with a near square moved 7.
  void SetUp() override {
    ComposeTool::SetUp();
    left_ = writeViews("left.png", kW, kH);
    right_ = plat::Surface::create(kW, kH, 32);
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        const bool square = y >= 6 && y < 18 && x >= 20 && x < 36;
        right_->row32(y)[x] = left_->row32(y)[std::min(kW - 1, x + (square ? 7 : 3))];
      }
    }
    ASSERT_EQ(plat::saveImageFile(*right_, path("right.png")), plat::ImageFileError::None);
    for (bool crossed : {false, true}) {
      auto both = plat::Surface::create(2 * kW, kH, 32);
      plat::bitBlt(*both, crossed ? kW : 0, 0, kW, kH, *left_, 0, 0);
      plat::bitBlt(*both, crossed ? 0 : kW, 0, kW, kH, *right_, 0, 0);
      ASSERT_EQ(plat::saveImageFile(*both, path(crossed ? "cross.png" : "sbs.png")),
                plat::ImageFileError::None);
    }
  }

  // The views the library makes of the pair, as the tool must write them.
  static std::vector<uint32_t> viewsOf(const plat::Surface& l, const plat::Surface& r, int V) {
    const compose::ConstPixelBuffer lb{l.row32(0), kW, kH}, rb{r.row32(0), kW, kH};
    return views::viewsFromPair(lb, rb, views::disparityOfPair(lb, rb), V).pixels;
  }

  static void expectPixels(const std::string& file, const std::vector<uint32_t>& expected) {
    const std::unique_ptr<plat::Surface> s = loaded(file);
    ASSERT_TRUE(s);
    ASSERT_EQ(static_cast<size_t>(s->width()) * s->height(), expected.size()) << file;
    for (int y = 0; y < s->height(); ++y) {
      for (int x = 0; x < s->width(); ++x) {
        ASSERT_EQ(s->row32(y)[x] & 0xFFFFFF, expected[size_t(y) * s->width() + x])
            << file << " at " << x << ", " << y;
      }
    }
  }

  std::unique_ptr<plat::Surface> left_, right_;
};

TEST_F(StereoTool, EveryWayOfGivingAPairMakesItsViews) {
  const std::string rest = " --views 5 --method fine --pitch 4.5 --width 40 --height 12 --out ";
  const std::vector<uint32_t> expected = viewsOf(*left_, *right_, 5);
  const struct {
    std::string input, name;
  } cases[] = {
      {"--stereo " + path("left.png") + " " + path("right.png"), "files"},
      {"--sbs " + path("sbs.png"), "sbs"},
      {"--sbs " + path("cross.png") + " --sbs-cross", "cross"},
  };
  for (const auto& c : cases) {
    const std::string mv = path(c.name + "_views.png"), out = path(c.name + ".png");
    ASSERT_EQ(run(c.input + rest + out + " --multiview-out " + mv), 0) << c.name;
    expectPixels(mv, expected);
    EXPECT_TRUE(fs::exists(out)) << c.name;
  }

  // An MPO file: two JPEG pictures one after the other, each read as its own file is.
  ASSERT_EQ(plat::saveImageFile(*left_, path("left.jpg")), plat::ImageFileError::None);
  ASSERT_EQ(plat::saveImageFile(*right_, path("right.jpg")), plat::ImageFileError::None);
  std::vector<uint8_t> mpo = bytesOf(path("left.jpg"));
  const std::vector<uint8_t> second = bytesOf(path("right.jpg"));
  mpo.insert(mpo.end(), second.begin(), second.end());
  std::ofstream(path("pair.mpo"), std::ios::binary)
      .write(reinterpret_cast<const char*>(mpo.data()), static_cast<std::streamsize>(mpo.size()));
  ASSERT_EQ(run("--mpo " + path("pair.mpo") + rest + path("mpo.png") + " --multiview-out " +
                path("mpo_views.png")),
            0);
  expectPixels(path("mpo_views.png"),
               viewsOf(*loaded(path("left.jpg")), *loaded(path("right.jpg")), 5));
}

TEST_F(StereoTool, TheDepthFoundIsWrittenWithItsScale) {
  ASSERT_EQ(run("--sbs " + path("sbs.png") + " --views 3 --depth-out " + path("depth.png") +
                " --out " + path("out.png")),
            0);
  const compose::ConstPixelBuffer lb{left_->row32(0), kW, kH}, rb{right_->row32(0), kW, kH};
  const views::DisparityMaps maps = views::disparityOfPair(lb, rb);
  const views::DepthScale scale = views::depthScaleOf(maps);
  const views::DepthMap z = views::depthOfDisparity(maps.left, kW, kH, scale);
  std::vector<uint32_t> grey(z.z.size());
  for (size_t i = 0; i < grey.size(); ++i) grey[i] = std::lround(z.z[i] * 255.0f) * 0x010101u;
  expectPixels(path("depth.png"), grey);
  // The square (columns 27 to 42 of the left picture) is nearer than the rest: whiter.
  const std::unique_ptr<plat::Surface> depth = loaded(path("depth.png"));
  EXPECT_GT(depth->row32(12)[34] & 0xFF, (depth->row32(12)[50] & 0xFF) + 40);
  std::ifstream in(path("stdout.txt"));
  const std::string said(std::istreambuf_iterator<char>(in), {});
  char expectedLine[200];
  std::snprintf(expectedLine, sizeof expectedLine, "--disparity %.6g --focus %.6g\n",
                scale.disparity, scale.focus);
  EXPECT_NE(said.find(expectedLine), std::string::npos) << said;
}

TEST_F(StereoTool, BadPairsAreRefusedWithOneLineAndNothingWritten) {
  writeViews("wider.png", kW + 2, kH);
  writeViews("odd.png", 2 * kW + 1, kH);
  ASSERT_EQ(plat::saveImageFile(*left_, path("one.jpg")), plat::ImageFileError::None);
  fs::copy_file(path("one.jpg"), path("one.mpo"));
  const std::string l = path("left.png"), r = path("right.png"), sbs = " --sbs " + path("sbs.png");
  const std::string out = " --out " + path("out.png") + " --depth-out " + path("depth.png");
  const struct {
    std::string args, refusal;
  } cases[] = {
      {"--stereo " + l + " " + path("wider.png") + out,
       "the left picture is 64 x 24 and the right 66 x 24: a stereo pair's pictures are of one "
       "size"},
      {"--sbs " + path("odd.png") + out, "halves differ in size at an odd width"},
      {"--mpo " + path("one.mpo") + out, "holds 1 picture: an MPO file needs two"},
      {"--mpo " + path("left.png") + out, "holds 0 pictures"},
      {"--mpo " + path("none.mpo") + out, "cannot read"},
      {"--stereo " + l + out, "--stereo needs two files: LEFT RIGHT"},
      {"--stereo " + l + " " + r + sbs + out, "give one of"},
      {"--stereo " + l + " " + r + " --sbs-cross" + out, "--sbs-cross goes with --sbs PAIR"},
      {sbs + " --disparity 4" + out, "--disparity and --focus go with --depth"},
      {sbs + " --focus nan" + out, "--focus must be a finite number"},
      {"--depth " + l + " " + r + out, "--depth-out goes with --stereo, --sbs or --mpo"},
      {sbs + " --views 1" + out, "--views must be a whole number from 2 to 180"},
      {sbs + " --out " + path("out.png") + " --depth-out " + path("depth.xyz"),
       "cannot write " + path("depth.xyz")},
  };
  for (const auto& c : cases) expectRefused(c.args, c.refusal, {"out.png", "depth.png"});
}

}  // namespace
