// The pictures of an MPO file (a 3D camera's): JPEG pictures one after another, the
// left eye first and the right eye second.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace views {

struct ByteRange {
  size_t begin = 0;
  size_t size = 0;
};

// Where the first `most` whole JPEG pictures of the bytes lie. A picture ends at its end
// marker, found by walking its segments (a thumbnail inside its metadata does not end
// it); the next begins at the next start marker after that. Bytes that end inside a
// picture end the list before it.
std::vector<ByteRange> picturesInMpo(const uint8_t* bytes, size_t size, int most = 2);

}  // namespace views
