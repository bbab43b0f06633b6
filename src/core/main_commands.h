// The main window's commands that build windows by hand: image windows of a typed
// size, the clipboard's picture, dropped image files, text windows, the input box, the
// button box, and the window information. They run on the main window's thread; every
// window they make is made by the worker through a request.
#pragma once

#include <string>
#include <vector>

namespace core {

// Runs one of the window-building commands (Paste, Image Window, Text Window, Input
// Box, Button Box, Window Info); false for any other identifier.
bool runWindowCommand(int id);
// One new image window per dropped file that is a readable picture.
void openDroppedFiles(const std::vector<std::string>& paths);

}  // namespace core
