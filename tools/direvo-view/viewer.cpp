#include "viewer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cli_words.h"
#include "imagewin/imagewin.h"
#include "imagewin/presentation.h"
#include "overlay.h"
#include "platform/full_screen.h"
#include "platform/message.h"

namespace viewer {

namespace {

constexpr int kWindow = 0;
// A frame late by more than this share of a frame is dropped rather than shown late.
constexpr double kLateFrames = 1.0;
// ... unless nothing has been shown for this long: a stalled source still shows.
constexpr int64_t kStallMicros = 250'000;
constexpr int64_t kStatusMicros = 250'000;
constexpr double kSeekSeconds = 5;

const char* const kHelp[] = {
    "Space pause/play   Left/Right frame (paused), 5 s (playing)   Home/End",
    "[ ] pitch   , . offset   ; ' slant   (Shift: ten times as far)",
    "m method   i reverse views   b rgb/bgr   Ctrl+S save profile   ? overlay   q quit",
};

// What makes the views from each frame read, when they are made.
views::FrameViews viewMaker(const ViewerOptions& o, ViewsSize read) {
  const int views = o.tuning.geometry.views;
  switch (o.made) {
    case ViewerOptions::Made::None:
      break;
    case ViewerOptions::Made::FromPair:
      return views::stereoFrameViews(views, false);  // the source has the left eye first
    case ViewerOptions::Made::FromDepth:
      return views::depthFrameViews({views, disparityOf(o, read.width / 2), o.focus});
  }
  return {};
}

}  // namespace

double disparityOf(const ViewerOptions& o, int width) {
  return std::isnan(o.disparity) ? 0.02 * width : o.disparity;
}

Viewer::Viewer(ViewSource& source, const ViewerOptions& o, int screen)
    : source_(source), options_(o), screen_(screen), tuning_(o.tuning), overlay_(o.osd) {}

Viewer::~Viewer() {
  pipeline_.reset();  // its thread reads the source and the tuning
  status_.clear();
}

double Viewer::frameMsec() const {
  return source_.fps() > 0 ? 1000.0 / source_.fps() : 40.0;
}

void Viewer::say(const std::string& line) {
  status_.clear();
  std::fprintf(stderr, "direvo-view: %s\n", line.c_str());
}

bool Viewer::openWindow() {
  const compose::FineParams& g = options_.tuning.geometry;
  const std::vector<plat::Rect> screens = plat::screenRects();
  const plat::Rect at = screens.at(static_cast<size_t>(screen_));
  const int made = TAV_CreateImage(kWindow, "direvo-view", at.left, at.top, g.width, g.height, 100);
  if (made != kCreateOk) {
    say("cannot open a window of " + std::to_string(g.width) + " x " + std::to_string(g.height));
    return false;
  }
  if (!options_.window && imagewin::presentImage(kWindow) != 0) {
    say("cannot show the picture full screen on screen " + std::to_string(screen_));
    return false;
  }
  return true;
}

int Viewer::run() {
  if (!openWindow()) return 2;
  const plat::Window window = ImageTable[kWindow].window;
  FramePipeline::Settings settings;
  settings.loop = options_.loop;
  settings.slackMsec = kLateFrames * frameMsec();
  settings.wake = [window] {
    plat::Message m;
    m.window = window;
    m.kind = plat::Msg::User;
    plat::postMessage(m);
  };
  settings.makeViews = viewMaker(options_, source_.viewsSize());
  openSound();
  pipeline_ = std::make_unique<FramePipeline>(source_, tuning_, clock_, settings);
  while (!quit_) {
    pumpMessages();
    if (quit_ || !ImageTable[kWindow].inUse) break;
    updateStatus();
    // A tuning changed shows at once where no next frame would show it soon: while
    // paused, on a picture, at the end.
    const bool standing = clock_.paused() || source_.isStill() || pipeline_->ended();
    if (shown_ && standing && tuning_.get().version != shownVersion_) present();
    const ViewerFrame* next = pipeline_->peek();
    if (!next) {
      // The end: the last frame stays its time, then the viewer closes.
      const bool ended = pipeline_->ended() && !clock_.paused() && !source_.isStill() && shown_;
      if (ended && clock_.nowMsec() >= shown_->msec + frameMsec()) {
        sayWhereAnEarlyEndIs();
        break;
      }
      plat::waitForMessage(ended ? static_cast<int>(std::ceil(frameMsec()))
                                 : static_cast<int>(kStatusMicros / 1000));
      continue;
    }
    // The first frame after a start or a seek sets the clock.
    if (!clock_.anchoredFor(next->generation)) {
      clock_.anchor(next->msec, next->generation);
      if (sound_ && !clock_.paused()) sound_->setPlaying(true);
      show(pipeline_->take());
      continue;
    }
    if (clock_.paused()) {
      if (stepForward_) {
        stepForward_ = false;
        show(pipeline_->take());
      } else {
        plat::waitForMessage(static_cast<int>(kStatusMicros / 1000));
      }
      continue;
    }
    const double now = clock_.nowMsec();
    if (now < next->msec) {
      plat::waitForMessage(std::clamp(static_cast<int>(std::ceil(next->msec - now)), 1, 250));
      continue;
    }
    const bool stalled = counterMicros() - lastShownMicros_ > kStallMicros;
    if (now > next->msec + kLateFrames * frameMsec() && !stalled) {
      ++stats_.dropped;
      pipeline_->recycle(pipeline_->take());
      continue;
    }
    show(pipeline_->take());
  }
  nameTroubles();  // what came since the last status
  stats_.dropped += pipeline_->skipped();
  pipeline_.reset();
  sound_.reset();  // before the display goes
  status_.clear();
  TAV_DestroyImage(kWindow);
  return 0;
}

void Viewer::pumpMessages() {
  plat::Message m;
  while (plat::peekMessage(m, plat::Peek::Remove)) {
    if (m.kind == plat::Msg::User) continue;  // a frame is ready: the loop looks
    if (m.kind == plat::Msg::Quit) {
      quit_ = true;
      continue;
    }
    if (m.kind == plat::Msg::KeyDown && ImageTable[kWindow].inUse &&
        m.window == ImageTable[kWindow].window) {
      onKey(m.key, m.text, m.ctrl);
      if (quit_) return;
      continue;
    }
    plat::translateMessage(m);
    plat::dispatchMessage(m);
  }
}

void Viewer::onKey(int key, const std::u16string& text, bool ctrl) {
  char16_t c = text.size() == 1 ? text[0] : 0;
  if (c >= u'A' && c <= u'Z' && !ctrl) c = static_cast<char16_t>(c - u'A' + u'a');
  if (ctrl && key == 'S') {
    saveProfile();
  } else if (key == plat::vk::Escape || c == u'q') {
    quit_ = true;
  } else if (key == plat::vk::Space) {
    setPaused(!clock_.paused());
  } else if (key == plat::vk::Left || key == plat::vk::Right) {
    const long sign = key == plat::vk::Left ? -1 : 1;
    if (clock_.paused()) {
      stepBy(sign);
    } else {
      stepBy(sign * std::lround(kSeekSeconds * std::max(1.0, source_.fps())));
    }
  } else if (key == plat::vk::Home) {
    seekTo(0);
  } else if (key == plat::vk::End) {
    seekTo(source_.frameCount() - 1);
  } else if (c == u'?') {
    overlay_ = !overlay_;
    if (shown_) present();
  } else if (const TuningKey* row = findTuningKey(c)) {
    const PanelTuning before = tuning_.get().tuning;
    const PanelTuning after = tuned(before, *row);
    if (row->what == Tuning::Method && after.method == before.method) {
      say("stable and Beta compose at most 1920 x 1240: this panel takes fine only");
    }
    tuning_.set(after);
  } else {
    // Other keys do what they do in any image window (F11, zoom, Ctrl+C copies).
    plat::Message m;
    m.window = ImageTable[kWindow].window;
    m.kind = plat::Msg::KeyDown;
    m.key = key;
    m.ctrl = ctrl;
    m.text = text;
    plat::dispatchMessage(m);
  }
}

void Viewer::stepBy(long frames) {
  if (!shown_) return;
  if (frames == 1 && clock_.paused()) {
    stepForward_ = true;
    return;
  }
  seekTo(shown_->number + frames);
}

void Viewer::seekTo(long frame) {
  if (source_.isStill()) return;
  const long to = std::clamp(frame, 0L, std::max(0L, source_.frameCount() - 1));
  pipeline_->seek(to);
  // The sound waits at the frame's time until the frame shows.
  if (sound_) sound_->seekToMsec(static_cast<double>(to) * frameMsec());
}

void Viewer::setPaused(bool paused) {
  clock_.setPaused(paused);
  // After a seek the sound starts with the first frame shown.
  if (sound_ && (paused || clock_.anchoredFor(pipeline_->generation()))) {
    sound_->setPlaying(!paused);
  }
}

// The movie's sound on the default device, whose clock the frames then follow; without
// one (or muted) the platform's counter.
void Viewer::openSound() {
  if (options_.mute || source_.isStill()) return;
  std::string why;
  sound_ = SoundPlayer::open(options_.source, options_.loop, &why);
  if (!sound_) {
    if (!why.empty()) say("playing without sound: " + why);
    return;
  }
  clock_.setSource([sound = sound_.get()] { return sound->clockMicros(); });
}

void Viewer::show(std::unique_ptr<ViewerFrame> frame) {
  if (!frame) return;
  pipeline_->recycle(std::move(shown_));
  shown_ = std::move(frame);
  ++stats_.shown;
  lastShownMicros_ = counterMicros();
  present();
}

void Viewer::present() {
  const SharedTuning::Snapshot tuning = tuning_.get();
  if (shown_->tuningVersion != tuning.version) composeFrame(*shown_, tuning);
  shownVersion_ = tuning.version;
  ImageWindowRecord& rec = ImageTable[kWindow];
  const compose::FineParams& g = tuning.tuning.geometry;
  const int w = std::min(g.width, rec.width);
  for (int y = 0; y < std::min(g.height, rec.height); ++y) {
    std::copy_n(shown_->panel.data() + static_cast<size_t>(y) * g.width, w, rec.surface->row32(y));
  }
  if (overlay_) {
    drawOverlay({rec.surface->row32(0), rec.width, rec.height}, overlayLines(),
                rec.width >= 3000 ? 2 : 1);
  }
  TAV_ShowImage(kWindow);
}

std::vector<std::string> Viewer::overlayLines() const {
  std::vector<std::string> lines{describe(tuning_.get().tuning)};
  char line[160];
  if (source_.isStill()) {
    const ViewsSize v = source_.viewsSize();
    std::snprintf(line, sizeof line, "a picture of %d x %d", v.width, v.height);
    lines.push_back(line);
    lines.insert(lines.end(), std::begin(kHelp), std::end(kHelp));
    return lines;
  }
  std::snprintf(
      line, sizeof line, "frame %ld  %s / %s  %.1f frames/s  %lld dropped%s",
      shown_ ? shown_->number : 0L, tool::clockText(shown_ ? shown_->msec / 1000 : 0).c_str(),
      tool::clockText(static_cast<double>(source_.frameCount()) * frameMsec() / 1000).c_str(),
      fpsShown_, static_cast<long long>(stats_.dropped + (pipeline_ ? pipeline_->skipped() : 0)),
      clock_.paused() ? "  paused" : "");
  lines.push_back(line);
  lines.insert(lines.end(), std::begin(kHelp), std::end(kHelp));
  return lines;
}

void Viewer::saveProfile() {
  if (options_.profilePath.empty()) {
    say(std::string("cannot save the panel profile: ") + tool::kNoDefaultPanel);
    return;
  }
  const std::string why =
      compose::writePanelProfileFile(options_.profilePath, tuning_.get().tuning.profile());
  say(why.empty() ? "panel profile saved to " + options_.profilePath
                  : "cannot save the panel profile: " + why);
}

// A movie cut short (or whose container announces more than it holds) ends before the
// frames it announces: said in one line.
void Viewer::sayWhereAnEarlyEndIs() {
  const long announced = source_.frameCount();
  const long read = pipeline_->lastNumber() + 1;
  if (announced > 0 && read + 1 < announced) {
    say("the movie ends at frame " + std::to_string(read) + " of the " + std::to_string(announced) +
        " it announces");
  }
}

// Says once what the pipeline met: damaged data, frames the views could not be made
// from, views made slower than the frames come.
void Viewer::nameTroubles() {
  if (!pipeline_) return;
  const long damaged = pipeline_->damaged();
  if (damaged > 0 && !damageNamed_) {
    damageNamed_ = true;
    say("damaged data near frame " + std::to_string(pipeline_->firstDamagedFrame()) +
        " was passed over; playing on");
  }
  stats_.damaged = damaged;
  if (!unmadeNamed_) {
    const std::string unmade = pipeline_->unmadeViews();
    if (!unmade.empty()) {
      unmadeNamed_ = true;
      say("no views could be made from " + unmade + "; such frames are passed over");
    }
  }
  const double makeMsec = pipeline_->makeMsec();
  if (!slowViewsNamed_ && !source_.isStill() && makeMsec > frameMsec()) {
    slowViewsNamed_ = true;
    char line[200];
    std::snprintf(line, sizeof line,
                  "making %d views from a frame takes %.0f ms here, more than the %.0f ms a frame "
                  "has: frames will drop (direvo-compose makes such movies ahead)",
                  tuning_.get().tuning.geometry.views, makeMsec, frameMsec());
    say(line);
  }
}

void Viewer::updateStatus() {
  const int64_t now = counterMicros();
  if (now - lastStatusMicros_ < kStatusMicros) return;
  if (lastStatusMicros_ > 0) {
    fpsShown_ = static_cast<double>(stats_.shown - shownAtLastStatus_) * 1e6 /
                static_cast<double>(now - lastStatusMicros_);
  }
  lastStatusMicros_ = now;
  shownAtLastStatus_ = stats_.shown;
  nameTroubles();
  if (!status_.shown() || !options_.statusLine) return;
  const std::vector<std::string> lines = overlayLines();
  status_.show(lines[1]);
}

}  // namespace viewer
