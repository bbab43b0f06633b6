// The main window's action tables: its popup menu and the keys that no menu entry shows.
#pragma once

#include <span>

#include "base/action.h"
#include "platform/types.h"

namespace core {

// run(window, id): the main window and the row's identifier.
using MainAction = action::Row<void (*)(plat::Window w, int id)>;

// MainAction::flags: greyed while the main routine runs or a line is read (the entries
// that build windows by hand).
inline constexpr unsigned kGreyedWhileBusy = 1;

// The popup menu, in order; a key of an entry posts the entry's command.
std::span<const MainAction> mainWindowMenuActions();
// Keys without a menu entry (X, Esc, S, C), run at once.
std::span<const MainAction> mainWindowKeyActions();

}  // namespace core
