// The lenticular composition of the player: the multi-view image is resampled into
// the work image (one band per view, one work pixel per output sub-pixel) and the
// work image is interleaved into the output picture for the slanted lenses.
#pragma once

#include <cstdint>

#include "compose/compose_pixels.h"

namespace app {

// The image windows of the pipeline.
inline constexpr int kMultiViewImage = 1;
inline constexpr int kWorkImage = 2;
inline constexpr int kOutputImage = 3;

// The composition's settings, driven by the playback loop, and what the work image was
// last built from (resetLenticular returns them to these start values).
struct LenticularState {
  double Pitch = compose::kDefaultPitch;  // sub-pixel columns per lens
  int View_num = compose::kDefaultViews;  // V, kMinViews to kMaxViews
  int Width = compose::kDefaultWidth;     // W, output pixels per row, at most kMaxWidth
  int Height = compose::kDefaultHeight;   // H, output rows, at most kMaxHeight
  int builtViewCount = 0;                 // bands the work image holds; 0 until it is first built
  int builtViewWidth = 0;                 // the view size the work image was last built from
  int builtViewHeight = 0;
  bool betaMode = false;  // the row-group method instead of the column stripes
};
extern LenticularState lenticularState;
// The fields under the names the player uses.
inline constexpr auto& Pitch = lenticularState.Pitch;
inline constexpr auto& View_num = lenticularState.View_num;
inline constexpr auto& Width = lenticularState.Width;
inline constexpr auto& Height = lenticularState.Height;
inline constexpr auto& builtViewCount = lenticularState.builtViewCount;
inline constexpr auto& builtViewWidth = lenticularState.builtViewWidth;
inline constexpr auto& builtViewHeight = lenticularState.builtViewHeight;
inline constexpr auto& betaMode = lenticularState.betaMode;

compose::LentiParams currentLentiParams();

// Each of these is skipped while builtViewCount is 0 (or View_num is below 1) or an
// image window it reads or writes is not open. The compositions show the output
// afterwards. Without a work window (none can show a work image that wide) they read
// the multi-view image through the resampling instead, with the view size
// BuildWorkImage was last given: the same picture the work image would give.
void BuildWorkImage(int viewWidth, int viewHeight);
void ComposeStable();
void ComposeBeta();
void compose();  // ComposeBeta when betaMode is on, else ComposeStable

// The same, one pixel at a time through the current image, selecting the image read
// from before every read and the image written to before every batch of writes. They
// leave the images, the current image, its history and the pen position exactly as
// the versions above do; tests and benchmarks measure against them.
void buildWorkImageStraight(int viewWidth, int viewHeight);
void composeStableStraight();
void composeBetaStraight();

// Sub-pixel s of row 3r, s+1 of row 3r+1 and s+2 of row 3r+2 of the current image
// each take the matching channel of color; the other channels of those pixels stay.
void PutDiagonal(int64_t s, uint32_t color, int64_t r);

// Settings back to their start values.
void resetLenticular();

}  // namespace app
