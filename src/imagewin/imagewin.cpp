#include "imagewin/imagewin.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/services.h"
#include "imagewin/presentation.h"
#include "platform/canvas.h"
#include "platform/top_level.h"
#include "platform/utf8.h"
#include "platform/window.h"

ImageWindowsState imageWindowsState;

namespace {

constexpr const char* kClassName = "tav_iw";
// No minimise or maximise box; the thick frame is there, but the zoom controls refuse
// frame resizing.
constexpr uint32_t kImageWindowStyle = plat::kStyleOverlapped;
constexpr size_t kCaptionBytes = 255;

bool isOpen(int number) {
  return static_cast<unsigned>(number) < kImageWindowCount && ImageTable[number].inUse;
}

ImageWindowRecord* currentRecord() {
  return isOpen(CurrentImage) ? &ImageTable[CurrentImage] : nullptr;
}

// A real rounded toward zero, as an int; the values reaching this are bounded by the
// screen limits times 100.
int truncToInt(double v) {
  return static_cast<int>(std::trunc(v));
}

}  // namespace

ColorParts SplitColor(uint32_t color) {
  return {static_cast<int>((color >> 16) & 0xff), static_cast<int>((color >> 8) & 0xff),
          static_cast<int>(color & 0xff)};
}

SizeLimits GetSizeLimits(int mode) {
  using plat::Metric;
  const int cxScreen = plat::systemMetric(Metric::CxScreen);
  const int cyScreen = plat::systemMetric(Metric::CyScreen);
  if (mode != 1) return {1, 1, 2 * cxScreen, 2 * cyScreen};
  const int cxFrame = plat::systemMetric(Metric::CxFrame);
  const int cyCaption = plat::systemMetric(Metric::CyCaption);
  // The minimum height subtracts the horizontal frame width twice, like the width.
  return {plat::systemMetric(Metric::CxMin) - 2 * cxFrame,
          plat::systemMetric(Metric::CyMin) - 2 * cxFrame - cyCaption, cxScreen,
          cyScreen - cyCaption};
}

std::optional<ZoomFit> FitZoom(int width, int height, int zoom, const SizeLimits& limits) {
  const int64_t w = std::max(width, 1);
  const int64_t h = std::max(height, 1);
  // The zoom at which one axis fits its limits: exactly the requested zoom where they
  // do not bind (size * zoom / 100 * 100 / size would round 110.99999 down to 110).
  auto axisZoom = [zoom](int64_t size, int max) {
    const double v = static_cast<double>(size) * zoom / 100.0;
    const double clamped = std::min(v, static_cast<double>(max));
    if (clamped < 1) return 100.0 / size;
    if (clamped < v) return clamped * 100.0 / size;
    return static_cast<double>(zoom);
  };
  // The axis that hits its maximum first decides; the aspect ratio is kept.
  int64_t z = truncToInt(std::min(axisZoom(w, limits.maxWidth), axisZoom(h, limits.maxHeight)));
  int64_t dw = z * w / 100;
  int64_t dh = z * h / 100;
  if (dw < limits.minWidth || dh < limits.minHeight) {
    z = std::max(static_cast<int64_t>(std::ceil(limits.minWidth * 100.0 / w)),
                 static_cast<int64_t>(std::ceil(limits.minHeight * 100.0 / h)));
    dw = z * w / 100;
    dh = z * h / 100;
    if (dw > limits.maxWidth || dh > limits.maxHeight) return std::nullopt;
  }
  return ZoomFit{static_cast<int>(z), static_cast<int>(dw), static_cast<int>(dh)};
}

std::string imageCaption(const std::string& title, int zoom, int bits, bool halftone) {
  std::string caption = title + "(" + std::to_string(zoom) + "%)";
  if (bits == 8) caption += "[8bit]";
  if (halftone) caption += "*";
  plat::cutUtf8(caption, kCaptionBytes);
  return caption;
}

