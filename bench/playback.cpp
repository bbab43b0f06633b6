// The playing loop (decode, convert into window 0, show), the same without showing,
// a plain FFmpeg decode with the same threads and OpenCV's read loop (which the player
// used before), on the same movies in one run. The movies are made in the set-up with
// ffmpeg.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>
#include <string>
#include <vector>

#include "imagewin/imagewin.h"
#include "movie/movie_capture.h"
#include "movie/picture_convert.h"
#include "plain_decode.h"
#include "platform/message.h"
#include "platform/test.h"

namespace {

struct Movie {
  const char* name;
  const char* encoder;  // ffmpeg arguments after the input
  int width, height, frames;
};
constexpr Movie kMovies[] = {
    {"h264_1920x1080", "-c:v libx264 -preset veryfast -pix_fmt yuv420p", 1920, 1080, 90},
    {"mjpeg_320x240", "-c:v mjpeg -q:v 3", 320, 240, 300},
};

std::string moviePath(const Movie& m) {
  return (std::filesystem::temp_directory_path() / (std::string("direvo_bench_") + m.name + ".avi"))
      .string();
}

bool makeMovie(const Movie& m) {
  const std::string path = moviePath(m);
  if (std::filesystem::exists(path)) return true;
  char command[512];
  std::snprintf(command, sizeof command,
                "ffmpeg -loglevel error -y -f lavfi -i testsrc2=size=%dx%d:rate=30 -frames:v %d "
                "%s %s",
                m.width, m.height, m.frames, m.encoder, path.c_str());
  return std::system(command) == 0;
}

void pumpOwnQueue() {
  plat::Message msg;
  while (plat::peekMessage(msg, plat::Peek::Remove)) {
    plat::translateMessage(msg);
    plat::dispatchMessage(msg);
  }
}

// Decode, convert and show, as the player does while playing; rewinds at the end.
void playerLoop(benchmark::State& state, const Movie* m) {
  auto movie = movie::MovieCapture::open(moviePath(*m));
  if (!movie) {
    state.SkipWithError("movie does not open");
    return;
  }
  if (TAV_CreateImage(0, "bench", 0, 0, m->width, m->height, 100) != kCreateOk) {
    state.SkipWithError("no frame window");
    return;
  }
  for (auto _ : state) {
    pumpOwnQueue();
    const movie::MovieFrame* frame = movie->queryFrame();
    if (!frame) {
      movie->setProperty(movie::kPosFrames, 0.0);
      frame = movie->queryFrame();
    }
    movie::convertFrameToImage(*frame, reinterpret_cast<uint32_t*>(ImagePixels[0]), m->width,
                               m->height);
    TAV_ShowImage(0);
  }
  state.SetItemsProcessed(state.iterations());
  TAV_DestroyImage(0);
  pumpOwnQueue();
}

// Reading and converting into a buffer of the window's pixels, without showing it.
void convertLoop(benchmark::State& state, const Movie* m) {
  auto movie = movie::MovieCapture::open(moviePath(*m));
  if (!movie) {
    state.SkipWithError("movie does not open");
    return;
  }
  std::vector<uint32_t> pixels(size_t{1} * m->width * m->height);
  for (auto _ : state) {
    const movie::MovieFrame* frame = movie->queryFrame();
    if (!frame) {
      movie->setProperty(movie::kPosFrames, 0.0);
      frame = movie->queryFrame();
    }
    movie::convertFrameToImage(*frame, pixels.data(), m->width, m->height);
  }
  state.SetItemsProcessed(state.iterations());
}

// Reading alone, no conversion: what the movie layer adds to a plain decode.
void readLoop(benchmark::State& state, const Movie* m) {
  auto movie = movie::MovieCapture::open(moviePath(*m));
  if (!movie) {
    state.SkipWithError("movie does not open");
    return;
  }
  for (auto _ : state) {
    const movie::MovieFrame* frame = movie->queryFrame();
    if (!frame) {
      movie->setProperty(movie::kPosFrames, 0.0);
      frame = movie->queryFrame();
    }
    benchmark::DoNotOptimize(frame);
  }
  state.SetItemsProcessed(state.iterations());
}

// Converting one decoded frame over and over: in bands on several threads, or in one
// piece on the caller's.
void convertOnlyLoop(benchmark::State& state, const Movie* m, bool banded) {
  auto movie = movie::MovieCapture::open(moviePath(*m));
  const movie::MovieFrame* frame = movie ? movie->queryFrame() : nullptr;
  if (!frame || !frame->picture) {
    state.SkipWithError("movie does not open");
    return;
  }
  std::vector<uint32_t> pixels(size_t{1} * m->width * m->height);
  for (auto _ : state) {
    if (banded) {
      movie::convertPictureToImage(*frame->picture, pixels.data(), m->width, m->height);
    } else {
      movie::convertPictureToImageInOnePiece(*frame->picture, pixels.data(), m->width, m->height);
    }
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetItemsProcessed(state.iterations());
}

// Only FFmpeg's demuxing and decoding, no conversion: the ceiling of the loops above.
void plainDecodeLoop(benchmark::State& state, const Movie* m) {
  PlainDecode decode(moviePath(*m));
  if (!decode.opened()) {
    state.SkipWithError("movie does not open");
    return;
  }
  for (auto _ : state) {
    const AVFrame* frame = decode.next();
    if (!frame) {
      decode.seek();
      frame = decode.next();
    }
    benchmark::DoNotOptimize(frame);
  }
  state.SetItemsProcessed(state.iterations());
}

// Only the decoding: what OpenCV alone reaches on the same movie.
void plainLoop(benchmark::State& state, const Movie* m) {
  cv::VideoCapture capture(moviePath(*m), cv::CAP_FFMPEG);
  if (!capture.isOpened()) {
    state.SkipWithError("movie does not open");
    return;
  }
  cv::Mat frame;
  for (auto _ : state) {
    if (!capture.read(frame)) {
      capture.set(cv::CAP_PROP_POS_FRAMES, 0.0);
      capture.read(frame);
    }
    benchmark::DoNotOptimize(frame.data);
  }
  state.SetItemsProcessed(state.iterations());
}

// Long enough that the frames kept in memory are recycled, as in a movie played on.
constexpr double kSteadySeconds = 3.0;

using Loop = void (*)(benchmark::State&, const Movie*);
void convertBanded(benchmark::State& state, const Movie* m) {
  convertOnlyLoop(state, m, true);
}
void convertInOnePiece(benchmark::State& state, const Movie* m) {
  convertOnlyLoop(state, m, false);
}
const struct {
  const char* name;
  Loop loop;
} kCases[] = {
    {"Player", playerLoop},
    {"ReadAndConvert", convertLoop},
    {"Read", readLoop},
    {"ConvertOnly", convertBanded},
    {"ConvertOnlyInOnePiece", convertInOnePiece},
    {"PlainDecode", plainDecodeLoop},
    {"OpenCV", plainLoop},
};

}  // namespace

int main(int argc, char** argv) {
  return plat::test::runHeadless(argc, argv, [argc, argv]() mutable {
    for (const Movie& m : kMovies) {
      if (!makeMovie(m)) {
        std::fprintf(stderr, "ffmpeg could not make %s\n", m.name);
        return 1;
      }
      for (const auto& c : kCases) {
        const std::string name = std::string("Playback/") + c.name + "/" + m.name;
        benchmark::RegisterBenchmark(name.c_str(), c.loop, &m)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(kSteadySeconds)
            ->UseRealTime();
      }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
  });
}
