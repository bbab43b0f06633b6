// Drawing on a window: its retained client surface, locked while drawn on.
#pragma once

#include <mutex>

#include "platform/surface.h"
#include "platform/types.h"

namespace plat {

// Holds the client surface of a window for drawing (32-bit, client-sized) and presents
// what was drawn when it goes out of scope. Invalid (surface() null) for a dead window.
class WindowCanvas {
 public:
  explicit WindowCanvas(Window w);
  ~WindowCanvas();
  WindowCanvas(const WindowCanvas&) = delete;
  WindowCanvas& operator=(const WindowCanvas&) = delete;
  Surface* surface() { return surface_; }
  explicit operator bool() const { return surface_ != nullptr; }
  // The stretch mode of the window's device context, applied to this surface.
  void setStretchMode(StretchMode mode);

 private:
  Window window_;
  Surface* surface_ = nullptr;
  std::unique_lock<std::mutex> lock_;
};

// The stretch mode kept with the window's client surface; 0 for a dead window.
int windowStretchMode(Window w);
void setWindowStretchMode(Window w, StretchMode mode);

}  // namespace plat
