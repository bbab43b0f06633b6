#include "platform/canvas.h"

#include "platform/qt/display.h"
#include "platform/window_table.h"

namespace plat {

WindowCanvas::WindowCanvas(Window w) : window_(w) {
  auto r = findRecord(w);
  if (!r || r->isControl) return;
  lock_ = std::unique_lock(r->surfaceMutex);
  surface_ = r->client.get();
}

WindowCanvas::~WindowCanvas() {
  if (!surface_) return;
  lock_.unlock();
  if (auto r = findRecord(window_)) qt::presentClient(r);
}

void WindowCanvas::setStretchMode(StretchMode mode) {
  if (surface_) surface_->setStretchMode(mode);
}

int windowStretchMode(Window w) {
  WindowCanvas c(w);
  return c ? c.surface()->stretchMode() : 0;
}

void setWindowStretchMode(Window w, StretchMode mode) {
  WindowCanvas c(w);
  c.setStretchMode(mode);
}

}  // namespace plat
