// What the input box and the button box share: their window classes, text limits,
// popup menus and the text window services they use.
#pragma once

#include <cstdint>
#include <string>

#include "platform/message.h"
#include "platform/types.h"

namespace boxes {

inline constexpr const char* kInputBoxClass = "tav_ib";
inline constexpr const char* kButtonBoxClass = "tav_bb";
inline constexpr uint32_t kButtonFace = 0xD4D0C8;

intptr_t InputBoxProc(plat::Window window, plat::Message& message);
intptr_t ButtonBoxProc(plat::Window window, plat::Message& message);

// Cuts UTF-8 text to at most maxBytes without splitting a character.
std::string cutUtf8(std::string s, size_t maxBytes);

// A popup menu of one item at the cursor, owned by the box; the choice arrives as a
// Command message.
void popupOneItem(plat::Window owner, const char* text, int id);

// The box windows take part in the window edge snapshot and in edge snapping.
void refreshWindowEdges();
void snapMovingWindow(plat::Rect& proposed, plat::Window window);

// Prints "%d '%s' ->" with the number and the old label in the current text window
// and reads the answer typed on the same line; "" when no one can answer.
std::string promptForLabel(int number, const std::string& oldLabel);

}  // namespace boxes
