#include "options.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "cli_words.h"
#include "compose/compose_pixels.h"
#include "movie/movie_writer.h"
#include "platform/imagefile.h"

namespace tool {

namespace {

constexpr const char* kUsage =
    "usage: direvo-compose --multiview IN --views V [OPTIONS] --out OUT\n"
    "       direvo-compose --movie FILE --left L --right R [--order ltr|rtl] [--views V]\n"
    "                      [OPTIONS] --out OUT\n"
    "       direvo-compose --calibration --views V [OPTIONS] --out OUT\n"
    "       direvo-compose --depth PICTURE DEPTH [--disparity D] [--focus F] [--views V]\n"
    "                      [OPTIONS] --out OUT\n"
    "       direvo-compose --stereo LEFT RIGHT | --sbs PAIR [--sbs-cross] | --mpo FILE\n"
    "                      [--depth-out DEPTH] [--views V] [OPTIONS] --out OUT\n"
    "       direvo-compose --views-movie IN --views V [OPTIONS] --out MOVIE\n"
    "       direvo-compose --depth-movie IN [--disparity D] [--focus F] [--views V]\n"
    "                      [OPTIONS] --out MOVIE\n"
    "       direvo-compose --sbs-movie IN [--sbs-cross] [--views V] [OPTIONS] --out MOVIE\n"
    "       direvo-compose --movie FILE --span S [--order ltr|rtl] [--views V] [OPTIONS]\n"
    "                      --out MOVIE\n"
    "OPTIONS: [--pitch P] [--width W] [--height H] [--method stable|beta|fine]\n"
    "         [--slant S] [--offset O] [--subpixels rgb|bgr] (these three with fine)\n"
    "         [--work WORK] [--multiview-out VIEWS] (these two with a picture only)\n"
    "         [--panel FILE|default] [--save-panel FILE|default]\n"
    "         [--codec ffv1|h264] [--crf Q] [--preset NAME] [--chroma 444|420]\n"
    "         [--lossless] [--no-audio] (these six with a movie)\n";

constexpr const char* kDescription =
    "Composes a picture for a slanted lenticular display from V views laid side by side\n"
    "in the image IN, taken from a movie as the player's make> (ltr) and make< (rtl)\n"
    "take them, or drawn as a calibration picture; or composes a whole movie, frame by\n"
    "frame, from a multi-view movie or from a movie shot by a moving camera.";

// One of x264's presets.
CLI::Validator presetName() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        for (const char* name : movie::kH264Presets) {
          if (text == name) return {};
        }
        return "must be one of ultrafast, superfast, veryfast, faster, fast, medium, slow, "
               "slower or veryslow (got \"" +
               text + "\")";
      },
      "");
}

