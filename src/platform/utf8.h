// UTF-8 is the library's multibyte text; windows and the key queue hold UTF-16. Byte
// limits on texts are limits on UTF-8 bytes, cut at character boundaries.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>
#include <string_view>

namespace plat {

// Malformed input becomes U+FFFD; an incomplete sequence at the end ends the text.
std::u16string toUtf16(std::string_view utf8);
// A lone surrogate becomes U+FFFD.
std::string toUtf8(std::u16string_view utf16);
// Cuts UTF-8 text to at most maxBytes without splitting a character.
void cutUtf8(std::string& s, size_t maxBytes);
// Removes a character sequence left incomplete at the end of s.
void dropIncompleteTail(std::string& s);
// printf into at most maxBytes (below 4096) bytes of UTF-8; a character the limit would
// split is dropped whole. False on a format error.
bool formatUtf8(std::string& out, size_t maxBytes, const char* format, va_list args);

}  // namespace plat
