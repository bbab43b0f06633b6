// Decoded pictures straight into 32-bit image words, by the stream's own colour matrix
// and range, in bands on several threads.
#pragma once

#include <cstdint>

struct AVFrame;

namespace movie {

// Writes the top-left corner `picture` and the destination share: pixel (x, y) becomes
// 0x00RRGGBB. Colours are those FFmpeg's own tools give when asked for blue-green-red
// pixels. False when the picture's layout cannot be converted.
bool convertPictureToImage(const AVFrame& picture, uint32_t* dest, int destWidth, int destHeight);

// The same in one band on the calling thread: the straight version the banded one is
// held to.
bool convertPictureToImageInOnePiece(const AVFrame& picture, uint32_t* dest, int destWidth,
                                     int destHeight);

}  // namespace movie
