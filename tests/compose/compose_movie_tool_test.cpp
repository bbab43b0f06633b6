// direvo-compose making movies and the calibration picture, run as a program: each
// frame it writes is the picture it writes for the same views, frame by frame, and
// nothing is left behind when it refuses or is interrupted.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "compose/calibration.h"
#include "compose_tool_fixture.h"

namespace {

using composetest::ComposeTool;
using composetest::WriteMovie;
namespace fs = std::filesystem;

// A lossless multi-view movie: `frames` frames of noise, each `views` views of 20 x 16.
std::vector<cv::Mat> WriteViewsMovie(const std::string& path, int frames, int views) {
  cv::VideoWriter out(path, cv::CAP_FFMPEG, cv::VideoWriter::fourcc('F', 'F', 'V', '1'), 12,
                      cv::Size(20 * views, 16));
  EXPECT_TRUE(out.isOpened());
  std::mt19937 rng(5);
  std::vector<cv::Mat> written;
  for (int n = 0; n < frames; ++n) {
    cv::Mat m(16, 20 * views, CV_8UC3);
    for (size_t i = 0; i < m.total() * 3; ++i) m.data[i] = static_cast<uint8_t>(rng());
    out.write(m);
    written.push_back(m);
  }
  return written;
}

std::vector<cv::Mat> ReadMovie(const std::string& path, double* fps = nullptr) {
  cv::VideoCapture in(path, cv::CAP_FFMPEG);
  if (fps) *fps = in.get(cv::CAP_PROP_FPS);
  std::vector<cv::Mat> frames;
  cv::Mat m;
  while (in.read(m)) frames.push_back(m.clone());
  return frames;
}

void SavePicture(const cv::Mat& bgr, const std::string& path) {
  auto s = plat::Surface::create(bgr.cols, bgr.rows, 32);
  for (int y = 0; y < bgr.rows; ++y) {
    for (int x = 0; x < bgr.cols; ++x) {
      const cv::Vec3b p = bgr.at<cv::Vec3b>(y, x);
      s->row32(y)[x] = static_cast<uint32_t>(p[2]) << 16 | p[1] << 8 | p[0];
    }
  }
  ASSERT_EQ(plat::saveImageFile(*s, path), plat::ImageFileError::None);
}

// A movie frame and a picture file, pixel for pixel.
void ExpectSamePixels(const cv::Mat& frame, const std::string& picture, const std::string& what) {
  const plat::LoadedImage p = plat::loadImageFile(picture);
  ASSERT_TRUE(p.object) << picture;
  ASSERT_EQ(frame.cols, p.object->width()) << what;
  ASSERT_EQ(frame.rows, p.object->height()) << what;
  for (int y = 0; y < frame.rows; ++y) {
    for (int x = 0; x < frame.cols; ++x) {
      const cv::Vec3b f = frame.at<cv::Vec3b>(y, x);
      const uint32_t expected = p.object->row32(y)[x] & 0x00FFFFFF;
      ASSERT_EQ(static_cast<uint32_t>(f[2]) << 16 | f[1] << 8 | f[0], expected)
          << what << " at " << x << ", " << y;
    }
  }
}

// The files in the folder other than the ones named: what a failed run left behind.
std::vector<std::string> Leftovers(const fs::path& dir, const std::vector<std::string>& known) {
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (std::find(known.begin(), known.end(), name) == known.end()) left.push_back(name);
  }
  return left;
}

