// What start-up asks of the library's layers.
#pragma once

#include "base/services.h"

// Registers the window classes of image windows, text windows and the boxes.
bool registerLibraryClasses();
// Marks every image and text window free and installs the library services.
void resetLibraryTables();

// Returns the whole library to its state at start, lowest layer first: the platform's
// test seams (auto-closing message boxes stays as set), the services (to their
// defaults), image windows, drawing, interchange, text windows, the boxes, the editor,
// core (flags, request slot, main window handle), then the resets the layers above core
// registered. Every window of those layers is destroyed; the main window is not (core
// only forgets its handle). Pixel inspection keeps no state of its own. Every test
// fixture starts (and ends) with this.
void resetLibrary();
// Registers the reset of a layer above core, run by resetLibrary after core's in the
// order registered. A layer registers its own when its code is linked in.
void addLibraryReset(void (*reset)());

namespace core {
// The services the program's layers give one another; tests start from these too.
LibraryServices programServices();
}  // namespace core
