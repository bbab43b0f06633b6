// Image files: a decoded file drawn into the current image, and the current image
// saved in one of five types.
#pragma once

#include <string>

// The JPEG quality is interchangeState.JpegQuality (interchange/interchange.h).

// Save types: 0 BMP, 1 JPEG, 2 GIF, 3 PNG, 4 TIFF.
inline constexpr int kSaveTypeCount = 5;

// Draws the file at (x, y) of the current image at its pixel size, clipped; the rest of
// the picture keeps its pixels. Into an 8-bit image, an indexed file's colour table
// first sets palette entries 0..count - 1 and the drawn colours take the nearest
// palette entry. 0 done; 1 no decodable picture (missing, unreadable, damaged, too
// large, or a name longer than 259 bytes); 2 no open current image.
int TAV_LoadImageFile(const char* name, int x, int y);

// Saves the w x h block at (0, 0) of the current image under name plus the type's
// extension (unless the name ends in it). An existing file is replaced only by a
// complete new one. 0 saved; 1 failed (bad type, encoder or memory, the file cannot be
// written, or the name does not fit); 2 w or h not positive; 3 no open current image.
int TAV_SaveImageFile(int h, int w, int type, const char* name);

namespace interchange {

struct SaveType {
  const char* mimeType;
  const char* extension;
};
extern const SaveType kSaveTypes[kSaveTypeCount];

// The name with the extension appended, unless its last four characters already are
// the extension in any case (so "a.JPG" stays, "a.jpeg" becomes "a.jpeg.jpg").
std::string AddExtension(const std::string& name, const std::string& extension);

// The save type of the save dialog's filter index (1 "All Files" and 2 BMP, 3 JPEG,
// 4 GIF, 5 PNG, 6 TIFF), or -1.
int SaveTypeOfFilter(int filterIndex);

// "&Save as": the save dialog, then the current image saved whole in the chosen
// type (JPEG at quality 100, JpegQuality as it was afterwards). The result of TAV_SaveImageFile, or
// 1 when cancelled.
int SaveImageAs();

}  // namespace interchange
