#include "movie/movie_compose.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "compose/panel_compose.h"
#include "compose/view_frames.h"

namespace movie {

namespace {

// One frame on its way through: the views read, the picture composed from them, and
// that picture as the writer takes it.
struct Job {
  int64_t index = 0;
  std::vector<uint32_t> views;
  int viewsWidth = 0;
  int viewsHeight = 0;
  std::vector<uint32_t> output;
  std::vector<uint8_t> bgr;
  // When the views are made from the frame: this job's own maker, and what it made.
  FrameViews make;
  compose::MultiViewPicture made;
};

// Fills a job's views with the next frame's; false at the end of the movie, with a
// reason in *error when the run is to fail rather than end. Runs on one thread.
using ReadViews = std::function<bool(Job&, std::string* error)>;

// False, with the reason in `error`, when the views could not be made from the frame.
bool composeJob(Job& job, const MovieComposition& c, std::string& error) {
  const compose::LentiParams& p = c.params;
  compose::ConstPixelBuffer source{job.views.data(), job.viewsWidth, job.viewsHeight};
  if (job.make) {
    if (!job.make(source, job.made, error)) return false;
    source = {job.made.pixels.data(), job.made.width, job.made.height};
  }
  job.output.resize(static_cast<size_t>(p.width) * static_cast<size_t>(p.height));
  compose::FineParams panel = c.fine.value_or(compose::FineParams{});
  panel.pitch = p.pitch;
  panel.views = p.views;
  panel.width = p.width;
  panel.height = p.height;
  const compose::Method method = c.fine   ? compose::Method::Fine
                                 : c.beta ? compose::Method::Beta
                                          : compose::Method::Stable;
  compose::composeForPanel(method, source, {job.output.data(), p.width, p.height}, panel);
  convertImageToFrame(job.output.data(), p.width, p.height, job.bgr);
  return true;
}

// Reading on one thread, composing on `workers`, writing on the caller's, with a fixed
// set of jobs going round so memory stays bounded however long the movie is.
class Pipeline {
 public:
  Pipeline(ReadViews read, MovieWriter& out, const MovieComposition& c,
           FrameViewsMaker makeViews = {})
      : read_(std::move(read)), out_(out), c_(c), makeViews_(std::move(makeViews)) {}

  MovieResult run(int64_t total) {
    const int workers = c_.workers > 0
                            ? c_.workers
                            : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    jobs_.resize(static_cast<size_t>(workers) + 3);
    for (auto& j : jobs_) {
      j = std::make_unique<Job>();
      if (makeViews_) j->make = makeViews_();
      free_.push_back(j.get());
    }
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> threads;
    try {
      threads.emplace_back([this] { readLoop(); });
      for (int i = 0; i < workers; ++i) threads.emplace_back([this] { composeLoop(); });
    } catch (const std::system_error&) {
      fail("no thread could be started");
    }
    MovieResult result;
    result.announced = total;
    writeLoop(result, total, start);
    {
      std::lock_guard lock(m_);
      stop_ = true;
    }
    changed_.notify_all();
    for (std::thread& t : threads) t.join();
    if (!error_.empty()) result.error = error_;
    result.finished = result.error.empty() && !result.cancelled;
    return result;
  }

 private:
  void fail(const std::string& why) {
    std::lock_guard lock(m_);
    if (error_.empty()) error_ = why;
    stop_ = true;
    changed_.notify_all();
  }

  void readLoop() {
    int64_t next = 0;
    for (;;) {
      Job* job = nullptr;
      {
        std::unique_lock lock(m_);
        changed_.wait(lock, [this] { return stop_ || !free_.empty(); });
        if (stop_) return;
        job = free_.back();
        free_.pop_back();
      }
      std::string error;
      bool got = false;
      try {
        got = read_(*job, &error);
      } catch (const std::bad_alloc&) {
        error = "not enough memory for the frames";
      }
      std::lock_guard lock(m_);
      if (!got) {
        readEnded_ = true;
        if (!error.empty() && error_.empty()) {
          error_ = error;
          stop_ = true;
        }
        free_.push_back(job);
        changed_.notify_all();
        return;
      }
      job->index = next++;
      toCompose_.push_back(job);
      changed_.notify_all();
    }
  }

