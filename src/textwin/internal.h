// What the files of the text window layer share among themselves.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "textwin/textwin.h"

namespace textwin {

// The record of an open window number, or null.
TextWindowRecord* openRecord(int n);

// Drawing into a record's picture; the caller holds rec.lock.
// Draws text at (x, y) in the record's colours, opaque; nothing without a picture.
void drawText(TextWindowRecord& rec, int x, int y, const std::u16string& text);
// ScrollIfNeeded for a record whose lock is held.
int scrollLocked(TextWindowRecord& rec);

// Writes bytes to the record's log while it is logging (logState 1).
void writeLog(TextWindowRecord& rec, std::string_view bytes);
// Closes the record's log file, if any, and sets logState 0.
void closeLog(TextWindowRecord& rec);

// The popup menu on a right button press, and the commands posted to window n.
void onRButtonDown(plat::Window window);
void runCommand(int n, int id);

// The key-down and character events of text windows (line_input.cpp).
void onKeyDown(plat::Window window, plat::Message& m);
void onChar(plat::Window window, const plat::Message& m);
// Back to the start values: queue, request, last line.
void resetLineInput();
// Back to the start values: the edge table.
void resetWindowEdges();

// The usable screen size: full width, height without a caption.
int fullScreenWidth();
int fullScreenHeight();

}  // namespace textwin
