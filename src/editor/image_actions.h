// The image window's action tables: the two popup menus and the commands that only a
// key posts. Each row is one command: its menu text, its shortcut, and the editor
// function it runs on image window `number`.
#pragma once

#include <span>

#include "base/action.h"

namespace editor {

using ImageAction = action::Row<void (*)(int number)>;

// ImageAction::flags.
inline constexpr unsigned kSelectFirst = 1;  // the window is made current first
inline constexpr unsigned kRedrawAfter = 2;  // the current image is redrawn when done
inline constexpr unsigned kOnly32Bits = 4;   // shown for 32-bit pictures only
inline constexpr unsigned kOnly8Bits = 8;    // shown for 8-bit pictures only
// ImageAction::check: the zoom at which the entry carries a check (0: never).

// ImageMenu, opened by the right button.
std::span<const ImageAction> imageMenuActions();
// ProcessMenu, opened by the middle button or the right one with Ctrl.
std::span<const ImageAction> processMenuActions();
// Commands that no menu shows; a key posts them.
std::span<const ImageAction> keyOnlyImageActions();

}  // namespace editor