int TAV_CreateImage(int number, const char* title, int x, int y, int width, int height, int zoom) {
  return createImageWindow(number, title, x, y, width, height, zoom, 32, 1);
}
int TAV_CreateImage8(int number, const char* title, int x, int y, int width, int height, int zoom) {
  return createImageWindow(number, title, x, y, width, height, zoom, 8, 1);
}
int TAV_CreateImageFL(int number, const char* title, int x, int y, int width, int height,
                      int zoom) {
  return createImageWindow(number, title, x, y, width, height, zoom, 32, 0);
}
int TAV_CreateImage8FL(int number, const char* title, int x, int y, int width, int height,
                       int zoom) {
  return createImageWindow(number, title, x, y, width, height, zoom, 8, 0);
}

int createImageWindow(int number, const char* title, int x, int y, int width, int height, int zoom,
                      int depth, int mode) {
  if (static_cast<unsigned>(number) >= kImageWindowCount) return kCreateBadNumber;
  ImageWindowRecord& rec = ImageTable[number];
  if (rec.inUse) return kCreateInUse;
  if (depth != 8 && depth != 32) return kCreateNoBuffer;
  width = std::max(width, 1);
  height = std::max(height, 1);
  const std::optional<ZoomFit> fit = FitZoom(width, height, zoom, GetSizeLimits(mode));
  if (!fit) return kCreateTooLarge;

  // The buffer is made before the window, so a picture too big for memory never
  // shows a window at all.
  std::unique_ptr<plat::Surface> surface = plat::Surface::create(width, height, depth);
  if (!surface) return kCreateNoBuffer;
  surface->palette() = plat::greyPalette();
  surface->setStretchMode(plat::kColorOnColor);

  imagewin::registerImageWindowClass();
  const std::string titleCopy = title ? title : "";
  plat::CreateParams params;
  params.className = kClassName;
  params.title = imageCaption(titleCopy, fit->zoom, depth, false);
  params.style = kImageWindowStyle;
  params.x = x == -1 ? plat::kDefaultPosition : x;
  params.y = y == -1 ? plat::kDefaultPosition : y;
  params.owner = libraryServices().mainWindow();
  const plat::Window window = plat::createTopLevelWindow(params, fit->dispWidth, fit->dispHeight);
  if (!window) return kCreateNoBuffer;

  rec.bits = depth;
  rec.sizeLimitMode = mode;
  rec.width = width;
  rec.height = height;
  rec.dispWidth = fit->dispWidth;
  rec.dispHeight = fit->dispHeight;
  rec.zoom = fit->zoom;
  rec.window = window;
  rec.title = titleCopy;
  rec.surface = std::move(surface);
  ImagePixels[number] = rec.surface->data();
  plat::setWindowStretchMode(window, plat::kColorOnColor);
  plat::setForegroundWindow(window);
  plat::dragAcceptFiles(window, true);

  rec.inUse = 1;
  libraryServices().refreshWindowEdges();
  TAV_SelectImage(number);
  return kCreateOk;
}

int TAV_DestroyImage(int number) {
  if (!isOpen(number)) return 1;
  ImageWindowRecord& rec = ImageTable[number];
  imagewin::forgetPresentation(number);  // the full-screen view goes with the window
  rec.inUse = 0;
  const plat::Window window = rec.window;
  rec.window = {};
  ImagePixels[number] = nullptr;
  rec.surface.reset();
  rec.title.clear();
  rec.title.shrink_to_fit();
  plat::destroyWindow(window);
  return 0;
}

