// direvo-compose run as a program: what it refuses, and that what it writes is the
// player's composition of the same views.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>
#include <random>
#include <string>
#include <vector>

#include "app/lenticular.h"
#include "compose/view_frames.h"
#include "compose_tool_fixture.h"
#include "imagewin/imagewin.h"
#include "imaging/imaging.h"
#include "movie/movie_views.h"
#include "platform/imagefile.h"

namespace {

using composetest::ComposeTool;
using composetest::WriteMovie;
namespace fs = std::filesystem;

TEST_F(ComposeTool, WritesThePlayersCompositionForBothMethods) {
  const auto views = writeViews("views.png", 4 * 37, 23);  // views 37 wide
  for (bool beta : {false, true}) {
    SCOPED_TRACE(beta ? "beta" : "stable");
    imagewin::resetImageWindows();
    const std::string method = beta ? "beta" : "stable";
    ASSERT_EQ(
        run("--multiview " + path("views.png") +
            " --views 4 --pitch 9.3 --width 41 "
            "--height 20 --method " +
            method + " --out " + path(method + ".png") + " --work " + path(method + "-work.bmp")),
        0);
    composeInWindows(*views, 9.3, 4, 41, 20, beta);
    if (HasFatalFailure()) return;
    expectPicture(path(method + ".png"), app::kOutputImage);
    expectPicture(path(method + "-work.bmp"), app::kWorkImage);
  }
}

TEST_F(ComposeTool, DefaultsAndAPitchThatNeverCrossesABoundary) {
  const auto views = writeViews("views.tif", 7 * 50, 30);
  ASSERT_EQ(run("--multiview " + path("views.tif") + " --views 7 --out " + path("out.png")), 0);
  composeInWindows(*views, 17.319, 7, 800, 480, false);
  if (HasFatalFailure()) return;
  expectPicture(path("out.png"), app::kOutputImage);

  // A pitch too large for any boundary to be reached shows view 0 everywhere, and the
  // tool still ends.
  imagewin::resetImageWindows();
  ASSERT_EQ(run("--multiview " + path("views.tif") +
                " --views 7 --pitch 1e300 --width 30 "
                "--height 9 --out " +
                path("huge.png")),
            0);
  composeInWindows(*views, 1e300, 7, 30, 9, false);
  if (HasFatalFailure()) return;
  expectPicture(path("huge.png"), app::kOutputImage);
}

TEST_F(ComposeTool, RefusesBadArgumentsWithOneLineAndWritesNothing) {
  writeViews("views.png", 40, 10);
  {
    std::ofstream junk(path("junk.png"));
    junk << "not a picture";
  }
  const std::string in = " --multiview " + path("views.png");
  const std::string out = " --out " + path("out.png") + " --work " + path("work.png");
  const std::vector<std::string> refused = {
      in + " --views 1" + out,
      in + " --views 181" + out,
      in + " --views 4 --width 0" + out,
      in + " --views 4 --width 1921" + out,
      in + " --views 4 --height 0" + out,
      in + " --views 4 --height 1241" + out,
      in + " --views 4 --width 12x" + out,
      in + " --views 4 --pitch fast" + out,
      in + " --views 4 --pitch nan" + out,
      in + " --views 4 --pitch inf" + out,
      in + " --views 4 --pitch -inf" + out,
      in + " --views 4 --pitch 1e999" + out,
      in + " --views 4 --method beta --pitch -nan" + out,
      in + " --views 4 --method best" + out,
      in + out,                                                    // no views
      in + " --views 4",                                           // no output
      " --views 4" + out,                                          // no input
      " --multiview " + path("missing.png") + " --views 4" + out,  // unreadable input
      " --multiview " + path("junk.png") + " --views 4" + out,     // not a picture
      in + " --views 4 --out " + path("out.gif2") + " --work " + path("work.png"),
      in + " --views 4 --out " + path("no/such/dir/out.png") + " --work " + path("work.png"),
      in + " --views 4 --out " + path("out.png") + " --work " + path("no/such/dir/w.png"),
      in + " --views 4 --views 5" + out,
      in + " --views 4 --frobnicate" + out,
  };
  for (const std::string& args : refused) {
    std::string err;
    EXPECT_EQ(run(args, &err), 2) << args;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << args << ": " << err;
    EXPECT_FALSE(fs::exists(path("out.png"))) << args;
    EXPECT_FALSE(fs::exists(path("work.png"))) << args;
  }
  // A value that is not finite is named as such, whichever real option it came by.
  for (const char* option : {"--pitch", "--slant", "--offset"}) {
    std::string err;
    run(in + " --views 4 --method fine " + option + " -inf" + out, &err);
    EXPECT_EQ(err, "direvo-compose: " + std::string(option) +
                       " must be a finite number (got \"-inf\")\n");
  }
  // Nothing but the files written here is left behind (no staged temporaries).
  size_t files = 0;
  for (const auto& e : fs::directory_iterator(dir_)) files += e.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 4u);  // views.png, junk.png, stdout.txt, stderr.txt
}

