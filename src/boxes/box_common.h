// What the input box and the button box share: their window classes, text limits,
// popup menus and the library services they use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "base/action.h"
#include "platform/message.h"
#include "platform/types.h"

namespace boxes {

inline constexpr const char* kInputBoxClass = "tav_ib";
inline constexpr const char* kButtonBoxClass = "tav_bb";
inline constexpr uint32_t kButtonFace = 0xD4D0C8;

intptr_t inputBoxProc(plat::Window window, plat::Message& message);
intptr_t buttonBoxProc(plat::Window window, plat::Message& message);

// A box's actions: the one-item popup menus of its client area (first row) and of its
// caption and frame (second row); a row's Ctrl key posts its command.
using BoxAction = action::Row<void (*)()>;
inline constexpr size_t kClientEntry = 0;
inline constexpr size_t kFrameEntry = 1;
std::span<const BoxAction> inputBoxActions();
std::span<const BoxAction> buttonBoxActions();

// A popup menu of the row's one item at the cursor, owned by the box; the choice arrives
// as a Command message.
void popupOneItem(plat::Window owner, const BoxAction& row);

// Prints "%d '%s' ->" with the number and the old label in the current text window
// and reads the answer typed on the same line; "" when no one can answer.
std::string promptForLabel(int number, const std::string& oldLabel);
// The box's label text cut to maxBytes, the size of the buffer it is read into.
std::string cutLabel(const std::string& label, size_t maxBytes);
// Shows the library's notice that a box window could not be destroyed.
void reportDestroyFailure(const char* text, const char* title);

}  // namespace boxes
