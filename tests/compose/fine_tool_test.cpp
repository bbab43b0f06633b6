// direvo-compose with the fine method: the options it refuses, and that its picture is
// the library's fine composition of the same views.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "compose/fine.h"
#include "compose_tool_fixture.h"
#include "platform/imagefile.h"

namespace {

using composetest::ComposeTool;
namespace fs = std::filesystem;

TEST_F(ComposeTool, FineOptionsRefusedWithOneLineAndNothingWritten) {
  writeViews("views.png", 40, 10);
  const std::string in = " --multiview " + path("views.png") + " --views 4";
  const std::string out = " --out " + path("out.png");
  const std::string fine = in + " --method fine";
  const std::vector<std::string> refused = {
      in + " --slant 0.5" + out,  // geometry with the default method
      in + " --method stable --offset 2" + out,
      in + " --method beta --subpixels bgr" + out,
      in + " --method stable --width 1921" + out,  // stable and Beta keep their sizes
      in + " --method beta --height 1241" + out,
      fine + " --width 7681" + out,
      fine + " --height 4321" + out,
      fine + " --width 0" + out,
      fine + " --slant inf" + out,
      fine + " --slant nan" + out,
      fine + " --slant 1/3" + out,
      fine + " --offset -inf" + out,
      fine + " --offset x" + out,
      fine + " --pitch 0" + out,
      fine + " --pitch inf" + out,
      fine + " --pitch nan" + out,
      fine + " --pitch -inf" + out,
      fine + " --slant 1e999" + out,
      fine + " --offset -nan" + out,
      fine + " --subpixels grb" + out,
      fine + " --method fine" + out,  // twice
      fine + " --work " + path("work.png") + out,
      fine + " --calibration-pattern lines" + out,  // not a calibration
      " --calibration --views 4 --calibration-pattern dots" + out,
      " --calibration --views 4 --calibration-pattern lines --calibration-view 4" + out,
      " --calibration --views 4 --calibration-view 1" + out,  // only with lines
  };
  for (const std::string& args : refused) {
    std::string err;
    EXPECT_EQ(run(args, &err), 2) << args;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << args << ": " << err;
    EXPECT_FALSE(fs::exists(path("out.png"))) << args;
    EXPECT_FALSE(fs::exists(path("work.png"))) << args;
  }
  // The geometry options at their defaults go with any method.
  EXPECT_EQ(run(in + " --method beta --slant 1 --offset 0 --subpixels rgb" + out), 0);
}

TEST_F(ComposeTool, FinePictureIsTheLibrarysComposition) {
  const auto views = writeViews("views.png", 5 * 29 + 3, 17);
  struct Case {
    const char* args;
    compose::FineParams p;
  } cases[] = {
      {"--pitch -7.5 --slant -0.2222 --offset 1.5 --subpixels bgr",
       {-7.5, -0.2222, 1.5, compose::SubpixelOrder::Bgr, 5, 61, 23}},
      {"--pitch 9.3 --slant 0.3333", {9.3, 0.3333, 0, compose::SubpixelOrder::Rgb, 5, 61, 23}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    ASSERT_EQ(run("--multiview " + path("views.png") + " --views 5 --width 61 --height 23 " +
                  "--method fine " + c.args + " --out " + path("fine.png")),
              0);
    std::vector<uint32_t> expected(61 * 23);
    compose::composeFineStraight({views->row32(0), views->width(), views->height()},
                                 {expected.data(), 61, 23}, c.p);
    const plat::LoadedImage loaded = plat::loadImageFile(path("fine.png"));
    ASSERT_TRUE(loaded.object);
    ASSERT_EQ(loaded.object->width(), 61);
    ASSERT_EQ(loaded.object->height(), 23);
    for (int y = 0; y < 23; ++y) {
      for (int x = 0; x < 61; ++x) {
        ASSERT_EQ(loaded.object->row32(y)[x] & 0x00FFFFFF, expected[y * 61 + x]) << x << ", " << y;
      }
    }
  }
}

TEST_F(ComposeTool, FineTakesPanelsUpTo8K) {
  writeViews("views.png", 8, 4);
  for (const auto& [width, height] : {std::pair{7680, 2}, std::pair{2, 4320}}) {
    const std::string size =
        " --width " + std::to_string(width) + " --height " + std::to_string(height);
    ASSERT_EQ(run("--multiview " + path("views.png") + " --views 2 --method fine" + size +
                  " --out " + path("big.png")),
              0)
        << size;
    const plat::LoadedImage loaded = plat::loadImageFile(path("big.png"));
    ASSERT_TRUE(loaded.object);
    EXPECT_EQ(loaded.object->width(), width);
    EXPECT_EQ(loaded.object->height(), height);
  }
}

TEST_F(ComposeTool, CalibrationLinesLightOneViewsSubpixels) {
  // V 4, P 4, S 1, O 0: sub-pixel s of row y shows view (s - y) mod 4, so with view 2
  // white exactly the sub-pixels with (s - y) mod 4 = 2 are lit, moving right a row down.
  ASSERT_EQ(run("--calibration --calibration-pattern lines --calibration-view 2 --views 4 "
                "--method fine --pitch 4 --width 32 --height 6 --out " +
                path("lines.png")),
            0);
  const plat::LoadedImage loaded = plat::loadImageFile(path("lines.png"));
  ASSERT_TRUE(loaded.object);
  for (int y = 0; y < 6; ++y) {
    for (int s = 0; s < 96; ++s) {
      const uint32_t channel = loaded.object->row32(y)[s / 3] >> (16 - 8 * (s % 3)) & 0xFF;
      EXPECT_EQ(channel, (s - y + 4) % 4 == 2 ? 255u : 0u) << "sub-pixel " << s << " of row " << y;
    }
  }
}

}  // namespace
