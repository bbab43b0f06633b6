// Seeking in movies as the player does it, beside plain decoding of the same frames, in
// one run: the views of make> and make< over a whole 600-frame movie against FFmpeg
// decoding the movie in order, and single steps back over frames already shown against as many
// frames read in order. The movies (1920 x 1080, H.264 with a key frame every 250
// frames, and MJPEG) are made in the set-up with ffmpeg and kept in the temporary
// folder for the next run.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "compose/view_frames.h"
#include "movie/movie_capture.h"
#include "movie/movie_views.h"
#include "movie/picture_convert.h"
#include "plain_decode.h"
#include "ratio_main.h"

namespace {

struct Movie {
  const char* name;
  const char* encoder;  // ffmpeg arguments after the input
  const char* extension;
};
constexpr Movie kMovies[] = {
    {"h264", "-c:v libx264 -g 250 -pix_fmt yuv420p", "mp4"},
    {"mjpeg", "-c:v mjpeg -q:v 3 -pix_fmt yuvj420p", "avi"},
};
constexpr int kWidth = 1920, kHeight = 1080, kFrames = 600, kViews = 60;
constexpr int kMiddle = kFrames / 2, kSteps = 20;

std::string moviePath(const Movie& m) {
  return (std::filesystem::temp_directory_path() /
          (std::string("direvo_seek_") + m.name + "." + m.extension))
      .string();
}

bool makeMovie(const Movie& m) {
  const std::string path = moviePath(m);
  if (std::filesystem::exists(path)) return true;
  const std::string partial = path + ".part." + m.extension;
  char command[512];
  std::snprintf(command, sizeof command,
                "ffmpeg -loglevel error -y -f lavfi -i testsrc2=size=%dx%d:rate=25 -frames:v %d "
                "%s %s",
                kWidth, kHeight, kFrames, m.encoder, partial.c_str());
  if (std::system(command) != 0) return false;
  std::filesystem::rename(partial, path);
  return true;
}

using Clock = std::chrono::steady_clock;
double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Where a frame goes as in the player: converted into window 0's buffer.
std::vector<uint32_t>& frameBuffer() {
  static std::vector<uint32_t> buffer(static_cast<size_t>(kWidth) * kHeight);
  return buffer;
}
void show(const movie::MovieFrame& f) {
  movie::convertFrameToImage(f, frameBuffer().data(), kWidth, kHeight);
}

void reportCounts(benchmark::State& state, const movie::MovieCapture& movie) {
  const movie::MovieCapture::SeekCounts c = movie.seekCounts();
  state.counters["sought"] = c.plainSeeks;
  state.counters["forward"] = c.forwardDecodes;
  state.counters["memory"] = c.fromMemory;
}

// The views of make> or make< over the whole movie, each shown as it is read.
void views(benchmark::State& state, const Movie* m, bool rightToLeft) {
  const std::vector<int> frames = compose::spreadViewFrames(1, kFrames, kViews);
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    auto movie = movie::MovieCapture::open(moviePath(*m));
    if (!movie) {
      state.SkipWithError("movie does not open");
      return;
    }
    int unread = 0;
    movie::takeViewFrames(*movie, frames, rightToLeft, [&unread](int, const movie::MovieFrame* f) {
      if (f) {
        show(*f);
      } else {
        ++unread;
      }
    });
    state.SetIterationTime(secondsSince(start));
    if (unread) state.SkipWithError("a view frame could not be read");
    reportCounts(state, *movie);
  }
}

// The same frames' stretch of the movie decoded in order by FFmpeg alone.
void inOrder(benchmark::State& state, const Movie* m) {
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    PlainDecode decode(moviePath(*m));
    int read = 0;
    while (read < kFrames && decode.next()) ++read;
    state.SetIterationTime(secondsSince(start));
    if (read != kFrames) state.SkipWithError("the movie is short");
  }
}

// The same stretch read in order through the movie reader, each frame converted.
void readerInOrder(benchmark::State& state, const Movie* m) {
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    auto movie = movie::MovieCapture::open(moviePath(*m));
    int read = 0;
    while (read < kFrames && movie) {
      const movie::MovieFrame* f = movie->queryFrame();
      if (!f) break;
      ++read;
    }
    state.SetIterationTime(secondsSince(start));
    if (read != kFrames) state.SkipWithError("the movie is short");
  }
}

