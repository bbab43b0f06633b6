#include "platform/qt/keys.h"

#include "platform/types.h"

namespace plat::qt {

namespace {

struct KeyPair {
  int qt;
  int vk;
};
// Keys whose codes differ between Qt and the virtual-key numbers.
constexpr KeyPair kKeys[] = {
    {Qt::Key_Backspace, vk::Back},    {Qt::Key_Tab, vk::Tab},
    {Qt::Key_Backtab, vk::Tab},       {Qt::Key_Return, vk::Return},
    {Qt::Key_Enter, vk::Return},      {Qt::Key_Shift, vk::Shift},
    {Qt::Key_Control, vk::Control},   {Qt::Key_Alt, vk::Menu},
    {Qt::Key_Escape, vk::Escape},     {Qt::Key_Space, vk::Space},
    {Qt::Key_PageUp, vk::Prior},      {Qt::Key_PageDown, vk::Next},
    {Qt::Key_End, vk::End},           {Qt::Key_Home, vk::Home},
    {Qt::Key_Left, vk::Left},         {Qt::Key_Up, vk::Up},
    {Qt::Key_Right, vk::Right},       {Qt::Key_Down, vk::Down},
    {Qt::Key_Insert, vk::Insert},     {Qt::Key_Delete, vk::Delete},
    {Qt::Key_Plus, vk::OemPlus},      {Qt::Key_Minus, vk::OemMinus},
    {Qt::Key_Asterisk, vk::Multiply}, {Qt::Key_Slash, vk::Divide},
    {Qt::Key_Period, 0xBE},           {Qt::Key_Comma, 0xBC},
};

// Keys of the keypad that have their own virtual keys.
constexpr KeyPair kKeypad[] = {
    {Qt::Key_Plus, vk::Add},     {Qt::Key_Minus, vk::Subtract}, {Qt::Key_Asterisk, vk::Multiply},
    {Qt::Key_Slash, vk::Divide}, {Qt::Key_Period, vk::Decimal},
};

}  // namespace

int virtualKeyFromQt(int key, Qt::KeyboardModifiers mods) {
  bool keypad = mods & Qt::KeypadModifier;
  if (keypad && key >= Qt::Key_0 && key <= Qt::Key_9) return vk::Numpad0 + (key - Qt::Key_0);
  if (keypad)
    for (auto k : kKeypad)
      if (k.qt == key) return k.vk;
  if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)) return key;
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return vk::F1 + (key - Qt::Key_F1);
  for (auto k : kKeys)
    if (k.qt == key) return k.vk;
  return 0;
}

int qtKeyFromVirtual(int v, bool* keypad) {
  *keypad = false;
  if (v >= vk::Numpad0 && v <= vk::Numpad0 + 9) {
    *keypad = true;
    return Qt::Key_0 + (v - vk::Numpad0);
  }
  for (auto k : kKeypad)
    if (k.vk == v) {
      *keypad = true;
      return k.qt;
    }
  if ((v >= '0' && v <= '9') || (v >= 'A' && v <= 'Z')) return v;
  if (v >= vk::F1 && v < vk::F1 + 24) return Qt::Key_F1 + (v - vk::F1);
  for (auto k : kKeys)
    if (k.vk == v) return k.qt;
  return 0;
}

std::u16string textForVirtualKey(int v, bool ctrl, bool shift) {
  if (v >= 'A' && v <= 'Z') {
    if (ctrl) return std::u16string(1, static_cast<char16_t>(v - 'A' + 1));
    return std::u16string(1, static_cast<char16_t>(shift ? v : v - 'A' + 'a'));
  }
  if (ctrl) return {};
  if (v >= '0' && v <= '9') return std::u16string(1, static_cast<char16_t>(v));
  if (v >= vk::Numpad0 && v <= vk::Numpad0 + 9)
    return std::u16string(1, static_cast<char16_t>('0' + v - vk::Numpad0));
  switch (v) {
    case vk::Space:
      return u" ";
    case vk::Return:
      return u"\r";
    case vk::Tab:
      return u"\t";
    case vk::Back:
      return u"\b";
    case vk::Escape:
      return u"\x1b";
    case vk::Add:
    case vk::OemPlus:
      return u"+";
    case vk::Subtract:
    case vk::OemMinus:
      return u"-";
    case vk::Multiply:
      return u"*";
    case vk::Divide:
      return u"/";
    case vk::Decimal:
    case 0xBE:
      return u".";
    case 0xBC:
      return u",";
    default:
      return {};
  }
}

}  // namespace plat::qt
