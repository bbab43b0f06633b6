// GIF encoding through giflib (Qt reads GIF but does not write it).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/surface.h"

namespace plat {

// One GIF87a picture of the surface. An 8-bit surface keeps its indices and its
// 256-entry palette. A 32-bit surface of at most 256 colours gets exactly those
// colours; one of more is reduced to 256 by median cut. False when memory or the
// encoder fails (out is then unspecified).
bool encodeGif(const Surface& s, std::vector<uint8_t>& out);

}  // namespace plat
