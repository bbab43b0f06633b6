// direvo-compose: composes a lenticular picture from views laid side by side, as the
// player's Lenti command does on a fresh output picture, without opening any window.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "app/compose_pixels.h"
#include "app/movie_capture.h"
#include "app/movie_views.h"
#include "app/view_frames.h"
#include "platform/imagefile.h"
#include "platform/surface.h"

namespace {

// The help text; %s stands for the picture extensions, %g and %d for the defaults and
// limits, in the order printUsage hands them.
constexpr const char* kUsageFormat =
    "usage: direvo-compose --multiview IN --views V [OPTIONS] --out OUT\n"
    "       direvo-compose --movie FILE --left L --right R [--order ltr|rtl] [--views V]\n"
    "                      [OPTIONS] --out OUT\n"
    "OPTIONS: [--pitch P] [--width W] [--height H] [--method stable|beta] [--work WORK]\n"
    "\n"
    "Composes a picture for a slanted lenticular display from V views laid side by side\n"
    "in the image IN, or taken from a movie as the player's make> (ltr) and make< (rtl)\n"
    "take them, and writes it to OUT (%s).\n"
    "\n"
    "  --multiview IN   the views, side by side, each trunc(IN width / V) columns wide\n"
    "  --movie FILE     a movie; V + 1 frames spread evenly from mark L to mark R\n"
    "  --left L         left mark, a frame number from 1 to the frame count\n"
    "  --right R        right mark, from L to the frame count\n"
    "  --order O        ltr (make>, the default) or rtl (make<)\n"
    "  --views V        number of views, %d to %d (default %d with --movie)\n"
    "  --pitch P        lens pitch in sub-pixel columns (default %g)\n"
    "  --width W        output width in pixels, 1 to %d (default %d)\n"
    "  --height H       output height in rows, 1 to %d (default %d)\n"
    "  --method M       stable (column stripes, the default) or beta (row groups)\n"
    "  --out OUT        the composed picture, W x H\n"
    "  --work WORK      also write the work image (3 W V x H, one band per view); it\n"
    "                   is made only then\n"
    "  --help           show this text\n"
    "\n"
    "Bad arguments and unreadable or unwritable files end it with status 2, writing nothing.\n";

void printUsage() {
  std::printf(kUsageFormat, plat::imageExtensionList().c_str(), app::kMinViews, app::kMaxViews, app::kDefaultViews, app::kDefaultPitch,
              app::kMaxWidth, app::kDefaultWidth, app::kMaxHeight, app::kDefaultHeight);
}

struct Options {
  std::string multiview;
  std::string movie;
  std::optional<int> left, right;
  bool rightToLeft = false;
  std::optional<int> views;
  double pitch = app::kDefaultPitch;
  int width = app::kDefaultWidth;
  int height = app::kDefaultHeight;
  bool beta = false;
  std::string out;
  std::string work;
};

[[noreturn]] void fail(const std::string& message) {
  std::fprintf(stderr, "direvo-compose: %s\n", message.c_str());
  std::exit(2);
}

int parseInt(const std::string& name, const std::string& text, int low, int high) {
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno == ERANGE || v < low || v > high) {
    fail(name + " must be a whole number from " + std::to_string(low) + " to " +
         std::to_string(high) + " (got \"" + text + "\")");
  }
  return static_cast<int>(v);
}

// Any number the player would take from a typed text, infinities and NaN included.
double parsePitch(const std::string& text) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || end == text.c_str() || *end != '\0') {
    fail("--pitch must be a number (got \"" + text + "\")");
  }
  return v;
}

bool seenName(const std::vector<std::string>& seen, const char* name) {
  for (const std::string& s : seen) {
    if (s == name) return true;
  }
  return false;
}

Options parse(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      printUsage();
      std::exit(0);
    }
  }
  Options o;
  std::vector<std::string> seen;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> value;
    if (const size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
    }
    static const char* const kKnown[] = {
        "--multiview", "--movie", "--left", "--right", "--order", "--views",
        "--pitch",     "--width", "--height", "--method", "--out",  "--work"};
    bool known = false;
    for (const char* k : kKnown) known = known || name == k;
    if (!known) fail("unknown argument \"" + args[i] + "\" (see --help)");
    for (const std::string& s : seen) {
      if (s == name) fail(name + " is given twice");
    }
    seen.push_back(name);
    if (!value) {
      if (i + 1 >= args.size()) fail(name + " needs a value");
      value = args[++i];
    }
    if (name == "--multiview") o.multiview = *value;
    if (name == "--movie") o.movie = *value;
    if (name == "--left") o.left = parseInt(name, *value, 1, 2147483647);
    if (name == "--right") o.right = parseInt(name, *value, 1, 2147483647);
    if (name == "--order") {
      if (*value != "ltr" && *value != "rtl") {
        fail("--order must be ltr or rtl (got \"" + *value + "\")");
      }
      o.rightToLeft = *value == "rtl";
    }
    if (name == "--views") o.views = parseInt(name, *value, app::kMinViews, app::kMaxViews);
    if (name == "--pitch") o.pitch = parsePitch(*value);
    if (name == "--width") o.width = parseInt(name, *value, 1, app::kMaxWidth);
    if (name == "--height") o.height = parseInt(name, *value, 1, app::kMaxHeight);
    if (name == "--out") o.out = *value;
    if (name == "--work") o.work = *value;
    if (name == "--method") {
      if (*value != "stable" && *value != "beta") {
        fail("--method must be stable or beta (got \"" + *value + "\")");
      }
      o.beta = *value == "beta";
    }
  }
  if (o.multiview.empty() == o.movie.empty()) {
    fail("give one of --multiview IN and --movie FILE (see --help)");
  }
  if (!o.movie.empty()) {
    if (!o.left || !o.right) fail("--movie needs --left L and --right R (see --help)");
    if (!o.views) o.views = app::kDefaultViews;  // the player's View_num at start
  } else if (o.left || o.right || seenName(seen, "--order")) {
    fail("--left, --right and --order go with --movie (see --help)");
  }
  if (!o.views) fail("--views V is required (see --help)");
  if (o.out.empty()) fail("--out OUT is required (see --help)");
  for (const std::string* path : {&o.out, &o.work}) {
    if (!path->empty() && !plat::isSavableImageName(*path)) {
      fail("cannot write " + *path + ": " +
           plat::imageFileErrorText(plat::ImageFileError::UnknownExtension));
    }
  }
  return o;
}

