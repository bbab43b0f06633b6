#include "movie_output.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "compose/compose_pixels.h"
#include "movie/movie_capture.h"
#include "movie/movie_compose.h"
#include "movie/movie_writer.h"
#include "terminal_line.h"
#include "views/depth_views.h"
#include "views/frame_views.h"
#include "views/stereo_views.h"

namespace tool {

namespace {

// Set by Ctrl+C (or a plain kill): the run stops after the frame it is writing.
std::atomic<bool> interrupted{false};
std::atomic<int> interruptSignal{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

extern "C" void onInterrupt(int sig) {
  interruptSignal.store(sig);
  interrupted.store(true);
}

void catchInterrupts() {
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

// Ends the program by the signal that interrupted it, as if it had not been caught.
[[noreturn]] void dieOfInterrupt() {
  const int sig = interruptSignal.load() ? interruptSignal.load() : SIGINT;
  std::signal(sig, SIG_DFL);
  std::raise(sig);
  std::_Exit(128 + sig);
}

// The frames made so far, how fast, and the time left, a few times a second.
class ProgressLine {
 public:
  void update(const movie::MovieProgress& p) {
    if (!line_.shown() || (p.seconds - lastSeconds_ < 0.2 && p.done != p.total)) return;
    lastSeconds_ = p.seconds;
    const double fps = p.seconds > 0 ? static_cast<double>(p.done) / p.seconds : 0;
    std::string text = "frame " + std::to_string(p.done);
    if (p.total > 0) text += " of " + std::to_string(p.total);
    char rate[32];
    std::snprintf(rate, sizeof rate, ", %.1f frames/s", fps);
    text += rate;
    if (p.total > p.done && fps > 0) {
      text += ", " + clockText(static_cast<double>(p.total - p.done) / fps) + " left";
    }
    line_.show(text);
  }
  void clear() { line_.clear(); }

 private:
  TerminalLine line_;
  double lastSeconds_ = -1;
};

movie::FrameViewsMaker frameViewsMaker(const Options& o, int halfWidth, int height) {
  tool::checkViewsFit(o, halfWidth, height);
  if (o.mode == Mode::DepthMovie) {
    const views::DepthParams p{o.views, disparityFor(o, halfWidth), o.focus};
    return [p] { return views::depthFrameViews(p); };
  }
  return [V = o.views, crossed = o.crossed] { return views::stereoFrameViews(V, crossed); };
}

}  // namespace

int composeMovie(const Options& o) {
  catchInterrupts();
  movie::MadeMovieCapture in = movie::MovieCapture::open(o.input);
  const std::string& why = in.reason.text;
  if (!in) fail("cannot read the movie " + o.input + (why.empty() ? "" : ": " + why));
  movie::FrameViewsMaker makeViews;
  if (o.mode == Mode::DepthMovie || o.mode == Mode::SbsMovie) {
    const auto width = static_cast<int>(compose::truncToInt64(in->property(movie::kFrameWidth)));
    const auto height = static_cast<int>(compose::truncToInt64(in->property(movie::kFrameHeight)));
    if (width < 2 || width % 2 != 0 || height < 1) {
      fail(o.input + "'s frames are " + std::to_string(width) + " x " + std::to_string(height) +
           ": their halves differ in size at an odd width");
    }
    makeViews = frameViewsMaker(o, width / 2, height);
  }
  double fps = in->property(movie::kFps);
  if (!std::isfinite(fps) || fps <= 0) {
    fps = 25;
    std::fprintf(stderr, "direvo-compose: %s gives no frame rate; writing 25 frames a second\n",
                 o.input.c_str());
  }
  movie::MadeMovieWriter out =
      movie::MovieWriter::open(o.out, *o.codec, o.width, o.height, fps, o.encoding);
  if (!out) {
    std::string text = movie::movieWriteErrorText(out.reason, o.codec);
    if (out.reason == movie::MovieWriteError::OddSize) {
      text += " (got " + std::to_string(o.width) + " x " + std::to_string(o.height) + ")";
    }
    fail("cannot write " + o.out + ": " + text);
  }
  if (!out->soundNote().empty()) {
    std::fprintf(stderr, "direvo-compose: %s: %s\n", o.input.c_str(), out->soundNote().c_str());
  }

  ProgressLine progress;
  movie::MovieComposition c;
  c.params = {o.pitch, o.views, o.width, o.height};
  c.beta = o.beta();
  if (o.fine()) c.fine = o.fineParams();
  c.cancel = &interrupted;
  c.progress = [&progress](const movie::MovieProgress& p) { progress.update(p); };
  const movie::MovieResult r = o.mode == Mode::MovieSpan
                                   ? movie::composeSpanMovie(*in, o.span, o.rightToLeft, *out, c)
                                   : movie::composeViewsMovie(*in, *out, c, makeViews);
  progress.clear();
  if (!r.finished) {
    out.reset();  // removes what was written
    in.reset();   // its decoding thread ends before the program does
    if (r.cancelled) {
      std::fprintf(stderr, "direvo-compose: interrupted; %s not written\n", o.out.c_str());
      dieOfInterrupt();
    }
    fail("the movie " + o.input + ": " + r.error);
  }
  if (const movie::MovieWriteError e = out->commit(); e != movie::MovieWriteError::None) {
    const movie::MovieCodec* codec = &out->codec();
    out.reset();
    fail("cannot write " + o.out + ": " + movie::movieWriteErrorText(e, codec));
  }
  if (r.announced > r.frames) {
    std::fprintf(
        stderr, "direvo-compose: %s ended early: %lld frames written of the %lld it announces\n",
        o.input.c_str(), static_cast<long long>(r.frames), static_cast<long long>(r.announced));
  }
  return 0;
}

}  // namespace tool
