// Top-level windows made by the size of their client area, as every library window is.
#pragma once

#include "platform/window.h"

namespace plat {

// Creates the window described by p (its width and height are ignored) with an outer
// size that gives it a client area of clientWidth x clientHeight for its style.
Window createTopLevelWindow(CreateParams p, int clientWidth, int clientHeight);

}  // namespace plat
