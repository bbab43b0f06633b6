#include "platform/jpeg_encoder.h"

#include <turbojpeg.h>

#include <algorithm>
#include <memory>
#include <new>

namespace plat {

namespace {

struct TurboJpegCloser {
  void operator()(void* handle) const { tjDestroy(handle); }
};
struct TurboJpegFree {
  void operator()(unsigned char* buffer) const { tjFree(buffer); }
};

// The 8-bit surface's rows as 32-bit pixels through its palette.
std::vector<uint32_t> throughPalette(const Surface& s) {
  std::vector<uint32_t> words(static_cast<size_t>(s.width()) * s.height());
  const Palette& palette = s.palette();
  for (int y = 0; y < s.height(); ++y) {
    const uint8_t* row = s.row8(y);
    uint32_t* to = words.data() + static_cast<size_t>(y) * s.width();
    for (int x = 0; x < s.width(); ++x) {
      const PaletteEntry e = palette[row[x]];
      to[x] = (uint32_t{e.red} << 16) | (uint32_t{e.green} << 8) | e.blue;
    }
  }
  return words;
}

}  // namespace

bool encodeJpeg444(const Surface& s, int quality, std::vector<uint8_t>& out) {
  if (s.bits() != 8 && s.bits() != 32) return false;
  if (s.width() > 65535 || s.height() > 65535) return false;  // JPEG's own limit
  try {
    std::vector<uint32_t> expanded;
    const unsigned char* pixels = s.data();
    size_t pitch = s.stride();
    if (s.bits() == 8) {
      expanded = throughPalette(s);
      pixels = reinterpret_cast<const unsigned char*>(expanded.data());
      pitch = static_cast<size_t>(s.width()) * 4;
    }
    std::unique_ptr<void, TurboJpegCloser> encoder(tjInitCompress());
    if (!encoder) return false;
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    // Words 0x00RRGGBB lie in memory as blue, green, red, unused.
    const int failed = tjCompress2(encoder.get(), pixels, s.width(), static_cast<int>(pitch),
                                   s.height(), TJPF_BGRX, &jpeg, &size, TJSAMP_444,
                                   std::clamp(quality, 1, 100), TJFLAG_ACCURATEDCT);
    std::unique_ptr<unsigned char, TurboJpegFree> owned(jpeg);
    if (failed) return false;
    out.assign(jpeg, jpeg + size);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace plat
