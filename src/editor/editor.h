// The image editor: the two popup menus of every image window and the commands behind
// them (files, clipboard, zoom, processing, test patterns, clipping, colours, drawing,
// text, fill and inspection). It sits above the interchange, text window and inspection
// layers it calls; the image window procedure reaches it through the library services
// (LibraryServices::imageEditor), which the program fills in at start-up.
#pragma once

#include "platform/dialogs.h"
#include "platform/menu.h"
#include "platform/message.h"
#include "platform/types.h"

namespace editor {

// The image window messages the editor handles: Command, RButtonDown, MButtonDown and
// DropFiles. False for any other message, which is left to the default handling.
bool handleImageWindowMessage(plat::Window window, plat::Message& message);

// The menus as they are shown: ImageMenu with the zoom entry of `zoom` checked, and
// ProcessMenu, whose Information submenu depends on the picture's depth (8 or 32).
plat::Menu imageMenu(int zoom);
plat::Menu processMenu(int bits);

// Runs one menu command on image window `number`, as if chosen from its menu.
// Identifiers that are no image window command are ignored.
void runImageCommand(int number, int commandId);

// The colour chooser's 16 custom colours, kept for the whole run (black at start).
extern plat::CustomColors CustomColorTable;

// Returns the editor's own state to its start values.
void resetEditor();

}  // namespace editor