namespace {

int recreateImageWindow(int number, int width, int height) {
  ImageWindowRecord& rec = ImageTable[number];
  std::string title = rec.title;
  plat::cutUtf8(title, kCaptionBytes);  // the title is kept in a 256-byte buffer meanwhile
  const int bits = rec.bits;
  const plat::Rect outer = plat::getWindowRect(rec.window);
  const int zoom = rec.zoom;
  const int stretchMode = plat::windowStretchMode(rec.window);
  const plat::Palette palette = rec.surface->palette();
  // A size that no zoom can show would destroy the window for nothing: it is refused
  // while the window and its picture are still there.
  if (!FitZoom(std::max(width, 1), std::max(height, 1), zoom, GetSizeLimits(1)))
    return kCreateTooLarge;

  TAV_DestroyImage(number);
  const int result =
      createImageWindow(number, title.c_str(), outer.left, outer.top, width, height, zoom, bits, 1);
  if (result != kCreateOk) return result;
  if (bits == 8) ImageTable[number].surface->palette() = palette;
  TAV_SetStretchMode(stretchMode, number);
  return 0;
}

}  // namespace

int TAV_ResizeImage(int number, int width, int height) {
  if (!isOpen(number)) return 1;
  // A presented window is re-made where it stood and at its own zoom, then presented
  // again: the new picture stays on the screen.
  const bool presented = imagewin::endPresentation(number) == 0;
  const int result = recreateImageWindow(number, width, height);
  if (presented) imagewin::presentImage(number);
  return result;
}

int TAV_SelectImage(int number) {
  if (!isOpen(number)) return 1;
  std::copy_backward(SelectionHistory.begin(), SelectionHistory.end() - 1, SelectionHistory.end());
  SelectionHistory[0] = CurrentImage;
  CurrentImage = number;
  return 0;
}

int TAV_RestoreImage() {
  const int number = SelectionHistory[0];
  if (!isOpen(number)) return 1;
  CurrentImage = number;
  // Entry 7 keeps its value, so the oldest entry is then in both 6 and 7.
  std::copy(SelectionHistory.begin() + 1, SelectionHistory.end(), SelectionHistory.begin());
  return 0;
}

namespace {

// Columns [first, last) of a row of w elements starting at picture column x0 that lie
// inside a picture `width` wide; empty when none does.
struct Span {
  int64_t first = 0;
  int64_t last = 0;
};
Span insideColumns(int64_t x0, int64_t w, int64_t width) {
  Span s;
  s.first = std::clamp<int64_t>(-x0, 0, w);
  s.last = std::clamp<int64_t>(width - x0, s.first, w);
  return s;
}

}  // namespace

void TAV_GetImageBlock(void* destination, int x0, int y0, int w, int h) {
  const ImageWindowRecord* rec = currentRecord();
  if (!rec || !destination || w <= 0 || h <= 0) return;
  const size_t elem = rec->bits == 32 ? 4 : 1;
  const size_t rowBytes = static_cast<size_t>(w) * elem;
  auto* dst = static_cast<uint8_t*>(destination);
  const Span cols = insideColumns(x0, w, rec->width);
  for (int64_t j = 0; j < h; ++j) {
    uint8_t* out = dst + static_cast<size_t>(j) * rowBytes;
    const int64_t sy = y0 + j;
    if (sy < 0 || sy >= rec->height || cols.first == cols.last) {
      std::memset(out, 0, rowBytes);
      continue;
    }
    const uint8_t* in = rec->surface->row8(static_cast<int>(sy));
    std::memset(out, 0, static_cast<size_t>(cols.first) * elem);
    std::memcpy(out + cols.first * elem, in + (x0 + cols.first) * elem,
                static_cast<size_t>(cols.last - cols.first) * elem);
    std::memset(out + cols.last * elem, 0, static_cast<size_t>(w - cols.last) * elem);
  }
}

void TAV_PutImageBlock(const void* source, int x0, int w, int h) {
  ImageWindowRecord* rec = currentRecord();
  if (!rec || !source || w <= 0 || h <= 0) return;
  const size_t elem = rec->bits == 32 ? 4 : 1;
  const size_t rowBytes = static_cast<size_t>(w) * elem;
  const auto* src = static_cast<const uint8_t*>(source);
  const Span cols = insideColumns(x0, w, rec->width);
  if (cols.first == cols.last) return;
  // The block's top row always lands on picture row 0.
  const int rows = std::min(h, rec->height);
  for (int j = 0; j < rows; ++j) {
    std::memcpy(rec->surface->row8(j) + (x0 + cols.first) * elem,
                src + static_cast<size_t>(j) * rowBytes + cols.first * elem,
                static_cast<size_t>(cols.last - cols.first) * elem);
  }
}

