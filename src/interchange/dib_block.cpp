#include "interchange/dib_block.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace interchange {

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr size_t kInfoHeaderSize = 40;

uint16_t u16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t u32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
void put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// One colour channel under a bit-field mask, widened or narrowed to 8 bits.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int width = 0;
  explicit Channel(uint32_t m) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    width = std::bit_width(m >> shift);
  }
  uint32_t operator()(uint32_t pixel) const {
    if (width == 0) return 0;
    const uint32_t v = (pixel & mask) >> shift;
    if (width >= 8) return v >> (width - 8);
    const uint32_t top = (uint32_t{1} << width) - 1;
    return (v * 255 + top / 2) / top;
  }
};

struct Layout {
  uint64_t width = 0, height = 0;
  bool topDown = false;
  int bits = 0;
  uint32_t masks[3] = {};     // red, green, blue (16 and 32 bits)
  size_t tableOffset = 0;     // where the colour table starts
  size_t entrySize = 4;       // 3 in a core header's table
  uint64_t tableEntries = 0;  // entries stored in the block
};

DibError readHeader(const uint8_t* data, size_t size, Layout& l) {
  if (size < 4) return DibError::TooShort;
  const uint32_t headerSize = u32(data);
  constexpr uint32_t kSizes[] = {12, 40, 52, 56, 108, 124};
  if (std::find(std::begin(kSizes), std::end(kSizes), headerSize) == std::end(kSizes)) {
    return DibError::BadHeaderSize;
  }
  if (size < headerSize) return DibError::TooShort;
  uint32_t planes, compression = kBiRgb, coloursUsed = 0;
  if (headerSize == 12) {
    l.width = u16(data + 4);
    l.height = u16(data + 6);
    planes = u16(data + 8);
    l.bits = u16(data + 10);
    l.entrySize = 3;
  } else {
    const auto width = static_cast<int32_t>(u32(data + 4));
    const auto height = static_cast<int32_t>(u32(data + 8));
    if (width <= 0 || height == 0 || height == INT32_MIN) return DibError::BadSize;
    l.width = static_cast<uint64_t>(width);
    l.topDown = height < 0;
    l.height = static_cast<uint64_t>(height < 0 ? -int64_t{height} : height);
    planes = u16(data + 12);
    l.bits = u16(data + 14);
    compression = u32(data + 16);
    coloursUsed = u32(data + 32);
  }
  if (l.width == 0 || l.height == 0) return DibError::BadSize;
  if (l.width * l.height > kMaxDibPixels) return DibError::TooLarge;
  if (planes != 1) return DibError::BadPlanes;
  if (l.bits != 1 && l.bits != 4 && l.bits != 8 && l.bits != 16 && l.bits != 24 && l.bits != 32) {
    return DibError::BadBits;
  }

  l.tableOffset = headerSize;
  if (compression == kBiRgb) {
    if (l.bits == 16) {
      l.masks[0] = 0x7C00, l.masks[1] = 0x03E0, l.masks[2] = 0x001F;
    } else {
      l.masks[0] = 0xFF0000, l.masks[1] = 0xFF00, l.masks[2] = 0xFF;
    }
  } else if (compression == kBiBitfields && (l.bits == 16 || l.bits == 32) && headerSize >= 40) {
    // A 40-byte header has its three masks after it; larger headers hold them.
    if (headerSize == kInfoHeaderSize) {
      if (size < kInfoHeaderSize + 12) return DibError::Truncated;
      l.tableOffset += 12;
    }
    for (int i = 0; i < 3; ++i) l.masks[i] = u32(data + kInfoHeaderSize + 4 * i);
    if (l.bits == 16) {
      for (uint32_t& m : l.masks) m &= 0xFFFF;
    }
  } else {
    return DibError::BadCompression;
  }

  // Pictures of 8 bits or fewer have a table of colours-used entries (all 2^bits when
  // 0); deeper ones may carry an optional table that the rows follow.
  if (coloursUsed > 256) return DibError::BadColourCount;
  l.tableEntries = l.bits <= 8 && coloursUsed == 0 ? uint64_t{1} << l.bits : coloursUsed;
  if (l.tableOffset + l.tableEntries * l.entrySize > size) return DibError::BadColourCount;
  return DibError::None;
}

