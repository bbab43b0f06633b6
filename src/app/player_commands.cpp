// The 24 commands of the button box, and the steps they share: making the multi-view
// image, Lenti, break and clear.
#include <algorithm>
#include <cmath>
#include <vector>

#include "app/lenticular.h"
#include "app/player.h"
#include "imagewin/imagewin.h"
#include "movie/movie_views.h"
#include "platform/window.h"
#include "textwin/textwin.h"

namespace app {

namespace {

double position() {
  return player.capture ? player.capture->property(movie::kPosFrames) : 0.0;
}

void rememberOutputPosition() {
  const plat::Rect r = plat::getWindowRect(ImageTable[kOutputImage].window);
  player.outputPosition = {r.left, r.top};
}

// Destroys the work and output images, keeping where the output stood.
void clearOutput() {
  if (!imageExists(kOutputImage)) return;
  rememberOutputPosition();
  TAV_DestroyImage(kOutputImage);
  TAV_DestroyImage(kWorkImage);
}

void printProperties() {
  static constexpr const char* kFormats[movie::kMoviePropertyCount] = {
      "POS_MSEC: %f\n",     "POS_FRAMES: %f\n", "POS_AVI_RATIO: %f\n", "FRAME_WIDTH: %f\n",
      "FRAME_HEIGHT: %f\n", "FPS: %f\n",        "FOURCC: %f\n",        "FRAME_COUNT: %f\n"};
  for (int id = 0; id < movie::kMoviePropertyCount; ++id) {
    TAV_Printf(kFormats[id], player.capture ? player.capture->property(id) : 0.0);
  }
}

int positionAsInt() {
  return static_cast<int>(compose::truncToInt64(position()));
}

}  // namespace

void breakMovie(bool rememberOutput) {
  if (rememberOutput && imageExists(kOutputImage)) rememberOutputPosition();
  for (int n = kFrameImage; n <= kOutputImage; ++n) {
    if (imageExists(n)) TAV_DestroyImage(n);
  }
  player.capture.reset();  // the movie left behind is released
  player.breakRequested = true;
}

// The views' frames are read in ascending order, each shown in window 0 and copied to
// the column its view has in this order; window 0 and the movie's position end as the
// order leaves them, on the frame of the view it takes last.
void makeMultiView(bool rightToLeft) {
  clearOutput();
  if (imageExists(kMultiViewImage)) TAV_DestroyImage(kMultiViewImage);
  const int v = View_num;
  TAV_CreateImage(kMultiViewImage, "Multi View", 0, 452, v * player.frameWidth, player.frameHeight,
                  100);
  TAV_SelectImage(kMultiViewImage);
  const std::vector<int> frames(player.viewFrames.begin(), player.viewFrames.begin() + v + 1);
  std::vector<int> unreadViews;
  auto place = [&](int view, const movie::MovieFrame* frame) {
    TAV_SelectImage(kMultiViewImage);
    if (!frame) {
      // Nothing new to copy: the frame buffer still holds the last frame read.
      unreadViews.push_back(view);
      return;
    }
    showFrame(*frame);
    TAV_SelectImage(kMultiViewImage);
    // The frame buffer is window 0's; without it there is nothing to copy.
    if (!imageExists(kFrameImage)) return;
    const ImageWindowRecord& window0 = ImageTable[kFrameImage];
    TAV_PutImageBlock(ImagePixels[kFrameImage],
                      movie::viewColumn(view, v, player.frameWidth, rightToLeft), window0.width,
                      window0.height);
  };
  if (player.capture) {
    ensureFrameWindow();
    movie::takeViewFrames(*player.capture, frames, rightToLeft, place);
  } else {
    for (int view = 0; view <= v; ++view) place(view, nullptr);
  }
  // Told in the order the views are taken: make< from the highest down.
  std::sort(unreadViews.begin(), unreadViews.end());
  if (rightToLeft) std::reverse(unreadViews.begin(), unreadViews.end());
  for (const int view : unreadViews) TAV_Printf("frame %d could not be read\n", frames[view]);
  TAV_ShowImage(kMultiViewImage);
  lenti();
}

void lenti() {
  if (!imageExists(kMultiViewImage)) return;
  const int v = View_num;
  auto takeViewSize = [v] {
    builtViewCount = v;
    player.viewWidth = ImageTable[kMultiViewImage].width / v;
    player.viewHeight = ImageTable[kMultiViewImage].height;
  };
  if (imageExists(kOutputImage)) {
    // A work window the user closed comes back where it opens.
    if (builtViewCount != v || !imageExists(kWorkImage)) {
      takeViewSize();
      fitWorkWindow();
    }
  } else {
    takeViewSize();
    fitWorkWindow();
    TAV_CreateImage(kOutputImage, "Hello,there!", player.outputPosition.left,
                    player.outputPosition.top, Width, Height, 100);
  }
  BuildWorkImage(player.viewWidth, player.viewHeight);
  TAV_ShowImage(kWorkImage);
  composeOutput();
}

namespace {

void play() {
  player.paused = false;
  TAV_Printf("play\n");
}
void stepBack() {
  seekAndShow(std::max(0.0, position() - 2));
}
// At the end of the movie there is no next frame: the position stays on the last one.
void stepForward() {
  ensureFrameWindow();
  if (!decodeAndShow() && player.capture)
    player.capture->setProperty(movie::kPosFrames, player.frameCount - 1);
}
void tenBack() {
  seekAndShow(std::max(0.0, position() - 11));
}
void tenForward() {
  seekAndShow(std::min(position() + 9, player.frameCount - 1));
}
void toStart() {
  seekAndShow(1);
}
void toEnd() {
  seekAndShow(player.frameCount - 1);
}
void breakCommand() {
  breakMovie(true);
}
void fewerViews() {
  View_num = std::max(View_num - 1, compose::kMinViews);
  SetViewFrames(player.rangeLeft, player.rangeRight);
}
void moreViews() {
  View_num = std::min(View_num + 1, compose::kMaxViews);
  SetViewFrames(player.rangeLeft, player.rangeRight);
}
void markLeft() {
  if (int p = positionAsInt(); p < player.rangeRight) player.rangeLeft = p;
  SetViewFrames(player.rangeLeft, player.rangeRight);
}
void gotoLeft() {
  seekAndShow(player.rangeLeft - 1);
}
void markRight() {
  if (int p = positionAsInt(); p > player.rangeLeft) player.rangeRight = p;
  SetViewFrames(player.rangeLeft, player.rangeRight);
}
void gotoRight() {
  seekAndShow(player.rangeRight - 1);
}
void makeRightToLeft() {
  makeMultiView(true);
}
void makeLeftToRight() {
  makeMultiView(false);
}
void useStable() {
  if (!betaMode) return;
  betaMode = false;
  ComposeStable();
}
void useBeta() {
  if (betaMode) return;
  betaMode = true;
  ComposeBeta();
}

}  // namespace

const std::array<PlayerButton, kPlayerButtonCount> kPlayerButtons = {{
    {"play", play},
    {"pause", nullptr},  // taken while playing
    {"prop", printProperties},
    {"", nullptr},
    {"<", stepBack},
    {">", stepForward},
    {"< 10", tenBack},
    {"> 10", tenForward},
    {"<<", toStart},
    {">>", toEnd},
    {"", nullptr},
    {"break", breakCommand},
    {"View_num-", fewerViews},
    {"View_num+", moreViews},
    {"mark<", markLeft},
    {"goto<", gotoLeft},
    {"mark>", markRight},
    {"goto>", gotoRight},
    {"make<", makeRightToLeft},
    {"make>", makeLeftToRight},
    {"clear", clearOutput},
    {"Lenti", lenti},
    {"stable", useStable},
    {"Beta", useBeta},
}};

void runCommand(int index) {
  if (index < 0 || index >= kPlayerButtonCount) return;
  if (void (*run)() = kPlayerButtons[index].run) run();
}

}  // namespace app
