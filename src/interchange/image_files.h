// Image files: a decoded file drawn into the current image, and the current image
// saved in one of five types.
#pragma once

#include <string>

#include "platform/imagefile.h"

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

// What a load or a save came to: the result of TAV_LoadImageFile or TAV_SaveImageFile
// and, when a file gave no picture or could not be written, why (None otherwise).
struct FileOutcome {
  int result = 0;
  plat::ImageFileError reason = plat::ImageFileError::None;
};
FileOutcome LoadImageFileInto(const char* name, int x, int y);
FileOutcome SaveCurrentImage(int h, int w, int type, const char* name);

// A load or save the user asked for that failed, told in one line of the main window's
// status line: "Load <file name>: <why>" (or "Save ..."), a long name cut short.
void TellFileFailure(const std::string& path, bool saving, plat::ImageFileError why);
void TellFileFailure(const std::string& path, bool saving, const char* why);
std::string FileFailureLine(const std::string& path, bool saving, const char* why);

// The user's load (the menu entry, a drop on the window): TAV_LoadImageFile, and a file
// that gave no picture is told.
int LoadImageFileTelling(const char* name, int x, int y);

// "&Save as": the save dialog, then the current image saved whole in the chosen
// type (JPEG at quality 100, JpegQuality as it was afterwards). The result of
// TAV_SaveImageFile, or 1 when cancelled; a file that could not be written is told.
int SaveImageAs();

}  // namespace interchange
