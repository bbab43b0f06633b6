// Palette colours as words, and the nearest palette index of a colour, for the blits.
// Internal to the platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/surface.h"

namespace plat {

inline uint32_t entryColor(const PaletteEntry& e) {
  return uint32_t{e.red} << 16 | uint32_t{e.green} << 8 | e.blue;
}

struct ColorTable {
  uint32_t rgb[256];
  explicit ColorTable(const Palette& p) {
    for (int i = 0; i < 256; ++i) rgb[i] = entryColor(p[i]);
  }
};

// nearestPaletteIndex behind a small direct-mapped cache: pictures repeat their colours.
class NearestIndex {
 public:
  explicit NearestIndex(const Palette& p) : pal_(p), keys_(kSlots, kEmpty), values_(kSlots) {}
  uint8_t operator()(uint32_t rgb) {
    rgb &= 0xFFFFFF;
    uint32_t slot = (rgb * 0x9E3779B1u) >> (32 - kSlotBits);
    if (keys_[slot] != rgb) {
      keys_[slot] = rgb;
      values_[slot] = nearestPaletteIndex(pal_, rgb);
    }
    return values_[slot];
  }

 private:
  static constexpr int kSlotBits = 12;
  static constexpr size_t kSlots = size_t{1} << kSlotBits;
  static constexpr uint32_t kEmpty = 0xFFFFFFFFu;  // no 0x00RRGGBB colour
  const Palette& pal_;
  std::vector<uint32_t> keys_;
  std::vector<uint8_t> values_;
};

}  // namespace plat
