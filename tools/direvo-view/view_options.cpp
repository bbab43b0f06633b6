#include "view_options.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "cli_words.h"
#include "compose/compose_pixels.h"

namespace viewer {

namespace {

using compose::Method;
using compose::SubpixelOrder;

constexpr const char* kUsage =
    "usage: direvo-view SOURCE --views V [OPTIONS]          (V views side by side)\n"
    "       direvo-view SOURCE --grid CxR [--grid-origin top-left|bottom-left] [OPTIONS]\n"
    "       direvo-view SOURCE --sbs [--sbs-cross] [--views V] [OPTIONS]   (a stereo pair)\n"
    "       direvo-view SOURCE --depth [--views V] [--disparity D] [--focus F] [OPTIONS]\n"
    "OPTIONS: [--panel FILE|default] [--width W] [--height H] [--pitch P] [--slant S]\n"
    "         [--offset O] [--subpixels rgb|bgr] [--method fine|stable|beta]\n"
    "         [--screen N | --window] [--mute] [--loop] [--osd]\n";

constexpr const char* kDescription =
    "Plays a multi-view or stereo movie (or shows a picture) on a slanted lenticular\n"
    "panel, composing every frame for the panel as it shows it: full screen, one picture\n"
    "pixel per screen pixel, with the movie's sound. The panel's geometry is tuned by\n"
    "keys while watching (? shows them) and saved to its profile with Ctrl+S.";

constexpr const char* kKeys =
    "Keys: Space pause/play; Left/Right one frame when paused, 5 s when playing;\n"
    "Home/End; [ ] pitch by 0.001 of itself; , . offset by 0.1 sub-pixel; ; ' slant by\n"
    "0.001 (with Shift ten times as far); m fine/stable/Beta; i reverses the views;\n"
    "b rgb/bgr; Ctrl+S saves the panel profile; ? the overlay; Esc or q quits.";

// "CxR": two whole numbers from 1, at most 180 views in all.
bool readGrid(const std::string& text, int& columns, int& rows) {
  int c = 0;
  int r = 0;
  char x = 0;
  char rest = 0;
  if (std::sscanf(text.c_str(), "%d%c%d%c", &c, &x, &r, &rest) != 3 || (x != 'x' && x != 'X'))
    return false;
  if (c < 1 || r < 1 || c * r < compose::kMinViews || c * r > compose::kMaxViews) return false;
  columns = c;
  rows = r;
  return true;
}

struct Texts {
  std::string panel, width, height, pitch, slant, offset, subpixels, method, grid, origin;
  std::string disparity, focus;
  int views = 0;
};

// A profile's settings where the command line gives none.
void applyProfile(const compose::PanelProfile& p, const Texts& t, ViewerOptions& o) {
  compose::FineParams& g = o.tuning.geometry;
  if (t.width.empty() && p.width) g.width = *p.width;
  if (t.height.empty() && p.height) g.height = *p.height;
  if (t.pitch.empty() && p.pitch) g.pitch = *p.pitch;
  if (t.slant.empty() && p.slant) g.slant = *p.slant;
  if (t.offset.empty() && p.offset) g.offset = *p.offset;
  if (t.subpixels.empty() && p.subpixels) g.order = *p.subpixels;
  if (t.method.empty() && p.method) o.tuning.method = *p.method;
  if (t.views == 0 && p.views) g.views = *p.views;
}

void readTexts(const Texts& t, ViewerOptions& o) {
  compose::FineParams& g = o.tuning.geometry;
  if (!t.width.empty()) g.width = std::atoi(t.width.c_str());
  if (!t.height.empty()) g.height = std::atoi(t.height.c_str());
  if (!t.pitch.empty()) g.pitch = tool::finiteValue(t.pitch);
  if (!t.slant.empty()) g.slant = tool::finiteValue(t.slant);
  if (!t.offset.empty()) g.offset = tool::finiteValue(t.offset);
  if (!t.subpixels.empty())
    g.order = t.subpixels == "bgr" ? SubpixelOrder::Bgr : SubpixelOrder::Rgb;
  if (!t.method.empty()) {
    o.tuning.method = t.method == "stable" ? Method::Stable
                      : t.method == "beta" ? Method::Beta
                                           : Method::Fine;
  }
  if (t.views > 0) g.views = t.views;
}

// The layout the options name, the number of views it holds, and the views made from it.
void chooseLayout(const Texts& t, bool sbs, bool crossed, bool depth, ViewerOptions& o) {
  ViewLayout& l = o.layout;
  if ((t.grid.empty() ? 0 : 1) + (sbs ? 1 : 0) + (depth ? 1 : 0) > 1)
    fail("--grid, --sbs and --depth do not go together");
  if (!t.origin.empty() && t.grid.empty()) fail("--grid-origin goes with --grid");
  if (crossed && !sbs) fail("--sbs-cross goes with --sbs");
  if ((!t.disparity.empty() || !t.focus.empty()) && !depth)
    fail("--disparity and --focus go with --depth");
  int& views = o.tuning.geometry.views;
  if (!t.grid.empty()) {
    l.kind = ViewLayout::Kind::Grid;
    if (!readGrid(t.grid, l.columns, l.rows)) {
      fail("--grid must be CxR, two whole numbers from 1 with 2 to 180 views in all (got \"" +
           t.grid + "\")");
    }
    l.views = l.columns * l.rows;
    if (t.views > 0 && t.views != l.views) {
      fail("--views must be the grid's " + std::to_string(l.views) + " views (got " +
           std::to_string(t.views) + ")");
    }
    l.bottomUp = t.origin == "bottom-left";
    views = l.views;
  } else if (sbs || depth) {
    // Two halves: a stereo pair (the left eye first once read) or a picture and its depth.
    l.kind = ViewLayout::Kind::StereoPair;
    l.views = 2;
    l.crossed = crossed;
    if (depth) {
      o.made = ViewerOptions::Made::FromDepth;
      if (views == 0) views = compose::kDefaultViews;
    } else {
      // Views are made from a pair only when asked on the line: they cost much.
      views = t.views > 0 ? t.views : 2;
      if (views > 2) o.made = ViewerOptions::Made::FromPair;
    }
  } else {
    l.kind = ViewLayout::Kind::SideBySide;
    if (views == 0)
      fail("say how many views SOURCE holds side by side: --views V (or --grid, --sbs, --depth)");
    l.views = views;
  }
  if (!t.disparity.empty()) o.disparity = tool::finiteValue(t.disparity);
  if (!t.focus.empty()) o.focus = tool::finiteValue(t.focus);
  if (!(o.focus >= 0 && o.focus <= 1))
    fail("--focus must be a number from 0 to 1 (got \"" + t.focus + "\")");
}

// What the methods hold the panel to.
void checkPanel(const ViewerOptions& o) {
  const compose::FineParams& g = o.tuning.geometry;
  if (o.tuning.method != Method::Fine) {
    if (g.slant != compose::kDefaultSlant || g.offset != compose::kDefaultOffset ||
        g.order != SubpixelOrder::Rgb) {
      fail("--slant, --offset and --subpixels go with --method fine");
    }
    if (o.sizeGiven && !methodFits(o.tuning.method, o.tuning)) {
      fail(std::string("--method ") + compose::methodName(o.tuning.method) + " composes at most " +
           std::to_string(compose::kMaxWidth) + " x " + std::to_string(compose::kMaxHeight));
    }
  }
  if (g.pitch == 0) fail("--pitch must be a finite number other than 0");
}

}  // namespace

void fail(const std::string& message) {
  std::fprintf(stderr, "direvo-view: %s\n", message.c_str());
  std::exit(2);
}

ViewerOptions parseViewerOptions(int argc, char** argv) {
  ViewerOptions o;
  o.tuning.geometry.width = 0;  // the screen's, unless given
  o.tuning.geometry.height = 0;
  o.tuning.geometry.views = 0;
  Texts t;
  bool sbs = false;
  bool crossed = false;
  bool depth = false;

  CLI::App cli(kDescription, "direvo-view");
  cli.formatter(std::make_shared<tool::UsageFormatter>(kUsage, kDescription));
  cli.get_formatter()->column_width(26);
  cli.footer(std::string(kKeys) +
             "\n\nSOURCE is any movie FFmpeg reads, or a picture. Bad arguments, a source that\n"
             "cannot be read and a screen that does not exist end it with status 2; the\n"
             "end of the movie (without --loop), Esc and q with 0.");
  cli.add_option("SOURCE", o.source, "the movie or picture")->required();

  const char* views = "Views";
  cli.add_option("--views", t.views, "V views side by side in every frame")
      ->type_name("V")
      ->transform(tool::wholeNumber(compose::kMinViews, compose::kMaxViews))
      ->group(views);
  cli.add_option("--grid", t.grid, "a grid of C x R views, view 0 at the top left,\nrow by row")
      ->type_name("CxR")
      ->group(views);
  cli.add_option("--grid-origin", t.origin,
                 "top-left (the default) or bottom-left, for grids\nstored from the bottom row up")
      ->type_name("O")
      ->check(tool::oneOf("top-left", "bottom-left"))
      ->group(views);
  cli.add_flag("--sbs", sbs,
               "a stereo pair side by side, the left half the left\neye: its two views, or V "
               "made from them with\n--views V (when that keeps up)")
      ->group(views);
  cli.add_flag("--sbs-cross", crossed, "with --sbs: the left half is the right eye")->group(views);
  cli.add_flag("--depth", depth,
               "a picture in the left half, its depth map (white\nnear) in the right: V views "
               "made from them\n(--views, default 7)")
      ->group(views);
  cli.add_option("--disparity", t.disparity,
                 "with --depth: pixels a point at depth 1 moves from\nview 0 to view V - 1 "
                 "(default 2 % of the width)")
      ->type_name("D")
      ->check(tool::finiteNumber())
      ->group(views);
  cli.add_option("--focus", t.focus,
                 "with --depth: the depth that stays in place, 0 to 1\n(default 0.5)")
      ->type_name("F")
      ->check(tool::finiteNumber())
      ->group(views);

  const char* panel = "Panel";
  cli.add_option("--panel", t.panel,
                 "read width, height, pitch, slant, offset,\nsubpixels, views and method from a "
                 "TOML file (the\noptions given here win); Ctrl+S saves to it.\ndefault: "
                 "$XDG_CONFIG_HOME/direvo/panel.toml")
      ->type_name("FILE")
      ->group(panel);
  cli.add_option("--width", t.width, "the panel's width in pixels (default the screen's)")
      ->type_name("W")
      ->transform(tool::wholeNumber(1, compose::kFineMaxWidth))
      ->group(panel);
  cli.add_option("--height", t.height, "the panel's height in rows (default the screen's)")
      ->type_name("H")
      ->transform(tool::wholeNumber(1, compose::kFineMaxHeight))
      ->group(panel);
  cli.add_option("--pitch", t.pitch, "lens pitch in sub-pixel columns (default 17.319)")
      ->type_name("P")
      ->check(tool::finiteNumber())
      ->group(panel);
  cli.add_option("--slant", t.slant, "sub-pixel columns the lenses move right per row\n(default 1)")
      ->type_name("S")
      ->check(tool::finiteNumber())
      ->group(panel);
  cli.add_option("--offset", t.offset,
                 "sub-pixel columns the pattern starts to the right\n(default 0)")
      ->type_name("O")
      ->check(tool::finiteNumber())
      ->group(panel);
  cli.add_option("--subpixels", t.subpixels, "the panel's sub-pixels from the left: rgb or bgr")
      ->type_name("ORDER")
      ->check(tool::oneOf("rgb", "bgr"))
      ->group(panel);
  cli.add_option("--method", t.method, "fine (the default), stable or beta")
      ->type_name("M")
      ->check(tool::oneOf("fine", "stable", "beta"))
      ->group(panel);

  const char* showing = "Showing";
  cli.add_option("--screen", o.screen,
                 "the screen to fill, 0 the primary (default the one\nwhose size is the "
                 "panel's, else the primary)")
      ->type_name("N")
      ->transform(tool::wholeNumber(0, 63, false))
      ->group(showing);
  cli.add_flag("--window", o.window, "show it in a window instead, to try without a panel")
      ->group(showing);
  cli.add_flag("--mute", o.mute, "play no sound")->group(showing);
  cli.add_flag("--loop", o.loop, "play the movie again from its start at its end")->group(showing);
  cli.add_flag("--osd", o.osd, "keep the overlay of keys and settings on")->group(showing);

  try {
    cli.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (cli.get_help_ptr()->count() > 0) {
      std::fputs(cli.help().c_str(), stdout);
      std::exit(0);
    }
    fail(tool::refusalText(e, cli));
  }
  if (o.window && o.screen >= 0) fail("--screen and --window do not go together");
  o.profilePath = tool::panelProfilePath(t.panel.empty() ? "default" : t.panel);
  if (!t.panel.empty()) {
    if (o.profilePath.empty()) fail(tool::kNoDefaultPanel);
    const compose::PanelProfileReading reading = compose::readPanelProfileFile(o.profilePath);
    if (!reading.ok()) fail("panel profile " + reading.refusal);
    applyProfile(reading.profile, t, o);
  }
  readTexts(t, o);
  o.sizeGiven = o.tuning.geometry.width > 0 && o.tuning.geometry.height > 0;
  if ((o.tuning.geometry.width > 0) != (o.tuning.geometry.height > 0))
    fail("--width and --height go together (or neither: the screen's size)");
  chooseLayout(t, sbs, crossed, depth, o);
  checkPanel(o);
  return o;
}

}  // namespace viewer
