// The Qt side of full-screen presentation: the screens, and a frame put over one of them.
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include "platform/qt/client_widget.h"
#include "platform/qt/display.h"
#include "platform/qt/frame_widget.h"

namespace plat::qt {

std::vector<Rect> screenGeometries() {
  std::vector<Rect> rects;
  for (QScreen* s : QGuiApplication::screens()) {
    const QRect g = s->geometry();
    rects.push_back({g.left(), g.top(), g.left() + g.width(), g.top() + g.height()});
  }
  return rects;
}

void enterFullScreen(const RecordPtr& r, int screen) {
  FrameWidget* frame = r->frame;
  if (!frame) return;
  const QList<QScreen*> screens = QGuiApplication::screens();
  // The window moves to the screen first, so that the window system's full-screen state
  // (which keeps a window manager's panels off it) covers the same screen.
  if (screen >= 0 && screen < screens.size()) {
    frame->winId();
    if (QWindow* handle = frame->windowHandle()) handle->setScreen(screens[screen]);
  }
  frame->setWindowState(frame->windowState() | Qt::WindowFullScreen);
  frame->sync();  // the screen's rectangle, with the client area covering all of it
  frame->client()->setCursor(Qt::BlankCursor);
  raiseFrame(r);
}

void leaveFullScreen(const RecordPtr& r) {
  FrameWidget* frame = r->frame;
  if (!frame) return;
  frame->client()->unsetCursor();
  frame->setWindowState(frame->windowState() & ~Qt::WindowFullScreen);
  frame->sync();  // the rectangle it had, inside its frame again
  frame->update();
}

}  // namespace plat::qt
