// What start-up asks of the library's layers.
#pragma once

#include <array>

#include "platform/types.h"

// Registers the window classes of image windows, text windows and the boxes.
bool RegisterLibraryClasses();
// Marks every image and text window free and connects the layers' hooks.
void ResetLibraryTables();

namespace core {
// The input box and the button box (invalid handles when closed), in the order the
// worker's pump offers messages to them.
std::array<plat::Window, 2> DialogBoxes();
}  // namespace core
