#include "overlay.h"

#include <algorithm>

#include "pixels/pixels.h"

namespace viewer {

namespace {

constexpr uint32_t kBox = 0x202020;
constexpr uint32_t kInk = 0xffffff;
constexpr int kMargin = 8;  // between the box's edge and the text, unscaled

void fillBox(compose::PixelBuffer p, int x0, int y0, int x1, int y1) {
  x1 = std::min(x1, p.width);
  y1 = std::min(y1, p.height);
  for (int y = y0; y < y1; ++y)
    std::fill(p.pixels + size_t(y) * p.width + x0, p.pixels + size_t(y) * p.width + x1, kBox);
}

void drawGlyph(compose::PixelBuffer p, int x0, int y0, char c, int scale) {
  if (c < 32) c = '?';  // and bytes of UTF-8, which are negative
  const auto& glyph = pixels::BitmapFont[static_cast<size_t>(c - 32)];
  for (int gy = 0; gy < pixels::kGlyphHeight; ++gy) {
    for (int gx = 0; gx < pixels::kGlyphWidth; ++gx) {
      if (((glyph[gy] >> (7 - gx)) & 1) == 0) continue;
      for (int dy = 0; dy < scale; ++dy) {
        const int y = y0 + gy * scale + dy;
        if (y >= p.height) return;
        for (int dx = 0; dx < scale; ++dx) {
          const int x = x0 + gx * scale + dx;
          if (x < p.width) p.pixels[size_t(y) * p.width + x] = kInk;
        }
      }
    }
  }
}

}  // namespace

void drawOverlay(compose::PixelBuffer picture, const std::vector<std::string>& lines, int scale) {
  size_t longest = 0;
  for (const std::string& line : lines) longest = std::max(longest, line.size());
  const int margin = kMargin * scale;
  const int lineHeight = pixels::kGlyphHeight * scale;
  const int width = static_cast<int>(longest) * pixels::kGlyphWidth * scale + 2 * margin;
  const int height = static_cast<int>(lines.size()) * lineHeight + 2 * margin;
  fillBox(picture, 0, 0, width, height);
  for (size_t i = 0; i < lines.size(); ++i) {
    const int y = margin + static_cast<int>(i) * lineHeight;
    for (size_t j = 0; j < lines[i].size(); ++j) {
      drawGlyph(picture, margin + static_cast<int>(j) * pixels::kGlyphWidth * scale, y, lines[i][j],
                scale);
    }
  }
}

}  // namespace viewer
