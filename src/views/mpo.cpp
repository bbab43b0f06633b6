#include "views/mpo.h"

namespace views {

namespace {

constexpr uint8_t kMark = 0xFF, kStart = 0xD8, kEnd = 0xD9, kScan = 0xDA;

bool standalone(uint8_t m) {
  return m == 0x01 || (m >= 0xD0 && m <= 0xD7);  // TEM and the restart markers
}

// The offset just past the end marker of the picture whose start marker is at `at`, or 0
// when the bytes end first or are no picture.
size_t pictureEnd(const uint8_t* b, size_t size, size_t at) {
  size_t pos = at + 2;
  for (;;) {
    if (pos >= size || b[pos] != kMark) return 0;
    while (pos < size && b[pos] == kMark) ++pos;  // fill bytes
    if (pos >= size) return 0;
    const uint8_t m = b[pos++];
    if (m == kEnd) return pos;
    if (standalone(m)) continue;
    if (m == 0x00 || m == kStart || size - pos < 2) return 0;
    const size_t length = static_cast<size_t>(b[pos]) << 8 | b[pos + 1];
    if (length < 2 || size - pos < length) return 0;
    pos += length;
    if (m != kScan) continue;
    // The coded data runs up to the first marker that is neither a stuffed 0xFF nor a
    // restart.
    for (;;) {
      while (pos < size && b[pos] != kMark) ++pos;
      if (size - pos < 2) return 0;
      const uint8_t next = b[pos + 1];
      if (next == 0x00 || (next >= 0xD0 && next <= 0xD7) || next == kMark) {
        pos += next == kMark ? 1 : 2;
        continue;
      }
      break;
    }
  }
}

}  // namespace

std::vector<ByteRange> picturesInMpo(const uint8_t* bytes, size_t size, int most) {
  std::vector<ByteRange> found;
  size_t pos = 0;
  while (static_cast<int>(found.size()) < most && bytes && size >= 3 && pos <= size - 3) {
    if (bytes[pos] != kMark || bytes[pos + 1] != kStart || bytes[pos + 2] != kMark) {
      ++pos;
      continue;
    }
    const size_t end = pictureEnd(bytes, size, pos);
    if (end == 0) break;
    found.push_back({pos, end - pos});
    pos = end;
  }
  return found;
}

}  // namespace views
