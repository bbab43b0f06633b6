// Clipboard text.
#pragma once

#include <string>

namespace plat {

// The clipboard text as UTF-16, empty when there is none.
std::u16string clipboardText();
// Writes UTF-8 text to the clipboard.
void setClipboardText(const std::string& utf8);

}  // namespace plat
