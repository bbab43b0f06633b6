// Pictures through the clipboard: an image copied or cut whole, and the clipboard's
// picture pasted into an image.
#pragma once

#include <cstddef>
#include <memory>

#include "platform/surface.h"

// Puts the whole image on the clipboard as a device-independent bitmap (24-bit rows for
// a 32-bit image; 8-bit rows and the 256-colour table for an 8-bit one), also offered
// as PNG. Nothing happens for a number that is out of range or not open. When the
// block cannot be had, the clipboard is left empty and "No enough memory for copy" is
// shown.
void TAV_CopyImageToClipboard(int number);

// The clipboard's picture as a new 32-bit bitmap, or null when there is none or it is
// refused (a block whose sizes do not fit its length changes nothing). *count is the
// number of colour table entries copied into palette (room for 256), 0 when the
// picture has none.
std::unique_ptr<plat::Surface> TAV_GetClipboardBitmap(plat::PaletteEntry* palette, int* count);

// Results of the pastes.
inline constexpr int kPasteDone = 0;
inline constexpr int kPasteBadWindow = 1;  // out of range or not open
inline constexpr int kPasteNoPicture = 2;  // nothing usable on the clipboard
inline constexpr int kPasteNoPlace = 3;    // the pick of the place was cancelled

// Copies the clipboard's picture to (x, y) of the image, clipped at its edges; x or y
// -1: at a place the user picks in the window, the picture centred on it. A
// picture with a colour table first sets palette entries 0..count - 1 of an 8-bit
// image; into an 8-bit image colours take the nearest palette entry.
int TAV_PasteImage(int x, int number, int y);

// Copies PasteBitmap (interchange/interchange.h) to (0, 0) of the current image and deletes it:
// kPasteDone, or kPasteBadWindow / kPasteNoPicture (PasteBitmap is deleted either way).
int TAV_PutPasteBitmap();

namespace interchange {

// Cut: the copy, then the image cleared (also when the copy could not be made).
void CutImageToClipboard(int number);

}  // namespace interchange
