// direvo-sample-movie OUT.avi [--frames N] [--width W] [--height H]
//
// Renders a camera sliding sideways past a scene with depth and writes it as an MJPEG
// AVI: a far patterned backdrop, a row of houses in the middle distance and posts close
// by, so nearer things move further between frames, as the views of a multi-view
// picture need. The output depends only on the arguments.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>
#include <string>
#include <string_view>

namespace {

struct Options {
  std::string out;
  int frames = 300;
  int width = 640;
  int height = 360;
};

int Usage(const char* why) {
  std::fprintf(stderr,
               "direvo-sample-movie: %s\n"
               "usage: direvo-sample-movie OUT.avi [--frames N] [--width W] [--height H]\n"
               "  N 1..100000 (300), W 16..4096 (640), H 16..4096 (360)\n",
               why);
  return 2;
}

bool ParseInt(std::string_view text, int low, int high, int& value) {
  int v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v < low || v > high) return false;
  value = v;
  return true;
}

// The camera moves right by `cameraX` scene units; a thing at `depth` moves left on the
// picture by cameraX / depth of the picture's width.
struct Camera {
  double cameraX;
  int width, height;
  int shift(double depth) const { return static_cast<int>(std::lround(cameraX * width / depth)); }
};

void DrawBackdrop(cv::Mat& m, const Camera& cam) {
  const int horizon = m.rows * 3 / 5;
  for (int y = 0; y < horizon; ++y) {  // sky, lighter toward the horizon
    int t = 255 * y / horizon;
    cv::line(m, {0, y}, {m.cols - 1, y}, cv::Scalar(230, 160 + t / 4, 90 + t / 3));
  }
  m.rowRange(horizon, m.rows).setTo(cv::Scalar(70, 140, 90));  // meadow
  // Far hills with a checked band across them, repeating every `period` pixels.
  const int period = std::max(8, m.cols / 4);
  const int off = cam.shift(40.0);
  for (int x = -period * 2; x < m.cols + period * 2; x += period / 2) {
    int px = x - off % period;
    int top = horizon - (((x / (period / 2)) % 3 + 3) % 3 + 1) * m.rows / 12;
    std::vector<cv::Point> hill{
        {px - period / 2, horizon}, {px + period / 4, top}, {px + period, horizon}};
    cv::fillConvexPoly(m, hill, cv::Scalar(120, 110, 100), cv::LINE_8);
  }
  const int cell = std::max(4, m.rows / 24);
  for (int y = horizon - cell; y < horizon; y += cell / 2)
    for (int x = -cell * 2 - off % (cell * 2); x < m.cols; x += cell)
      if (((x + off % (cell * 2)) / cell + y / (cell / 2)) % 2 == 0)
        cv::rectangle(m, cv::Rect(x, y, cell, cell / 2), cv::Scalar(90, 90, 160), cv::FILLED);
}

void DrawHouses(cv::Mat& m, const Camera& cam) {
  const int ground = m.rows * 3 / 4;
  const int spacing = m.cols / 3;
  const int off = cam.shift(6.0);
  const cv::Scalar walls[] = {{60, 180, 230}, {200, 200, 200}, {80, 100, 200}, {170, 120, 60}};
  for (int i = -2; i < 12; ++i) {
    int x = i * spacing - off;
    int w = spacing / 2, h = m.rows / 5 + (i & 1) * m.rows / 20;
    if (x + w < 0 || x - w > m.cols) continue;
    cv::rectangle(m, cv::Rect(x, ground - h, w, h), walls[(i + 8) % 4], cv::FILLED);
    std::vector<cv::Point> roof{
        {x - w / 8, ground - h}, {x + w / 2, ground - h - h / 2}, {x + w + w / 8, ground - h}};
    cv::fillConvexPoly(m, roof, cv::Scalar(40, 40, 150));
    cv::rectangle(m, cv::Rect(x + w / 5, ground - h * 2 / 3, w / 5, h / 4), {240, 230, 120},
                  cv::FILLED);
    cv::rectangle(m, cv::Rect(x + w * 3 / 5, ground - h / 2, w / 5, h / 2), {30, 60, 90},
                  cv::FILLED);
  }
}

void DrawPosts(cv::Mat& m, const Camera& cam) {
  const int spacing = m.cols * 2 / 5;
  const int off = cam.shift(1.7);
  const int w = std::max(2, m.cols / 20);
  for (int i = -3; i < 40; ++i) {
    int x = i * spacing - off;
    if (x + w < 0 || x > m.cols) continue;
    cv::rectangle(m, cv::Rect(x, m.rows / 6, w, m.rows), cv::Scalar(20, 50, 110), cv::FILLED);
    cv::rectangle(m, cv::Rect(x + w / 4, m.rows / 6, w / 6 + 1, m.rows), cv::Scalar(60, 110, 190),
                  cv::FILLED);
    cv::circle(m, {x + w / 2, m.rows / 6}, w * 2 / 3, cv::Scalar(30, 200, 240), cv::FILLED);
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  for (int i = 1; i < argc; ++i) {
    std::string_view a = argv[i];
    auto value = [&](int low, int high, int& into) {
      return i + 1 < argc && ParseInt(argv[++i], low, high, into);
    };
    if (a == "--frames") {
      if (!value(1, 100000, opt.frames)) return Usage("--frames needs a number from 1 to 100000");
    } else if (a == "--width") {
      if (!value(16, 4096, opt.width)) return Usage("--width needs a number from 16 to 4096");
    } else if (a == "--height") {
      if (!value(16, 4096, opt.height)) return Usage("--height needs a number from 16 to 4096");
    } else if (a.starts_with("-") || !opt.out.empty()) {
      return Usage(("unexpected argument: " + std::string(a)).c_str());
    } else {
      opt.out = a;
    }
  }
  if (opt.out.empty()) return Usage("no output file given");

  try {
    cv::VideoWriter writer(opt.out, cv::CAP_FFMPEG, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'),
                           30.0, cv::Size(opt.width, opt.height));
    if (!writer.isOpened()) {
      std::fprintf(stderr, "direvo-sample-movie: cannot write %s\n", opt.out.c_str());
      return 2;
    }
    cv::Mat frame(opt.height, opt.width, CV_8UC3);
    for (int n = 0; n < opt.frames; ++n) {
      // Across the movie the posts pass about 1.8 picture widths, the houses half a
      // width, the backdrop a thirteenth.
      Camera cam{3.0 * n / 300.0, opt.width, opt.height};
      DrawBackdrop(frame, cam);
      DrawHouses(frame, cam);
      DrawPosts(frame, cam);
      writer.write(frame);
    }
    writer.release();
  } catch (const cv::Exception& e) {
    std::fprintf(stderr, "direvo-sample-movie: %s: %s\n", opt.out.c_str(), e.what());
    return 2;
  }
  std::printf("%s: %d frames of %d x %d\n", opt.out.c_str(), opt.frames, opt.width, opt.height);
  return 0;
}
