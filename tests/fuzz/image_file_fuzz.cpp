// Any bytes as an image file: decoding it and drawing it into pictures the way an
// image window's file load does must refuse or succeed, never crash or run away.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/imagefile.h"
#include "platform/surface.h"

namespace {

// Small pictures keep the runs fast; the full limit is checked by the unit tests.
constexpr int64_t kMaxPixels = int64_t{1} << 18;

const std::string& filePath() {
  static const std::string path = [] {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/direvo_fuzz_image_" +
           std::to_string(getpid());
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  plat::keepImagePluginsFound(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto target32 = plat::Surface::create(64, 64, 32);
  static auto target8 = plat::Surface::create(61, 61, 8);
  FILE* f = std::fopen(filePath().c_str(), "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
  plat::LoadedImage loaded = plat::loadImageFile(filePath(), kMaxPixels);
  if (loaded.object) {
    const plat::Surface& s = *loaded.object;
    if (s.width() < 1 || s.height() < 1 || loaded.paletteCount < 0 || loaded.paletteCount > 256) {
      std::abort();
    }
    plat::bitBlt(*target32, -10, -10, s.width(), s.height(), s, 0, 0);
    plat::bitBlt(*target8, 3, 5, s.width(), s.height(), s, 0, 0);
  }
  return 0;
}
