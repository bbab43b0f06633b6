// The live viewer's parts: the tuning keys, the views' layouts, the clock, and the
// pipeline that reads and composes ahead (frames in order, seeks, loops, tunings).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "compose/fine.h"
#include "frame_pipeline.h"
#include "panel_tuning.h"
#include "playback_clock.h"
#include "view_layout.h"
#include "view_source.h"
#include "views/frame_views.h"

namespace {

using compose::Method;
using viewer::PanelTuning;
using viewer::Tuning;
using viewer::ViewLayout;

PanelTuning panel(int width, int height) {
  PanelTuning t;
  t.geometry = {20.0, 0.5, 1.0, compose::SubpixelOrder::Rgb, 8, width, height};
  return t;
}

TEST(TuningKeys, EachKeyMovesItsOwnSettingByItsStep) {
  const PanelTuning base = panel(1920, 1080);
  struct Row {
    char16_t key;
    double pitch, slant, offset;
  };
  const Row rows[] = {
      {u'[', 19.98, 0.5, 1.0}, {u']', 20.02, 0.5, 1.0}, {u'{', 19.8, 0.5, 1.0},
      {u'}', 20.2, 0.5, 1.0},  {u',', 20, 0.5, 0.9},    {u'.', 20, 0.5, 1.1},
      {u'<', 20, 0.5, 0.0},    {u'>', 20, 0.5, 2.0},    {u';', 20, 0.499, 1.0},
      {u'\'', 20, 0.501, 1.0}, {u':', 20, 0.49, 1.0},   {u'"', 20, 0.51, 1.0},
      {u'i', -20, 0.5, 1.0},
  };
  for (const Row& r : rows) {
    const viewer::TuningKey* key = viewer::findTuningKey(r.key);
    ASSERT_NE(key, nullptr) << static_cast<int>(r.key);
    const PanelTuning t = viewer::tuned(base, *key);
    EXPECT_DOUBLE_EQ(t.geometry.pitch, r.pitch) << static_cast<char>(r.key);
    EXPECT_DOUBLE_EQ(t.geometry.slant, r.slant) << static_cast<char>(r.key);
    EXPECT_DOUBLE_EQ(t.geometry.offset, r.offset) << static_cast<char>(r.key);
    EXPECT_EQ(t.geometry.order, base.geometry.order);
    EXPECT_EQ(t.method, base.method);
  }
  EXPECT_EQ(viewer::findTuningKey(u'x'), nullptr);
}

TEST(TuningKeys, ReversedPitchStepsTheSameWay) {
  PanelTuning t = panel(1920, 1080);
  t.geometry.pitch = -20;
  // ']' makes the lens wider whichever way the views run.
  EXPECT_DOUBLE_EQ(viewer::tuned(t, *viewer::findTuningKey(u']')).geometry.pitch, -19.98);
}

TEST(TuningKeys, MethodKeyCyclesOnlyThroughMethodsThatFitThePanel) {
  const viewer::TuningKey& m = *viewer::findTuningKey(u'm');
  PanelTuning t = panel(1920, 1240);
  t = viewer::tuned(t, m);
  EXPECT_EQ(t.method, Method::Stable);
  t = viewer::tuned(t, m);
  EXPECT_EQ(t.method, Method::Beta);
  EXPECT_EQ(viewer::tuned(t, m).method, Method::Fine);
  EXPECT_EQ(viewer::tuned(panel(1921, 1080), m).method, Method::Fine);
  EXPECT_EQ(viewer::tuned(panel(3840, 2160), m).method, Method::Fine);
  const PanelTuning bgr = viewer::tuned(panel(100, 100), *viewer::findTuningKey(u'b'));
  EXPECT_EQ(bgr.geometry.order, compose::SubpixelOrder::Bgr);
  EXPECT_EQ(viewer::tuned(bgr, *viewer::findTuningKey(u'b')).geometry.order,
            compose::SubpixelOrder::Rgb);
}

// A frame of w x h whose pixel is (the cell it lies in, x and y inside the cell).
std::vector<uint32_t> cellFrame(int w, int h, int cellW, int cellH) {
  std::vector<uint32_t> f(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      f[size_t(y) * w + x] =
          uint32_t((x / cellW) << 20 | (y / cellH) << 16 | (x % cellW) << 8 | (y % cellH));
    }
  }
  return f;
}