std::string shortReal(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

struct Given {
  CLI::Option* multiview;
  CLI::Option* movie;
  CLI::Option* viewsMovie;
  CLI::Option* depthMovie;
  CLI::Option* sbsMovie;
  CLI::Option* calibration;
  CLI::Option* depth;
  CLI::Option* stereo;
  CLI::Option* sbs;
  CLI::Option* sbsCross;
  CLI::Option* mpo;
  CLI::Option* depthOut;
  CLI::Option* disparity;
  CLI::Option* focus;
  CLI::Option* left;
  CLI::Option* right;
  CLI::Option* span;
  CLI::Option* order;
  CLI::Option* views;
  CLI::Option* slant;
  CLI::Option* offset;
  CLI::Option* subpixels;
  CLI::Option* pattern;
  CLI::Option* calibrationView;
  CLI::Option* pitch;
  CLI::Option* width;
  CLI::Option* height;
  CLI::Option* method;
  CLI::Option* savePanel;
  CLI::Option* codec;
  CLI::Option* crf;
  CLI::Option* preset;
  CLI::Option* chroma;
  CLI::Option* lossless;
  CLI::Option* noAudio;
  bool viewsFromPanel = false;
};

// The movie's codec and H.264's settings: H.264 into .mp4 or .mkv, FFV1 into .mkv or
// .avi, and H.264's settings only with H.264.
void checkMovieCodec(const Given& g, Options& o, const std::string& codec) {
  const size_t h264Settings =
      g.crf->count() + g.preset->count() + g.chroma->count() + g.lossless->count();
  if (!o.writesMovie()) {
    if (h264Settings + g.codec->count() + g.noAudio->count() > 0) {
      fail(
          "--codec, --crf, --preset, --chroma, --lossless and --no-audio go with a movie (see "
          "--help)");
    }
    return;
  }
  if (g.noAudio->count() == 0) o.encoding.soundFrom = o.input;
  const movie::MovieCodec* byName = movie::movieCodecFor(o.out);
  const std::string extension = byName->extension;
  o.codec = byName;
  if (codec == "h264" && extension == ".mkv") o.codec = &movie::kH264InMatroska;
  if (codec == "h264" && extension == ".avi") fail("H.264 is written into .mp4 or .mkv");
  if (codec == "ffv1" && extension == ".mp4") fail("FFV1 is written into .mkv or .avi");
  const bool h264 = std::string(o.codec->encoder) == "libx264";
  if (h264Settings > 0 && !h264) {
    fail("--crf, --preset, --chroma and --lossless go with H.264 (.mp4, or --codec h264)");
  }
  if (o.encoding.lossless && (g.crf->count() > 0 || o.encoding.chroma == movie::Chroma::Quarter))
    fail("--lossless is H.264 at 4:4:4 with quantiser 0: it takes no --crf or --chroma 420");
}

// "default" names the profile's usual place; the tool ends with one line when there is
// none.
std::string panelPath(const std::string& name) {
  const std::string path = panelProfilePath(name);
  if (path.empty()) fail(kNoDefaultPanel);
  return path;
}

// A panel profile's settings, where the command line gives none of its own.
void applyPanel(const std::string& name, Given& g, Options& o) {
  const compose::PanelProfileReading reading = compose::readPanelProfileFile(panelPath(name));
  if (!reading.ok()) fail("panel profile " + reading.refusal);
  const compose::PanelProfile& p = reading.profile;
  auto take = [](const CLI::Option* given, auto& into, const auto& value) {
    if (given->count() == 0 && value) into = *value;
  };
  take(g.width, o.width, p.width);
  take(g.height, o.height, p.height);
  take(g.pitch, o.pitch, p.pitch);
  take(g.slant, o.slant, p.slant);
  take(g.offset, o.offset, p.offset);
  take(g.subpixels, o.order, p.subpixels);
  take(g.method, o.method, p.method);
  take(g.views, o.views, p.views);
  g.viewsFromPanel = p.views.has_value();
}

// The rules the fine method's options add: its sizes, its geometry, its pitch, and the
// calibration's lines. Checked before anything is read.
void checkMethod(const Given& g, const Options& o) {
  if (!o.fine()) {
    // Stable and Beta keep their sizes, which their working storage sets.
    if (o.width > compose::kMaxWidth) {
      fail("--width must be a whole number from 1 to " + std::to_string(compose::kMaxWidth) +
           " (got \"" + std::to_string(o.width) + "\")");
    }
    if (o.height > compose::kMaxHeight) {
      fail("--height must be a whole number from 1 to " + std::to_string(compose::kMaxHeight) +
           " (got \"" + std::to_string(o.height) + "\")");
    }
    // By value, so that a panel profile's geometry is held to it as well.
    const bool geometry = o.slant != compose::kDefaultSlant ||
                          o.offset != compose::kDefaultOffset ||
                          o.order != compose::SubpixelOrder::Rgb;
    if (geometry) fail("--slant, --offset and --subpixels go with --method fine (see --help)");
  } else {
    if (o.pitch == 0) {
      fail("--pitch must be a finite number other than 0 with --method fine");
    }
    if (!o.work.empty()) fail("--work goes with --method stable or beta: fine makes no work image");
  }
  if ((g.pattern->count() > 0 || g.calibrationView->count() > 0) && g.calibration->count() == 0) {
    fail("--calibration-pattern and --calibration-view go with --calibration (see --help)");
  }
  if (g.calibrationView->count() > 0 && !o.calibrationLines) {
    fail("--calibration-view goes with --calibration-pattern lines");
  }
  if (o.calibrationView >= o.views) {
    fail("--calibration-view must be below the number of views (got " +
         std::to_string(o.calibrationView) + ", views " + std::to_string(o.views) + ")");
  }
}

// --disparity and --focus: only with --depth, the focus from 0 to 1. The disparity's
// range depends on the picture, so it is checked once the picture is read.
void checkDepth(const Given& g, Options& o, const std::string& disparity,
                const std::string& focus) {
  if ((g.disparity->count() > 0 || g.focus->count() > 0) && g.depth->count() == 0 &&
      g.depthMovie->count() == 0) {
    fail("--disparity and --focus go with --depth or --depth-movie (see --help)");
  }
  if (!disparity.empty()) o.disparity = finiteValue(disparity);
  if (!focus.empty()) o.focus = finiteValue(focus);
  if (!(o.focus >= 0 && o.focus <= 1))
    fail("--focus must be a number from 0 to 1 (got \"" + focus + "\")");
}

// The rules between options, which CLI11 does not word as this tool does.
void checkCombination(const Given& g, Options& o) {
  const size_t pairs = (g.stereo->count() > 0 ? 1 : 0) + g.sbs->count() + g.mpo->count();
  const size_t inputs = g.multiview->count() + g.movie->count() + g.viewsMovie->count() +
                        g.calibration->count() + (g.depth->count() > 0 ? 1 : 0) + pairs +
                        g.depthMovie->count() + g.sbsMovie->count();
  const bool viewsGiven = g.views->count() > 0 || g.viewsFromPanel;
  if (inputs == 0 && g.savePanel->count() > 0 && o.out.empty()) {
    o.mode = Mode::PanelOnly;
    if (!viewsGiven) o.views = compose::kDefaultViews;
    return;
  }
  if (inputs != 1) {
    fail(
        "give one of --multiview IN, --movie FILE, --views-movie IN, --calibration, --depth "
        "PICTURE DEPTH, --stereo LEFT RIGHT, --sbs PAIR, --mpo FILE, --depth-movie IN and "
        "--sbs-movie IN (see --help)");
  }
  const bool marks = g.left->count() > 0 || g.right->count() > 0;
  if (g.movie->count() > 0) {
    if (g.span->count() > 0 && marks)
      fail("--span goes with --movie in place of --left and --right");
    if (g.span->count() == 0 && (g.left->count() == 0 || g.right->count() == 0)) {
      fail("--movie needs --left L and --right R, or --span S (see --help)");
    }
    o.mode = g.span->count() > 0 ? Mode::MovieSpan : Mode::MovieMarks;
    if (!viewsGiven) o.views = compose::kDefaultViews;  // the player's View_num at start
  } else {
    if (marks || g.span->count() > 0 || g.order->count() > 0) {
      fail("--left, --right, --span and --order go with --movie (see --help)");
    }
    o.mode = g.multiview->count() > 0    ? Mode::Picture
             : g.viewsMovie->count() > 0 ? Mode::ViewsMovie
             : g.depth->count() > 0      ? Mode::Depth
             : pairs > 0                 ? Mode::Stereo
             : g.depthMovie->count() > 0 ? Mode::DepthMovie
             : g.sbsMovie->count() > 0   ? Mode::SbsMovie
                                         : Mode::Calibration;
    const bool madeViews = o.mode == Mode::Depth || o.mode == Mode::Stereo ||
                           o.mode == Mode::DepthMovie || o.mode == Mode::SbsMovie;
    if (!viewsGiven && madeViews) o.views = compose::kDefaultViews;
    if (!viewsGiven && !madeViews) fail("--views V is required (see --help)");
  }
  if (o.out.empty()) fail("--out OUT is required (see --help)");
  if (g.sbsCross->count() > 0 && g.sbs->count() == 0 && g.sbsMovie->count() == 0)
    fail("--sbs-cross goes with --sbs PAIR or --sbs-movie IN");
  if (g.depthOut->count() > 0 && o.mode != Mode::Stereo) {
    fail("--depth-out goes with --stereo, --sbs or --mpo: it writes the depth found");
  }
  if (o.writesMovie()) {
    if (!o.work.empty() || !o.multiviewOut.empty()) {
      fail("--work and --multiview-out go with a picture, not a movie (see --help)");
    }
    if (!movie::movieCodecFor(o.out)) {
      fail("cannot write " + o.out + ": " +
           movie::movieWriteErrorText(movie::MovieWriteError::UnknownExtension, nullptr));
    }
    return;
  }
  for (const std::string* path : {&o.out, &o.work, &o.multiviewOut, &o.depthOut}) {
    if (!path->empty() && !plat::isSavableImageName(*path)) {
      fail("cannot write " + *path + ": " +
           plat::imageFileErrorText(plat::ImageFileError::UnknownExtension));
    }
  }
}

}  // namespace