TEST_F(ComposeTool, ViewsMovieFramesAreTheMultiviewPicturesOfItsFrames) {
  const std::vector<cv::Mat> in = WriteViewsMovie(path("views.mkv"), 5, 3);
  // 20 rows is not a multiple of three: the row-group method leaves the last rows
  // alone, so they must be black in every frame, not the frame before's.
  for (const char* method :
       {"stable", "beta", "fine --slant -0.2222 --offset 2.5 --subpixels bgr"}) {
    SCOPED_TRACE(method);
    const std::string settings =
        std::string(" --views 3 --pitch 7.7 --width 42 --height 20 --method ") + method;
    ASSERT_EQ(run("--views-movie " + path("views.mkv") + settings + " --out " + path("out.mkv")),
              0);
    double fps = 0;
    const std::vector<cv::Mat> out = ReadMovie(path("out.mkv"), &fps);
    EXPECT_EQ(fps, 12);
    ASSERT_EQ(out.size(), in.size());
    for (size_t n = 0; n < in.size(); ++n) {
      SavePicture(in[n], path("frame.png"));
      ASSERT_EQ(run("--multiview " + path("frame.png") + settings + " --out " + path("one.png")),
                0);
      ExpectSamePixels(out[n], path("one.png"), "frame " + std::to_string(n));
    }
  }
  // H.264: the same number of frames at the same size (the pixels are not kept exactly),
  // into .mp4 and, when asked, into .mkv.
  for (const char* out : {" --out out.mp4", " --codec h264 --preset ultrafast --out out.mkv"}) {
    SCOPED_TRACE(out);
    const std::string name = path(std::string(out).substr(std::string(out).rfind(' ') + 1));
    ASSERT_EQ(run("--views-movie " + path("views.mkv") + " --views 3 --width 64 --height 32" +
                  std::string(out).substr(0, std::string(out).rfind(' ') + 1) + name),
              0);
    const std::vector<cv::Mat> h264 = ReadMovie(name);
    ASSERT_EQ(h264.size(), in.size());
    EXPECT_EQ(h264[0].cols, 64);
    EXPECT_EQ(h264[0].rows, 32);
  }
}

TEST_F(ComposeTool, SpanMovieFrameKIsThePictureOfTheMarksAtK) {
  const std::string movie = WriteMovie(path("m.avi"));  // 30 frames, each its own colour
  for (const char* order : {"ltr", "rtl"}) {
    SCOPED_TRACE(order);
    const std::string settings =
        std::string(" --views 4 --pitch 5.3 --width 40 --height 20 --order ") + order;
    ASSERT_EQ(run("--movie " + movie + " --span 9" + settings + " --out " + path("span.avi")), 0);
    const std::vector<cv::Mat> out = ReadMovie(path("span.avi"));
    ASSERT_EQ(out.size(), 21u);  // k = 0 .. 20: frame k + 10 is the last view
    for (int k : {0, 5, 20}) {
      ASSERT_EQ(run("--movie " + movie + " --left " + std::to_string(k + 1) + " --right " +
                    std::to_string(k + 10) + settings + " --out " + path("marks.png")),
                0);
      ExpectSamePixels(out[static_cast<size_t>(k)], path("marks.png"), "k " + std::to_string(k));
    }
  }
  // A span of 0: every view is frame k itself.
  ASSERT_EQ(run("--movie " + movie + " --span 0 --width 40 --height 20 --out " + path("zero.mkv")),
            0);
  EXPECT_EQ(ReadMovie(path("zero.mkv")).size(), 30u);
}

// A lossless movie of the frames given, 10 a second.
void WriteFramesMovie(const std::string& path, const std::vector<cv::Mat>& frames) {
  cv::VideoWriter out(path, cv::CAP_FFMPEG, cv::VideoWriter::fourcc('F', 'F', 'V', '1'), 10,
                      frames.front().size());
  ASSERT_TRUE(out.isOpened());
  for (const cv::Mat& m : frames) out.write(m);
}

// Frames of noise beside what `right` makes of them, pixel by pixel, for frame n.
template <typename Right>
std::vector<cv::Mat> SideBySideFrames(int frames, int half, int height, Right right) {
  std::mt19937 rng(3);
  std::vector<cv::Mat> made;
  for (int n = 0; n < frames; ++n) {
    cv::Mat m(height, 2 * half, CV_8UC3);
    for (size_t i = 0; i < m.total() * 3; ++i) m.data[i] = static_cast<uint8_t>(rng());
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < half; ++x) m.at<cv::Vec3b>(y, half + x) = right(m, x, y, n);
    }
    made.push_back(m);
  }
  return made;
}

// A depth converter's frames: grey slopes with a near square that moves, so every frame
// has edges of its own.
std::vector<cv::Mat> DepthFrames(int frames, int half, int height) {
  return SideBySideFrames(frames, half, height, [](const cv::Mat&, int x, int y, int n) {
    const bool square = y >= 4 && y < 12 && x >= 6 + 4 * n && x < 16 + 4 * n;
    const auto z = static_cast<uint8_t>(square ? 250 : (7 * x + 3 * y + 40 * n) % 200);
    return cv::Vec3b(z, z, z);
  });
}

