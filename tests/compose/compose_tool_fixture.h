// direvo-compose run as a program: the fixture its tests share (a private folder, the
// tool's exit status and stderr, views and movies to feed it, and the player's own
// composition on image windows to hold it to).
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>
#include <random>
#include <string>
#include <vector>

#include "app/lenticular.h"
#include "core/library.h"
#include "imagewin/imagewin.h"
#include "imaging/imaging.h"
#include "platform/imagefile.h"

namespace composetest {

namespace fs = std::filesystem;

class ComposeTool : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(testing::TempDir()) / ("direvo-compose-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    resetLibrary();
  }
  void TearDown() override {
    resetLibrary();
    fs::remove_all(dir_);
  }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  // Runs the tool; its exit status, with what it printed on stderr in `err`.
  int run(const std::string& args, std::string* err = nullptr) const {
    const std::string errFile = path("stderr.txt");
    const std::string cmd =
        std::string(DIREVO_COMPOSE_PATH) + " " + args + " >" + path("stdout.txt") + " 2>" + errFile;
    const int status = std::system(cmd.c_str());
    if (err) {
      std::ifstream in(errFile);
      *err = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Runs the tool with `args`, which it must refuse: status 2 and one line holding
  // `words`, and none of the files `unwritten` (in the test's folder) written.
  void expectRefused(const std::string& args, const std::string& words,
                     const std::vector<std::string>& unwritten) const {
    std::string err;
    EXPECT_EQ(run(args, &err), 2) << args;
    EXPECT_NE(err.find(words), std::string::npos) << args << ": " << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    for (const std::string& name : unwritten) EXPECT_FALSE(fs::exists(path(name))) << args;
  }

  // Views side by side: noise, so any misplaced column shows.
  std::unique_ptr<plat::Surface> writeViews(const std::string& name, int width, int height) {
    auto s = plat::Surface::create(width, height, 32);
    std::mt19937 rng(9);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) s->row32(y)[x] = rng() & 0x00FFFFFF;
    }
    EXPECT_EQ(plat::saveImageFile(*s, path(name)), plat::ImageFileError::None);
    return s;
  }

  // The player's own steps on image windows, pixel by pixel: the views in window 1,
  // the work image in 2, a black output in 3.
  static void composeInWindows(const plat::Surface& views, double pitch, int V, int W, int H,
                               bool beta) {
    app::Pitch = pitch;
    app::View_num = V;
    app::Width = W;
    app::Height = H;
    app::builtViewCount = V;
    app::betaMode = beta;
    ASSERT_EQ(TAV_CreateImageFL(app::kMultiViewImage, "mv", 0, 0, views.width(), views.height(), 1),
              0);
    TAV_PutImageBlock(views.data(), 0, views.width(), views.height());
    ASSERT_EQ(TAV_CreateImageFL(app::kWorkImage, "work", 0, 0, 3 * W * V, H, 1), 0);
    ASSERT_EQ(TAV_CreateImageFL(app::kOutputImage, "out", 0, 0, W, H, 1), 0);
    app::buildWorkImageStraight(views.width() / V, views.height());
    if (beta) {
      app::composeBetaStraight();
    } else {
      app::composeStableStraight();
    }
  }

  static void expectPicture(const std::string& file, int number) {
    plat::LoadedImage loaded = plat::loadImageFile(file);
    ASSERT_TRUE(loaded.object) << file;
    const ImageWindowRecord& rec = ImageTable[number];
    ASSERT_EQ(loaded.object->width(), rec.width);
    ASSERT_EQ(loaded.object->height(), rec.height);
    const auto* expected = reinterpret_cast<const uint32_t*>(ImagePixels[number]);
    for (int y = 0; y < rec.height; ++y) {
      for (int x = 0; x < rec.width; ++x) {
        ASSERT_EQ(loaded.object->row32(y)[x] & 0x00FFFFFF, expected[y * rec.width + x])
            << file << " at " << x << ", " << y;
      }
    }
  }

  fs::path dir_;
};

// A movie of 30 frames, frame n a flat colour of its own.
inline std::string WriteMovie(const std::string& path) {
  cv::VideoWriter out(path, cv::CAP_FFMPEG, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 25,
                      cv::Size(48, 32));
  for (int n = 0; n < 30; ++n)
    out.write(cv::Mat(32, 48, CV_8UC3, cv::Scalar(8 * n, 255 - 8 * n, 90)));
  return path;
}

}  // namespace composetest
