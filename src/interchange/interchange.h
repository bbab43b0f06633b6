// Image interchange: the open and save file dialogs, which remember their folder and
// file type between uses for the whole run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "interchange/clipboard_images.h"
#include "interchange/image_files.h"

// Room for a file name at the library interface, the terminating zero included: a
// name is at most 259 bytes of UTF-8.
inline constexpr int kFileNameBytes = 260;

// The image interchange's settings kept for the whole run (the dialogs' folders are
// kept beside their code).
struct InterchangeState {
  // The save dialog's filter index 1..6 (2 BMP at start); the image file saving maps it
  // to a format.
  int ImageFileType = 2;
  // The JPEG quality handed to the encoder, 0..100.
  int JpegQuality = 100;
  // The picture the main window's paste hands to the new image window.
  std::unique_ptr<plat::Surface> PasteBitmap;
  // The largest block a clipboard copy makes; a larger one is refused like memory that
  // cannot be had. Lowered by tests to see that refusal.
  size_t ClipboardBlockLimit = SIZE_MAX;
};
extern InterchangeState interchangeState;
// The fields under the names the library uses.
inline constexpr auto& ImageFileType = interchangeState.ImageFileType;
inline constexpr auto& JpegQuality = interchangeState.JpegQuality;
inline constexpr auto& PasteBitmap = interchangeState.PasteBitmap;
namespace interchange {
inline constexpr auto& ClipboardBlockLimit = interchangeState.ClipboardBlockLimit;
}  // namespace interchange

// Results of the dialogs.
inline constexpr int kDialogChosen = 0;
inline constexpr int kDialogCancelled = 1;  // also a chosen name too long for the buffer

// title: UTF-8 or null for none; name: room for kFileNameBytes. On anything but
// kDialogChosen the name buffer is left as it was.
int TAV_OpenFileDialog(const char* title, char* name);
int TAV_SaveFileDialog(char* name);

namespace interchange {

// The program's start directory; both dialogs' folders start there. A missing final
// "/" is added. False (and nothing changes) when it is empty or does not fit in
// kFileNameBytes.
bool setStartDirectory(const std::string& directory);
// Back to the state at start: both folders the start directory, open filter 9, save 2.
void resetFileDialogs();
// The dialogs' reset, and the rest of interchangeState back to its start values (the
// paste bitmap deleted). The start directory stays.
void resetInterchange();

}  // namespace interchange