// Stereo pairs: the right eye's noise moved 3 columns, a near square 7.
std::vector<cv::Mat> PairFrames(int frames, int half, int height) {
  return SideBySideFrames(frames, half, height, [half](const cv::Mat& m, int x, int y, int n) {
    const bool square = y >= 6 && y < 18 && x >= 20 + 5 * n && x < 36 + 5 * n;
    return m.at<cv::Vec3b>(y, std::min(half - 1, x + (square ? 7 : 3)));
  });
}

// Frame k of a movie made from a depth movie or a stereo movie is the picture --depth or
// --sbs makes from frame k, with the same settings: the movie is the picture, per frame.
TEST_F(ComposeTool, DepthAndStereoMovieFramesAreThePicturesOfTheirFrames) {
  WriteFramesMovie(path("depth.mkv"), DepthFrames(3, 32, 16));
  WriteFramesMovie(path("pairs.mkv"), PairFrames(2, 64, 24));
  const struct {
    std::string movie, settings;
    bool depth;
  } cases[] = {
      {"--depth-movie " + path("depth.mkv"),
       " --views 4 --disparity 6 --focus 0.3 --pitch 5.3 --width 40 --height 20", true},
      {"--depth-movie " + path("depth.mkv"),
       " --views 5 --method fine --slant -0.2222 --pitch 4.5 --width 42 --height 16", true},
      {"--sbs-movie " + path("pairs.mkv"), " --views 5 --pitch 4.5 --width 40 --height 12", false},
      {"--sbs-movie " + path("pairs.mkv"),
       " --sbs-cross --views 3 --method beta --pitch 6.1 --width 40 --height 12", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.movie + c.settings);
    ASSERT_EQ(run(c.movie + c.settings + " --out " + path("out.mkv")), 0);
    double fps = 0;
    const std::vector<cv::Mat> out = ReadMovie(path("out.mkv"), &fps);
    const std::vector<cv::Mat> in = ReadMovie(c.depth ? path("depth.mkv") : path("pairs.mkv"));
    EXPECT_EQ(fps, 10);
    ASSERT_EQ(out.size(), c.depth ? 3u : 2u);
    ASSERT_EQ(in.size(), out.size());
    for (size_t k = 0; k < in.size(); ++k) {
      const int half = in[k].cols / 2;
      std::string picture;
      if (c.depth) {
        SavePicture(in[k].colRange(0, half).clone(), path("picture.png"));
        SavePicture(in[k].colRange(half, 2 * half).clone(), path("z.png"));
        picture = "--depth " + path("picture.png") + " " + path("z.png");
      } else {
        SavePicture(in[k], path("pair.png"));
        picture = "--sbs " + path("pair.png");
      }
      ASSERT_EQ(run(picture + c.settings + " --out " + path("one.png")), 0);
      ExpectSamePixels(out[k], path("one.png"), "frame " + std::to_string(k));
    }
  }
}

TEST_F(ComposeTool, DepthAndStereoMoviesRefuseBadInputWithOneLine) {
  WriteFramesMovie(path("depth.mkv"), DepthFrames(2, 24, 16));
  // OpenCV rounds a frame width down to even; FFmpeg keeps 49 in RGB.
  ASSERT_EQ(std::system(("ffmpeg -v error -f lavfi -i color=gray:s=50x16:d=0.2,format=bgr0,"
                         "crop=49:16 -c:v ffv1 " +
                         path("odd.mkv"))
                            .c_str()),
            0);
  WriteViewsMovie(path("noise.mkv"), 2, 3);  // colour where the depth map should be
  const std::string dm = "--depth-movie " + path("depth.mkv");
  const std::string out = " --out " + path("out.mkv");
  const struct {
    std::string args, refusal;
  } cases[] = {
      {"--depth-movie " + path("odd.mkv") + out, "are 49 x 16: their halves differ in size"},
      {"--sbs-movie " + path("odd.mkv") + out, "are 49 x 16: their halves differ in size"},
      {"--depth-movie " + path("noise.mkv") + out, "the depth map is not grey: its pixel"},
      {"--depth-movie " + path("none.mkv") + out, "cannot read the movie"},
      {dm + " --sbs-movie " + path("depth.mkv") + out, "give one of"},
      {dm + " --views-movie " + path("depth.mkv") + out, "give one of"},
      {dm + " --disparity 24.5" + out, "--disparity must be from -24 to 24"},
      {dm + " --focus 1.5" + out, "--focus must be a number from 0 to 1"},
      {dm + " --focus inf" + out, "--focus must be a finite number"},
      {"--sbs-movie " + path("depth.mkv") + " --disparity 4" + out,
       "--disparity and --focus go with --depth"},
      {dm + " --sbs-cross" + out, "--sbs-cross goes with --sbs PAIR"},
      {"--sbs-movie " + path("depth.mkv") + " --depth-out " + path("d.png") + out,
       "--depth-out goes with --stereo, --sbs or --mpo"},
      {dm + " --multiview-out " + path("v.png") + out, "--multiview-out go with a picture"},
      {dm + " --out " + path("out.png"), "cannot write " + path("out.png")},
  };
  for (const auto& c : cases) expectRefused(c.args, c.refusal, {"out.mkv", "out.png", "d.png"});
}

