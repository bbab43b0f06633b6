// Synthetic scenes whose every view is known exactly: textured planes at known depths,
// each view rendered straight from the description, one target pixel at a time (never by
// warping a picture), so that views made by any method can be held to the truth.
//
// Columns are those of the middle view. A scene point at column x with depth z (0 far ..
// 1 near) is seen in a view at x + (z - F) s, where s = D (0.5 - k / (V - 1)) is that
// view's shift per unit of depth and F the focus. Pixel x is centred on column x: its
// colour is the mean over `samples` points evenly across its width (edges anti-aliased
// along the rows, the direction views move in; rows are point-sampled), its depth that
// of the surface seen at its centre, as a renderer's depth buffer has it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace scenes {

// One sine across the plane: amplitude per channel at frequency (fx, fy), radians a pixel.
struct Wave {
  double fx = 0, fy = 0, phase = 0;
  std::array<double, 3> amplitude{};
};

// Colour at a point of a surface: a base colour, sines, and a checker with soft edges.
struct Texture {
  std::array<double, 3> base{};
  std::vector<Wave> waves;
  double checkerPeriod = 0;    // pixels; 0 for none
  double checkerSoftness = 1;  // pixels over which a checker edge rises
  std::array<double, 3> checkerAmplitude{};
};

// Detail from a fixed seed around `base`: sines of periods 6 .. 60 pixels and a soft
// checker, within about +-70 levels.
Texture makeTexture(uint32_t seed, std::array<double, 3> base);

// The part of the middle view's plane a surface covers.
struct Shape {
  enum Kind { kEverywhere, kRectangle, kDisc } kind = kEverywhere;
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // corners; a disc's centre (x0, y0), radius x1
  bool covers(double x, double y) const;
};

// A plane with depth z0 + slopeX x + slopeY y at middle-view column x, row y.
struct Surface {
  Shape shape;
  double z0 = 0, slopeX = 0, slopeY = 0;
  Texture texture;
};

struct Scene {
  std::string name;
  int width = 0, height = 0;
  std::vector<Surface> surfaces;  // at equal depth the earlier one wins
};

// A rendered view: colours (0x00RRGGBB) and the depth seen at each pixel, rows top-down.
struct Rendered {
  std::vector<uint32_t> colour;
  std::vector<float> depth;
};

// The view `shift` pixels per unit of depth from `focus` (0 for the middle view). Every
// point sees the nearest surface covering the scene point that lands on it; samples 1
// is plain point sampling, hard edges.
Rendered render(const Scene& scene, double shift, double focus, int samples = 8);

// The scenes the quality of views is measured on, at width x height:
//  "planes"  fronto-parallel planes overlapping before a textured background, a pole;
//  "slant"   a plane whose depth runs across x, a disc and a pole before it;
//  "fence"   a fence of 2-3 pixel wide poles and rails before a disc and a background;
//  "floor"   a floor rising toward the viewer (depth down the rows), a near box, a far
//            pole, things both sides of the focus.
std::vector<Scene> standardScenes(int width, int height);

}  // namespace scenes
