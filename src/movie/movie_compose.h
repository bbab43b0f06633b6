// Whole movies composed frame by frame: every frame of a multi-view movie (V views side
// by side, as one picture of --multiview), or a moving-camera movie whose views are V + 1
// frames spread over a span, as make> and make< take them from two marks. Reading,
// composing and writing overlap on their own threads; the frames are written in order.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "compose/compose_pixels.h"
#include "compose/fine.h"
#include "movie/movie_capture.h"
#include "movie/movie_writer.h"

namespace movie {

struct MovieProgress {
  int64_t done = 0;    // frames written
  int64_t total = 0;   // frames the movie announces; 0 when it does not say
  double seconds = 0;  // since the first frame was asked for
};

struct MovieComposition {
  compose::LentiParams params;  // Pitch, V, and the output size W x H (the writer's frame size)
  bool beta = false;            // the row-group method instead of column stripes
  // The fine method with this geometry instead of either (its pitch, views and size
  // are those of params).
  std::optional<compose::FineParams> fine;
  // Checked between frames: when it turns true the run ends, unfinished.
  const std::atomic<bool>* cancel = nullptr;
  // Called on the calling thread after every written frame.
  std::function<void(const MovieProgress&)> progress;
  int workers = 0;  // composing threads; 0: one per processor
};

struct MovieResult {
  bool finished = false;  // every frame was written (the writer is not yet committed)
  bool cancelled = false;
  std::string error;      // why not, for people
  int64_t frames = 0;     // frames written
  int64_t announced = 0;  // the output frames the input's own frame count promises
};

// Makes the V views side by side from one frame as read (words 0x00RRGGBB, rows
// top-down) into `views`, whose storage is kept from the frame it held before. Runs on
// a composing thread; false, with the reason for people in `error`, ends the run.
using FrameViews = std::function<bool(compose::ConstPixelBuffer frame,
                                      compose::MultiViewPicture& views, std::string& error)>;
// Gives each job going round the pipeline its own FrameViews, with storage of its own.
using FrameViewsMaker = std::function<FrameViews()>;

// Each frame of `in` holds V views side by side, trunc(frame width / V) columns each;
// each becomes one output frame. Refused when the frame is narrower than V columns.
// With `makeViews`, each frame is what the views are made from instead (a picture and
// its depth map, a stereo pair), on the composing threads.
MovieResult composeViewsMovie(MovieCapture& in, MovieWriter& out, const MovieComposition& c,
                              const FrameViewsMaker& makeViews = {});

// Output frame k (from 0) is composed from the V + 1 frames numbered (from 1)
// k + 1 + trunc((i span + 0.5) / V), i = 0 .. V, laid side by side as make> lays them,
// or as make< does when rightToLeft: for every k whose last frame is in the movie.
MovieResult composeSpanMovie(MovieCapture& in, int span, bool rightToLeft, MovieWriter& out,
                             const MovieComposition& c);

}  // namespace movie
