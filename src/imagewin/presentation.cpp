// A picture shown full screen: the window keeps its record, its zoom becomes 100 and
// its client area becomes the screen, so TAV_ShowImage draws the picture at the
// screen's top-left pixel as it draws it anywhere else. The platform keeps the window's
// place; the zoom and the client size it had are kept here.
#include "imagewin/presentation.h"

#include <array>
#include <optional>

#include "imagewin/imagewin.h"
#include "platform/full_screen.h"

namespace imagewin {

namespace {

struct SavedView {
  int zoom = 0;
  int dispWidth = 0;
  int dispHeight = 0;
};
// The view each presented window had; empty for a window that is not presented.
std::array<std::optional<SavedView>, kImageWindowCount> savedViews;

bool isOpen(int number) {
  return static_cast<unsigned>(number) < kImageWindowCount && ImageTable[number].inUse;
}

void setView(ImageWindowRecord& rec, const SavedView& v) {
  rec.zoom = v.zoom;
  rec.dispWidth = v.dispWidth;
  rec.dispHeight = v.dispHeight;
}

}  // namespace

bool isPresented(int number) {
  return isOpen(number) && savedViews[number].has_value();
}

int presentImage(int number) {
  if (!isOpen(number)) return 1;
  if (savedViews[number]) return 0;
  ImageWindowRecord& rec = ImageTable[number];
  const SavedView before{rec.zoom, rec.dispWidth, rec.dispHeight};
  // One picture pixel per screen pixel, whatever the screen limits say about zoom 100.
  setView(rec, {100, rec.width, rec.height});
  savedViews[number] = before;
  if (!plat::presentFullScreen(rec.window, plat::screenOfWindow(rec.window))) {
    savedViews[number].reset();
    setView(rec, before);
    return 2;
  }
  rebuildImageCaption(number);
  TAV_ShowImage(number);
  return 0;
}

int endPresentation(int number) {
  if (!isPresented(number)) return 1;
  ImageWindowRecord& rec = ImageTable[number];
  setView(rec, *savedViews[number]);
  savedViews[number].reset();
  plat::endFullScreen(rec.window);
  rebuildImageCaption(number);
  TAV_ShowImage(number);
  return 0;
}

int togglePresentation(int number) {
  return isPresented(number) ? endPresentation(number) : presentImage(number);
}

void forgetPresentation(int number) {
  if (static_cast<unsigned>(number) < kImageWindowCount) savedViews[number].reset();
}

}  // namespace imagewin
