// Popup menus: plain data built by the owner thread, shown by the platform.
#pragma once

#include <string>
#include <vector>

#include "platform/types.h"

namespace plat {

struct MenuItem {
  std::string text;  // UTF-8; "&" marks a mnemonic, "\t" separates a shortcut label
  int id = 0;
  bool separator = false;
  bool checked = false;
  bool grayed = false;
  std::vector<MenuItem> submenu;  // non-empty: a submenu, id unused
};

struct Menu {
  std::vector<MenuItem> items;
  Menu& add(std::string text, int id, bool grayed = false, bool checked = false);
  Menu& separator();
  Menu& sub(std::string text, Menu m);
};

// Shows the menu at a screen point and waits until it closes. The chosen identifier
// is posted to owner as Command and also returned; 0 when nothing was chosen.
int trackPopupMenu(const Menu& m, Point screen, Window owner);

}  // namespace plat