TEST_F(ComposeTool, CalibrationViewsAreSolidNumberedAndComposedAsAnyViews) {
  const int V = 12, W = 60, H = 40;
  ASSERT_EQ(
      run("--calibration --views 12 --width 60 --height 40 --pitch 9.1 --out " + path("cal.png") +
          " --multiview-out " + path("views.png") + " --work " + path("work.png")),
      0);
  const plat::LoadedImage views = plat::loadImageFile(path("views.png"));
  ASSERT_TRUE(views.object);
  ASSERT_EQ(views.object->width(), V * W);  // a view is the output's size
  ASSERT_EQ(views.object->height(), H);
  std::vector<uint32_t> colours;
  for (int k = 0; k < V; ++k) {
    const uint32_t colour = compose::calibrationColour(k, V);
    const uint32_t ink = compose::calibrationNumberColour(colour);
    const compose::NumberBox box = compose::calibrationNumberBox(k, {W, H});
    ASSERT_GE(box.height, H / 3) << "the number is large";
    int inked = 0;
    for (int y = 0; y < H; ++y) {
      for (int x = 0; x < W; ++x) {
        const uint32_t p = views.object->row32(y)[k * W + x] & 0x00FFFFFF;
        const bool inBox =
            x >= box.x && x < box.x + box.width && y >= box.y && y < box.y + box.height;
        if (!inBox) {
          ASSERT_EQ(p, colour) << "view " << k << " at " << x << ", " << y;
          continue;
        }
        ASSERT_TRUE(p == colour || p == ink) << "view " << k << " at " << x << ", " << y;
        // The digit's glyph, drawn box.scale times larger.
        const std::string digits = std::to_string(k);
        const int gx = (x - box.x) / box.scale, gy = (y - box.y) / box.scale;
        const uint8_t bits =
            BitmapFont[static_cast<size_t>(digits[static_cast<size_t>(gx / 8)] - 32)]
                      [static_cast<size_t>(gy)];
        EXPECT_EQ(p == ink, (bits & (0x80 >> (gx % 8))) != 0) << "view " << k;
        inked += p == ink;
      }
    }
    EXPECT_GT(inked, box.scale * box.scale * 8) << "view " << k;
    colours.push_back(colour);
  }
  // Twelve hues 30 degrees apart: no two views share a colour.
  std::sort(colours.begin(), colours.end());
  EXPECT_EQ(std::unique(colours.begin(), colours.end()), colours.end());
  EXPECT_EQ(TAV_GetHue(compose::calibrationColour(3, V)), 90);
  // The picture is those views composed like any others.
  ASSERT_EQ(run("--multiview " + path("views.png") +
                " --views 12 --width 60 --height 40 "
                "--pitch 9.1 --out " +
                path("again.png")),
            0);
  const plat::LoadedImage a = plat::loadImageFile(path("cal.png"));
  const plat::LoadedImage b = plat::loadImageFile(path("again.png"));
  ASSERT_TRUE(a.object && b.object);
  for (int y = 0; y < H; ++y) {
    ASSERT_EQ(std::memcmp(a.object->row32(y), b.object->row32(y), W * 4), 0) << y;
  }
  EXPECT_TRUE(fs::exists(path("work.png")));
  // Many views of a large output are drawn smaller, so that they stay within bounds.
  const compose::ViewSize small = compose::calibrationViewSize(180, 1920, 1240);
  EXPECT_LE(int64_t{180} * small.width * small.height, compose::kCalibrationMaxPixels);
  EXPECT_GE(small.width, 1920 / 4);
}