void fail(const std::string& message) {
  std::fprintf(stderr, "direvo-compose: %s\n", message.c_str());
  std::exit(2);
}

double disparityFor(const Options& o, int width) {
  const double disparity = std::isnan(o.disparity) ? 0.02 * width : o.disparity;
  if (std::fabs(disparity) > width) {
    fail("--disparity must be from -" + std::to_string(width) + " to " + std::to_string(width) +
         ", the picture's width");
  }
  return disparity;
}

void checkViewsFit(const Options& o, int width, int height) {
  // The views made from a depth map or a pair are held to what a picture may have.
  constexpr int64_t kMaxViewsPixels = int64_t{1} << 28;
  if (int64_t{width} * height * o.views > kMaxViewsPixels) {
    fail(std::to_string(o.views) + " views of " + std::to_string(width) + " x " +
         std::to_string(height) + " are more than 2^28 pixels");
  }
}

Options parseOptions(int argc, char** argv) {
  Options o;
  o.pitch = compose::kDefaultPitch;
  o.width = compose::kDefaultWidth;
  o.height = compose::kDefaultHeight;
  std::string multiview, movie, viewsMovie, depthMovie, sbsMovie, order = "ltr", method, panel;
  std::vector<std::string> depth, stereo;
  std::string sbs, mpo;
  std::string disparityText, focusText;
  std::string pitchText, slantText, offsetText, subpixels, pattern = "numbers";
  std::string widthText, heightText;
  std::string codec, crfText, chroma;
  bool calibration = false;

  CLI::App cli(kDescription, "direvo-compose");
  cli.formatter(std::make_shared<UsageFormatter>(kUsage, kDescription));
  cli.get_formatter()->column_width(26);
  cli.footer("Pictures are written as " + plat::imageExtensionList() + ".\nMovies as " +
             movie::movieExtensionList() +
             " (.mkv and .avi lossless FFV1, .mp4 H.264), at the input's\nframe rate, with an "
             "even width and height; on a terminal a progress line\nshows while they are made. "
             "Bad arguments and unreadable or unwritable files\nend it with status 2, writing "
             "nothing; Ctrl+C while a movie is made leaves none either.");

  const char* input = "Input (one of)";
  Given g{};
  g.multiview = cli.add_option("--multiview", multiview,
                               "the views, side by side, each trunc(IN width / V)\n"
                               "columns wide")
                    ->type_name("IN")
                    ->group(input);
  g.movie = cli.add_option("--movie", movie,
                           "a movie; V + 1 frames spread evenly from mark L to\n"
                           "mark R, or from every frame k to k + S")
                ->type_name("FILE")
                ->group(input);
  g.viewsMovie = cli.add_option("--views-movie", viewsMovie,
                                "a movie whose every frame holds V views side by\n"
                                "side; OUT is a movie of them composed")
                     ->type_name("IN")
                     ->group(input);
  g.calibration = cli.add_flag("--calibration", calibration,
                               "views of one solid colour each, numbered 0 to V - 1,\n"
                               "for finding the panel's Pitch")
                      ->group(input);
  g.pattern = cli.add_option("--calibration-pattern", pattern,
                             "numbers (the default) or lines: view K white, the\n"
                             "others black, to tune pitch, slant and offset")
                  ->type_name("PAT")
                  ->check(oneOf("numbers", "lines"))
                  ->group(input);
  g.calibrationView = cli.add_option("--calibration-view", o.calibrationView,
                                     "the white view of the lines (default 0)")
                          ->type_name("K")
                          ->transform(wholeNumber(0, compose::kMaxViews - 1, false))
                          ->group(input);

  g.depth = cli.add_option("--depth", depth,
                           "a picture and its grey depth map (white near):\n"
                           "V views made by moving each pixel by its depth")
                ->expected(2)
                ->type_name("PICTURE DEPTH")
                ->group(input);
  g.stereo = cli.add_option("--stereo", stereo,
                            "a stereo pair, the left eye's picture and the\n"
                            "right's: V views from the left eye to the right,\n"
                            "made from the disparity found between them")
                 ->expected(2)
                 ->type_name("LEFT RIGHT")
                 ->group(input);
  g.sbs = cli.add_option("--sbs", sbs,
                         "a stereo pair side by side in one picture, the\n"
                         "left half the left eye")
              ->type_name("PAIR")
              ->group(input);
  g.sbsCross = cli.add_flag("--sbs-cross", o.crossed,
                            "with --sbs or --sbs-movie: the left half is the\n"
                            "right eye (a pair for crossed eyes)")
                   ->group(input);
  g.mpo = cli.add_option("--mpo", mpo,
                         "a 3D camera's MPO file: its first picture the left\n"
                         "eye, its second the right")
              ->type_name("FILE")
              ->group(input);
  g.depthMovie = cli.add_option("--depth-movie", depthMovie,
                                "a movie whose every frame holds a picture (left\n"
                                "half) and its depth map (right half): OUT is a\n"
                                "movie of their views composed, as with --depth")
                     ->type_name("IN")
                     ->group(input);
  g.sbsMovie = cli.add_option("--sbs-movie", sbsMovie,
                              "a movie whose every frame is a stereo pair side by\n"
                              "side: OUT is a movie of its views composed, as with\n"
                              "--sbs (and --sbs-cross)")
                   ->type_name("IN")
                   ->group(input);
  g.disparity = cli.add_option("--disparity", disparityText,
                               "with --depth: pixels a point at depth 1 moves from\n"
                               "view 0 to view V - 1 (default 2 % of the width)")
                    ->type_name("D")
                    ->check(finiteNumber())
                    ->group(input);
  g.focus = cli.add_option("--focus", focusText,
                           "with --depth: the depth that stays in place, the\n"
                           "panel's plane, 0 to 1 (default 0.5)")
                ->type_name("F")
                ->check(finiteNumber())
                ->group(input);

  const char* movieGroup = "With --movie";
  g.left = cli.add_option("--left", o.left, "left mark, a frame number from 1 to the frame count")
               ->type_name("L")
               ->transform(wholeNumber(1, 2147483647, false))
               ->group(movieGroup);
  g.right = cli.add_option("--right", o.right, "right mark, from L to the frame count")
                ->type_name("R")
                ->transform(wholeNumber(1, 2147483647, false))
                ->group(movieGroup);
  g.span = cli.add_option("--span", o.span,
                          "frames from the first view to the last: OUT is a\n"
                          "movie whose frame k (from 0) is the picture of\n"
                          "--left k+1 --right k+1+S, for every k up to the end")
               ->type_name("S")
               ->transform(wholeNumber(0, 2147483646, false))
               ->group(movieGroup);
  g.order = cli.add_option("--order", order, "ltr (make>, the default) or rtl (make<)")
                ->type_name("O")
                ->check(oneOf("ltr", "rtl"))
                ->group(movieGroup);

  const char* composition = "Composition";
  g.views = cli.add_option("--views", o.views, "number of views (default 7 with --movie)")
                ->type_name("V")
                ->transform(wholeNumber(compose::kMinViews, compose::kMaxViews))
                ->group(composition);
  g.pitch = cli.add_option("--pitch", pitchText, "lens pitch in sub-pixel columns")
                ->type_name("P")
                ->check(finiteNumber())
                ->default_str(shortReal(compose::kDefaultPitch))
                ->group(composition);
  g.width =
      cli.add_option("--width", widthText, "output width in pixels, 1 to 1920 (7680 with fine)")
          ->type_name("W")
          ->transform(wholeNumber(1, compose::kFineMaxWidth, false))
          ->default_str(std::to_string(compose::kDefaultWidth))
          ->group(composition);
  g.height =
      cli.add_option("--height", heightText, "output height in rows, 1 to 1240 (4320 with fine)")
          ->type_name("H")
          ->transform(wholeNumber(1, compose::kFineMaxHeight, false))
          ->default_str(std::to_string(compose::kDefaultHeight))
          ->group(composition);
  g.method = cli.add_option("--method", method,
                            "stable (column stripes, the default), beta\n"
                            "(row groups) or fine (each sub-pixel's own view,\n"
                            "for any slant, offset and sub-pixel order)")
                 ->type_name("M")
                 ->check(oneOf("stable", "beta", "fine"))
                 ->group(composition);
  g.slant = cli.add_option("--slant", slantText,
                           "sub-pixel columns the lenses move right per row\n"
                           "down, e.g. 0.3333 or -0.2222 (fine)")
                ->type_name("S")
                ->check(finiteNumber())
                ->default_str("1")
                ->group(composition);
  g.offset = cli.add_option("--offset", offsetText,
                            "sub-pixel columns the lens pattern starts to the\n"
                            "right (fine)")
                 ->type_name("O")
                 ->check(finiteNumber())
                 ->default_str("0")
                 ->group(composition);
  g.subpixels = cli.add_option("--subpixels", subpixels,
                               "the panel's sub-pixels from the left: rgb (the\n"
                               "default) or bgr (fine)")
                    ->type_name("ORD")
                    ->check(oneOf("rgb", "bgr"))
                    ->group(composition);

  const char* output = "Output";
  cli.add_option("--out", o.out,
                 "the composed picture (W x H), or the movie with\n"
                 "--views-movie, --depth-movie, --sbs-movie and --span")
      ->type_name("OUT")
      ->group(output);
  cli.add_option("--work", o.work,
                 "also write the work image (3 W V x H, one band per\n"
                 "view); it is made only then")
      ->type_name("WORK")
      ->group(output);
  cli.add_option("--multiview-out", o.multiviewOut, "also write the views side by side")
      ->type_name("VIEWS")
      ->group(output);
  g.depthOut = cli.add_option("--depth-out", o.depthOut,
                              "with a stereo pair: also write the left eye's depth\n"
                              "found (grey, white near); its D and F are printed")
                   ->type_name("DEPTH")
                   ->group(output);

  const char* movieOut = "Movie output";
  g.codec = cli.add_option("--codec", codec,
                           "ffv1 (lossless; .mkv, .avi) or h264 (.mp4, .mkv);\n"
                           "by default the extension's")
                ->type_name("C")
                ->check(oneOf("ffv1", "h264"))
                ->group(movieOut);
  g.crf = cli.add_option("--crf", crfText, "H.264's constant quality, 0 (best) to 51")
              ->type_name("Q")
              ->check(finiteNumber())
              ->default_str("18")
              ->group(movieOut);
  g.preset = cli.add_option("--preset", o.encoding.preset,
                            "H.264's speed against size, ultrafast to veryslow")
                 ->type_name("NAME")
                 ->check(presetName())
                 ->default_str("medium")
                 ->group(movieOut);
  g.chroma = cli.add_option("--chroma", chroma,
                            "H.264's colour resolution: 444 (the default) keeps\n"
                            "each sub-pixel's view; 420 for players that need it")
                 ->type_name("CH")
                 ->check(oneOf("444", "420"))
                 ->group(movieOut);
  g.lossless = cli.add_flag("--lossless", o.encoding.lossless, "H.264 at quantiser 0, 4:4:4")
                   ->group(movieOut);
  bool noAudio = false;
  g.noAudio = cli.add_flag("--no-audio", noAudio,
                           "leave the input's sound out (by default it is\n"
                           "copied unchanged where the file can hold it)")
                  ->group(movieOut);

  const char* panelGroup = "Panel profile";
  cli.add_option("--panel", panel,
                 "read width, height, pitch, slant, offset,\n"
                 "subpixels, views and method from a TOML file;\n"
                 "the options given here win. default: the file\n"
                 "$XDG_CONFIG_HOME/direvo/panel.toml")
      ->type_name("FILE")
      ->group(panelGroup);
  g.savePanel = cli.add_option("--save-panel", o.savePanel,
                               "write the settings in effect as a panel profile\n"
                               "(alone: write it and compose nothing)")
                    ->type_name("FILE")
                    ->group(panelGroup);

  try {
    cli.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // --help wins over every other mistake on the line.
    if (cli.get_help_ptr()->count() > 0) {
      std::fputs(cli.help().c_str(), stdout);
      std::exit(0);
    }
    fail(refusalText(
        e, cli,
        {{"--depth", "--depth needs two files: PICTURE DEPTH"},
         {"--stereo", "--stereo needs two files: LEFT RIGHT (an MPO file goes with --mpo)"}}));
  }
  if (!panel.empty()) applyPanel(panel, g, o);
  if (!o.savePanel.empty()) o.savePanel = panelPath(o.savePanel);
  // The whole numbers come through their validators in plain decimal.
  if (!widthText.empty()) o.width = std::atoi(widthText.c_str());
  if (!heightText.empty()) o.height = std::atoi(heightText.c_str());
  if (!method.empty()) {
    o.method = method == "beta" ? Method::Beta : method == "fine" ? Method::Fine : Method::Stable;
  }
  if (!slantText.empty()) o.slant = finiteValue(slantText);
  if (!offsetText.empty()) o.offset = finiteValue(offsetText);
  if (!subpixels.empty()) {
    o.order = subpixels == "bgr" ? compose::SubpixelOrder::Bgr : compose::SubpixelOrder::Rgb;
  }
  o.calibrationLines = pattern == "lines";
  // Read as the player reads a typed Pitch (strtod): CLI11's own conversion goes
  // through long double and may round the last bit differently.
  if (!pitchText.empty()) o.pitch = finiteValue(pitchText);
  if (!crfText.empty()) o.encoding.crf = finiteValue(crfText);
  if (!(o.encoding.crf >= 0 && o.encoding.crf <= 51))
    fail("--crf must be a number from 0 to 51 (got \"" + crfText + "\")");
  if (chroma == "420") o.encoding.chroma = movie::Chroma::Quarter;
  checkCombination(g, o);
  o.input = !multiview.empty()    ? multiview
            : !movie.empty()      ? movie
            : !depth.empty()      ? depth.front()
            : !stereo.empty()     ? stereo.front()
            : !sbs.empty()        ? sbs
            : !mpo.empty()        ? mpo
            : !depthMovie.empty() ? depthMovie
            : !sbsMovie.empty()   ? sbsMovie
                                  : viewsMovie;
  checkMovieCodec(g, o, codec);
  checkMethod(g, o);
  if (depth.size() == 2) o.depthMap = depth.back();
  if (stereo.size() == 2) o.rightEye = stereo.back();
  o.pairSource = !sbs.empty()   ? PairSource::SideBySide
                 : !mpo.empty() ? PairSource::Mpo
                                : PairSource::Files;
  checkDepth(g, o, disparityText, focusText);
  o.rightToLeft = order == "rtl";
  return o;
}

}  // namespace tool