TEST_F(ComposeTool, MovieModeComposesTheViewsMakeTakes) {
  const std::string movie = WriteMovie(path("m.avi"));
  for (const char* order : {"ltr", "rtl"}) {
    ASSERT_EQ(run(std::string(" --movie ") + movie + " --left 3 --right 27 --order " + order +
                  " --views 5 --width 60 --height 20 --out " + path("from_movie.png")),
              0);
    // The same views laid out here, then composed from a picture file.
    auto capture = movie::MovieCapture::open(movie);
    ASSERT_TRUE(capture);
    const compose::MultiViewPicture views = movie::multiViewFromMovie(
        *capture, compose::spreadViewFrames(3, 27, 5), std::string(order) == "rtl");
    ASSERT_EQ(views.width, 5 * 48);
    auto s = plat::Surface::create(views.width, views.height, 32);
    for (int y = 0; y < views.height; ++y) {
      std::copy_n(views.pixels.data() + y * views.width, views.width, s->row32(y));
    }
    ASSERT_EQ(plat::saveImageFile(*s, path("views.png")), plat::ImageFileError::None);
    ASSERT_EQ(run(" --multiview " + path("views.png") + " --views 5 --width 60 --height 20 --out " +
                  path("from_views.png")),
              0);
    auto a = plat::loadImageFile(path("from_movie.png"));
    auto b = plat::loadImageFile(path("from_views.png"));
    ASSERT_TRUE(a.object && b.object);
    for (int y = 0; y < 20; ++y) {
      ASSERT_EQ(std::memcmp(a.object->row32(y), b.object->row32(y), 60 * 4), 0) << order << y;
    }
  }
  // Right to left puts view V first and clips view 0 away; left to right the reverse.
  auto capture = movie::MovieCapture::open(movie);
  const auto ltr = movie::multiViewFromMovie(*capture, compose::spreadViewFrames(3, 27, 5), false);
  const auto rtl = movie::multiViewFromMovie(*capture, compose::spreadViewFrames(3, 27, 5), true);
  EXPECT_NE(ltr.pixels, rtl.pixels);
  EXPECT_EQ(ltr.pixels[1 * 48], rtl.pixels[4 * 48]);  // view 1: second, and last
}

TEST_F(ComposeTool, MovieModeRefusesMarksOutsideTheMovieAndUnreadableMovies) {
  const std::string movie = WriteMovie(path("m.avi"));
  {
    std::ofstream junk(path("junk.avi"));
    junk << "not a movie";
  }
  const std::string out = " --out " + path("out.png");
  const std::vector<std::string> refused = {
      " --movie " + movie + " --left 0 --right 10" + out,
      " --movie " + movie + " --left 1 --right 31" + out,
      " --movie " + movie + " --left 12 --right 10" + out,
      " --movie " + movie + " --left 1" + out,
      " --movie " + movie + " --left 1 --right 10 --order up" + out,
      " --movie " + path("junk.avi") + " --left 1 --right 10" + out,
      " --movie " + path("none.avi") + " --left 1 --right 10" + out,
      " --movie " + movie + " --multiview " + movie + " --left 1 --right 10 --views 4" + out,
  };
  for (const std::string& args : refused) {
    std::string err;
    EXPECT_EQ(run(args, &err), 2) << args;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << args << ": " << err;
    EXPECT_FALSE(fs::exists(path("out.png"))) << args;
  }
}

TEST_F(ComposeTool, MovieModeNamesTheFirstFrameItCannotReadAndWritesNothing) {
  const std::string movie = WriteMovie(path("cut.avi"));
  fs::resize_file(movie, fs::file_size(movie) * 2 / 3);
  std::string err;
  ASSERT_EQ(
      run(" --movie " + movie + " --left 1 --right 30 --views 4 --out " + path("out.png"), &err),
      2);
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_NE(err.find("frame "), std::string::npos) << err;
  EXPECT_NE(err.find(" could not be read"), std::string::npos) << err;
  EXPECT_FALSE(fs::exists(path("out.png")));
  // The frames before the cut are read: marks inside them compose.
  ASSERT_EQ(run(" --movie " + movie + " --left 1 --right 4 --views 2 --out " + path("out.png")), 0);
}

// The work image would be 3 * 1920 * 180 x 1240: 5 GB. Composing from the views needs
// none of it: the peak stays under 1 GB. ThreadSanitizer's shadow memory counts in the
// peak too (about 2 GB here), so its build is held to the 5 GB only.
#if defined(__SANITIZE_THREAD__)
constexpr long kPeakKilobytes = 5L << 20;
#else
constexpr long kPeakKilobytes = 1L << 20;
#endif

TEST_F(ComposeTool, OneHundredEightyViewsAtTheLargestSizeStayUnderOneGigabyte) {
  writeViews("views.png", 180 * 8, 16);
  const std::string views = path("views.png"), out = path("out.png");
  for (const char* method : {"stable", "beta"}) {
    std::vector<std::string> args = {
        DIREVO_COMPOSE_PATH, "--multiview", views,      "--views", "180",   "--width", "1920",
        "--height",          "1240",        "--method", method,    "--out", out};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);
    int status = 0;
    struct rusage use {};
    ASSERT_EQ(wait4(pid, &status, 0, &use), pid);
    ASSERT_TRUE(WIFEXITED(status)) << method;
    EXPECT_EQ(WEXITSTATUS(status), 0) << method;
    EXPECT_LT(use.ru_maxrss, kPeakKilobytes) << method << ": peak kilobytes";
    const plat::LoadedImage composed = plat::loadImageFile(out);
    ASSERT_TRUE(composed.object) << method;
    EXPECT_EQ(composed.object->width(), 1920);
    EXPECT_EQ(composed.object->height(), 1240);
  }
}

TEST_F(ComposeTool, HelpPrintsUsage) {
  ASSERT_EQ(run("--help"), 0);
  std::ifstream in(path("stdout.txt"));
  const std::string text(std::istreambuf_iterator<char>(in), {});
  EXPECT_NE(text.find("usage: direvo-compose --multiview IN --views V"), std::string::npos);
}

}  // namespace
