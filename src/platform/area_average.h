// HALFTONE stretching: every destination pixel is the average of the source area it
// covers. Internal to the platform.
#pragma once

#include "platform/stretch_geometry.h"
#include "platform/surface.h"

namespace plat {

void stretchHalftone(Surface& dst, const Surface& src, const Axis& ax, const Axis& ay);

}  // namespace plat