  void composeLoop() {
    for (;;) {
      Job* job = nullptr;
      {
        std::unique_lock lock(m_);
        changed_.wait(lock, [this] { return stop_ || !toCompose_.empty() || readEnded_; });
        if (stop_ || toCompose_.empty()) return;
        job = toCompose_.front();
        toCompose_.pop_front();
        ++composing_;
      }
      std::string error;
      try {
        if (!composeJob(*job, c_, error)) {
          fail("frame " + std::to_string(job->index + 1) + ": " + error);
          return;
        }
      } catch (const std::bad_alloc&) {
        fail("not enough memory for the composed frames");
        return;
      }
      std::lock_guard lock(m_);
      --composing_;
      composed_[job->index] = job;
      changed_.notify_all();
    }
  }

  // Takes the composed frames in order; null when there are no more or the run stops.
  Job* nextComposed(int64_t index) {
    std::unique_lock lock(m_);
    for (;;) {
      if (stop_) return nullptr;
      if (c_.cancel && c_.cancel->load()) {
        cancelled_ = true;
        return nullptr;
      }
      if (auto it = composed_.find(index); it != composed_.end()) {
        Job* job = it->second;
        composed_.erase(it);
        return job;
      }
      if (readEnded_ && toCompose_.empty() && composing_ == 0 && composed_.empty()) return nullptr;
      // A signal handler cannot wake the wait, so cancelling is looked at now and then.
      changed_.wait_for(lock, std::chrono::milliseconds(100));
    }
  }

  void writeLoop(MovieResult& result, int64_t total, std::chrono::steady_clock::time_point start) {
    for (;;) {
      Job* job = nextComposed(result.frames);
      if (!job) break;
      const MovieFrame frame{job->bgr.data(), c_.params.width, c_.params.height,
                             3 * c_.params.width};
      out_.write(frame);
      ++result.frames;
      {
        std::lock_guard lock(m_);
        free_.push_back(job);
      }
      changed_.notify_all();
      if (c_.progress) {
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        c_.progress({result.frames, total, elapsed.count()});
      }
    }
    result.cancelled = cancelled_;
  }

  ReadViews read_;
  MovieWriter& out_;
  const MovieComposition& c_;
  FrameViewsMaker makeViews_;
  std::vector<std::unique_ptr<Job>> jobs_;

