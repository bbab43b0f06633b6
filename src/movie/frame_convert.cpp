// Frames into 32-bit words. Decoded pictures go through the scaler; packed
// blue-green-red bytes by a byte shuffle where the processor has one, shifts and
// masks elsewhere.
#include <bit>
#include <cstddef>
#include <cstring>

#include "movie/movie_capture.h"
#include "movie/picture_convert.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define DIREVO_HAVE_SSSE3_PATH 1
#endif

namespace movie {

namespace {

// Pixels [x, w) of one row, four at a time in shifts and masks. Four pixels are
// twelve bytes, three little-endian words: a = B1 R0 G0 B0, b = G2 B2 R1 G1,
// c = R3 G3 B3 R2 (high byte first). No byte past the row is read.
void convertRowPlain(const uint8_t* src, uint32_t* out, int x, int w) {
  src += 3 * static_cast<ptrdiff_t>(x);
  if constexpr (std::endian::native == std::endian::little) {
    for (; x + 4 <= w; x += 4, src += 12) {
      uint32_t a, b, c;
      std::memcpy(&a, src, 4);
      std::memcpy(&b, src + 4, 4);
      std::memcpy(&c, src + 8, 4);
      out[x] = a & 0xFFFFFF;
      out[x + 1] = (a >> 24) | ((b & 0xFFFF) << 8);
      out[x + 2] = (b >> 16) | ((c & 0xFF) << 16);
      out[x + 3] = c >> 8;
    }
  }
  for (; x < w; ++x, src += 3) out[x] = src[2] << 16 | src[1] << 8 | src[0];
}

#ifdef DIREVO_HAVE_SSSE3_PATH
// Four pixels per shuffle: sixteen bytes are read for the twelve used, so the loop
// stops while six pixels (eighteen bytes) are left, and the rest goes the plain way.
__attribute__((target("ssse3"))) void convertRowSsse3(const uint8_t* src, uint32_t* out, int w) {
  const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  int x = 0;
  for (; x + 6 <= w; x += 4) {
    const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_shuffle_epi8(in, spread));
  }
  convertRowPlain(src, out, x, w);
}

#endif

void convertRow(const uint8_t* src, uint32_t* out, int w) {
  convertRowPlain(src, out, 0, w);
}

using RowConverter = void (*)(const uint8_t*, uint32_t*, int);

RowConverter bestRowConverter() {
#ifdef DIREVO_HAVE_SSSE3_PATH
  if (__builtin_cpu_supports("ssse3")) return convertRowSsse3;
#endif
  return convertRow;
}

}  // namespace

void convertFrameToImage(const MovieFrame& frame, uint32_t* dest, int destWidth, int destHeight) {
  if (frame.picture) {
    convertPictureToImage(*frame.picture, dest, destWidth, destHeight);
    return;
  }
  if (!frame.bgr || !dest || frame.width <= 0 || frame.height <= 0 || destWidth <= 0 ||
      destHeight <= 0)
    return;
  static const RowConverter convert = bestRowConverter();
  const int w = frame.width < destWidth ? frame.width : destWidth;
  const int h = frame.height < destHeight ? frame.height : destHeight;
  for (int y = 0; y < h; ++y) {
    convert(frame.bgr + static_cast<ptrdiff_t>(y) * frame.stride,
            dest + static_cast<ptrdiff_t>(y) * destWidth, w);
  }
}

}  // namespace movie
