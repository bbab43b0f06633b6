// direvo-compose: composes a lenticular picture from views laid side by side, as the
// player's Lenti command does on a fresh output picture, without opening any window;
// or a whole lenticular movie, frame by frame (movie_output.cpp).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "compose/calibration.h"
#include "compose/compose_pixels.h"
#include "compose/fine.h"
#include "compose/panel_profile.h"
#include "compose/view_frames.h"
#include "movie/movie_capture.h"
#include "movie/movie_views.h"
#include "movie_output.h"
#include "options.h"
#include "platform/imagefile.h"
#include "platform/surface.h"
#include "views/depth_views.h"
#include "views/mpo.h"
#include "views/stereo_views.h"

namespace {

using tool::fail;
using tool::Options;

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
  if (!s)
    fail("not enough memory for a " + std::to_string(width) + " x " + std::to_string(height) +
         " picture");
  return s;
}

compose::PixelBuffer bufferOf(plat::Surface& s) {
  return {s.row32(0), s.width(), s.height()};
}

std::unique_ptr<plat::Surface> pictureOf(const compose::MultiViewPicture& picture) {
  std::unique_ptr<plat::Surface> s = newPicture(picture.width, picture.height);
  for (int y = 0; y < picture.height; ++y) {
    std::copy_n(picture.pixels.data() + static_cast<size_t>(y) * picture.width, picture.width,
                s->row32(y));
  }
  return s;
}

std::unique_ptr<plat::Surface> readMultiView(const std::string& path,
                                             std::vector<uint16_t>* levels16 = nullptr) {
  plat::LoadedImage loaded = plat::loadImageFile(path);
  if (!loaded.object) fail("cannot read " + path + ": " + plat::imageFileErrorText(loaded.reason));
  if (levels16) *levels16 = std::move(loaded.levels16);
  std::unique_ptr<plat::Surface> multiView = toColour(std::move(loaded.object));
  if (!multiView) fail("not enough memory for " + path);
  return multiView;
}

// The views as make> or make< lays them out from the movie.
std::unique_ptr<plat::Surface> multiViewFromMovie(const Options& o) {
  movie::MadeMovieCapture movie = movie::MovieCapture::open(o.input);
  const std::string& why = movie.reason.text;
  if (!movie) fail("cannot read the movie " + o.input + (why.empty() ? "" : ": " + why));
  const double count = movie->property(movie::kFrameCount);
  if (o.left > count || o.right > count || o.left > o.right) {
    fail("the marks must satisfy 1 <= L <= R <= " + std::to_string(compose::truncToInt64(count)) +
         ", the frame count of " + o.input + " (got L " + std::to_string(o.left) + ", R " +
         std::to_string(o.right) + ")");
  }
  movie->queryFrame();  // as the player does at open
  const compose::MultiViewPicture picture = movie::multiViewFromMovie(
      *movie, compose::spreadViewFrames(o.left, o.right, o.views), o.rightToLeft);
  if (picture.pixels.empty()) fail("the movie " + o.input + " has no frame size");
  if (!picture.unreadFrames.empty()) {
    fail("frame " + std::to_string(picture.unreadFrames.front()) + " of " + o.input +
         " could not be read");
  }
  return pictureOf(picture);
}

std::string sizeText(const plat::Surface& s) {
  return std::to_string(s.width()) + " x " + std::to_string(s.height());
}

// The views made from the picture and its depth map.
std::unique_ptr<plat::Surface> viewsFromDepthMap(const Options& o) {
  const std::unique_ptr<plat::Surface> picture = readMultiView(o.input);
  std::vector<uint16_t> levels16;  // a 16-bit map keeps its fine levels
  const std::unique_ptr<plat::Surface> grey = readMultiView(o.depthMap, &levels16);
  const int w = picture->width(), h = picture->height();
  std::string refusal;
  const views::DepthMap depth =
      views::depthFromGreyPicture({grey->row32(0), grey->width(), grey->height()}, w, h, refusal,
                                  levels16.empty() ? nullptr : levels16.data());
  if (!refusal.empty()) fail(o.depthMap + ": " + refusal);
  const double disparity = tool::disparityFor(o, w);
  tool::checkViewsFit(o, w, h);
  const compose::MultiViewPicture made =
      views::viewsFromDepth({picture->row32(0), w, h}, depth, {o.views, disparity, o.focus});
  if (made.pixels.empty()) fail("not enough memory for the views");
  return pictureOf(made);
}

