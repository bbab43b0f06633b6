#include "frame_pipeline.h"

#include <algorithm>

#include "compose/panel_compose.h"

namespace viewer {

namespace {

// However late the frames are, one is composed at least this often.
constexpr int64_t kStallMicros = 250'000;

// The views in the opposite order, for the methods whose pitch cannot say so.
void reverseViews(const compose::MultiViewPicture& views, int count, std::vector<uint32_t>& into) {
  const int w = views.width / count;
  into.resize(views.pixels.size());
  for (int y = 0; y < views.height; ++y) {
    const uint32_t* row = views.pixels.data() + static_cast<size_t>(y) * views.width;
    uint32_t* out = into.data() + static_cast<size_t>(y) * views.width;
    for (int k = 0; k < count; ++k) std::copy_n(row + (count - 1 - k) * w, w, out + k * w);
  }
}

}  // namespace

void composeFrame(ViewerFrame& frame, const SharedTuning::Snapshot& snapshot) {
  const PanelTuning& t = snapshot.tuning;
  compose::FineParams g = t.geometry;
  frame.panel.resize(static_cast<size_t>(g.width) * static_cast<size_t>(g.height));
  compose::ConstPixelBuffer views{frame.views.pixels.data(), frame.views.width, frame.views.height};
  // A negative pitch shows the views in the opposite order: the fine method reads it so
  // itself, the other two are given the views reversed.
  if (t.method != compose::Method::Fine && g.pitch < 0 && g.views > 0) {
    reverseViews(frame.views, g.views, frame.scratch);
    views.pixels = frame.scratch.data();
    g.pitch = -g.pitch;
  }
  compose::composeForPanel(t.method, views, {frame.panel.data(), g.width, g.height}, g);
  frame.tuningVersion = snapshot.version;
}

FramePipeline::FramePipeline(ViewSource& source, const SharedTuning& tuning,
                             const PlaybackClock& clock, Settings settings)
    : source_(source), tuning_(tuning), clock_(clock), settings_(std::move(settings)) {
  for (int i = 0; i < kPoolSize; ++i) free_.push_back(std::make_unique<ViewerFrame>());
  thread_ = std::thread([this] { run(); });
}

FramePipeline::~FramePipeline() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

const ViewerFrame* FramePipeline::peek() const {
  std::lock_guard lock(mutex_);
  return ready_.empty() ? nullptr : ready_.front().get();
}

std::unique_ptr<ViewerFrame> FramePipeline::take() {
  std::lock_guard lock(mutex_);
  if (ready_.empty()) return nullptr;
  std::unique_ptr<ViewerFrame> f = std::move(ready_.front());
  ready_.pop_front();
  return f;
}

void FramePipeline::recycle(std::unique_ptr<ViewerFrame> frame) {
  if (!frame) return;
  {
    std::lock_guard lock(mutex_);
    free_.push_back(std::move(frame));
  }
  changed_.notify_all();
}

void FramePipeline::seek(long n) {
  {
    std::lock_guard lock(mutex_);
    ++generation_;
    seekTarget_ = std::max(0L, n);
    ended_ = false;
    while (!ready_.empty()) {
      free_.push_back(std::move(ready_.front()));
      ready_.pop_front();
    }
  }
  changed_.notify_all();
}

uint64_t FramePipeline::generation() const {
  std::lock_guard lock(mutex_);
  return generation_;
}

bool FramePipeline::ended() const {
  std::lock_guard lock(mutex_);
  return ended_ && ready_.empty();
}

void FramePipeline::endGeneration(uint64_t generation) {
  {
    std::lock_guard lock(mutex_);
    if (generation == generation_) ended_ = true;
  }
  settings_.wake();
}

bool FramePipeline::read(ViewerFrame& f, long& number, double& msec) {
  return source_.read(settings_.makeViews ? f.read : f.views, number, msec);
}

bool FramePipeline::make(ViewerFrame& f) {
  if (!settings_.makeViews) return true;
  const int64_t start = counterMicros();
  std::string error;
  const bool made =
      settings_.makeViews({f.read.pixels.data(), f.read.width, f.read.height}, f.views, error);
  makeMsec_.store(static_cast<double>(counterMicros() - start) / 1000);
  if (!made) {
    std::lock_guard lock(mutex_);
    if (unmadeViews_.empty()) unmadeViews_ = "frame " + std::to_string(f.number) + ": " + error;
  }
  return made;
}

std::string FramePipeline::unmadeViews() const {
  std::lock_guard lock(mutex_);
  return unmadeViews_;
}

void FramePipeline::run() {
  std::unique_ptr<ViewerFrame> f;
  const double fps = source_.fps();
  const double frameMsec = fps > 0 ? 1000.0 / fps : 40.0;
  for (;;) {
    long target = -1;
    uint64_t generation = 0;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] {
        return stopping_ || ((f || !free_.empty()) && (!ended_ || seekTarget_ >= 0));
      });
      if (stopping_) return;
      if (!f) {
        f = std::move(free_.back());
        free_.pop_back();
      }
      std::swap(target, seekTarget_);
      generation = generation_;
    }
    if (target >= 0) {
      lapMsec_ = 0;
      framesThisLap_ = 0;
      if (!source_.seekTo(target)) {
        endGeneration(generation);
        continue;
      }
    }
    long number = 0;
    double msec = 0;
    if (!read(*f, number, msec)) {
      // Round again from the first frame, the next lap's times after this one's.
      if (settings_.loop && !source_.isStill() && framesThisLap_ > 0 && source_.seekTo(0)) {
        lapMsec_ += lastMsec_ + frameMsec;
        framesThisLap_ = 0;
        continue;
      }
      endGeneration(generation);
      continue;
    }
    ++framesThisLap_;
    lastMsec_ = msec;
    lastNumber_.store(std::max(lastNumber_.load(), number));
    if (const long damaged = source_.damagedData(); damaged != damaged_.load()) {
      if (firstDamagedFrame_.load() < 0) firstDamagedFrame_.store(number);
      damaged_.store(damaged);
    }
    f->number = number;
    f->msec = msec + lapMsec_;
    f->generation = generation;
    // Late already when read: the decoder passes over what it can until it catches up.
    source_.passOverUnreferenced(clock_.isLate(f->msec, generation, settings_.slackMsec));
    skipped_ += source_.passedOver() - passedOver_;
    passedOver_ = source_.passedOver();
    // A frame that would be late once made and composed is passed over here, so that
    // the time goes to one that will be on time; but something shows at least a few
    // times a second, however far behind the reading is.
    const int64_t now = counterMicros();
    const bool stalled = now - lastComposedMicros_ > kStallMicros;
    if (!stalled && clock_.isLate(f->msec - workMsec_, generation, settings_.slackMsec)) {
      ++skipped_;
      continue;  // the frame is kept for the next one
    }
    lastComposedMicros_ = now;
    if (!make(*f)) continue;
    composeFrame(*f, tuning_.get());
    const double took = static_cast<double>(counterMicros() - now) / 1000;
    workMsec_ = workMsec_ == 0 ? took : 0.8 * workMsec_ + 0.2 * took;
    {
      std::lock_guard lock(mutex_);
      if (generation != generation_) continue;
      ready_.push_back(std::move(f));
    }
    settings_.wake();
  }
}

}  // namespace viewer