// The views as 32-bit pixels; an indexed file goes through its palette.
std::unique_ptr<plat::Surface> toColour(std::unique_ptr<plat::Surface> s) {
  if (!s || s->bits() == 32) return s;
  std::unique_ptr<plat::Surface> c = plat::Surface::create(s->width(), s->height(), 32);
  if (!c) return nullptr;
  plat::bitBlt(*c, 0, 0, s->width(), s->height(), *s, 0, 0);  // 8 -> 32 through the palette
  return c;
}

std::unique_ptr<plat::Surface> newPicture(int width, int height) {
  std::unique_ptr<plat::Surface> s = plat::Surface::create(width, height, 32);
  if (!s) fail("not enough memory for a " + std::to_string(width) + " x " +
               std::to_string(height) + " picture");
  return s;
}

app::PixelBuffer bufferOf(plat::Surface& s) {
  return {s.row32(0), s.width(), s.height()};
}

std::unique_ptr<plat::Surface> readMultiView(const std::string& path) {
  plat::LoadedImage loaded = plat::loadImageFile(path);
  if (!loaded.surface) fail("cannot read " + path + ": " + plat::imageFileErrorText(loaded.error));
  std::unique_ptr<plat::Surface> multiView = toColour(std::move(loaded.surface));
  if (!multiView) fail("not enough memory for " + path);
  return multiView;
}

// The views as make> or make< lays them out from the movie.
std::unique_ptr<plat::Surface> multiViewFromMovie(const Options& o, int views) {
  std::string why;
  std::unique_ptr<app::MovieCapture> movie = app::MovieCapture::open(o.movie, &why);
  if (!movie) fail("cannot read the movie " + o.movie + (why.empty() ? "" : ": " + why));
  const double count = movie->property(app::kFrameCount);
  const int left = *o.left, right = *o.right;
  if (left > count || right > count || left > right) {
    fail("the marks must satisfy 1 <= L <= R <= " + std::to_string(app::truncToInt64(count)) +
         ", the frame count of " + o.movie + " (got L " + std::to_string(left) + ", R " +
         std::to_string(right) + ")");
  }
  movie->queryFrame();  // as the player does at open
  const app::MultiViewPicture picture =
      app::multiViewFromMovie(*movie, app::spreadViewFrames(left, right, views), o.rightToLeft);
  if (picture.pixels.empty()) fail("the movie " + o.movie + " has no frame size");
  if (!picture.unreadFrames.empty()) {
    fail("frame " + std::to_string(picture.unreadFrames.front()) + " of " + o.movie +
         " could not be read");
  }
  std::unique_ptr<plat::Surface> s = newPicture(picture.width, picture.height);
  for (int y = 0; y < picture.height; ++y) {
    std::copy_n(picture.pixels.data() + static_cast<size_t>(y) * picture.width, picture.width,
                s->row32(y));
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  const Options o = parse(argc, argv);
  const int V = *o.views;

  std::unique_ptr<plat::Surface> multiView =
      o.movie.empty() ? readMultiView(o.multiview) : multiViewFromMovie(o, V);

  // As the player does on Lenti: one band per view, each view stretched to 3W x H.
  // The composition reads the views through that resampling, so the work image
  // (3 W V x H, 5 GB at V 180, W 1920, H 1240) is made only when it is to be written.
  const app::PixelBuffer mv = bufferOf(*multiView);
  const app::WorkResampling views{{mv.pixels, mv.width, mv.height}, multiView->width() / V,
                                  multiView->height(), o.width, o.height, V};
  const app::LentiParams params{o.pitch, V, o.width, o.height};
  std::unique_ptr<plat::Surface> output = newPicture(o.width, o.height);  // black
  std::unique_ptr<plat::Surface> work;
  if (!o.work.empty()) {
    work = newPicture(3 * o.width * V, o.height);
    app::buildWorkPixels(views.multiView, bufferOf(*work), views.viewWidth, views.viewHeight,
                         o.width, o.height, V);
  }
  if (o.beta) {
    app::composeBetaPixels(views, bufferOf(*output), params);
  } else {
    app::composeStablePixels(views, bufferOf(*output), params);
  }

  // Both files are complete before either replaces anything; std::exit runs no
  // destructors, so a staged file is dropped by hand before failing.
  plat::MadeImageFile outFile = plat::StagedImageFile::stage(*output, o.out);
  if (!outFile) fail("cannot write " + o.out + ": " + plat::imageFileErrorText(outFile.reason));
  plat::MadeImageFile workFile;
  if (!o.work.empty()) {
    workFile = plat::StagedImageFile::stage(*work, o.work);
    if (!workFile) {
      outFile.reset();
      fail("cannot write " + o.work + ": " + plat::imageFileErrorText(workFile.reason));
    }
  }
  if (!outFile->commit()) {
    workFile.reset();
    fail("cannot write " + o.out);
  }
  if (workFile && !workFile->commit()) fail("cannot write " + o.work);
  return 0;
}
