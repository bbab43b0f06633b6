// The live viewer on a 1920 x 1080 panel: the time per shown frame split into reading
// (decode, convert, lay out the views), composing and presenting, against the frame's
// budget, and whole movies played in real time with the frames dropped counted. The
// sources are made in the set-up with ffmpeg: 8 views of 480 x 270 side by side at 30
// and 60 frames/s, and a 5 x 9 grid of 420 x 560 views at 30.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "frame_pipeline.h"
#include "imagewin/imagewin.h"
#include "platform/message.h"
#include "platform/test.h"
#include "ratio_main.h"
#include "view_source.h"
#include "viewer.h"

namespace {

constexpr int kPanelWidth = 1920, kPanelHeight = 1080;

struct Source {
  const char* name;
  int viewWidth, viewHeight, columns, rows, fps, frames;
  viewer::ViewLayout layout() const {
    if (rows == 1) return {viewer::ViewLayout::Kind::SideBySide, columns};
    return {viewer::ViewLayout::Kind::Grid, columns * rows, columns, rows};
  }
};
constexpr Source kSources[] = {
    {"views8_30fps", 480, 270, 8, 1, 30, 300},
    {"views8_60fps", 480, 270, 8, 1, 60, 600},
    {"grid5x9_30fps", 420, 560, 5, 9, 30, 150},
};

std::string moviePath(const Source& s) {
  return (std::filesystem::temp_directory_path() / (std::string("direvo_view_") + s.name + ".mp4"))
      .string();
}

bool makeMovie(const Source& s) {
  const std::string path = moviePath(s);
  if (std::filesystem::exists(path)) return true;
  const std::string partial = path + ".part.mp4";
  char command[512];
  std::snprintf(command, sizeof command,
                "ffmpeg -loglevel error -y -f lavfi -i testsrc2=size=%dx%d:rate=%d -frames:v %d "
                "-c:v libx264 -preset veryfast -pix_fmt yuv420p %s",
                s.viewWidth * s.columns, s.viewHeight * s.rows, s.fps, s.frames, partial.c_str());
  if (std::system(command) != 0) return false;
  std::filesystem::rename(partial, path);
  return true;
}

viewer::PanelTuning panelFor(const Source& s) {
  viewer::PanelTuning t;
  t.geometry = {19.6,        0.3333,      0, compose::SubpixelOrder::Rgb, s.columns * s.rows,
                kPanelWidth, kPanelHeight};
  return t;
}

std::unique_ptr<viewer::ViewSource> openSource(benchmark::State& state, const Source& s) {
  std::string why;
  std::unique_ptr<viewer::ViewSource> source =
      viewer::ViewSource::open(moviePath(s), s.layout(), &why);
  if (!source) state.SkipWithError(why.c_str());
  return source;
}

// Reading one frame's views: decoding, converting into 32-bit words and laying out.
void readViews(benchmark::State& state, const Source* s) {
  std::unique_ptr<viewer::ViewSource> source = openSource(state, *s);
  if (!source) return;
  viewer::ViewerFrame frame;
  for (auto _ : state) {
    if (!source->read(frame.views, frame.number, frame.msec)) {
      source->seekTo(0);
      source->read(frame.views, frame.number, frame.msec);
    }
  }
}

// Composing the panel's picture from one frame's views, fine method.
void composePanel(benchmark::State& state, const Source* s) {
  std::unique_ptr<viewer::ViewSource> source = openSource(state, *s);
  if (!source) return;
  viewer::ViewerFrame frame;
  source->read(frame.views, frame.number, frame.msec);
  viewer::SharedTuning tuning(panelFor(*s));
  for (auto _ : state) {
    composeFrame(frame, tuning.get());
    benchmark::DoNotOptimize(frame.panel.data());
  }
}

// Presenting a composed picture: into the window's pixels and onto the screen.
void presentPanel(benchmark::State& state, const Source*) {
  if (TAV_CreateImage(0, "bench", 0, 0, kPanelWidth, kPanelHeight, 100) != kCreateOk) {
    state.SkipWithError("no window");
    return;
  }
  std::vector<uint32_t> panel(size_t{kPanelWidth} * kPanelHeight, 0x336699);
  for (auto _ : state) {
    plat::Message m;
    while (plat::peekMessage(m, plat::Peek::Remove)) plat::dispatchMessage(m);
    for (int y = 0; y < kPanelHeight; ++y) {
      std::copy_n(panel.data() + size_t(y) * kPanelWidth, kPanelWidth,
                  ImageTable[0].surface->row32(y));
    }
    TAV_ShowImage(0);
  }
  TAV_DestroyImage(0);
}

// The whole movie in real time through the viewer, full screen: the frames shown and
// dropped.
void play(benchmark::State& state, const Source* s) {
  for (auto _ : state) {
    std::unique_ptr<viewer::ViewSource> source = openSource(state, *s);
    if (!source) return;
    viewer::ViewerOptions o;
    o.layout = s->layout();
    o.tuning = panelFor(*s);
    o.sizeGiven = true;
    o.mute = true;
    o.statusLine = false;
    viewer::Viewer view(*source, o, 0);
    const auto start = std::chrono::steady_clock::now();
    if (view.run() != 0) state.SkipWithError("the viewer did not start");
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    const viewer::PlayStats& st = view.stats();
    state.counters["shown"] = static_cast<double>(st.shown);
    state.counters["dropped"] = static_cast<double>(st.dropped);
    state.counters["dropped%"] =
        100.0 * static_cast<double>(st.dropped) / static_cast<double>(st.shown + st.dropped);
  }
}

double timeOf(const CaseTimes& times, const std::string& name) {
  for (const auto& [run, seconds] : times) {
    if (run.rfind(name, 0) == 0) return seconds;
  }
  return 0;
}

void printRatios(const CaseTimes& times) {
  std::printf("\nper shown frame, ms (the stages as they run one after another):\n");
  for (const Source& s : kSources) {
    const std::string n = s.name;
    const double read = timeOf(times, "View/Read/" + n);
    const double comp = timeOf(times, "View/Compose/" + n);
    const double present = timeOf(times, "View/Present/" + n);
    const double budget = 1000.0 / s.fps;
    const double sum = read + comp + present;
    if (sum <= 0) continue;
    std::printf("%-14s read %6.2f  compose %6.2f  present %6.2f  = %6.2f of %5.2f: headroom %.2f\n",
                s.name, read, comp, present, sum, budget, budget / sum);
  }
}

}  // namespace

