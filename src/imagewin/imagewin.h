// Image windows: numbered top-level windows that each show one pixel buffer the
// program writes directly, with their table, the current image and its history.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "base/action.h"
#include "platform/message.h"
#include "platform/surface.h"
#include "platform/types.h"

inline constexpr int kImageWindowCount = 256;
inline constexpr int kSelectionDepth = 8;

// One image window. The pixel buffer is the surface itself: the program writes into
// surface->data() (also kept in ImagePixels) and showing it is one blit from it.
struct ImageWindowRecord {
  // 1 while the window exists; the main window's commands look for a free number too.
  std::atomic<int> inUse{0};
  int bits = 0;   // 32 or 8
  int width = 0;  // picture size in pixels, at least 1
  int height = 0;
  int dispWidth = 0;  // client area: zoom * width / 100
  int dispHeight = 0;
  int zoom = 0;           // percent, at least 1
  int sizeLimitMode = 0;  // 1 screen limits, 0 free limits
  plat::Window window;
  std::unique_ptr<plat::Surface> surface;  // owns the pixels and, for 8 bits, the palette
  std::string title;                       // the caller's title, UTF-8
};

// Everything the image window layer keeps between calls (imagewin::resetImageWindows
// returns it to these start values).
struct ImageWindowsState {
  // One record per window number, free or open.
  std::array<ImageWindowRecord, kImageWindowCount> ImageTable;
  // Base address of each window's pixel buffer; null while the number is free.
  std::array<uint8_t*, kImageWindowCount> ImagePixels{};
  // The window the pixel and drawing operations act on.
  int CurrentImage = 0;
  // The previously current numbers, most recent first.
  std::array<int, kSelectionDepth> SelectionHistory{};
};
extern ImageWindowsState imageWindowsState;
// The fields under the names the library uses.
inline constexpr auto& ImageTable = imageWindowsState.ImageTable;
inline constexpr auto& ImagePixels = imageWindowsState.ImagePixels;
inline constexpr auto& CurrentImage = imageWindowsState.CurrentImage;
inline constexpr auto& SelectionHistory = imageWindowsState.SelectionHistory;

// Creation results.
inline constexpr int kCreateOk = 0;
inline constexpr int kCreateInUse = 1;
inline constexpr int kCreateTooLarge = 2;  // no zoom shows it within the size limits
inline constexpr int kCreateNoBuffer = 3;  // bad depth or no pixel memory
inline constexpr int kCreateBadNumber = 4;

// x, y: outer top-left corner on the screen, -1 for the platform's choice.
int TAV_CreateImage(int number, const char* title, int x, int y, int width, int height, int zoom);
int TAV_CreateImage8(int number, const char* title, int x, int y, int width, int height, int zoom);
int TAV_CreateImageFL(int number, const char* title, int x, int y, int width, int height, int zoom);
int TAV_CreateImage8FL(int number, const char* title, int x, int y, int width, int height,
                       int zoom);
// The routine the four share; depth 8 or 32, mode 1 screen limits or 0 free limits.
int createImageWindow(int number, const char* title, int x, int y, int width, int height, int zoom,
                      int depth, int mode);

int TAV_DestroyImage(int number);
int TAV_ResizeImage(int number, int width, int height);
int TAV_SelectImage(int number);
int TAV_RestoreImage();

// Packed blocks of the current image: rows of w elements, 4 bytes each for a 32-bit
// image and 1 byte for an 8-bit one. Pixels outside the picture read as 0 and are
// never written.
void TAV_GetImageBlock(void* destination, int x0, int y0, int w, int h);
void TAV_PutImageBlock(const void* source, int x0, int w, int h);

// Palette of the current image: 0 done, 1 current window free, 2 not 8-bit.
int TAV_SetPalette(const plat::PaletteEntry* entries, int count);
int TAV_GetPalette(plat::PaletteEntry* entries);

// The number of the open window with this handle, or -1. The second form also makes
// it the current image (the menu commands use that one).
int TAV_FindImage(plat::Window window);
int TAV_FindImage(plat::Window window, bool selectFound);

int TAV_ShowImage(int number);
// Changes the zoom of an image window, and with it the window's size and caption:
// 0 done, 1 the number is out of range or free, 2 no zoom fits the size limits (then
// nothing changes).
int TAV_SetImageZoom(int zoom, int number);
int TAV_SetStretchMode(int mode, int number);
int TAV_GetStretchMode(int number);
void rebuildImageCaption(int number);

struct SizeLimits {
  int minWidth = 0;
  int minHeight = 0;
  int maxWidth = 0;
  int maxHeight = 0;
};
SizeLimits GetSizeLimits(int mode);

struct ZoomFit {
  int zoom = 0;
  int dispWidth = 0;
  int dispHeight = 0;
};
// Fits a requested zoom of a width x height picture (both at least 1) to the limits;
// nothing when the picture cannot be shown within them at any zoom.
std::optional<ZoomFit> FitZoom(int width, int height, int zoom, const SizeLimits& limits);

struct ColorParts {
  int red = 0;
  int green = 0;
  int blue = 0;
};
ColorParts SplitColor(uint32_t color);

// The caption of a window: "title(zoom%)", "[8bit]" for 8-bit windows, "*" while it
// scales smoothly; at most 255 bytes, cut at a character boundary.
std::string imageCaption(const std::string& title, int zoom, int bits, bool halftone);

namespace imagewin {

// Window procedure of class "tav_iw".
intptr_t imageWindowProc(plat::Window window, plat::Message& message);
// Registers "tav_iw" unless it exists; creation does this itself when needed.
void registerImageWindowClass();

// Closes every image window and returns all state of this layer to its start values.
void resetImageWindows();

// The zoom steps of the keys and the wheel: from 100, in gives 111, 123, 137 and out
// gives 90, 81, 73.
int zoomIn(int zoom);
int zoomOut(int zoom);
// COLORONCOLOR becomes HALFTONE, anything else COLORONCOLOR; the caption follows.
int toggleStretchMode(int number);
// Ctrl with the wheel turned toward the user (negative delta) zooms in, away zooms out.
void zoomByWheel(int number, const plat::Message& wheel);
// A key-down in open image window `number`: Ctrl+X, C, V, Q, R post Cut, Copy, Paste at
// the corner, Destroy and Clipping to the window; Ctrl with keypad 0, plus and minus
// zoom; Tab toggles the scaling mode, F11 the full-screen presentation; X and C (without
// Ctrl), Esc and S go on to the main window. False for a key that does nothing here.
bool imageKeyDown(plat::Window window, int number, int key);
// The keys of an image window, one row each. A row's identifier is the command its
// key posts or, for a key that runs a function, the menu command it stands for (0: none).
using ImageKey = action::Row<void (*)(plat::Window window, int number, int key)>;
std::span<const ImageKey> imageKeys();

// The leading decimal integer of a typed line, as the C library reads one (blanks, a
// sign, digits), clamped to the int range; 0 when there is none.
int leadingInteger(const std::string& text);

// The typed zoom: asks for one line and hands its number to TAV_SetImageZoom; the
// result is that of TAV_SetImageZoom.
int typedZoom(int number);
// The typed resize: asks for the new width and height and re-creates the window at that
// size with a cleared picture (TAV_ResizeImage). A size the window cannot be re-created
// at (no zoom fits, or no memory for the pixels) is refused before anything is
// destroyed: 2 or 3, and the window stays as it was. 1 when the number is not open.
int typedResize(int number);

}  // namespace imagewin