// Single steps back ("<") from the middle, over frames shown before.
void stepBack(benchmark::State& state, const Movie* m) {
  for (auto _ : state) {
    auto movie = movie::MovieCapture::open(moviePath(*m));
    if (!movie) {
      state.SkipWithError("movie does not open");
      return;
    }
    movie->setProperty(movie::kPosFrames, kMiddle - kSteps);
    for (int n = 0; n <= kSteps; ++n) movie->queryFrame();  // shown one after another
    const Clock::time_point start = Clock::now();
    for (int n = 0; n < kSteps; ++n) {
      movie->setProperty(movie::kPosFrames, movie->property(movie::kPosFrames) - 2);
      if (const movie::MovieFrame* f = movie->queryFrame()) show(*f);
    }
    state.SetIterationTime(secondsSince(start));
    reportCounts(state, *movie);
  }
}

// As many frames from the middle decoded one after another by FFmpeg alone, each
// shown as the player shows it.
void frameDecodes(benchmark::State& state, const Movie* m) {
  for (auto _ : state) {
    PlainDecode decode(moviePath(*m));
    decode.seek(kMiddle / 25.0);
    decode.next();
    const Clock::time_point start = Clock::now();
    for (int n = 0; n < kSteps; ++n) {
      if (const AVFrame* frame = decode.next())
        movie::convertPictureToImage(*frame, frameBuffer().data(), kWidth, kHeight);
    }
    state.SetIterationTime(secondsSince(start));
  }
}

// A case's time by the start of its name (the library adds the iterations and the
// manual timing to it); 0 when it did not run.
double timeOf(const CaseTimes& times, const std::string& name) {
  for (const auto& [run, seconds] : times) {
    if (run.rfind(name + "/", 0) == 0) return seconds;
  }
  return 0;
}

void printRatios(const CaseTimes& times) {
  std::printf("\n");
  for (const Movie& m : kMovies) {
    const std::string n = m.name;
    auto ratio = [&times, &n](const std::string& a, const std::string& b, const char* target) {
      const double x = timeOf(times, "Seek/" + a + "/" + n),
                   y = timeOf(times, "Seek/" + b + "/" + n);
      if (x <= 0 || y <= 0) return;
      std::printf("Seek/%s/%s / Seek/%s/%s = %.3f (target %s)\n", a.c_str(), n.c_str(), b.c_str(),
                  n.c_str(), x / y, target);
    };
    ratio("ViewsLeftToRight", "InOrder", "<= 1.2");
    ratio("ViewsRightToLeft", "InOrder", "<= 1.2");
    ratio("StepBack", "FrameDecodes", "<= 2");
  }
}

}  // namespace

int main(int argc, char** argv) {
  for (const Movie& m : kMovies) {
    if (!makeMovie(m)) {
      std::fprintf(stderr, "ffmpeg could not make the %s movie\n", m.name);
      return 1;
    }
    const std::string n = m.name;
    auto add = [](const std::string& name, auto fn, const Movie* movie, int iterations) {
      benchmark::RegisterBenchmark(name.c_str(), fn, movie)
          ->Unit(benchmark::kMillisecond)
          ->UseManualTime()
          ->Iterations(iterations);
    };
    add("Seek/InOrder/" + n, inOrder, &m, 2);
    add("Seek/ReaderInOrder/" + n, readerInOrder, &m, 2);
    add(
        "Seek/ViewsLeftToRight/" + n,
        [](benchmark::State& s, const Movie* mm) { views(s, mm, false); }, &m, 2);
    add(
        "Seek/ViewsRightToLeft/" + n,
        [](benchmark::State& s, const Movie* mm) { views(s, mm, true); }, &m, 2);
    add("Seek/StepBack/" + n, stepBack, &m, 5);
    add("Seek/FrameDecodes/" + n, frameDecodes, &m, 5);
  }
  return runBenchmarks(argc, argv, printRatios);
}