int main(int argc, char** argv) {
  // A 1920 x 1080 screen for the offscreen display, the panel's own size.
  const std::string screens =
      (std::filesystem::temp_directory_path() / "direvo_view_screen.json").string();
  std::ofstream(screens) << R"({"screens":[{"name":"panel","x":0,"y":0,"width":1920,)"
                            R"("height":1080,"logicalDpiX":96,"logicalDpiY":96,"dpr":1}]})";
  setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screens).c_str(), 1);
  return plat::test::runHeadless(argc, argv, [argc, argv]() mutable {
    for (const Source& s : kSources) {
      if (!makeMovie(s)) {
        std::fprintf(stderr, "ffmpeg could not make %s\n", s.name);
        return 1;
      }
      const std::string n = s.name;
      auto add = [](const std::string& name, auto fn, const Source* source) {
        return benchmark::RegisterBenchmark(name.c_str(), fn, source)
            ->Unit(benchmark::kMillisecond);
      };
      add("View/Read/" + n, readViews, &s)->MinTime(2);
      add("View/Compose/" + n, composePanel, &s)->MinTime(2);
      add("View/Present/" + n, presentPanel, &s)->MinTime(2);
      add("View/Play/" + n, play, &s)->UseManualTime()->Iterations(1);
    }
    return runBenchmarks(argc, argv, printRatios);
  });
}
