// System metrics and the display's colour depth in bits per pixel.
#include <QGuiApplication>
#include <QScreen>
#if DIREVO_WITH_XCB && QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

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

int storedBitsPerPixel(int depth) {
  if (depth <= 0) return 0;
  int bits = 1;
  while (bits < depth && bits < 32) bits *= 2;
  return bits;
}

int displayColorDepth() {
  int bits = 0;
  qt::runOnDisplay([&] {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const int depth = screen->depth();
    bits = storedBitsPerPixel(depth);
#if DIREVO_WITH_XCB && QT_CONFIG(xcb)
    // On X11 the server says how many bits a pixel of each depth takes (its pixmap
    // formats): 32 for the usual depth 24.
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (xcb_connection_t* c = x11 ? x11->connection() : nullptr) {
      xcb_format_iterator_t it = xcb_setup_pixmap_formats_iterator(xcb_get_setup(c));
      for (; it.rem > 0; xcb_format_next(&it)) {
        if (it.data->depth == depth) bits = it.data->bits_per_pixel;
      }
    }
#endif
  });
  return bits;
}

}  // namespace plat
