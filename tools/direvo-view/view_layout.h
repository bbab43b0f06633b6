// Where the views are in a frame of the source: V side by side, a grid of C x R, or a
// stereo pair; and laying them out side by side, as the composition reads them.
#pragma once

#include <string>

#include "compose/compose_pixels.h"

namespace viewer {

struct ViewLayout {
  enum class Kind { SideBySide, Grid, StereoPair };
  Kind kind = Kind::SideBySide;
  int views = 0;              // V; C x R for a grid, 2 for a stereo pair
  int columns = 0, rows = 0;  // the grid's
  bool bottomUp = false;      // a grid stored from its bottom row up
  bool crossed = false;       // a stereo pair with the right eye on the left

  // Whether the frame already is the V views side by side, as the composition reads them.
  bool readAsIs() const {
    return kind == Kind::SideBySide || (kind == Kind::StereoPair && !crossed);
  }
};

// Why a frame of this size cannot hold the views (for people), or empty.
std::string layoutRefusal(const ViewLayout& layout, int frameWidth, int frameHeight);

// The size of the V views side by side that a frame of this size holds.
struct ViewsSize {
  int width = 0;
  int height = 0;
};
ViewsSize viewsSizeOf(const ViewLayout& layout, int frameWidth, int frameHeight);

// Copies the views of `frame` side by side into `views` (of viewsSizeOf the frame): view
// k of a grid is cell k counted row by row from the top left (from the bottom left when
// stored bottom up); a crossed pair has its halves swapped.
void arrangeViews(const ViewLayout& layout, compose::ConstPixelBuffer frame,
                  compose::PixelBuffer views);

}  // namespace viewer
