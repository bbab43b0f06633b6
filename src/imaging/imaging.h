// Image processing and drawing on the current image window.
#pragma once

#include <cstdint>

#include "platform/types.h"

// Clipped pixel access on the current image (CurrentImage). A point is inside when
// 0 <= x < width and 0 <= y < height; writes outside are dropped. A current image that
// is not open has no pixels: reads give 0 (or -1) and writes are dropped.
//
// 32-bit images store the colour word whole; 8-bit images store its low byte as the
// palette index. Reads return the stored value as it is (the whole word, or the index).
void TAV_PutPixel(int x, int y, uint32_t color);       // also moves PenPosition, even outside
void TAV_PutPixelQuiet(int x, int y, uint32_t color);  // PenPosition unchanged
uint32_t TAV_GetPixel(int x, int y);                    // 0 outside
int32_t TAV_GetPixelOrNone(int x, int y);               // -1 outside
// 32-bit: the colour bits are inverted, the fourth byte kept; 8-bit: the index inverted.
void TAV_XorPixel(int x, int y);  // also moves PenPosition
void TAV_XorPixelQuiet(int x, int y);
// Sets every byte of the image's buffer to 0, row padding included: 0 done, 1 the
// number is out of range or not open.
int TAV_ClearImage(int number);

// The point drawing last went to: set by TAV_PutPixel, TAV_XorPixel and the line
// operations; connected polylines start from it.
extern plat::Point PenPosition;

// Drawing colours, 0xRRGGBB: DrawColor for the drawing commands (or, after a pick on an
// 8-bit image, a palette index), tav_tc for bitmap-font text, tav_tttc for TrueType text.
extern uint32_t DrawColor, tav_tc, tav_tttc;

namespace imaging {
// Returns the drawing state to its start values.
void resetDrawingState();
// Returns DrawColor, tav_tc and tav_tttc to their start values.
void resetDrawColors();
}  // namespace imaging
