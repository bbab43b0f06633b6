// direvo-compose with the fine method: the options it refuses, and that its picture is
// the library's fine composition of the same views.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "compose/fine.h"
#include "compose/panel_profile.h"
#include "compose_tool_fixture.h"
#include "platform/imagefile.h"
#include "views/depth_views.h"

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

// The picture in `file` is the fine composition of `views` with `p`, pixel for pixel.
void expectFinePicture(const plat::Surface& views, const std::string& file,
                       const compose::FineParams& p) {
  std::vector<uint32_t> expected(static_cast<size_t>(p.width) * p.height);
  compose::composeFineStraight({views.row32(0), views.width(), views.height()},
                               {expected.data(), p.width, p.height}, p);
  const plat::LoadedImage loaded = plat::loadImageFile(file);
  ASSERT_TRUE(loaded.object);
  ASSERT_EQ(loaded.object->width(), p.width);
  ASSERT_EQ(loaded.object->height(), p.height);
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      ASSERT_EQ(loaded.object->row32(y)[x] & 0x00FFFFFF, expected[y * p.width + x])
          << x << ", " << y;
    }
  }
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
    expectFinePicture(*views, path("fine.png"), c.p);
  }
}

TEST_F(ComposeTool, PanelProfileStandsInForTheOptionsNotGiven) {
  const auto views = writeViews("views.png", 5 * 29 + 3, 17);
  std::ofstream(path("p.toml"))
      << "width = 61\nheight = 23\npitch = -7.5\nslant = -0.2222\n"
         "offset = 1.5\nsubpixels = \"bgr\"\nviews = 5\nmethod = \"fine\"\n";
  const std::string in = "--multiview " + path("views.png") + " --panel " + path("p.toml");
  ASSERT_EQ(run(in + " --out " + path("a.png")), 0);
  expectFinePicture(*views, path("a.png"),
                    {-7.5, -0.2222, 1.5, compose::SubpixelOrder::Bgr, 5, 61, 23});

  // The command line wins; --save-panel writes what was in effect.
  ASSERT_EQ(run(in + " --pitch 9.3 --subpixels rgb --out " + path("b.png") + " --save-panel " +
                path("s.toml")),
            0);
  const compose::FineParams inEffect{9.3, -0.2222, 1.5, compose::SubpixelOrder::Rgb, 5, 61, 23};
  expectFinePicture(*views, path("b.png"), inEffect);
  const compose::PanelProfileReading saved = compose::readPanelProfileFile(path("s.toml"));
  ASSERT_TRUE(saved.ok()) << saved.refusal;
  EXPECT_EQ(saved.profile,
            (compose::PanelProfile{61, 23, 5, 9.3, -0.2222, 1.5, compose::SubpixelOrder::Rgb,
                                   compose::Method::Fine}));

  // --save-panel alone writes the profile and nothing else.
  ASSERT_EQ(run("--panel " + path("s.toml") + " --views 3 --save-panel " + path("t.toml")), 0);
  compose::PanelProfile three = saved.profile;
  three.views = 3;
  EXPECT_EQ(compose::readPanelProfileFile(path("t.toml")).profile, three);

  // The profile's geometry is held to the method as the options are.
  std::string err;
  EXPECT_EQ(run(in + " --method stable --out " + path("c.png"), &err), 2);
  EXPECT_FALSE(fs::exists(path("c.png")));
}

