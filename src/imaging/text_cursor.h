// Small helpers of the two kinds of text.
#pragma once

#include <cstdint>

#include "imaging/current_pixels.h"

namespace imaging {

// v + by, kept within the int range: a cursor pushed past the ends stays there (where
// nothing is inside any picture) instead of wrapping round into it.
inline int movedCoordinate(int v, int64_t by) {
  return clampCoordinate(int64_t{v} + by);
}

}  // namespace imaging
