// Shortcut texts of the action tables' keys.
#include "base/action.h"

#include "platform/types.h"

namespace action {

namespace {

std::string keyName(int code) {
  if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9'))
    return std::string(1, static_cast<char>(code));
  // The menus name a keypad digit by the digit alone.
  if (code >= plat::vk::Numpad0 && code <= plat::vk::Numpad0 + 9)
    return std::string(1, static_cast<char>('0' + code - plat::vk::Numpad0));
  if (code >= plat::vk::F1 && code <= plat::vk::F1 + 11)
    return "F" + std::to_string(code - plat::vk::F1 + 1);
  switch (code) {
    case plat::vk::Escape:
      return "Esc";
    case plat::vk::Tab:
      return "Tab";
    case plat::vk::Return:
      return "Enter";
    case plat::vk::Space:
      return "Space";
    case plat::vk::Add:
      return "Num +";
    case plat::vk::Subtract:
      return "Num -";
    default:
      return "#" + std::to_string(code);
  }
}

}  // namespace

std::string shortcutText(Key key) {
  if (key.none()) return {};
  std::string text;
  if (key.ctrl) text += "Ctrl+";
  if (key.shift) text += "Shift+";
  return text + keyName(key.code);
}

std::string itemText(const std::string& label, Key key) {
  if (key.none()) return label;
  return label + "\t" + shortcutText(key);
}

}  // namespace action
