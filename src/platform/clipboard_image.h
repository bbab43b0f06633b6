// Pictures on the clipboard, exchanged with other programs: a device-independent
// bitmap block goes out as image/bmp (behind a file header) and image/png; a picture
// comes in from image/bmp, or else from any image type the decoders read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/imagefile.h"
#include "platform/surface.h"

namespace plat {

// One type of data on offer: a MIME type and its bytes.
struct ClipboardFormat {
  std::string mimeType;
  std::vector<uint8_t> bytes;
};
// Replaces the clipboard's contents with these types of data.
void setClipboardFormats(const std::vector<ClipboardFormat>& formats);

// Replaces the clipboard's contents with the block and the same picture as PNG. False
// (and the clipboard left empty) when memory for the offer cannot be had.
bool setClipboardImage(const std::vector<uint8_t>& dibBlock, const Surface& picture);
void clearClipboard();

struct ClipboardImage {
  // The image/bmp data with its file header removed: a block still to be checked.
  std::vector<uint8_t> dibBlock;
  // The data of the first other image type the decoders read (loadImageBytes).
  std::vector<uint8_t> encoded;
};
// What the clipboard holds; both empty when it holds no picture.
ClipboardImage clipboardImage();

}  // namespace plat
