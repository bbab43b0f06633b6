// Lenticular movies: frames per second of composing a multi-view movie frame by frame
// (read, compose, write on overlapping threads) against a plain decode and encode of
// the same movie to the same codec (converted to the writer's bytes as the composed
// frames are), without composing, in the same run; and, to show
// where the time goes, the encoding of the composed frames alone. The input is
// made here: 7 views of 640 x 360 side by side, H.264; the output is 1920 x 1080, H.264
// at the writer's defaults (4:4:4, CRF 18, preset medium).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>
#include <string>
#include <vector>

#include "compose/compose_pixels.h"
#include "movie/movie_capture.h"
#include "movie/movie_compose.h"
#include "movie/movie_writer.h"
#include "ratio_main.h"

namespace {

namespace fs = std::filesystem;

constexpr int kViews = 7;
constexpr int kViewWidth = 640;
constexpr int kViewHeight = 360;
constexpr int kFrames = 60;
constexpr double kFps = 30;

fs::path folder() {
  static const fs::path dir =
      fs::temp_directory_path() / ("direvo-bench-video-" + std::to_string(::getpid()));
  return dir;
}
std::string inputMovie() {
  return (folder() / "views.mp4").string();
}

// Processor seconds of the whole process (every thread, the encoder's too): a measure
// that other programs on the machine disturb less than the wall clock.
double processorSeconds() {
  rusage use{};
  getrusage(RUSAGE_SELF, &use);
  return static_cast<double>(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
         static_cast<double>(use.ru_utime.tv_usec + use.ru_stime.tv_usec) * 1e-6;
}

void countFrames(benchmark::State& state, int64_t frames, double cpuStart) {
  state.counters["fps"] =
      benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
  if (frames > 0)
    state.counters["cpu_ms_per_frame"] = (processorSeconds() - cpuStart) * 1e3 / frames;
}

// A camera sliding past shapes at three depths, seen from seven places side by side:
// content a real multi-view movie has (smooth areas, edges, motion), not noise.
void makeInputMovie() {
  fs::create_directories(folder());
  cv::VideoWriter out(inputMovie(), cv::CAP_FFMPEG, cv::VideoWriter::fourcc('a', 'v', 'c', '1'),
                      kFps, cv::Size(kViews * kViewWidth, kViewHeight));
  cv::Mat frame(kViewHeight, kViews * kViewWidth, CV_8UC3);
  for (int n = 0; n < kFrames; ++n) {
    for (int v = 0; v < kViews; ++v) {
      cv::Mat view = frame(cv::Rect(v * kViewWidth, 0, kViewWidth, kViewHeight));
      for (int y = 0; y < kViewHeight; ++y) {
        cv::Vec3b* row = view.ptr<cv::Vec3b>(y);
        for (int x = 0; x < kViewWidth; ++x) {
          row[x] = cv::Vec3b(static_cast<uint8_t>(x / 3 + n), static_cast<uint8_t>(y / 2),
                             static_cast<uint8_t>(128 + 60 * std::sin((x + 2 * n + v) * 0.05)));
        }
      }
      for (int depth = 1; depth <= 3; ++depth) {
        for (int k = 0; k < 6; ++k) {
          const int x = (k * 150 + depth * (3 * n + 4 * v)) % (kViewWidth + 100) - 50;
          cv::circle(view, cv::Point(x, 60 + depth * 80), 18 + 8 * depth,
                     cv::Scalar(40 * depth, 200 - 50 * depth, 30 * k), cv::FILLED);
        }
      }
    }
    out.write(frame);
  }
}

// Composes the whole movie into a 1920 x 1080 H.264 movie, as --views-movie does.
void composeMovie(benchmark::State& state) {
  int64_t frames = 0;
  const double cpuStart = processorSeconds();
  for (auto _ : state) {
    auto in = movie::MovieCapture::open(inputMovie());
    movie::MadeMovieWriter out =
        movie::MovieWriter::open((folder() / "composed.mp4").string(), 1920, 1080, kFps);
    if (!in || !out) {
      state.SkipWithError("cannot open the movies");
      return;
    }
    movie::MovieComposition c;
    c.params = {17.319, kViews, 1920, 1080};
    const movie::MovieResult r = movie::composeViewsMovie(*in, *out, c);
    if (!r.finished || out->commit() != movie::MovieWriteError::None) {
      state.SkipWithError("the composition failed");
      return;
    }
    frames += r.frames;
  }
  countFrames(state, frames, cpuStart);
}

// The floor: the same movie decoded and encoded again as it is, to the same codec.
void decodeEncode(benchmark::State& state) {
  int64_t frames = 0;
  const double cpuStart = processorSeconds();
  for (auto _ : state) {
    auto in = movie::MovieCapture::open(inputMovie());
    movie::MadeMovieWriter out = movie::MovieWriter::open((folder() / "plain.mp4").string(),
                                                          kViews * kViewWidth, kViewHeight, kFps);
    if (!in || !out) {
      state.SkipWithError("cannot open the movies");
      return;
    }
    const int width = kViews * kViewWidth;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * kViewHeight);
    std::vector<uint8_t> bgr;
    while (const movie::MovieFrame* f = in->queryFrame()) {
      movie::convertFrameToImage(*f, pixels.data(), width, kViewHeight);
      movie::convertImageToFrame(pixels.data(), width, kViewHeight, bgr);
      out->write({bgr.data(), width, kViewHeight, 3 * width});
      ++frames;
    }
    if (out->commit() != movie::MovieWriteError::None) {
      state.SkipWithError("the movie could not be finished");
      return;
    }
  }
  countFrames(state, frames, cpuStart);
}

// The time of the case whose name begins with `name` (the library appends the
// iteration and repetition settings).
double caseTime(const CaseTimes& times, const std::string& name) {
  for (const auto& [n, t] : times) {
    if (n.rfind(name, 0) == 0) return t;
  }
  return 0;
}

// What the encoder alone costs for the composed frames: the same 1920 x 1080 pictures,
// composed beforehand, encoded to H.264. The composed movie cannot be faster than this.
std::vector<std::vector<uint8_t>>& composedFrames() {
  static std::vector<std::vector<uint8_t>> frames;
  if (!frames.empty()) return frames;
  auto in = movie::MovieCapture::open(inputMovie());
  const int width = kViews * kViewWidth;
  std::vector<uint32_t> views(static_cast<size_t>(width) * kViewHeight);
  std::vector<uint32_t> output(1920 * 1080);
  const compose::LentiParams p{17.319, kViews, 1920, 1080};
  while (const movie::MovieFrame* f = in->queryFrame()) {
    movie::convertFrameToImage(*f, views.data(), width, kViewHeight);
    std::fill(output.begin(), output.end(), 0);
    compose::composeStablePixels(
        compose::WorkResampling{
            {views.data(), width, kViewHeight}, kViewWidth, kViewHeight, 1920, 1080, kViews},
        compose::PixelBuffer{output.data(), 1920, 1080}, p);
    frames.emplace_back();
    movie::convertImageToFrame(output.data(), 1920, 1080, frames.back());
  }
  return frames;
}

void encodeComposed(benchmark::State& state) {
  const auto& frames = composedFrames();
  int64_t written = 0;
  const double cpuStart = processorSeconds();
  for (auto _ : state) {
    movie::MadeMovieWriter out =
        movie::MovieWriter::open((folder() / "encoded.mp4").string(), 1920, 1080, kFps);
    if (!out) {
      state.SkipWithError("cannot open the movie");
      return;
    }
    for (const auto& f : frames) {
      out->write({f.data(), 1920, 1080, 3 * 1920});
      ++written;
    }
    if (out->commit() != movie::MovieWriteError::None) {
      state.SkipWithError("the movie could not be finished");
      return;
    }
  }
  countFrames(state, written, cpuStart);
}

void printRatios(const CaseTimes& times) {
  const double compose = caseTime(times, "Video/ViewsMovie/1920x1080");
  const double plain = caseTime(times, "Video/DecodeEncode/4480x360");
  if (compose <= 0 || plain <= 0) return;
  std::printf("\n%d frames each; composed / plain (frames per second): %.2f (target >= 0.8)\n",
              kFrames, plain / compose);
  std::printf("composed: %.2f frames/s, plain: %.2f frames/s\n", kFrames * 1e3 / compose,
              kFrames * 1e3 / plain);
  const double encodeOnly = caseTime(times, "Video/EncodeComposed/1920x1080");
  if (encodeOnly > 0) {
    std::printf(
        "encoding the composed frames alone: %.2f frames/s; composed / that: %.2f (target >= "
        "0.9)\n",
        kFrames * 1e3 / encodeOnly, encodeOnly / compose);
  }
}

}  // namespace

int main(int argc, char** argv) {
  movie::silenceDecoderLog();
  makeInputMovie();
  benchmark::RegisterBenchmark("Video/ViewsMovie/1920x1080", composeMovie)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(1)
      ->Repetitions(3);
  benchmark::RegisterBenchmark("Video/DecodeEncode/4480x360", decodeEncode)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(1)
      ->Repetitions(3);
  composedFrames();  // made before any case is timed
  benchmark::RegisterBenchmark("Video/EncodeComposed/1920x1080", encodeComposed)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(1)
      ->Repetitions(3);
  const int result = runBenchmarks(argc, argv, printRatios);
  fs::remove_all(folder());
  return result;
}
