// Key codes between Qt and the virtual-key numbers of the library.
#pragma once

#include <Qt>
#include <string>

namespace plat::qt {

int virtualKeyFromQt(int qtKey, Qt::KeyboardModifiers mods);
// For injected input: the Qt key and the text a virtual key produces.
int qtKeyFromVirtual(int vk, bool* keypad);
std::u16string textForVirtualKey(int vk, bool ctrl, bool shift);

}  // namespace plat::qt
