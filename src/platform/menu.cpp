// Popup menus as plain data, built by the owner thread.
#include "platform/menu.h"

namespace plat {

Menu& Menu::add(std::string text, int id, bool grayed, bool checked) {
  MenuItem item;
  item.text = std::move(text);
  item.id = id;
  item.grayed = grayed;
  item.checked = checked;
  items.push_back(std::move(item));
  return *this;
}

Menu& Menu::separator() {
  MenuItem item;
  item.separator = true;
  items.push_back(std::move(item));
  return *this;
}

Menu& Menu::sub(std::string text, Menu m) {
  MenuItem item;
  item.text = std::move(text);
  item.submenu = std::move(m.items);
  items.push_back(std::move(item));
  return *this;
}

}  // namespace plat
