// Screens, and a top-level window shown borderless over the whole of one of them.
#pragma once

#include <vector>

#include "platform/types.h"

namespace plat {

// The screens in the order the system lists them (0 is the primary), screen coordinates.
std::vector<Rect> screenRects();
// Which of the screens a window with this outer rectangle is on: the one it overlaps
// most, else the one nearest to its top-left corner; -1 when there is no screen.
int screenFor(const Rect& outer, const std::vector<Rect>& screens);
// The screen a window is on (screenFor its outer rectangle); -1 for a dead window.
int screenOfWindow(Window w);

// Shows a top-level window over the whole of screen `screen`: no frame, no caption, its
// client area is exactly the screen (cleared to black), the pointer is hidden over it,
// and it is raised and activated. The outer rectangle it had is kept for
// endFullScreen; asking again moves it to another screen and keeps the first one.
// False for a control, a dead window or no such screen.
bool presentFullScreen(Window w, int screen);
// Puts a presented window back: frame, caption, outer rectangle and pointer as they
// were. False when the window is not presented.
bool endFullScreen(Window w);
bool isFullScreen(Window w);

}  // namespace plat
