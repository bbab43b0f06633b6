// direvo-compose's command line: every option once, with its default, its check and its
// help text, read by CLI11.
#pragma once

#include <limits>
#include <optional>
#include <string>

#include "compose/fine.h"
#include "compose/panel_profile.h"
#include "movie/movie_writer.h"

namespace tool {

// What is composed, and into what: a picture or a movie.
enum class Mode {
  Picture,      // --multiview IN: one picture of views side by side
  MovieMarks,   // --movie FILE --left L --right R: the views make> or make< takes
  MovieSpan,    // --movie FILE --span S: a movie, one picture per position of the marks
  ViewsMovie,   // --views-movie IN: a movie, one picture per multi-view frame
  Calibration,  // --calibration: numbered views of solid colour, or lines
  Depth,        // --depth PICTURE DEPTH: views made from a picture and its depth map
  Stereo,       // --stereo LEFT RIGHT, --sbs PAIR, --mpo FILE: views made from a stereo pair
  PanelOnly,    // --save-panel FILE alone: only the panel profile is written
  DepthMovie,   // --depth-movie IN: a movie, each frame a picture beside its depth map
  SbsMovie,     // --sbs-movie IN: a movie, each frame a side-by-side stereo pair
};

using compose::Method;

// Where a stereo pair's two pictures come from.
enum class PairSource {
  Files,       // --stereo LEFT RIGHT
  SideBySide,  // --sbs PAIR: the left half the left eye (--sbs-cross: the right eye)
  Mpo,         // --mpo FILE: a 3D camera's file, its first two pictures
};

struct Options {
  Mode mode = Mode::Picture;
  std::string input;     // the picture or movie read; empty for the calibration
  std::string depthMap;  // with --depth: the grey depth map of `input`
  // With a stereo pair: where it comes from, the right eye's file with --stereo, whether
  // a side-by-side picture has its eyes crossed, and where the depth found is written.
  PairSource pairSource = PairSource::Files;
  std::string rightEye;
  bool crossed = false;
  std::string depthOut;
  // With --depth: D, pixels (NaN: 2 % of the picture's width), and the focus F.
  double disparity = std::numeric_limits<double>::quiet_NaN();
  double focus = 0.5;
  int left = 0, right = 0;
  int span = 0;
  bool rightToLeft = false;
  int views = 0;
  double pitch = 0;
  int width = 0;
  int height = 0;
  Method method = Method::Stable;
  // The fine method's panel geometry.
  double slant = compose::kDefaultSlant;
  double offset = compose::kDefaultOffset;
  compose::SubpixelOrder order = compose::SubpixelOrder::Rgb;
  // The calibration picture: numbered colours, or one view white and the rest black.
  bool calibrationLines = false;
  int calibrationView = 0;
  std::string out;
  std::string work;
  std::string multiviewOut;
  std::string savePanel;  // where the settings in effect are written as a panel profile
  // A movie's codec (by the extension unless --codec says) and H.264's settings.
  const movie::MovieCodec* codec = nullptr;
  movie::MovieEncoding encoding;

  bool beta() const { return method == Method::Beta; }
  bool fine() const { return method == Method::Fine; }
  compose::FineParams fineParams() const {
    return {pitch, slant, offset, order, views, width, height};
  }
  compose::PanelProfile panelProfile() const {
    return {width, height, views, pitch, slant, offset, order, method};
  }
  bool writesMovie() const {
    return mode == Mode::MovieSpan || mode == Mode::ViewsMovie || mode == Mode::DepthMovie ||
           mode == Mode::SbsMovie;
  }
};

// The options of argv; bad arguments end the program with one line on stderr and status
// 2, --help prints the help and ends it with 0.
Options parseOptions(int argc, char** argv);

// Ends the program with "direvo-compose: <message>" on stderr and status 2.
[[noreturn]] void fail(const std::string& message);

// D for views made from a picture `width` wide: --disparity, or 2 % of the width;
// ends the program when it is out of range for that width.
double disparityFor(const Options& o, int width);

// Ends the program when the views made from a width x height picture are more than a
// picture may hold.
void checkViewsFit(const Options& o, int width, int height);

}  // namespace tool
