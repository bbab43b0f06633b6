// One line on a terminal, rewritten in place a few times a second: a program's progress
// or status on stderr, shown only when stderr is a terminal.
#pragma once

#include <string>

namespace tool {

class TerminalLine {
 public:
  TerminalLine();
  bool shown() const { return shown_; }
  // Replaces the line with `text`.
  void show(const std::string& text);
  // Takes the line away, so that a message can be printed in its place.
  void clear();

 private:
  bool shown_;
  bool drawn_ = false;
};

// Seconds as m:ss, or h:mm:ss from an hour on.
std::string clockText(double seconds);

}  // namespace tool