TEST(ViewLayouts, ViewsComeOutSideBySideFromWhereTheLayoutKeepsThem) {
  struct Row {
    const char* name;
    ViewLayout layout;
    int frameW, frameH;
    // The cell (column, row) of the frame that view k comes from.
    std::vector<std::pair<int, int>> cells;
  };
  using K = ViewLayout::Kind;
  const Row rows[] = {
      {"grid from the top",
       {K::Grid, 6, 3, 2, false, false},
       9,
       4,
       {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}}},
      {"grid from the bottom",
       {K::Grid, 6, 3, 2, true, false},
       9,
       4,
       {{0, 1}, {1, 1}, {2, 1}, {0, 0}, {1, 0}, {2, 0}}},
      {"crossed pair", {K::StereoPair, 2, 0, 0, false, true}, 10, 3, {{1, 0}, {0, 0}}},
      {"pair", {K::StereoPair, 2, 0, 0, false, false}, 11, 3, {{0, 0}, {1, 0}}},
      {"side by side, a column over",
       {K::SideBySide, 4, 0, 0, false, false},
       13,
       2,
       {{0, 0}, {1, 0}, {2, 0}, {3, 0}}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    ASSERT_EQ(viewer::layoutRefusal(r.layout, r.frameW, r.frameH), "");
    const viewer::ViewsSize size = viewer::viewsSizeOf(r.layout, r.frameW, r.frameH);
    const int cellW = size.width / r.layout.views;
    const int cellH = size.height;
    const int gridRows = r.layout.kind == K::Grid ? r.layout.rows : 1;
    ASSERT_EQ(cellH * gridRows, r.frameH);
    const std::vector<uint32_t> frame = cellFrame(r.frameW, r.frameH, cellW, cellH);
    std::vector<uint32_t> views(size_t(size.width) * size.height, 0xdeadbeef);
    viewer::arrangeViews(r.layout, {frame.data(), r.frameW, r.frameH},
                         {views.data(), size.width, size.height});
    for (int k = 0; k < r.layout.views; ++k) {
      for (int y = 0; y < cellH; ++y) {
        for (int x = 0; x < cellW; ++x) {
          const auto [col, row] = r.cells[size_t(k)];
          const uint32_t want = uint32_t(col << 20 | row << 16 | x << 8 | y);
          ASSERT_EQ(views[size_t(y) * size.width + k * cellW + x], want)
              << k << " " << x << "," << y;
        }
      }
    }
  }
  EXPECT_NE(viewer::layoutRefusal({K::Grid, 6, 3, 2}, 10, 4), "");
  EXPECT_NE(viewer::layoutRefusal({K::Grid, 6, 3, 2}, 9, 5), "");
  EXPECT_NE(viewer::layoutRefusal({K::SideBySide, 8}, 7, 5), "");
}

TEST(PlaybackClock, RunsOnItsSourceStandsStillWhilePausedAndJudgesLatenessPerGeneration) {
  int64_t micros = 1'000'000;
  viewer::PlaybackClock clock;
  clock.setSource([&micros] { return micros; });
  EXPECT_FALSE(clock.isLate(0, 1, 10)) << "not late before the clock runs for the generation";
  clock.anchor(500, 1);
  micros += 40'000;
  EXPECT_DOUBLE_EQ(clock.nowMsec(), 540);
  EXPECT_TRUE(clock.isLate(520, 1, 10));
  EXPECT_FALSE(clock.isLate(530, 1, 10));
  EXPECT_FALSE(clock.isLate(0, 2, 10)) << "a frame after a seek is judged by its own start";
  clock.setPaused(true);
  micros += 1'000'000;
  EXPECT_DOUBLE_EQ(clock.nowMsec(), 540);
  EXPECT_FALSE(clock.isLate(0, 1, 10)) << "nothing is late while paused";
  clock.setPaused(false);
  micros += 10'000;
  EXPECT_DOUBLE_EQ(clock.nowMsec(), 550);
}

