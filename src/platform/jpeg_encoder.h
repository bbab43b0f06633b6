// JPEG files written with every sub-pixel's colour kept: full chroma resolution (4:4:4),
// since a lenticular picture's neighbouring sub-pixels belong to different views and
// halved chroma would blend them.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/surface.h"

namespace plat {

// Encodes an 8-bit (through its palette) or 32-bit surface at quality 1..100 (values
// outside are held to it). False when the surface cannot be encoded (another depth,
// a side over 65535) or memory fails.
bool encodeJpeg444(const Surface& s, int quality, std::vector<uint8_t>& out);

}  // namespace plat
