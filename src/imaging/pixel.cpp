#include <cstring>

#include "imagewin/imagewin.h"
#include "imaging/imaging.h"
#include "imaging/pick.h"

DrawingState drawingState;

namespace {

// The pixel's address in the current image, or null when it is outside or the
// current image is not open (its buffer is gone then).
uint8_t* pixelAddress(int x, int y, int* bits) {
  if (static_cast<unsigned>(CurrentImage) >= kImageWindowCount) return nullptr;
  ImageWindowRecord& rec = ImageTable[CurrentImage];
  if (!rec.inUse) return nullptr;
  if (static_cast<unsigned>(x) >= static_cast<unsigned>(rec.width) ||
      static_cast<unsigned>(y) >= static_cast<unsigned>(rec.height)) {
    return nullptr;
  }
  *bits = rec.bits;
  uint8_t* row = rec.surface->row8(y);
  return rec.bits == 32 ? row + 4 * static_cast<size_t>(x) : row + x;
}

uint32_t load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void store32(uint8_t* p, uint32_t v) {
  std::memcpy(p, &v, 4);
}

void xorAt(int x, int y) {
  int bits = 0;
  uint8_t* p = pixelAddress(x, y, &bits);
  if (!p) return;
  if (bits == 32) {
    store32(p, load32(p) ^ 0x00FFFFFFu);
  } else {
    *p = static_cast<uint8_t>(~*p);
  }
}

}  // namespace

void TAV_PutPixelQuiet(int x, int y, uint32_t color) {
  int bits = 0;
  uint8_t* p = pixelAddress(x, y, &bits);
  if (!p) return;
  if (bits == 32) {
    store32(p, color);
  } else {
    *p = static_cast<uint8_t>(color);
  }
}

void TAV_PutPixel(int x, int y, uint32_t color) {
  TAV_PutPixelQuiet(x, y, color);
  PenPosition = {x, y};
}

uint32_t TAV_GetPixel(int x, int y) {
  int bits = 0;
  const uint8_t* p = pixelAddress(x, y, &bits);
  if (!p) return 0;
  return bits == 32 ? load32(p) : *p;
}

int32_t TAV_GetPixelOrNone(int x, int y) {
  int bits = 0;
  const uint8_t* p = pixelAddress(x, y, &bits);
  if (!p) return -1;
  return bits == 32 ? static_cast<int32_t>(load32(p)) : *p;
}

void TAV_XorPixel(int x, int y) {
  xorAt(x, y);
  PenPosition = {x, y};
}

void TAV_XorPixelQuiet(int x, int y) {
  xorAt(x, y);
}

int TAV_ClearImage(int number) {
  if (static_cast<unsigned>(number) >= kImageWindowCount || !ImageTable[number].inUse) return 1;
  plat::Surface& s = *ImageTable[number].surface;
  std::memset(s.data(), 0, s.byteSize());
  return 0;
}

namespace imaging {
void resetDrawingState() {
  PenPosition = {};
  TextCursor = {};
  resetDrawColors();
  resetTrueTypeFont();
  resetPickState();
}
}  // namespace imaging