bool haveFfmpeg() {
  return std::system("ffmpeg -version >/dev/null 2>&1") == 0;
}

// A movie of 96 x 16, 12 frames at 25 frames/s, lossless: 4 views of 24 x 16 side by
// side, or with `depth` a picture of 48 x 16 beside its grey depth map.
std::string smallMovie(bool depth = false) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            (depth ? "direvo_viewer_depth.mkv" : "direvo_viewer_test.mkv"))
                               .string();
  if (!std::filesystem::exists(path)) {
    const std::string input = depth ? "testsrc2=size=48x16:rate=25 -filter_complex "
                                      "'[0]split[a][b];[b]format=gray,format=bgr0[g];[a][g]hstack'"
                                    : "testsrc2=size=96x16:rate=25";
    const std::string command =
        "ffmpeg -v error -y -f lavfi -i " + input + " -frames:v 12 -c:v ffv1 -pix_fmt bgr0 " + path;
    if (std::system(command.c_str()) != 0) return {};
  }
  return path;
}

struct Pipeline {
  std::unique_ptr<viewer::ViewSource> source;
  viewer::SharedTuning tuning{panel(40, 30)};
  viewer::PlaybackClock clock;
  std::unique_ptr<viewer::FramePipeline> pipeline;

  explicit Pipeline(bool loop, views::FrameViews makeViews = {}) {
    std::string why;
    PanelTuning t = panel(40, 30);
    t.geometry.views = 4;
    tuning.set(t);
    const ViewLayout layout = makeViews ? ViewLayout{ViewLayout::Kind::StereoPair, 2}
                                        : ViewLayout{ViewLayout::Kind::SideBySide, 4};
    source = viewer::ViewSource::open(smallMovie(bool(makeViews)), layout, &why);
    clock.setPaused(true);  // nothing is late: every frame is composed
    pipeline = std::make_unique<viewer::FramePipeline>(
        *source, tuning, clock,
        viewer::FramePipeline::Settings{loop, 40, [] {}, std::move(makeViews)});
  }
  // The next frame ready, waiting for it; null at the end.
  std::unique_ptr<viewer::ViewerFrame> next() {
    for (int i = 0; i < 2000; ++i) {
      if (auto f = pipeline->take()) return f;
      if (pipeline->ended()) return nullptr;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ADD_FAILURE() << "no frame in 2 s";
    return nullptr;
  }
};

// The panel's picture as the fine method gives it from the frame's own views.
std::vector<uint32_t> expectedPanel(const viewer::ViewerFrame& f, const PanelTuning& t) {
  std::vector<uint32_t> out(size_t(t.geometry.width) * t.geometry.height, 0x12345678);
  compose::composeFineStraight({f.views.pixels.data(), f.views.width, f.views.height},
                               {out.data(), t.geometry.width, t.geometry.height}, t.geometry);
  return out;
}

TEST(FramePipeline, ComposesEveryFrameInOrderAndGoesOnFromASeek) {
  if (!haveFfmpeg() || smallMovie().empty()) GTEST_SKIP() << "no ffmpeg";
  Pipeline p(false);
  ASSERT_TRUE(p.source);
  for (long n = 0; n < 6; ++n) {
    std::unique_ptr<viewer::ViewerFrame> f = p.next();
    ASSERT_TRUE(f);
    EXPECT_EQ(f->number, n);
    EXPECT_NEAR(f->msec, n * 40.0, 0.5);
    EXPECT_EQ(f->panel, expectedPanel(*f, p.tuning.get().tuning)) << n;
    p.pipeline->recycle(std::move(f));
  }
  p.pipeline->seek(9);
  std::unique_ptr<viewer::ViewerFrame> f = p.next();
  ASSERT_TRUE(f);
  EXPECT_EQ(f->number, 9);
  EXPECT_EQ(f->generation, p.pipeline->generation());
  // A new tuning reaches the frames composed from then on; each frame says which it has.
  const viewer::SharedTuning::Snapshot before = p.tuning.get();
  PanelTuning t = before.tuning;
  t.geometry.pitch = -7.5;
  p.tuning.set(t);
  p.pipeline->recycle(std::move(f));
  long last = 9;
  while (std::unique_ptr<viewer::ViewerFrame> g = p.next()) {
    last = g->number;
    const bool old = g->tuningVersion == before.version;
    EXPECT_EQ(g->panel, expectedPanel(*g, old ? before.tuning : t)) << g->number;
    p.pipeline->recycle(std::move(g));
  }
  EXPECT_EQ(last, 11);
  EXPECT_TRUE(p.pipeline->ended());
}

TEST(FramePipeline, ALoopGoesRoundWithTimesThatRunOn) {
  if (!haveFfmpeg() || smallMovie().empty()) GTEST_SKIP() << "no ffmpeg";
  Pipeline p(true);
  ASSERT_TRUE(p.source);
  double lastMsec = -1;
  for (int i = 0; i < 30; ++i) {
    std::unique_ptr<viewer::ViewerFrame> f = p.next();
    ASSERT_TRUE(f);
    EXPECT_EQ(f->number, i % 12);
    EXPECT_NEAR(f->msec, i * 40.0, 0.5);
    EXPECT_GT(f->msec, lastMsec);
    lastMsec = f->msec;
    p.pipeline->recycle(std::move(f));
  }
}

TEST(FramePipeline, ViewsMadeFromEachFrameAreTheOnesComposed) {
  if (!haveFfmpeg() || smallMovie(true).empty()) GTEST_SKIP() << "no ffmpeg";
  const views::DepthParams depth{4, 3.0, 0.25};
  Pipeline p(false, views::depthFrameViews(depth));
  ASSERT_TRUE(p.source);
  views::FrameViews oracle = views::depthFrameViews(depth);
  for (long n = 0; n < 3; ++n) {
    std::unique_ptr<viewer::ViewerFrame> f = p.next();
    ASSERT_TRUE(f);
    compose::MultiViewPicture want;
    std::string error;
    ASSERT_TRUE(oracle({f->read.pixels.data(), f->read.width, f->read.height}, want, error));
    EXPECT_EQ(f->views.width, 4 * 48);
    EXPECT_EQ(f->views.pixels, want.pixels) << n;
    EXPECT_EQ(f->panel, expectedPanel(*f, p.tuning.get().tuning)) << n;
    p.pipeline->recycle(std::move(f));
  }
}

}  // namespace

// A seek made while the reading passes over unreferenced frames still lands on the
// frame sought, though it is one of those (a B-frame here).
TEST(ViewSourceSeek, LandsOnTheFrameSoughtWhilePassingOver) {
  if (!haveFfmpeg()) GTEST_SKIP() << "no ffmpeg";
  const std::string path =
      (std::filesystem::temp_directory_path() / "direvo_viewer_bframes.mp4").string();
  const std::string command =
      "ffmpeg -v error -y -f lavfi -i testsrc2=size=96x16:rate=25 -frames:v 30 -c:v libx264 "
      "-g 10 -bf 2 -b-pyramid none -pix_fmt yuv420p " +
      path;
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::string why;
  auto source = viewer::ViewSource::open(path, {ViewLayout::Kind::SideBySide, 4}, &why);
  ASSERT_TRUE(source) << why;
  compose::MultiViewPicture views;
  long number = -1;
  double msec = 0;
  for (long n : {13L, 22L, 5L}) {
    source->passOverUnreferenced(true);
    ASSERT_TRUE(source->seekTo(n));
    ASSERT_TRUE(source->read(views, number, msec));
    EXPECT_EQ(number, n);
  }
  std::filesystem::remove(path);
}