int TAV_SetPalette(const plat::PaletteEntry* entries, int count) {
  ImageWindowRecord* rec = currentRecord();
  if (!rec) return 1;
  if (rec->bits != 8) return 2;
  const int n = entries ? std::clamp(count, 0, 256) : 0;
  std::copy(entries, entries + n, rec->surface->palette().begin());
  plat::invalidate(rec->window);
  return 0;
}

int TAV_GetPalette(plat::PaletteEntry* entries) {
  const ImageWindowRecord* rec = currentRecord();
  if (!rec) return 1;
  if (rec->bits != 8) return 2;
  if (entries) std::copy(rec->surface->palette().begin(), rec->surface->palette().end(), entries);
  return 0;
}

int TAV_FindImage(plat::Window window) {
  for (int n = 0; n < kImageWindowCount; ++n) {
    if (ImageTable[n].inUse && ImageTable[n].window == window) return n;
  }
  return -1;
}

int TAV_FindImage(plat::Window window, bool selectFound) {
  const int number = TAV_FindImage(window);
  if (selectFound) TAV_SelectImage(number);
  return number;
}

int TAV_ShowImage(int number) {
  if (!isOpen(number)) return 1;
  ImageWindowRecord& rec = ImageTable[number];
  plat::WindowCanvas canvas(rec.window);
  if (!canvas) return 0;
  if (rec.zoom == 100) {
    plat::bitBlt(*canvas.surface(), 0, 0, rec.width, rec.height, *rec.surface, 0, 0);
  } else {
    plat::stretchBlt(*canvas.surface(), 0, 0, rec.dispWidth, rec.dispHeight, *rec.surface, 0, 0,
                     rec.width, rec.height);
  }
  return 0;
}

int TAV_SetStretchMode(int mode, int number) {
  if (!isOpen(number)) return 1;
  ImageWindowRecord& rec = ImageTable[number];
  if (mode == plat::kColorOnColor || mode == plat::kHalftone) {
    const auto stretch = static_cast<plat::StretchMode>(mode);
    plat::setWindowStretchMode(rec.window, stretch);
    rec.surface->setStretchMode(stretch);
  }
  plat::invalidate(rec.window);
  rebuildImageCaption(number);
  return 0;
}

int TAV_GetStretchMode(int number) {
  if (!isOpen(number)) return 0;
  return plat::windowStretchMode(ImageTable[number].window);
}

void rebuildImageCaption(int number) {
  if (!isOpen(number)) return;
  const ImageWindowRecord& rec = ImageTable[number];
  plat::setWindowText(rec.window, imageCaption(rec.title, rec.zoom, rec.bits,
                                               rec.surface->stretchMode() == plat::kHalftone));
}

namespace imagewin {

void registerImageWindowClass() {
  if (plat::classExists(kClassName)) return;
  plat::WindowClass c;
  c.name = kClassName;
  c.proc = &imageWindowProc;
  plat::registerClass(c);
}

void resetImageWindows() {
  for (int n = 0; n < kImageWindowCount; ++n) TAV_DestroyImage(n);
  for (ImageWindowRecord& rec : ImageTable) {
    rec.inUse = 0;
    rec.bits = rec.width = rec.height = rec.dispWidth = rec.dispHeight = 0;
    rec.zoom = rec.sizeLimitMode = 0;
    rec.window = {};
    rec.surface.reset();
    rec.title.clear();
  }
  ImagePixels.fill(nullptr);
  CurrentImage = 0;
  SelectionHistory.fill(0);
}

}  // namespace imagewin
