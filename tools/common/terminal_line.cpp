#include "terminal_line.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tool {

TerminalLine::TerminalLine() : shown_(::isatty(STDERR_FILENO) == 1) {}

void TerminalLine::show(const std::string& text) {
  if (!shown_) return;
  std::fprintf(stderr, "\r\x1b[2K%s", text.c_str());
  std::fflush(stderr);
  drawn_ = true;
}

void TerminalLine::clear() {
  if (drawn_) std::fputs("\r\x1b[2K", stderr);
  drawn_ = false;
}

std::string clockText(double seconds) {
  const long s = std::lround(std::max(0.0, seconds));
  char text[32];
  if (s >= 3600) {
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  } else {
    std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
  }
  return text;
}

}  // namespace tool
