// What start-up asks of the library's layers.
#pragma once

#include "base/services.h"

// Registers the window classes of image windows, text windows and the boxes.
bool registerLibraryClasses();
// Marks every image and text window free and installs the library services.
void resetLibraryTables();

namespace core {
// The services the program's layers give one another; tests start from these too.
LibraryServices programServices();
}  // namespace core