void readRow(const uint8_t* in, const Layout& l, const plat::Palette& table, int tableCount,
             uint32_t* out) {
  const size_t w = static_cast<size_t>(l.width);
  auto colour = [&](unsigned index) -> uint32_t {
    if (static_cast<int>(index) >= tableCount) return 0;
    const plat::PaletteEntry& e = table[index];
    return static_cast<uint32_t>(e.red) << 16 | static_cast<uint32_t>(e.green) << 8 | e.blue;
  };
  switch (l.bits) {
    case 1:
      for (size_t x = 0; x < w; ++x) out[x] = colour((in[x / 8] >> (7 - x % 8)) & 1);
      return;
    case 4:
      for (size_t x = 0; x < w; ++x) out[x] = colour((in[x / 2] >> (x % 2 ? 0 : 4)) & 0xF);
      return;
    case 8:
      for (size_t x = 0; x < w; ++x) out[x] = colour(in[x]);
      return;
    case 24:
      for (size_t x = 0; x < w; ++x) {
        const uint8_t* p = in + 3 * x;
        out[x] = static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
      }
      return;
    default: {
      const Channel red(l.masks[0]), green(l.masks[1]), blue(l.masks[2]);
      for (size_t x = 0; x < w; ++x) {
        const uint32_t px = l.bits == 16 ? u16(in + 2 * x) : u32(in + 4 * x);
        out[x] = red(px) << 16 | green(px) << 8 | blue(px);
      }
    }
  }
}

}  // namespace

std::vector<uint8_t> writeDibBlock(const plat::Surface& s, size_t limit) {
  if (s.bits() != 8 && s.bits() != 32) return {};
  const int bits = s.bits() == 32 ? 24 : 8;
  const size_t w = static_cast<size_t>(s.width());
  const size_t h = static_cast<size_t>(s.height());
  const size_t stride = dibStride(w, bits);
  const size_t tableBytes = bits == 8 ? 256 * 4 : 0;
  const size_t rowsAt = kInfoHeaderSize + tableBytes;
  if (stride != 0 && (limit - rowsAt) / stride < h) return {};  // also guards the product
  std::vector<uint8_t> block;
  try {
    block.assign(rowsAt + stride * h, 0);
  } catch (const std::bad_alloc&) {
    return {};
  }
  uint8_t* p = block.data();
  put32(p, kInfoHeaderSize);
  put32(p + 4, static_cast<uint32_t>(w));
  put32(p + 8, static_cast<uint32_t>(h));
  put16(p + 12, 1);
  put16(p + 14, static_cast<uint16_t>(bits));
  if (bits == 8) {
    for (int i = 0; i < 256; ++i) {
      const plat::PaletteEntry& e = s.palette()[i];
      uint8_t* entry = p + kInfoHeaderSize + 4 * i;
      entry[0] = e.blue, entry[1] = e.green, entry[2] = e.red, entry[3] = 0;
    }
  }
  for (size_t r = 0; r < h; ++r) {
    uint8_t* out = p + rowsAt + stride * r;
    const int y = static_cast<int>(h - 1 - r);
    if (bits == 8) {
      std::memcpy(out, s.row8(y), w);
      continue;
    }
    const uint32_t* in = s.row32(y);
    for (size_t x = 0; x < w; ++x) {
      out[3 * x] = static_cast<uint8_t>(in[x]);
      out[3 * x + 1] = static_cast<uint8_t>(in[x] >> 8);
      out[3 * x + 2] = static_cast<uint8_t>(in[x] >> 16);
    }
  }
  return block;
}

DibError readDibBlock(const uint8_t* data, size_t size, DibPicture& picture) {
  if (!data) return DibError::TooShort;
  Layout l;
  if (DibError e = readHeader(data, size, l); e != DibError::None) return e;

  plat::Palette table{};
  int tableCount = 0;
  if (l.bits <= 8) {
    tableCount = static_cast<int>(l.tableEntries);
    for (int i = 0; i < tableCount; ++i) {
      const uint8_t* e = data + l.tableOffset + l.entrySize * i;
      table[i] = {e[0], e[1], e[2], 0};
    }
  }
  const size_t rowsAt = l.tableOffset + l.tableEntries * l.entrySize;
  const size_t stride = dibStride(l.width, l.bits);
  const size_t rowBytes = (l.width * l.bits + 7) / 8;
  // The last row may lack its padding.
  if (size - rowsAt < stride * (l.height - 1) + rowBytes) return DibError::Truncated;

  std::vector<uint32_t> pixels;
  try {
    pixels.resize(l.width * l.height);
  } catch (const std::bad_alloc&) {
    return DibError::NoMemory;
  }
  for (uint64_t y = 0; y < l.height; ++y) {
    const uint64_t stored = l.topDown ? y : l.height - 1 - y;
    readRow(data + rowsAt + stride * stored, l, table, tableCount, pixels.data() + l.width * y);
  }
  picture.width = static_cast<int>(l.width);
  picture.height = static_cast<int>(l.height);
  picture.pixels = std::move(pixels);
  picture.colours = table;
  picture.colourCount = tableCount;
  return DibError::None;
}

}  // namespace interchange
