// Action tables: one row per command, holding what a menu shows, the key that runs it
// and what it runs. Popup menus are built from the rows and key presses and command
// identifiers are looked up in them, so a shortcut shown in a menu is always the key
// that runs the row.
#pragma once

#include <span>
#include <string>

#include "platform/menu.h"

namespace action {

// A key and the modifiers it needs. Shift is asked for only when `shift` is set: a key
// without it acts the same with Shift held. `eitherCtrl`: the same with Ctrl or without.
struct Key {
  int code = 0;  // virtual-key code; 0: no key
  bool ctrl = false;
  bool shift = false;
  bool eitherCtrl = false;

  constexpr bool none() const { return code == 0; }
  constexpr bool matches(int pressed, bool ctrlDown, bool shiftDown) const {
    return code != 0 && code == pressed && (eitherCtrl || ctrl == ctrlDown) &&
           (!shift || shiftDown);
  }
};
constexpr Key ctrlKey(int code) {
  return {.code = code, .ctrl = true};
}
constexpr Key plainKey(int code) {
  return {.code = code};
}
constexpr Key anyCtrlKey(int code) {
  return {.code = code, .eitherCtrl = true};
}

// The key as a menu shows it after the label: "Ctrl+X", "Esc"; "" for no key.
std::string shortcutText(Key key);
// A menu item's text: the label, then a tab and the shortcut when there is a key.
std::string itemText(const std::string& label, Key key);

// One row. `run` is a plain function pointer whose arguments the table's owner chooses
// (the window, its number, ...). `flags` and `check` are the owner's own conditions
// (greyed while busy, shown at one depth only, checked at a zoom, ...), read when it
// builds its menu or runs the row.
template <typename Run>
struct Row {
  int id = 0;                   // the command a menu item posts; 0: none
  const char* label = nullptr;  // without its shortcut; null: a separator in a menu
  Key key{};
  Run run = nullptr;
  unsigned flags = 0;
  int check = 0;
  std::span<const Row> submenu{};  // non-empty: the row opens this submenu
};

// How the owner wants one row in the menu being built.
struct ItemState {
  bool shown = true;
  bool checked = false;
  bool greyed = false;
  std::string label;  // "": the row's own label
};

// Builds a popup menu from rows; stateOf(row) says how each row shows, submenus included.
template <typename Run, typename StateOf>
plat::Menu buildMenu(std::span<const Row<Run>> rows, const StateOf& stateOf) {
  plat::Menu menu;
  for (const Row<Run>& row : rows) {
    ItemState state = stateOf(row);
    if (!state.shown) continue;
    if (!row.label) {
      menu.separator();
      continue;
    }
    std::string text = itemText(state.label.empty() ? row.label : state.label, row.key);
    if (!row.submenu.empty())
      menu.sub(std::move(text), buildMenu(row.submenu, stateOf));
    else
      menu.add(std::move(text), row.id, state.greyed, state.checked);
  }
  return menu;
}

template <typename Run>
plat::Menu buildMenu(std::span<const Row<Run>> rows) {
  return buildMenu(rows, [](const Row<Run>&) { return ItemState{}; });
}

// The row that a key press runs, submenus searched too; null when none.
template <typename Run>
const Row<Run>* findByKey(std::span<const Row<Run>> rows, int key, bool ctrl, bool shift = false) {
  for (const Row<Run>& row : rows) {
    if (row.key.matches(key, ctrl, shift)) return &row;
    if (const Row<Run>* inner = findByKey(row.submenu, key, ctrl, shift)) return inner;
  }
  return nullptr;
}

// The row of a command identifier, submenus searched too; null when none.
template <typename Run>
const Row<Run>* findById(std::span<const Row<Run>> rows, int id) {
  if (id == 0) return nullptr;
  for (const Row<Run>& row : rows) {
    if (row.id == id) return &row;
    if (const Row<Run>* inner = findById(row.submenu, id)) return inner;
  }
  return nullptr;
}

}  // namespace action
