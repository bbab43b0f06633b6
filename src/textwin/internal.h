// What the files of the text window layer share among themselves.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "textwin/textwin.h"

namespace textwin {

// The record of an open window number, or null.
TextWindowRecord* openRecord(int n);

// Turns the pump hook, or pumps the calling thread's queue when there is none.
void pumpMessages();

// Milliseconds of the performance counter, low 32 bits; compare differences unsigned.
uint32_t milliseconds();

// Drawing into a record's picture; the caller holds rec.lock.
// Draws text at (x, y) in the record's colours, opaque; nothing without a picture.
void drawText(TextWindowRecord& rec, int x, int y, const std::u16string& text);
// ScrollIfNeeded for a record whose lock is held.
int scrollLocked(TextWindowRecord& rec);

// Writes bytes to the record's log while it is logging (logState 1).
void writeLog(TextWindowRecord& rec, std::string_view bytes);
// Closes the record's log file, if any, and sets logState 0.
void closeLog(TextWindowRecord& rec);

// UTF-8 <-> UTF-16. Malformed input becomes U+FFFD; an incomplete sequence at the end
// ends the text.
std::u16string toUtf16(std::string_view utf8);
std::string toUtf8(std::u16string_view utf16);
// Cuts UTF-8 text to at most maxBytes without splitting a character.
void cutUtf8(std::string& s, size_t maxBytes);
// Removes a character sequence left incomplete at the end of s.
void dropIncompleteTail(std::string& s);

// The key-down and character events of text windows (line_input.cpp).
void onKeyDown(plat::Window window, plat::Message& m);
void onChar(plat::Window window, const plat::Message& m);
// Back to the start values: queue, request, last line, pump hook.
void resetLineInput();
// Back to the start values: the edge table.
void resetWindowEdges();

// The usable screen size: full width, height without a caption.
int fullScreenWidth();
int fullScreenHeight();

}  // namespace textwin
