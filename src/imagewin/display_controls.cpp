// How the user controls an image window's display: the zoom (set, stepped by keys and
// the wheel, typed), the scaling-mode toggle and the typed re-sizing.
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>

#include "base/services.h"
#include "imagewin/imagewin.h"
#include "imagewin/presentation.h"
#include "platform/window.h"

namespace {

bool isOpen(int number) {
  return static_cast<unsigned>(number) < kImageWindowCount && ImageTable[number].inUse;
}

// The typed zoom and resize ask in text window 0, at its default place when it opens.
std::string promptLine(const std::string& prompt) {
  libraryServices().openTextWindow(0, -1, -1, -1, -1);
  return libraryServices().promptLine(prompt);
}

std::string numbered(const char* format, int number) {
  char text[64];
  std::snprintf(text, sizeof text, format, number);
  return text;
}

}  // namespace

int TAV_SetImageZoom(int zoom, int number) {
  if (!isOpen(number)) return 1;
  imagewin::endPresentation(number);  // a zoom is a window's, not a full screen's
  ImageWindowRecord& rec = ImageTable[number];
  // The record reads as free while the size changes: a paint that comes in between
  // draws nothing.
  rec.inUse = 0;
  const std::optional<ZoomFit> fit =
      FitZoom(rec.width, rec.height, zoom, GetSizeLimits(rec.sizeLimitMode));
  if (!fit) {
    rec.inUse = 1;
    return 2;
  }
  rec.zoom = fit->zoom;
  // The frame grows or shrinks by the change of the client size.
  const plat::Rect outer = plat::getWindowRect(rec.window);
  plat::setWindowPos(rec.window, 0, 0, outer.width() + (fit->dispWidth - rec.dispWidth),
                     outer.height() + (fit->dispHeight - rec.dispHeight),
                     plat::kNoMove | plat::kNoZOrder | plat::kShowWindow);
  rec.dispWidth = fit->dispWidth;
  rec.dispHeight = fit->dispHeight;
  rec.inUse = 1;
  plat::invalidate(rec.window);
  rebuildImageCaption(number);
  libraryServices().refreshWindowEdges();
  return 0;
}

namespace imagewin {

// Zooms are bounded by the size limits, so ten times one cannot overflow; int64 keeps
// that true for any zoom a caller hands in.
int zoomIn(int zoom) {
  return static_cast<int>((10 * static_cast<int64_t>(zoom) + 4) / 9);
}
int zoomOut(int zoom) {
  return static_cast<int>((9 * static_cast<int64_t>(zoom) + 5) / 10);
}

int toggleStretchMode(int number) {
  if (!isOpen(number)) return 1;
  const int mode =
      TAV_GetStretchMode(number) == plat::kColorOnColor ? plat::kHalftone : plat::kColorOnColor;
  return TAV_SetStretchMode(mode, number);
}

int leadingInteger(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t{INT_MAX} + 1);
  }
  if (negative) value = -value;
  return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

int typedZoom(int number) {
  const std::string line = promptLine(numbered("[%d] Zoom(%%)=", number));
  return TAV_SetImageZoom(leadingInteger(line), number);
}

int typedResize(int number) {
  const int width =
      std::max(leadingInteger(promptLine(numbered("[%d] New x-size(pixel)=", number))), 1);
  const int height =
      std::max(leadingInteger(promptLine(numbered("[%d] New y-size(pixel)=", number))), 1);
  if (!isOpen(number)) return 1;
  // Re-creation destroys the window first; a size it cannot be made at would leave the
  // user with no window at all, so it is tried before anything is given up.
  const ImageWindowRecord& rec = ImageTable[number];
  if (!FitZoom(width, height, rec.zoom, GetSizeLimits(1))) return kCreateTooLarge;
  if (!plat::Surface::create(width, height, rec.bits)) return kCreateNoBuffer;
  return TAV_ResizeImage(number, width, height);
}

// Ctrl with the wheel turned toward the user zooms in, away from the user zooms out.
void zoomByWheel(int number, const plat::Message& m) {
  if (!isOpen(number) || !m.ctrl || m.wheelDelta == 0) return;
  const int zoom = ImageTable[number].zoom;
  TAV_SetImageZoom(m.wheelDelta < 0 ? zoomIn(zoom) : zoomOut(zoom), number);
}

}  // namespace imagewin
