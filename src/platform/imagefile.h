// Image files: decoding into a new surface and encoding a surface, by file name.
// Works without a display and without an application object.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/made.h"
#include "platform/surface.h"

namespace plat {

enum class ImageFileError {
  None,
  CannotOpen,        // missing, unreadable, or not a file
  CannotDecode,      // not an image in a known format, or damaged
  OutOfMemory,       // no memory for the pixels
  UnknownExtension,  // saving: the name does not end in a known extension
  UnsupportedDepth,  // saving: the surface is neither 8 nor 32 bits
  CannotWrite,       // saving: the file could not be written
  TooLarge,          // more pixels, or a longer side, than a picture may have
  NameTooLong,       // the name is longer than the caller takes
};
const char* imageFileErrorText(ImageFileError e);

// For a program without windows that reads many files: gives it an application object
// (no display), so that Qt finds its image plugins once instead of on every read. Call
// once, before the first read, with main's arguments; nothing when there is one already.
void keepImagePluginsFound(int& argc, char** argv);

// A decoded picture (object) or the reason there is none, with what an indexed file adds.
struct LoadedImage : Made<Surface, ImageFileError> {
  // Indexed files: how many colour table entries the file has (they fill the palette
  // from entry 0; the rest is the grey ramp). GIF files decode to 32 bits and bring
  // their global colour table in the surface's palette the same way. 0 for every
  // other file.
  int paletteCount = 0;
  // Pictures stored with 16 bits a channel: each pixel's luma at 16 bits, 0..65535,
  // rows top-down ((19595 R + 38470 G + 7471 B) / 65536, rounded, as at 8 bits; the
  // level itself for grey), which the 32-bit surface cannot hold. Empty for others.
  std::vector<uint16_t> levels16;
};
// The largest picture read or written: what the encoders take (a side of at most 65535
// pixels, 2^28 pixels in all, 1 GiB at 32 bits).
inline constexpr int kMaxPictureSide = 65535;
inline constexpr int64_t kMaxPicturePixels = int64_t{1} << 28;
inline constexpr bool fitsPictureLimits(int64_t width, int64_t height) {
  return width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= kMaxPicturePixels;
}
// The most a decoded picture may have; a larger claim is refused as TooLarge before any
// pixel memory is allocated.
inline constexpr int64_t kMaxDecodedPixels = kMaxPicturePixels;

// Indexed files (two-colour ones included) become 8-bit surfaces with their colour
// table; everything else becomes a 32-bit surface of 0x00RRGGBB words. A caller may
// lower the pixel limit (never raise it).
[[nodiscard]] LoadedImage loadImageFile(const std::string& path,
                                        int64_t maxPixels = kMaxDecodedPixels);
// The same for an encoded picture in memory (clipboard data, for instance).
[[nodiscard]] LoadedImage loadImageBytes(const uint8_t* bytes, size_t size);

// The extensions a picture is saved by, compared in any case, and the format each
// stands for: the file layer, its error text and direvo-compose's help all read them.
struct ImageExtension {
  const char* extension;  // ".png"
  const char* format;     // the encoder's name: "png"
};
inline constexpr ImageExtension kImageExtensions[] = {
    {".png", "png"},   {".bmp", "bmp"},  {".tif", "tiff"},
    {".tiff", "tiff"}, {".jpg", "jpeg"}, {".jpeg", "jpeg"},
};
// The extensions for people to read: ".png, .bmp, .tif, .tiff, .jpg or .jpeg".
std::string imageExtensionList();

// Saving chooses the format by the name's extension (JPEG at quality 100). 32-bit
// surfaces are written as RGB, 8-bit ones with their palette.
bool isSavableImageName(const std::string& path);

// An encoded file waiting beside its destination: nothing replaces the destination
// until commit(); destroying it uncommitted leaves the destination as it was.
class StagedImageFile;
using MadeImageFile = Made<StagedImageFile, ImageFileError>;

class StagedImageFile {
 public:
  // Encodes the surface and writes it to a temporary file beside path.
  [[nodiscard]] static MadeImageFile stage(const Surface& s, const std::string& path);
  ~StagedImageFile();
  StagedImageFile(const StagedImageFile&) = delete;
  StagedImageFile& operator=(const StagedImageFile&) = delete;
  // Puts the file in place; false (and nothing replaced) when that fails.
  [[nodiscard]] bool commit();

  struct Impl;

 private:
  explicit StagedImageFile(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// Stage and commit in one; an existing file is replaced only by a complete new one.
[[nodiscard]] ImageFileError saveImageFile(const Surface& s, const std::string& path);

}  // namespace plat
