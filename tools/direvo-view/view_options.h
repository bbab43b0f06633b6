// direvo-view's command line, read by CLI11: the source and how its views are laid
// out, the panel (a profile and the options that override it), and how it is shown.
#pragma once

#include <limits>
#include <string>

#include "panel_tuning.h"
#include "view_layout.h"

namespace viewer {

struct ViewerOptions {
  std::string source;
  ViewLayout layout;
  PanelTuning tuning;
  // Views made from each frame: a stereo pair (--sbs --views V) or a picture beside its
  // depth map (--depth); the frame's own views otherwise.
  enum class Made { None, FromPair, FromDepth };
  Made made = Made::None;
  double disparity = std::numeric_limits<double>::quiet_NaN();  // D; NaN: 2 % of the width
  double focus = 0.5;                                           // F
  // Whether the panel's size was given (else it is the screen's).
  bool sizeGiven = false;
  // Where Ctrl+S saves the tuning: the profile read, else the default place (empty when
  // there is none).
  std::string profilePath;
  int screen = -1;  // -1: the one whose size is the panel's, else the primary
  bool window = false;
  bool mute = false;
  bool loop = false;
  bool osd = false;
  bool statusLine = true;  // on stderr, when it is a terminal
};

// The options of argv; bad arguments end the program with one line on stderr and status
// 2, --help prints the help and ends it with 0.
ViewerOptions parseViewerOptions(int argc, char** argv);

// Ends the program with "direvo-view: <message>" on stderr and status 2.
[[noreturn]] void fail(const std::string& message);

}  // namespace viewer
