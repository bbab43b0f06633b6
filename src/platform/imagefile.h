// Image files: decoding into a new surface and encoding a surface, by file name.
// Works without a display and without an application object.
#pragma once

#include <memory>
#include <string>

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
};
const char* imageFileErrorText(ImageFileError e);

struct LoadedImage {
  std::unique_ptr<Surface> surface;  // null on failure
  ImageFileError error = ImageFileError::None;
  // Indexed files: how many colour table entries the file has (they fill the palette
  // from entry 0; the rest is the grey ramp). 0 for every other file.
  int paletteCount = 0;
};
// Indexed 8-bit files become 8-bit surfaces with their colour table; everything else
// becomes a 32-bit surface of 0x00RRGGBB words.
[[nodiscard]] LoadedImage loadImageFile(const std::string& path);

// Saving chooses the format by the name's extension, in any case: .png, .bmp, .tif,
// .tiff, .jpg, .jpeg (JPEG at quality 100). 32-bit surfaces are written as RGB, 8-bit
// ones with their palette.
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
