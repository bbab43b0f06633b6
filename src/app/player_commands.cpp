// The 24 commands of the button box, and the steps they share: making the multi-view
// image, Lenti, break and clear.
#include <algorithm>
#include <cmath>

#include "app/lenticular.h"
#include "app/player.h"
#include "imagewin/imagewin.h"
#include "platform/window.h"
#include "textwin/textwin.h"

namespace app {

namespace {

double position() { return Player.capture ? Player.capture->property(kPosFrames) : 0.0; }

void rememberOutputPosition() {
  const plat::Rect r = plat::getWindowRect(ImageTable[kOutputImage].window);
  Player.outputPosition = {r.left, r.top};
}

// Destroys the work and output images, keeping where the output stood.
void clearOutput() {
  if (!ImageExists(kOutputImage)) return;
  rememberOutputPosition();
  TAV_DestroyImage(kOutputImage);
  TAV_DestroyImage(kWorkImage);
}

void printProperties() {
  static constexpr const char* kFormats[kMoviePropertyCount] = {
      "POS_MSEC: %f\n", "POS_FRAMES: %f\n", "POS_AVI_RATIO: %f\n", "FRAME_WIDTH: %f\n",
      "FRAME_HEIGHT: %f\n", "FPS: %f\n", "FOURCC: %f\n", "FRAME_COUNT: %f\n"};
  for (int id = 0; id < kMoviePropertyCount; ++id) {
    TAV_Printf(kFormats[id], Player.capture ? Player.capture->property(id) : 0.0);
  }
}

int positionAsInt() { return static_cast<int>(TruncToInt64(position())); }

}  // namespace

void BreakMovie(bool rememberOutput) {
  if (rememberOutput && ImageExists(kOutputImage)) rememberOutputPosition();
  for (int n = kFrameImage; n <= kOutputImage; ++n) {
    if (ImageExists(n)) TAV_DestroyImage(n);
  }
  Player.capture.reset();  // the movie left behind is released
  Player.breakRequested = true;
}

void MakeMultiView(bool rightToLeft) {
  clearOutput();
  if (ImageExists(kMultiViewImage)) TAV_DestroyImage(kMultiViewImage);
  const int v = View_num;
  TAV_CreateImage(kMultiViewImage, "Multi View", 0, 452, v * Player.frameWidth, Player.frameHeight,
                  100);
  TAV_SelectImage(kMultiViewImage);
  for (int step = 0; step <= v; ++step) {
    const int view = rightToLeft ? v - step : step;
    SeekAndShow(Player.viewFrames[view] - 1);
    TAV_SelectImage(kMultiViewImage);
    // The frame buffer is window 0's; without it there is nothing to copy.
    if (!ImageExists(kFrameImage)) continue;
    const ImageWindowRecord& frame = ImageTable[kFrameImage];
    const int x = (rightToLeft ? v - view : view) * Player.frameWidth;
    TAV_PutImageBlock(ImagePixels[kFrameImage], x, frame.width, frame.height);
  }
  TAV_ShowImage(kMultiViewImage);
  Lenti();
}

void Lenti() {
  if (!ImageExists(kMultiViewImage)) return;
  const int v = View_num;
  auto takeViewSize = [v] {
    builtViewCount = v;
    Player.viewWidth = ImageTable[kMultiViewImage].width / v;
    Player.viewHeight = ImageTable[kMultiViewImage].height;
  };
  if (ImageExists(kOutputImage)) {
    if (builtViewCount != v) {
      takeViewSize();
      TAV_ResizeImage(kWorkImage, 3 * Width * v, Height);
    }
  } else {
    takeViewSize();
    TAV_CreateImage(kWorkImage, "work", 0, 690, 3 * Width * v, Height, 10);
    TAV_CreateImage(kOutputImage, "Hello,there!", Player.outputPosition.left,
                    Player.outputPosition.top, Width, Height, 100);
  }
  BuildWorkImage(Player.viewWidth, Player.viewHeight);
  TAV_ShowImage(kWorkImage);
  ComposeOutput();
}

namespace {

void play() {
  Player.paused = false;
  TAV_Printf("play\n");
}
void stepBack() { SeekAndShow(std::max(0.0, position() - 2)); }
void stepForward() { DecodeAndShow(); }
void tenBack() { SeekAndShow(std::max(0.0, position() - 11)); }
void tenForward() { SeekAndShow(std::min(position() + 9, Player.frameCount - 1)); }
void toStart() { SeekAndShow(1); }
void toEnd() { SeekAndShow(Player.frameCount - 1); }
void breakMovie() { BreakMovie(true); }
void fewerViews() {
  View_num = std::max(View_num - 1, kMinViews);
  SetViewFrames(Player.rangeLeft, Player.rangeRight);
}
void moreViews() {
  View_num = std::min(View_num + 1, kMaxViews);
  SetViewFrames(Player.rangeLeft, Player.rangeRight);
}
void markLeft() {
  if (int p = positionAsInt(); p < Player.rangeRight) Player.rangeLeft = p;
  SetViewFrames(Player.rangeLeft, Player.rangeRight);
}
void gotoLeft() { SeekAndShow(Player.rangeLeft - 1); }
void markRight() {
  if (int p = positionAsInt(); p > Player.rangeLeft) Player.rangeRight = p;
  SetViewFrames(Player.rangeLeft, Player.rangeRight);
}
void gotoRight() { SeekAndShow(Player.rangeRight - 1); }
void makeRightToLeft() { MakeMultiView(true); }
void makeLeftToRight() { MakeMultiView(false); }
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
    {"play", play},             {"pause", nullptr},      // taken while playing
    {"prop", printProperties},  {"", nullptr},
    {"<", stepBack},            {">", stepForward},
    {"< 10", tenBack},          {"> 10", tenForward},
    {"<<", toStart},            {">>", toEnd},
    {"", nullptr},              {"break", breakMovie},
    {"View_num-", fewerViews},  {"View_num+", moreViews},
    {"mark<", markLeft},        {"goto<", gotoLeft},
    {"mark>", markRight},       {"goto>", gotoRight},
    {"make<", makeRightToLeft}, {"make>", makeLeftToRight},
    {"clear", clearOutput},     {"Lenti", Lenti},
    {"stable", useStable},      {"Beta", useBeta},
}};

void RunCommand(int index) {
  if (index < 0 || index >= kPlayerButtonCount) return;
  if (void (*run)() = kPlayerButtons[index].run) run();
}

}  // namespace app
