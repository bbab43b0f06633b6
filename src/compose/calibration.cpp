#include "compose/calibration.h"

#include <algorithm>
#include <string>

#include "pixels/pixels.h"

namespace compose {

uint32_t calibrationColour(int k, int views) {
  const int hue = views > 0 ? static_cast<int>(int64_t{360} * k / views) : 0;
  return pixels::hsvToRgb(255, 255, hue);
}

uint32_t calibrationNumberColour(uint32_t background) {
  return pixels::luma(background) >= 128 ? 0x000000u : 0xFFFFFFu;
}

ViewSize calibrationViewSize(int views, int W, int H) {
  int factor = 1;
  while (factor < std::max(W, H) &&
         int64_t{views} * (W / factor) * (H / factor) > kCalibrationMaxPixels) {
    ++factor;
  }
  return {std::max(1, W / factor), std::max(1, H / factor)};
}

NumberBox calibrationNumberBox(int k, ViewSize view) {
  const int digits = static_cast<int>(std::to_string(k).size());
  // As large as fits in four fifths of the width and half the height.
  const int byWidth = view.width * 4 / 5 / (pixels::kGlyphWidth * digits);
  const int byHeight = view.height / 2 / pixels::kGlyphHeight;
  NumberBox box;
  box.scale = std::max(1, std::min(byWidth, byHeight));
  box.width = digits * pixels::kGlyphWidth * box.scale;
  box.height = pixels::kGlyphHeight * box.scale;
  box.x = (view.width - box.width) / 2;
  box.y = (view.height - box.height) / 2;
  return box;
}

MultiViewPicture calibrationViews(int views, ViewSize view) {
  MultiViewPicture picture;
  if (views < 1 || view.width < 1 || view.height < 1) return picture;
  picture.width = views * view.width;
  picture.height = view.height;
  picture.pixels.assign(static_cast<size_t>(picture.width) * picture.height, 0);
  for (int k = 0; k < views; ++k) {
    const uint32_t colour = calibrationColour(k, views);
    const uint32_t ink = calibrationNumberColour(colour);
    const NumberBox box = calibrationNumberBox(k, view);
    const std::string digits = std::to_string(k);
    const int left = k * view.width;
    for (int y = 0; y < view.height; ++y) {
      uint32_t* row = picture.pixels.data() + static_cast<size_t>(y) * picture.width + left;
      std::fill_n(row, view.width, colour);
      const int gy = (y - box.y) / box.scale;
      if (y < box.y || gy >= pixels::kGlyphHeight) continue;
      for (int x = std::max(0, box.x); x < std::min(view.width, box.x + box.width); ++x) {
        const int gx = (x - box.x) / box.scale;
        const char c = digits[static_cast<size_t>(gx / pixels::kGlyphWidth)];
        const uint8_t bits =
            pixels::BitmapFont[static_cast<size_t>(c - 32)][static_cast<size_t>(gy)];
        if (bits & (0x80 >> (gx % pixels::kGlyphWidth))) row[x] = ink;
      }
    }
  }
  return picture;
}

MultiViewPicture calibrationLineViews(int views, ViewSize view, int white) {
  MultiViewPicture picture;
  if (views < 1 || view.width < 1 || view.height < 1) return picture;
  picture.width = views * view.width;
  picture.height = view.height;
  picture.pixels.assign(static_cast<size_t>(picture.width) * picture.height, 0);
  if (white < 0 || white >= views) return picture;
  for (int y = 0; y < view.height; ++y) {
    uint32_t* row = picture.pixels.data() + static_cast<size_t>(y) * picture.width;
    std::fill_n(row + static_cast<size_t>(white) * view.width, view.width, 0xFFFFFFu);
  }
  return picture;
}

}  // namespace compose
