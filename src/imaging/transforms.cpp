// The transforms of an image window's picture: inverting and flipping in place, and
// rotating and resizing through a re-creation of the window at its new size
// (TAV_ResizeImage keeps its number, title, place, zoom, stretch mode and palette).
#include <algorithm>
#include <climits>
#include <cstddef>
#include <memory>
#include <new>

#include "imagewin/imagewin.h"
#include "imaging/imaging.h"
#include "platform/message.h"

namespace {

constexpr int kNoWorkingCopy = kCreateNoBuffer;  // no memory for the copy of the picture

ImageWindowRecord* openRecord(int number) {
  if (static_cast<unsigned>(number) >= kImageWindowCount || !ImageTable[number].inUse)
    return nullptr;
  return &ImageTable[number];
}

void redraw(const ImageWindowRecord& rec) {
  plat::invalidate(rec.window);
}

template <typename Pixel>
Pixel* rowOf(plat::Surface& s, int y) {
  return reinterpret_cast<Pixel*>(s.row8(y));
}

template <typename Pixel>
void mirrorRows(plat::Surface& s) {
  for (int y = 0; y < s.height(); ++y)
    std::reverse(rowOf<Pixel>(s, y), rowOf<Pixel>(s, y) + s.width());
}

// Swaps the pixels of rows, leaving the padding of 8-bit rows where it is.
template <typename Pixel>
void mirrorColumns(plat::Surface& s) {
  for (int y = 0, other = s.height() - 1; y < other; ++y, --other)
    std::swap_ranges(rowOf<Pixel>(s, y), rowOf<Pixel>(s, y) + s.width(), rowOf<Pixel>(s, other));
}

// Fills the new picture from the packed old one: new pixel (x, y) takes old pixel
// origin + x * acrossStep + y * downStep. Square tiles keep both pictures' lines in the
// cache; within a tile the source is walked by pointer, one step per pixel.
template <typename Pixel>
void fillRotated(plat::Surface& dst, const Pixel* old, ptrdiff_t origin, ptrdiff_t acrossStep,
                 ptrdiff_t downStep) {
  constexpr int kTile = 64;
  for (int ty = 0; ty < dst.height(); ty += kTile) {
    const int yEnd = std::min(ty + kTile, dst.height());
    for (int tx = 0; tx < dst.width(); tx += kTile) {
      const int xEnd = std::min(tx + kTile, dst.width());
      for (int y = ty; y < yEnd; ++y) {
        Pixel* row = rowOf<Pixel>(dst, y);
        const Pixel* source = old + origin + tx * acrossStep + y * downStep;
        for (int x = tx; x < xEnd; ++x, source += acrossStep) row[x] = *source;
      }
    }
  }
}

enum class Turn { Right, Left };

template <typename Pixel>
void fillTurned(plat::Surface& dst, const Pixel* old, int oldWidth, int oldHeight, Turn turn) {
  const ptrdiff_t W = oldWidth, H = oldHeight;
  if (turn == Turn::Right) {                    // the old bottom-left corner comes to the top left
    fillRotated(dst, old, (H - 1) * W, -W, 1);  // (x, y) takes old (y, H - 1 - x)
  } else {                                      // the old top-right corner comes to the top left
    fillRotated(dst, old, W - 1, W, -1);        // (x, y) takes old (W - 1 - y, x)
  }
}

int rotate(int number, Turn turn) {
  if (!openRecord(number)) return 1;
  TAV_SelectImage(number);
  const ImageWindowRecord& rec = ImageTable[number];
  const int W = rec.width, H = rec.height, bits = rec.bits;
  const size_t pixelBytes = bits == 32 ? 4 : 1;
  // The picture packed, without row padding, while the window is made anew.
  std::unique_ptr<uint8_t[]> copy(new (std::nothrow) uint8_t[size_t(W) * size_t(H) * pixelBytes]);
  if (!copy) return kNoWorkingCopy;
  TAV_GetImageBlock(copy.get(), 0, 0, W, H);
  const int result = TAV_ResizeImage(number, H, W);
  if (result != 0) return result;
  ImageWindowRecord& turned = ImageTable[number];
  if (bits == 32) {
    fillTurned(*turned.surface, reinterpret_cast<const uint32_t*>(copy.get()), W, H, turn);
  } else {
    fillTurned(*turned.surface, copy.get(), W, H, turn);
  }
  redraw(turned);
  return 0;
}

// (size * thousandths + 500) / 1000, rounded half up, within the int range.
int scaledSize(int size, int thousandths) {
  return static_cast<int>(
      std::clamp<int64_t>((int64_t{size} * thousandths + 500) / 1000, INT_MIN, INT_MAX));
}

}  // namespace

namespace imaging {

int invertImage(int number) {
  ImageWindowRecord* rec = openRecord(number);
  if (!rec) return 1;
  // The colour bits are complemented; the fourth byte of 32-bit pixels stays.
  plat::invertRect(*rec->surface, {0, 0, rec->width, rec->height});
  redraw(*rec);
  return 0;
}

int flipHorizontally(int number) {
  ImageWindowRecord* rec = openRecord(number);
  if (!rec) return 1;
  if (rec->bits == 32)
    mirrorRows<uint32_t>(*rec->surface);
  else
    mirrorRows<uint8_t>(*rec->surface);
  redraw(*rec);
  return 0;
}

int flipVertically(int number) {
  ImageWindowRecord* rec = openRecord(number);
  if (!rec) return 1;
  if (rec->bits == 32)
    mirrorColumns<uint32_t>(*rec->surface);
  else
    mirrorColumns<uint8_t>(*rec->surface);
  redraw(*rec);
  return 0;
}

int rotateRight(int number) {
  return rotate(number, Turn::Right);
}
int rotateLeft(int number) {
  return rotate(number, Turn::Left);
}

int scaleImage(int number, int thousandths) {
  ImageWindowRecord* rec = openRecord(number);
  if (!rec) return 1;
  TAV_SelectImage(number);
  const int W = rec->width, H = rec->height;
  // A copy of the picture in the same format (and palette) to stretch from.
  std::unique_ptr<plat::Surface> copy = plat::Surface::create(W, H, rec->bits);
  if (!copy) return kNoWorkingCopy;
  copy->palette() = rec->surface->palette();
  plat::bitBlt(*copy, 0, 0, W, H, *rec->surface, 0, 0);
  const int newWidth = scaledSize(W, thousandths), newHeight = scaledSize(H, thousandths);
  const int result = TAV_ResizeImage(number, newWidth, newHeight);
  if (result != 0) return result;
  // The re-created window's surface carries its stretch mode: nearest pixel or average.
  ImageWindowRecord& scaled = ImageTable[number];
  plat::stretchBlt(*scaled.surface, 0, 0, scaled.width, scaled.height, *copy, 0, 0, W, H);
  redraw(scaled);
  return 0;
}

}  // namespace imaging
