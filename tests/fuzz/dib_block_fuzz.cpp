// Any bytes as a clipboard picture block: reading must refuse or succeed, never read
// outside the block, and a picture read must be as large as it says.
#include <cstdint>
#include <cstdlib>

#include "interchange/dib_block.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  interchange::DibPicture picture;
  if (interchange::readDibBlock(data, size, picture) == interchange::DibError::None) {
    const size_t count = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
    if (picture.pixels.size() != count || picture.colourCount < 0 || picture.colourCount > 256) {
      std::abort();
    }
    uint32_t any = 0;
    for (uint32_t p : picture.pixels) any |= p;
    if (any > 0xFFFFFFu) std::abort();  // no bits above the colour
  }
  return 0;
}
