// The playback loop: movie selection, playing, and the command passes while paused.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cmath>

#include "app/lenticular.h"
#include "app/player.h"
#include "app/view_frames.h"
#include "boxes/boxes.h"
#include "imagewin/imagewin.h"
#include "interchange/interchange.h"
#include "platform/thread.h"
#include "textwin/textwin.h"

namespace app {

PlayerState Player;

bool ImageExists(int number) { return ImageTable[number].inUse != 0; }

bool DecodeAndShow() {
  const MovieFrame* frame = Player.capture ? Player.capture->queryFrame() : nullptr;
  if (!frame) return false;
  // Window 0 may have been closed by the user, or be smaller than this frame: only
  // the part both share is written.
  if (ImageExists(kFrameImage)) {
    const ImageWindowRecord& rec = ImageTable[kFrameImage];
    ConvertFrameToImage(*frame, reinterpret_cast<uint32_t*>(ImagePixels[kFrameImage]), rec.width,
                        rec.height);
    TAV_ShowImage(kFrameImage);
  }
  return true;
}

bool SeekAndShow(double frame) {
  if (!Player.capture) return false;
  Player.capture->setProperty(kPosFrames, frame);
  return DecodeAndShow();
}

bool TrySelectMovie() {
  char name[kFileNameBytes] = {};
  Player.path.copy(name, kFileNameBytes - 1);
  // A cancel keeps the previous name, so the last movie is tried again.
  TAV_OpenFileDialog(nullptr, name);
  Player.path = name;
  Player.capture = MovieCapture::open(Player.path);
  if (!Player.capture) {
    TAV_Printf("[%s] : Can't load .\n", Player.path.c_str());
    return false;
  }
  Player.frameCount = Player.capture->property(kFrameCount);
  Player.capture->queryFrame();  // the first frame is read, not shown
  Player.frameWidth = static_cast<int>(TruncToInt64(Player.capture->property(kFrameWidth)));
  Player.frameHeight = static_cast<int>(TruncToInt64(Player.capture->property(kFrameHeight)));
  TAV_CreateImage(kFrameImage, "DIREVO window", 376, 176, Player.frameWidth, Player.frameHeight,
                  100);
  Player.paused = false;
  Player.rangeLeft = 1;
  Player.rangeRight = static_cast<int>(TruncToInt64(Player.frameCount));
  SetViewFrames(1, Player.rangeRight);
  return true;
}

void PlayStep() {
  PumpUserMessages();
  if (!DecodeAndShow() && Player.capture) Player.capture->setProperty(kPosFrames, 0.0);
  // Checked after every pass, decoded or not, so a movie that yields no frame can
  // still be paused or left.
  if (!boxes::buttonBoxWindow()) return;
  if (boxes::buttonBoxButtonCount() > kPauseButton && TakeButtonPress(kPauseButton)) {
    TAV_Printf("pause\n");
    Player.paused = true;
  }
  if (boxes::buttonBoxButtonCount() > kBreakButton && TakeButtonPress(kBreakButton))
    BreakMovie(false);
}

void CommandPass() {
  for (int i = 0; i < kPlayerButtonCount; ++i) {
    TAV_Printf("%s", "");  // prints nothing: redraws the text window and pumps
    if (boxes::buttonBoxWindow() && i < boxes::buttonBoxButtonCount() && TakeButtonPress(i)) {
      RunCommand(i);
      // Commands latched behind a "break" wait for the next movie.
      if (Player.breakRequested) return;
    }
  }
  ReadInputBox();
}

namespace {

// The item's committed text, or null when the box has no such item.
const char* itemText(int item) {
  if (!boxes::inputBoxWindow() || item >= boxes::inputBoxItemCount()) return nullptr;
  return TAV_GetInputBoxText(item);
}

void putBack(int item, int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  TAV_SetInputBoxText(item, text);
}

// A Width or Height typed into item: above the limit the last accepted value is put
// back; anything else (0 and below included) is taken and the images are rebuilt.
void takeSize(int item, int limit, int& size, int& last) {
  const char* text = itemText(item);
  const int v = text ? std::atoi(text) : 0;
  if (v == last) return;
  if (v > limit) {
    putBack(item, last);
    return;
  }
  size = v;
  last = v;
  Player.needsRebuild = true;
}

}  // namespace

void ReadInputBox() {
  const char* pitchText = itemText(kPitchItem);
  const double p = pitchText ? std::atof(pitchText) : 0.0;
  // NaN never equals itself; it is taken once, not composed on every pass.
  if (!(p == Player.lastPitch || (std::isnan(p) && std::isnan(Player.lastPitch)))) {
    Pitch = p;
    ComposeOutput();
    Player.lastPitch = p;
  }
  takeSize(kWidthItem, kMaxWidth, Width, Player.lastWidth);
  takeSize(kHeightItem, kMaxHeight, Height, Player.lastHeight);
  if (Player.needsRebuild) {
    TAV_ResizeImage(kWorkImage, 3 * Width * builtViewCount, Height);
    BuildWorkImage(Player.viewWidth, Player.viewHeight);
    TAV_ResizeImage(kOutputImage, Width, Height);
    ComposeOutput();
    Player.needsRebuild = false;
  }
}

void ComposeOutput() {
  ++Player.composeCount;
  Compose();
}

void resetPlayer() { Player = PlayerState{}; }

}  // namespace app

void SetViewFrames(int left, int right) {
  using app::Player;
  const int v = app::View_num;
  const std::vector<int> frames = app::SpreadViewFrames(left, right, v);
  std::copy(frames.begin(), frames.end(), Player.viewFrames.begin());
  TAV_Printf("L:%d R:%d\n", left, right);
  TAV_Printf("num:%d\n", v);
  TAV_Printf("dt:%f\n", static_cast<double>(right - left) / v);
}

int PauseTick() {
  const int64_t start = plat::performanceCounter();
  const double msPerCount = 1000.0 / static_cast<double>(plat::performanceFrequency());
  for (;;) {
    const double elapsed = std::floor(static_cast<double>(plat::performanceCounter() - start) *
                                          msPerCount +
                                      0.5);
    if (elapsed >= 100) return 0;
    PumpUserMessages();
    if (stopRequested.load() != 0) return 1;
  }
}

void PlayerMain() {
  using app::Player;
  for (;;) {
    while (!app::TrySelectMovie()) {
    }
    Player.breakRequested = false;
    while (!Player.breakRequested) {
      if (!Player.paused && stopRequested.load() == 0) {
        app::PlayStep();
        continue;
      }
      app::CommandPass();
      if (!Player.breakRequested) PauseTick();
    }
  }
}