TEST_F(ComposeTool, MovieOutputsRefuseBadInputWithOneLineAndLeaveNoFile) {
  WriteViewsMovie(path("views.mkv"), 3, 3);  // frames 60 wide
  const std::string movie = WriteMovie(path("m.avi"));
  {
    std::ofstream junk(path("junk.mkv"));
    junk << "not a movie";
  }
  const std::string vm = "--views-movie " + path("views.mkv");
  const std::vector<std::string> refused = {
      "--views-movie " + path("junk.mkv") + " --views 3 --out " + path("out.mkv"),
      "--views-movie " + path("none.mkv") + " --views 3 --out " + path("out.mkv"),
      vm + " --views 61 --out " + path("out.mkv"),             // 60 columns hold no 61 views
      vm + " --views 3 --width 41 --out " + path("out.mkv"),   // odd width
      vm + " --views 3 --height 33 --out " + path("out.mp4"),  // odd height
      vm + " --views 3 --out " + path("out.mov"),              // no movie extension
      vm + " --views 3 --out " + path("out.png"),              // a picture is not a movie
      vm + " --views 3 --out " + path("out.mkv") + " --work " + path("w.png"),
      vm + " --views 3 --out " + path("no/such/dir/out.mkv"),
      vm + " --out " + path("out.mkv"),                            // no views
      "--movie " + movie + " --span 30 --out " + path("out.mkv"),  // 30 frames hold no span of 30
      "--movie " + movie + " --span 3 --left 1 --right 4 --out " + path("out.mkv"),
      "--movie " + movie + " --span -1 --out " + path("out.mkv"),
      "--calibration --out " + path("out.png"), "--calibration --views 4 --out " + path("out.mkv"),
      // H.264's settings: only with H.264, in range, and a container that takes it.
      vm + " --views 3 --crf 20 --out " + path("out.mkv"),      // FFV1 by its extension
      vm + " --views 3 --codec h264 --out " + path("out.avi"),  // AVI takes no H.264 here
      vm + " --views 3 --codec ffv1 --out " + path("out.mp4"),
      vm + " --views 3 --crf 52 --out " + path("out.mp4"),
      vm + " --views 3 --crf nan --out " + path("out.mp4"),
      vm + " --views 3 --preset quick --out " + path("out.mp4"),
      vm + " --views 3 --chroma 422 --out " + path("out.mp4"),
      vm + " --views 3 --lossless --chroma 420 --out " + path("out.mp4"),
      "--calibration --views 4 --crf 20 --out " + path("out.png"),  // not a movie
  };
  for (const std::string& args : refused) {
    std::string err;
    EXPECT_EQ(run(args, &err), 2) << args;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << args << ": " << err;
    EXPECT_EQ(err.rfind("direvo-compose: ", 0), 0u) << err;
    const std::vector<std::string> left =
        Leftovers(dir_, {"views.mkv", "m.avi", "junk.mkv", "stdout.txt", "stderr.txt"});
    EXPECT_TRUE(left.empty()) << args << ": left " << left.front();
  }
}

// What FFmpeg's own tool prints for `args` on `file`, its first line; empty if nothing.
std::string ffmpegLine(const std::string& tool, const std::string& args) {
  std::unique_ptr<FILE, int (*)(FILE*)> p(popen((tool + " -v error " + args).c_str(), "r"), pclose);
  char line[256] = {};
  if (!p || !std::fgets(line, sizeof line, p.get())) return {};
  std::string text = line;
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

std::string soundCodecs(const std::string& file) {
  return ffmpegLine("ffprobe", "-select_streams a -show_entries stream=codec_name -of csv=p=0 " +
                                   file + " | paste -sd,");
}

// The first 20 sound packets' MD5: the same when they were copied unchanged.
std::string soundPacketsMd5(const std::string& file) {
  return ffmpegLine("ffmpeg", "-i " + file + " -map 0:a -c copy -frames:a 20 -f md5 -");
}

TEST_F(ComposeTool, SoundIsCopiedUnchangedWhereTheFileCanHoldIt) {
  const std::string aac = path("aac.mkv"), flac = path("flac.mkv");
  ASSERT_EQ(std::system(("ffmpeg -v error -f lavfi -i testsrc=size=60x16:rate=12:duration=3 -f "
                         "lavfi -i sine=duration=3 -c:v ffv1 -c:a aac -shortest " +
                         aac + " && ffmpeg -v error -i " + aac + " -c:v copy -c:a flac " + flac)
                            .c_str()),
            0);
  struct Case {
    std::string in, options, out, codecs;
    bool note;  // a line says the sound was left out
  };
  const Case cases[] = {
      {aac, "", "out.mp4", "aac", false},   {aac, "", "out.avi", "aac", false},
      {flac, "", "out.mkv", "flac", false}, {aac, " --no-audio", "quiet.mp4", "", false},
      {flac, "", "flac.mp4", "", true},  // MP4 takes no FLAC from FFmpeg 5
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in + c.options + " " + c.out);
    std::string err;
    ASSERT_EQ(run("--views-movie " + c.in + " --views 3 --width 64 --height 32" + c.options +
                      " --out " + path(c.out),
                  &err),
              0)
        << err;
    EXPECT_EQ(soundCodecs(path(c.out)), c.codecs);
    EXPECT_EQ(err.find("written without it") != std::string::npos, c.note) << err;
    if (!c.codecs.empty()) {
      EXPECT_EQ(soundPacketsMd5(path(c.out)), soundPacketsMd5(c.in));
      EXPECT_NE(soundPacketsMd5(c.in), "");
    }
  }
}

