// System metrics and the display's colour depth.
#include <QGuiApplication>
#include <QScreen>

#include "platform/qt/display.h"
#include "platform/test_hooks.h"
#include "platform/types.h"

namespace plat {

namespace {

QSize screenSize() {
  int w = 0, h = 0;
  if (seams::pinnedScreenSize(&w, &h)) return QSize(w, h);
  QSize s;
  qt::runOnDisplay([&] {
    if (QScreen* screen = QGuiApplication::primaryScreen()) s = screen->size();
  });
  return s;
}

}  // namespace

int systemMetric(Metric m) {
  switch (m) {
    case Metric::CxFrame:
    case Metric::CyFrame:
      return kFrameWidth;
    case Metric::CyCaption:
      return kCaptionHeight;
    case Metric::CxMin:
      return kMinTrackWidth;
    case Metric::CyMin:
      return kMinTrackHeight;
    case Metric::CyMenu:
      return kMenuBarHeight;
    case Metric::CxScreen:
      return screenSize().width();
    case Metric::CyScreen:
      return screenSize().height();
  }
  return 0;
}

int displayColorDepth() {
  int depth = 0;
  qt::runOnDisplay([&] {
    if (QScreen* screen = QGuiApplication::primaryScreen()) depth = screen->depth();
  });
  return depth;
}

}  // namespace plat
