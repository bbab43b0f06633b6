// The fine composition: every sub-pixel of the output picks its view from where it
// sits under the lens pattern, for any lens pitch, slant, offset and sub-pixel order,
// and reads it straight from the multi-view picture (no work image).
//
// The multi-view picture holds V views side by side, each vw = trunc(Mw / V) columns
// wide and vh = Mh rows high. For output pixel (x, y) and its physical sub-pixel
// k = 0, 1, 2 from the left, in double arithmetic exactly as written:
//   s = 3x + k, its channel c = k (rgb) or 2 - k (bgr), channel 0 red, 1 green, 2 blue;
//   t = (s - S y - O) / P;  phase = t - floor(t);  v = floor(phase V), V - 1 if that is V;
//   sx = vw / (3 W), sy = vh / H;  vx = trunc(s sx), vy = trunc(y sy);
//   channel c of output pixel (x, y) = channel c of multi-view pixel (v vw + vx, vy).
// Every output pixel is written; the fourth byte is 0.
#pragma once

#include "compose/compose_pixels.h"

namespace compose {

enum class SubpixelOrder { Rgb, Bgr };

// The output sizes the fine method is held to (it needs no working storage, so a
// panel of 8K takes it).
inline constexpr int kFineMaxWidth = 7680;
inline constexpr int kFineMaxHeight = 4320;
inline constexpr double kDefaultSlant = 1;
inline constexpr double kDefaultOffset = 0;

struct FineParams {
  double pitch = kDefaultPitch;    // P, sub-pixel columns per lens; negative reverses the views
  double slant = kDefaultSlant;    // S, sub-pixel columns the lenses move right per row down
  double offset = kDefaultOffset;  // O, sub-pixel columns the pattern starts to the right
  SubpixelOrder order = SubpixelOrder::Rgb;
  int views = kDefaultViews;    // V
  int width = kDefaultWidth;    // W
  int height = kDefaultHeight;  // H

  bool operator==(const FineParams&) const = default;
};

// The view that sub-pixel column s of row y shows. A NaN phase (a zero or infinite
// pitch) gives view 0.
int fineView(double s, double y, const FineParams& p);

// The composition as the formula reads, one sub-pixel at a time. Writes the pixels of
// `output` below W x H; all of them black when there is no view to read (V below 1, a
// picture narrower than V columns or with no rows).
void composeFineStraight(ConstPixelBuffer multiView, PixelBuffer output, const FineParams& p);

// The same picture, bit for bit, from per-row and per-column tables, on several threads,
// four sub-pixels at a time; with AVX2 eight at a time from fixed-point phases, with the
// doubles again wherever a phase lies near a view boundary.
void composeFinePixels(ConstPixelBuffer multiView, PixelBuffer output, const FineParams& p);

// Makes composeFinePixels keep to the instructions every x86-64 processor has, so that
// the tests check that path too on a processor with AVX2.
void useFineBaselineOnly(bool on);

}  // namespace compose