// Ctrl+C while a movie is written: the process ends by the signal and neither the
// movie nor its staged file stays; a movie already there is kept as it was.
TEST_F(ComposeTool, InterruptedMovieLeavesTheOldFileAsItWas) {
  WriteViewsMovie(path("views.mkv"), 400, 2);
  {
    std::ofstream old(path("out.mkv"));
    old << "an older movie";
  }
  std::vector<std::string> args = {
      DIREVO_COMPOSE_PATH, "--views-movie", path("views.mkv"), "--views", "2",
      "--width",           "1920",          "--height",        "1080",    "--out",
      path("out.mkv")};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);
  // Wait until the staged movie is there (it holds frames soon after), then interrupt.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  bool staged = false;
  while (!staged && std::chrono::steady_clock::now() < deadline) {
    for (const std::string& name : Leftovers(dir_, {"views.mkv", "out.mkv"})) {
      staged = staged || fs::file_size(dir_ / name) > 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_TRUE(staged);
  ASSERT_EQ(kill(pid, SIGINT), 0);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFSIGNALED(status)) << "ended with status " << WEXITSTATUS(status);
  EXPECT_EQ(WTERMSIG(status), SIGINT);
  EXPECT_TRUE(Leftovers(dir_, {"views.mkv", "out.mkv"}).empty());
  std::ifstream old(path("out.mkv"));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "an older movie");
}

TEST_F(ComposeTool, OptionsTakeTheEqualsFormAndDecimalNumbersOnly) {
  writeViews("views.png", 4 * 20, 10);
  ASSERT_EQ(run("--multiview " + path("views.png") +
                " --views 4 --width 30 --height 9 --pitch 9.5 "
                "--out " +
                path("a.png")),
            0);
  // "010" is ten, not eight; --name=value is the same as --name value.
  ASSERT_EQ(run("--multiview=" + path("views.png") +
                " --views=04 --width=030 --height 9 "
                "--pitch=9.5 --out=" +
                path("b.png")),
            0);
  const plat::LoadedImage a = plat::loadImageFile(path("a.png"));
  const plat::LoadedImage b = plat::loadImageFile(path("b.png"));
  ASSERT_TRUE(a.object && b.object);
  ASSERT_EQ(b.object->width(), 30);
  for (int y = 0; y < 9; ++y)
    EXPECT_EQ(std::memcmp(a.object->row32(y), b.object->row32(y), 30 * 4), 0);
  std::string err;
  EXPECT_EQ(run("--multiview " + path("views.png") + " --views 0x4 --out " + path("c.png"), &err),
            2);
  EXPECT_NE(err.find("--views must be a whole number from 2 to 180"), std::string::npos) << err;
  // --help wins over mistakes, and lists every option from the same definitions.
  ASSERT_EQ(run("--views 1 --frobnicate --help"), 0);
  std::ifstream in(path("stdout.txt"));
  const std::string help(std::istreambuf_iterator<char>(in), {});
  for (const char* option : {"--multiview", "--movie", "--views-movie", "--calibration", "--left",
                             "--right", "--span", "--order", "--views", "--pitch", "--width",
                             "--height", "--method", "--out", "--work", "--multiview-out"}) {
    EXPECT_NE(help.find(std::string("  ") + option + " "), std::string::npos) << option;
  }
  EXPECT_NE(help.find("=17.319"), std::string::npos) << "the default pitch";
}

}  // namespace
