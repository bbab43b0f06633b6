// The installed image encoders, each known by its MIME type, and saving a surface
// with one of them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/imagefile.h"
#include "platform/surface.h"

namespace plat {

struct ImageEncoder {
  const char* mimeType;  // "image/png"; compared exactly
  // Encodes an 8-bit (with its palette) or 32-bit surface; quality 0..100 where the
  // format has one. False when the encoder or memory fails.
  bool (*encode)(const Surface& s, int quality, std::vector<uint8_t>& out);
};

// BMP, JPEG, GIF, PNG and TIFF, in that order.
std::span<const ImageEncoder> imageEncoders();

// Encodes s and writes it to path through a temporary file beside it: an existing
// file is replaced only by a complete new one, and is left as it was on failure.
ImageFileError saveImageFileWith(const Surface& s, const std::string& path,
                                 const ImageEncoder& encoder, int quality);

}  // namespace plat