struct Pair {
  std::unique_ptr<plat::Surface> left, right;
};

// The half of a side-by-side picture from column `from`.
std::unique_ptr<plat::Surface> halfOf(const plat::Surface& whole, int from) {
  std::unique_ptr<plat::Surface> half = newPicture(whole.width() / 2, whole.height());
  plat::bitBlt(*half, 0, 0, half->width(), half->height(), whole, from, 0);
  return half;
}

// A 3D camera's file: its first two pictures, each decoded as any picture file.
Pair readMpo(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    fail("cannot read " + path + ": " + plat::imageFileErrorText(plat::ImageFileError::CannotOpen));
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  constexpr std::streamoff kMaxMpoBytes = std::streamoff{1} << 30;
  if (size < 0 || size > kMaxMpoBytes)
    fail("cannot read " + path + ": not a file of at most 1 GiB");
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) fail("cannot read " + path);
  const std::vector<views::ByteRange> pictures = views::picturesInMpo(bytes.data(), bytes.size());
  if (pictures.size() < 2) {
    fail(path + " holds " + std::to_string(pictures.size()) +
         (pictures.size() == 1 ? " picture" : " pictures") +
         ": an MPO file needs two, the left eye and the right");
  }
  Pair pair;
  for (int eye = 0; eye < 2; ++eye) {
    plat::LoadedImage loaded =
        plat::loadImageBytes(bytes.data() + pictures[eye].begin, pictures[eye].size);
    if (!loaded.object) {
      fail("cannot read picture " + std::to_string(eye + 1) + " of " + path + ": " +
           plat::imageFileErrorText(loaded.reason));
    }
    (eye == 0 ? pair.left : pair.right) = toColour(std::move(loaded.object));
    if (!(eye == 0 ? pair.left : pair.right)) fail("not enough memory for " + path);
  }
  return pair;
}

Pair readPair(const Options& o) {
  Pair pair;
  if (o.pairSource == tool::PairSource::Files) {
    pair.left = readMultiView(o.input);
    pair.right = readMultiView(o.rightEye);
  } else if (o.pairSource == tool::PairSource::SideBySide) {
    const std::unique_ptr<plat::Surface> whole = readMultiView(o.input);
    if (whole->width() % 2 != 0) {
      fail(o.input + " is " + sizeText(*whole) +
           ": a side-by-side pair's halves differ in size at an odd width");
    }
    pair.left = halfOf(*whole, o.crossed ? whole->width() / 2 : 0);
    pair.right = halfOf(*whole, o.crossed ? 0 : whole->width() / 2);
  } else {
    pair = readMpo(o.input);
  }
  if (pair.left->width() != pair.right->width() || pair.left->height() != pair.right->height()) {
    fail("the left picture is " + sizeText(*pair.left) + " and the right " + sizeText(*pair.right) +
         ": a stereo pair's pictures are of one size");
  }
  return pair;
}

// The views made from a stereo pair; with --depth-out, the left eye's depth found in
// `depth`, and the line that tells its D and F in `note`.
std::unique_ptr<plat::Surface> viewsFromStereo(const Options& o,
                                               std::unique_ptr<plat::Surface>& depth,
                                               std::string& note) {
  const Pair pair = readPair(o);
  const int w = pair.left->width(), h = pair.left->height();
  tool::checkViewsFit(o, w, h);
  const compose::ConstPixelBuffer left{pair.left->row32(0), w, h};
  const compose::ConstPixelBuffer right{pair.right->row32(0), w, h};
  const views::DisparityMaps maps = views::disparityOfPair(left, right);
  if (maps.empty()) fail("not enough memory to match the pair");
  const compose::MultiViewPicture made = views::viewsFromPair(left, right, maps, o.views);
  if (made.pixels.empty()) fail("not enough memory for the views");
  if (!o.depthOut.empty()) {
    const views::DepthScale scale = views::depthScaleOf(maps);
    const views::DepthMap z = views::depthOfDisparity(maps.left, w, h, scale);
    depth = newPicture(w, h);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const auto level = static_cast<uint32_t>(std::lround(z.z[size_t(y) * w + x] * 255.0f));
        depth->row32(y)[x] = level * 0x010101u;
      }
    }
    char line[256];
    std::snprintf(
        line, sizeof line,
        "%s: the left eye's depth, for --depth LEFT DEPTH --disparity %.6g --focus %.6g\n",
        o.depthOut.c_str(), scale.disparity, scale.focus);
    note = line;
  }
  return pictureOf(made);
}

