// Any bytes as an MPO file: the pictures found must lie inside the bytes, one after
// another, each from a start marker to an end marker, and no more than asked for.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "views/mpo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<views::ByteRange> found = views::picturesInMpo(data, size, 3);
  if (found.size() > 3) std::abort();
  size_t after = 0;
  for (const views::ByteRange& r : found) {
    if (r.begin < after || r.size < 4 || r.size > size - r.begin) std::abort();
    const uint8_t* p = data + r.begin;
    if (p[0] != 0xFF || p[1] != 0xD8 || p[r.size - 2] != 0xFF || p[r.size - 1] != 0xD9) {
      std::abort();
    }
    after = r.begin + r.size;
  }
  return 0;
}
