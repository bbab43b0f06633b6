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

// Copies the half of a side-by-side frame from column `from` into `half`.
compose::ConstPixelBuffer halfOf(compose::ConstPixelBuffer frame, int from,
                                 std::vector<uint32_t>& half) {
  const int w = frame.width / 2;
  half.resize(static_cast<size_t>(w) * static_cast<size_t>(frame.height));
  for (int y = 0; y < frame.height; ++y) {
    std::copy_n(frame.pixels + static_cast<size_t>(y) * frame.width + from, w,
                half.data() + static_cast<size_t>(y) * w);
  }
  return {half.data(), w, frame.height};
}

// The views of each frame as --depth and --sbs make them from a picture: each job's own
// maker keeps the halves it copies (and the views) from one frame to the next.
movie::FrameViewsMaker frameViewsMaker(const Options& o, int halfWidth, int height) {
  tool::checkViewsFit(o, halfWidth, height);
  const int V = o.views;
  if (o.mode == Mode::DepthMovie) {
    const views::DepthParams p{V, disparityFor(o, halfWidth), o.focus};
    return [p]() -> movie::FrameViews {
      auto picture = std::make_shared<std::vector<uint32_t>>();
      auto grey = std::make_shared<std::vector<uint32_t>>();
      return [p, picture, grey](compose::ConstPixelBuffer frame, compose::MultiViewPicture& made,
                                std::string& error) {
        const compose::ConstPixelBuffer colour = halfOf(frame, 0, *picture);
        const compose::ConstPixelBuffer depthHalf = halfOf(frame, frame.width / 2, *grey);
        const views::DepthMap depth =
            views::depthFromGreyPicture(depthHalf, colour.width, colour.height, error);
        if (!error.empty()) return false;
        if (!views::viewsFromDepthInto(colour, depth, p, made)) {
          error = "not enough memory for the views";
          return false;
        }
        return true;
      };
    };
  }
  const bool crossed = o.crossed;
  return [V, crossed]() -> movie::FrameViews {
    auto left = std::make_shared<std::vector<uint32_t>>();
    auto right = std::make_shared<std::vector<uint32_t>>();
    return [V, crossed, left, right](compose::ConstPixelBuffer frame,
                                     compose::MultiViewPicture& made, std::string& error) {
      const int w = frame.width / 2;
      const compose::ConstPixelBuffer l = halfOf(frame, crossed ? w : 0, *left);
      const compose::ConstPixelBuffer r = halfOf(frame, crossed ? 0 : w, *right);
      const views::DisparityMaps maps = views::disparityOfPair(l, r);
      if (!maps.empty()) made = views::viewsFromPair(l, r, maps, V);
      if (maps.empty() || made.pixels.empty()) {
        error = "not enough memory for the views";
        return false;
      }
      return true;
    };
  };
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