  std::mutex m_;
  std::condition_variable changed_;
  std::vector<Job*> free_;
  std::deque<Job*> toCompose_;
  std::map<int64_t, Job*> composed_;
  int composing_ = 0;
  bool readEnded_ = false;
  bool stop_ = false;
  bool cancelled_ = false;
  std::string error_;
};

struct FrameSize {
  int width = 0;
  int height = 0;
};

// The frame size the movie announces, as the player takes it.
FrameSize frameSizeOf(const MovieCapture& in) {
  return {static_cast<int>(compose::truncToInt64(in.property(kFrameWidth))),
          static_cast<int>(compose::truncToInt64(in.property(kFrameHeight)))};
}

bool settingsUsable(const MovieComposition& c, MovieResult& r) {
  if (c.params.views < compose::kMinViews || c.params.views > compose::kMaxViews ||
      c.params.width < 1 || c.params.height < 1) {
    r.error = "the views and the output size are out of range";
    return false;
  }
  return true;
}

}  // namespace

MovieResult composeViewsMovie(MovieCapture& in, MovieWriter& out, const MovieComposition& c,
                              const FrameViewsMaker& makeViews) {
  MovieResult refused;
  if (!settingsUsable(c, refused)) return refused;
  const FrameSize size = frameSizeOf(in);
  const int V = c.params.views;
  if (size.width < (makeViews ? 1 : V) || size.height < 1) {
    refused.error = "its frames (" + std::to_string(size.width) + " x " +
                    std::to_string(size.height) + ") cannot hold " + std::to_string(V) +
                    " views side by side";
    return refused;
  }
  ReadViews read = [&in, size](Job& job, std::string*) {
    const MovieFrame* f = in.queryFrame();
    if (!f) return false;
    job.viewsWidth = size.width;
    job.viewsHeight = size.height;
    job.views.assign(static_cast<size_t>(size.width) * static_cast<size_t>(size.height), 0);
    convertFrameToImage(*f, job.views.data(), size.width, size.height);
    return true;
  };
  Pipeline pipeline(std::move(read), out, c, makeViews);
  MovieResult r = pipeline.run(compose::truncToInt64(in.property(kFrameCount)));
  if (r.finished && r.frames == 0) {
    r.finished = false;
    r.error = "no frame could be read";
  }
  return r;
}

MovieResult composeSpanMovie(MovieCapture& in, int span, bool rightToLeft, MovieWriter& out,
                             const MovieComposition& c) {
  MovieResult refused;
  if (!settingsUsable(c, refused)) return refused;
  const FrameSize size = frameSizeOf(in);
  if (size.width < 1 || size.height < 1 || span < 0) {
    refused.error = "it has no frame size";
    return refused;
  }
  const int V = c.params.views;
  // Frame numbers from 0 after output frame k: the views of --left k+1 --right k+1+span.
  std::vector<int> offsets = compose::spreadViewFrames(1, 1 + span, V);
  for (int& o : offsets) o -= 1;
  // The last span + 1 frames decoded, frame n in slot n mod (span + 1).
  struct Window {
    std::vector<std::vector<uint32_t>> frames;
    int64_t decoded = 0;
    int64_t next = 0;  // the output frame to assemble
  };
  auto window = std::make_shared<Window>();
  window->frames.resize(static_cast<size_t>(span) + 1);
  const size_t framePixels = static_cast<size_t>(size.width) * static_cast<size_t>(size.height);
  ReadViews read = [&in, window, offsets, size, framePixels, span, V, rightToLeft](Job& job,
                                                                                   std::string*) {
    Window& w = *window;
    const int64_t k = w.next;
    while (w.decoded < k + span + 1) {
      const MovieFrame* f = in.queryFrame();
      if (!f) return false;
      std::vector<uint32_t>& slot = w.frames[static_cast<size_t>(w.decoded % (span + 1))];
      slot.resize(framePixels);
      convertFrameToImage(*f, slot.data(), size.width, size.height);
      ++w.decoded;
    }
    // Column c holds view c from the left mark on (make>), or from the right (make<).
    job.viewsWidth = V * size.width;
    job.viewsHeight = size.height;
    job.views.resize(static_cast<size_t>(job.viewsWidth) * static_cast<size_t>(size.height));
    for (int col = 0; col < V; ++col) {
      const int64_t n = k + offsets[static_cast<size_t>(rightToLeft ? V - col : col)];
      const uint32_t* src = w.frames[static_cast<size_t>(n % (span + 1))].data();
      for (int y = 0; y < size.height; ++y) {
        std::copy_n(src + static_cast<size_t>(y) * size.width, size.width,
                    job.views.data() + static_cast<size_t>(y) * job.viewsWidth +
                        static_cast<size_t>(col) * size.width);
      }
    }
    ++w.next;
    return true;
  };
  Pipeline pipeline(std::move(read), out, c);
  const int64_t count = compose::truncToInt64(in.property(kFrameCount));
  MovieResult r = pipeline.run(std::max<int64_t>(0, count - span));
  if (r.finished && r.frames == 0) {
    r.finished = false;
    r.error = "it has fewer than the " + std::to_string(int64_t{span} + 1) + " frames a span of " +
              std::to_string(span) + " needs";
  }
  return r;
}

}  // namespace movie
