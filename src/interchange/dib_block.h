// Device-independent bitmap blocks, the clipboard's picture format: written from an
// image's pixels, and read back from any program's block after checking every size
// in it against the block's length. Pure data: no windows, no clipboard.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/surface.h"

namespace interchange {

// Bytes in one row of a block: rows are padded to 4 bytes.
inline constexpr size_t dibStride(size_t width, int bits) {
  return (width * static_cast<size_t>(bits) + 31) / 32 * 4;
}

// The block of a whole picture: a 40-byte header (width, positive height, 1 plane,
// 24 bits for a 32-bit surface or 8 for an 8-bit one, every other field 0), for 8 bits
// the 256 palette entries, then the rows bottom row first (24-bit rows drop the fourth
// byte). Empty when the block would exceed `limit` bytes or memory cannot be had.
std::vector<uint8_t> writeDibBlock(const plat::Surface& s, size_t limit = SIZE_MAX);

// The most pixels a block read from elsewhere may describe.
inline constexpr uint64_t kMaxDibPixels = uint64_t{1} << 27;

enum class DibError {
  None,
  TooShort,        // shorter than its header
  BadHeaderSize,   // not 12, 40, 52, 56, 108 or 124
  BadSize,         // width or height not positive
  TooLarge,        // more than kMaxDibPixels
  BadPlanes,       // planes not 1
  BadBits,         // not 1, 4, 8, 16, 24 or 32 bits
  BadCompression,  // neither uncompressed nor bit fields (16 and 32 bits)
  BadColourCount,  // more than 256 colours, or a table beyond the block
  Truncated,       // the rows run past the end of the block
  NoMemory,
};

// A block read: the picture as 0x00RRGGBB words, top row first, and its colour table
// (pictures of 8 bits or fewer; entries as blue, green, red, 0).
struct DibPicture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  plat::Palette colours{};
  int colourCount = 0;
};

// Reads a block of `size` bytes. Header sizes 12 (core), 40, 52, 56, 108 and 124;
// rows bottom-up or top-down (negative height); 1, 4, 8, 16, 24 or 32 bits;
// uncompressed or with bit-field masks (16 and 32 bits). Indices beyond the colour
// table read as black. On any error `picture` is left as it was.
DibError readDibBlock(const uint8_t* data, size_t size, DibPicture& picture);

}  // namespace interchange
