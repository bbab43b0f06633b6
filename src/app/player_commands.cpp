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

void RunCommand(int index) {
  switch (index) {
    case 0:
      Player.paused = false;
      TAV_Printf("play\n");
      break;
    case 2: printProperties(); break;
    case 4: SeekAndShow(std::max(0.0, position() - 2)); break;
    case 5: DecodeAndShow(); break;
    case 6: SeekAndShow(std::max(0.0, position() - 11)); break;
    case 7: SeekAndShow(std::min(position() + 9, Player.frameCount - 1)); break;
    case 8: SeekAndShow(1); break;
    case 9: SeekAndShow(Player.frameCount - 1); break;
    case 11: BreakMovie(true); break;
    case 12:
      View_num = std::max(View_num - 1, 2);
      SetViewFrames(Player.rangeLeft, Player.rangeRight);
      break;
    case 13:
      View_num = std::min(View_num + 1, kMaxViews);
      SetViewFrames(Player.rangeLeft, Player.rangeRight);
      break;
    case 14:
      if (int p = positionAsInt(); p < Player.rangeRight) Player.rangeLeft = p;
      SetViewFrames(Player.rangeLeft, Player.rangeRight);
      break;
    case 15: SeekAndShow(Player.rangeLeft - 1); break;
    case 16:
      if (int p = positionAsInt(); p > Player.rangeLeft) Player.rangeRight = p;
      SetViewFrames(Player.rangeLeft, Player.rangeRight);
      break;
    case 17: SeekAndShow(Player.rangeRight - 1); break;
    case 18: MakeMultiView(true); break;
    case 19: MakeMultiView(false); break;
    case 20: clearOutput(); break;
    case 21: Lenti(); break;
    case 22:
      if (betaMode) {
        betaMode = false;
        ComposeStable();
      }
      break;
    case 23:
      if (!betaMode) {
        betaMode = true;
        ComposeBeta();
      }
      break;
    default: break;  // "pause" is taken while playing; 3 and 10 have no command
  }
}

}  // namespace app