TEST_F(ComposeTool, PanelProfileRefusedWithItsLineAndNothingWritten) {
  writeViews("views.png", 40, 10);
  std::ofstream(path("bad.toml")) << "views = 4\nmethod = \"fine\"\nslant = \"1/3\"\n";
  const std::string out = " --out " + path("out.png") + " --save-panel " + path("s.toml");
  const struct {
    std::string args, refusal;
  } cases[] = {
      {"--multiview " + path("views.png") + " --panel " + path("bad.toml") + out,
       "direvo-compose: panel profile " + path("bad.toml") +
           ": line 3: slant must be a finite number (got \"1/3\")\n"},
      {"--multiview " + path("views.png") + " --panel " + path("none.toml") + out,
       "direvo-compose: panel profile " + path("none.toml") + ": No such file or directory\n"},
      {"--calibration --views 4 --panel default" + out, "direvo-compose: panel profile " +
                                                            path("cfg/direvo/panel.toml") +
                                                            ": No such file or directory\n"},
  };
  ::setenv("XDG_CONFIG_HOME", path("cfg").c_str(), 1);  // the tool's, through std::system
  for (const auto& c : cases) {
    std::string err;
    EXPECT_EQ(run(c.args, &err), 2);
    EXPECT_EQ(err, c.refusal);
    EXPECT_FALSE(fs::exists(path("out.png")));
    EXPECT_FALSE(fs::exists(path("s.toml")));
  }
  ::unsetenv("XDG_CONFIG_HOME");
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

TEST_F(ComposeTool, DepthViewsAreComposedAsAnyViews) {
  const auto picture = writeViews("picture.png", 40, 10);
  auto grey = plat::Surface::create(20, 5, 32);  // half size, the same shape
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 20; ++x) grey->row32(y)[x] = (x < 8 ? 0x20 : 0xE0) * 0x010101u;
  }
  ASSERT_EQ(plat::saveImageFile(*grey, path("depth.png")), plat::ImageFileError::None);
  ASSERT_EQ(run("--depth " + path("picture.png") + " " + path("depth.png") +
                " --views 4 --disparity 6 --focus 0.25 --method fine --pitch 5.5 --slant 0.3333"
                " --width 30 --height 10 --multiview-out " +
                path("mv.png") + " --out " + path("out.png")),
            0);
  std::string refusal;
  const views::DepthMap depth =
      views::depthFromGreyPicture({grey->row32(0), 20, 5}, 40, 10, refusal);
  const compose::MultiViewPicture expected =
      views::viewsFromDepth({picture->row32(0), 40, 10}, depth, {4, 6.0, 0.25});
  const plat::LoadedImage views = plat::loadImageFile(path("mv.png"));
  ASSERT_TRUE(views.object);
  ASSERT_EQ(views.object->width(), 160);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 160; ++x) {
      ASSERT_EQ(views.object->row32(y)[x] & 0xFFFFFF, expected.pixels[y * 160 + x])
          << x << ", " << y;
    }
  }
  expectFinePicture(*views.object, path("out.png"),
                    {5.5, 0.3333, 0, compose::SubpixelOrder::Rgb, 4, 30, 10});
}

TEST_F(ComposeTool, DepthRefusalsWriteNothing) {
  writeViews("picture.png", 40, 10);  // noise: not grey
  auto grey = plat::Surface::create(40, 10, 32);
  ASSERT_EQ(plat::saveImageFile(*grey, path("depth.png")), plat::ImageFileError::None);
  auto square = plat::Surface::create(10, 10, 32);
  ASSERT_EQ(plat::saveImageFile(*square, path("square.png")), plat::ImageFileError::None);
  const std::string pic = path("picture.png"), out = " --out " + path("out.png");
  const std::string depth = " --depth " + pic + " " + path("depth.png");
  const struct {
    std::string args, refusal;
  } cases[] = {
      {" --depth " + pic + " " + pic + out, "the depth map is not grey"},
      {" --depth " + pic + " " + path("square.png") + out, "not the same shape"},
      {" --depth " + pic + out, "--depth needs two files: PICTURE DEPTH"},
      {depth + " --focus 1.5" + out, "--focus must be a number from 0 to 1"},
      {depth + " --focus nan" + out, "--focus must be a finite number"},
      {depth + " --disparity inf" + out, "--disparity must be a finite number"},
      {depth + " --disparity -41" + out, "--disparity must be from -40 to 40"},
      {" --multiview " + pic + " --views 4 --disparity 3" + out,
       "--disparity and --focus go with --depth"},
      {depth + " --views 181" + out, "--views must be a whole number from 2 to 180"},
  };
  for (const auto& c : cases) expectRefused(c.args, c.refusal, {"out.png"});
}

}  // namespace
