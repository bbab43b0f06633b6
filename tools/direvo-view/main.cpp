// direvo-view: plays a multi-view or stereo movie on a slanted lenticular panel,
// composing every frame for the panel as it shows it, full screen, with the panel's
// geometry tuned by keys.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/app.h"
#include "platform/full_screen.h"
#include "view_options.h"
#include "view_source.h"
#include "viewer.h"

namespace {

using viewer::ViewerOptions;

// The screen asked for, else the first whose size is the panel's, else the primary;
// -1 with the reason printed when there is no such screen.
int chooseScreen(const ViewerOptions& o) {
  const std::vector<plat::Rect> screens = plat::screenRects();
  if (screens.empty()) {
    std::fputs("direvo-view: the display has no screen\n", stderr);
    return -1;
  }
  if (o.screen >= static_cast<int>(screens.size())) {
    std::fprintf(stderr, "direvo-view: there is no screen %d (the display has %zu, from 0)\n",
                 o.screen, screens.size());
    return -1;
  }
  if (o.screen >= 0) return o.screen;
  const compose::FineParams& g = o.tuning.geometry;
  for (size_t i = 0; i < screens.size(); ++i) {
    const plat::Rect& r = screens[i];
    if (r.right - r.left == g.width && r.bottom - r.top == g.height) return static_cast<int>(i);
  }
  return 0;
}

// The panel's size where none was given: the screen's. Stable and Beta keep to their
// limits.
bool settleSize(ViewerOptions& o, int screen) {
  compose::FineParams& g = o.tuning.geometry;
  if (!o.sizeGiven) {
    const plat::Rect r = plat::screenRects().at(static_cast<size_t>(screen));
    g.width = std::min(r.right - r.left, compose::kFineMaxWidth);
    g.height = std::min(r.bottom - r.top, compose::kFineMaxHeight);
  }
  if (!viewer::methodFits(o.tuning.method, o.tuning)) {
    std::fprintf(stderr,
                 "direvo-view: %s composes at most %d x %d: the screen is %d x %d (use --method "
                 "fine, or give --width and --height)\n",
                 compose::methodName(o.tuning.method), compose::kMaxWidth, compose::kMaxHeight,
                 g.width, g.height);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  ViewerOptions options = viewer::parseViewerOptions(argc, argv);
  std::string why;
  std::unique_ptr<viewer::ViewSource> source =
      viewer::ViewSource::open(options.source, options.layout, &why);
  if (!source) viewer::fail(why);
  if (options.made == ViewerOptions::Made::FromDepth) {
    const int half = source->viewsSize().width / 2;
    if (std::fabs(viewer::disparityOf(options, half)) > half) {
      viewer::fail("--disparity must be from -" + std::to_string(half) + " to " +
                   std::to_string(half) + ", the picture's width");
    }
  }
  const int code = plat::runApplication(argc, argv, [&] {
    const int screen = chooseScreen(options);
    if (screen < 0 || !settleSize(options, screen)) return 2;
    viewer::Viewer view(*source, options, screen);
    const int status = view.run();
    const viewer::PlayStats& s = view.stats();
    if (status == 0 && !source->isStill()) {
      std::fprintf(stderr, "direvo-view: %lld frames shown, %lld dropped, %ld damaged\n",
                   static_cast<long long>(s.shown), static_cast<long long>(s.dropped), s.damaged);
    }
    return status;
  });
  plat::quickExit(code);
}