std::unique_ptr<plat::Surface> calibrationViews(const Options& o) {
  const compose::ViewSize size = compose::calibrationViewSize(o.views, o.width, o.height);
  const compose::MultiViewPicture picture =
      o.calibrationLines ? compose::calibrationLineViews(o.views, size, o.calibrationView)
                         : compose::calibrationViews(o.views, size);
  if (picture.pixels.empty()) fail("not enough memory for the calibration views");
  return pictureOf(picture);
}

// Every file is complete before any replaces anything; std::exit runs no destructors,
// so the staged files are dropped by hand before failing.
void writePictures(const std::vector<std::pair<const plat::Surface*, std::string>>& files) {
  std::vector<plat::MadeImageFile> staged;
  for (const auto& [surface, path] : files) {
    if (path.empty()) continue;
    plat::MadeImageFile file = plat::StagedImageFile::stage(*surface, path);
    if (!file) {
      staged.clear();
      fail("cannot write " + path + ": " + plat::imageFileErrorText(file.reason));
    }
    staged.push_back(std::move(file));
  }
  for (size_t i = 0, n = 0; i < files.size(); ++i) {
    if (files[i].second.empty()) continue;
    if (!staged[n++]->commit()) {
      staged.clear();
      fail("cannot write " + files[i].second);
    }
  }
}

void composePicture(const Options& o) {
  const int V = o.views;
  std::unique_ptr<plat::Surface> depth;
  std::string note;
  std::unique_ptr<plat::Surface> multiView =
      o.mode == tool::Mode::Picture      ? readMultiView(o.input)
      : o.mode == tool::Mode::MovieMarks ? multiViewFromMovie(o)
      : o.mode == tool::Mode::Depth      ? viewsFromDepthMap(o)
      : o.mode == tool::Mode::Stereo     ? viewsFromStereo(o, depth, note)
                                         : calibrationViews(o);

  // As the player does on Lenti: one band per view, each view stretched to 3W x H.
  // The composition reads the views through that resampling, so the work image
  // (3 W V x H, 5 GB at V 180, W 1920, H 1240) is made only when it is to be written.
  const compose::PixelBuffer mv = bufferOf(*multiView);
  const compose::WorkResampling views{{mv.pixels, mv.width, mv.height},
                                      multiView->width() / V,
                                      multiView->height(),
                                      o.width,
                                      o.height,
                                      V};
  const compose::LentiParams params{o.pitch, V, o.width, o.height};
  std::unique_ptr<plat::Surface> output = newPicture(o.width, o.height);  // black
  std::unique_ptr<plat::Surface> work;
  if (!o.work.empty()) {
    work = newPicture(3 * o.width * V, o.height);
    compose::buildWorkPixels(views.multiView, bufferOf(*work), views.viewWidth, views.viewHeight,
                             o.width, o.height, V);
  }
  if (o.fine()) {
    compose::composeFinePixels(views.multiView, bufferOf(*output), o.fineParams());
  } else if (o.beta()) {
    compose::composeBetaPixels(views, bufferOf(*output), params);
  } else {
    compose::composeStablePixels(views, bufferOf(*output), params);
  }
  writePictures({{output.get(), o.out},
                 {work.get(), o.work},
                 {multiView.get(), o.multiviewOut},
                 {depth.get(), o.depthOut}});
  std::fputs(note.c_str(), stdout);
}

// The settings in effect as a panel profile, once what they made is written.
void savePanel(const Options& o) {
  if (o.savePanel.empty()) return;
  const std::string why = compose::writePanelProfileFile(o.savePanel, o.panelProfile());
  if (!why.empty()) fail("cannot write " + o.savePanel + ": " + why);
}

}  // namespace

int main(int argc, char** argv) {
  // FFmpeg's own complaints about a file it cannot read would come before this tool's
  // one clear line.
  movie::silenceDecoderLog();
  const Options o = tool::parseOptions(argc, argv);
  if (o.writesMovie()) {
    const int status = tool::composeMovie(o);
    if (status == 0) savePanel(o);
    return status;
  }
  if (o.mode != tool::Mode::PanelOnly) composePicture(o);
  savePanel(o);
  return 0;
}
