// The playback loop: movie selection, playing, and the command passes while paused.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/lenticular.h"
#include "app/player.h"
#include "boxes/boxes.h"
#include "compose/typed_number.h"
#include "compose/view_frames.h"
#include "core/library.h"
#include "imagewin/imagewin.h"
#include "interchange/interchange.h"
#include "platform/message.h"
#include "platform/thread.h"
#include "platform/window.h"
#include "textwin/textwin.h"

namespace app {

PlayerState player;

namespace {
// resetLibrary returns the player to its start state too.
[[maybe_unused]] const bool resetRegistered = (addLibraryReset(resetPlayer), true);
}  // namespace

bool imageExists(int number) {
  return ImageTable[number].inUse != 0;
}

void showFrame(const movie::MovieFrame& frame) {
  // Window 0 may have been closed by the user, or be smaller than this frame: only
  // the part both share is written.
  if (!imageExists(kFrameImage)) return;
  const ImageWindowRecord& rec = ImageTable[kFrameImage];
  const plat::Rect place = plat::getWindowRect(rec.window);
  player.framePosition = {place.left, place.top};
  movie::convertFrameToImage(frame, reinterpret_cast<uint32_t*>(ImagePixels[kFrameImage]),
                             rec.width, rec.height);
  TAV_ShowImage(kFrameImage);
}

bool decodeAndShow() {
  const movie::MovieFrame* frame = player.capture ? player.capture->queryFrame() : nullptr;
  if (!frame) return false;
  showFrame(*frame);
  return true;
}

void ensureFrameWindow() {
  if (!player.capture || imageExists(kFrameImage)) return;
  TAV_CreateImage(kFrameImage, "DIREVO window", player.framePosition.left, player.framePosition.top,
                  player.frameWidth, player.frameHeight, 100);
}

bool seekAndShow(double frame) {
  if (!player.capture) return false;
  ensureFrameWindow();
  player.capture->setProperty(movie::kPosFrames, frame);
  return decodeAndShow();
}

bool trySelectMovie() {
  char name[kFileNameBytes] = {};
  player.path.copy(name, kFileNameBytes - 1);
  // A cancel keeps the previous name, so the last movie is tried again.
  TAV_OpenFileDialog(nullptr, name);
  player.path = name;
  player.capture = movie::MovieCapture::open(player.path);
  if (!player.capture) {
    TAV_Printf("[%s] : Can't load .\n", player.path.c_str());
    return false;
  }
  player.frameCount = player.capture->property(movie::kFrameCount);
  player.capture->queryFrame();  // the first frame is read, not shown
  player.frameWidth =
      static_cast<int>(compose::truncToInt64(player.capture->property(movie::kFrameWidth)));
  player.frameHeight =
      static_cast<int>(compose::truncToInt64(player.capture->property(movie::kFrameHeight)));
  player.framePosition = kFrameWindowPlace;
  TAV_CreateImage(kFrameImage, "DIREVO window", kFrameWindowPlace.left, kFrameWindowPlace.top,
                  player.frameWidth, player.frameHeight, 100);
  player.paused = false;
  player.rangeLeft = 1;
  player.rangeRight = static_cast<int>(compose::truncToInt64(player.frameCount));
  SetViewFrames(1, player.rangeRight);
  return true;
}

void playStep() {
  PumpUserMessages();
  if (!decodeAndShow() && player.capture) player.capture->setProperty(movie::kPosFrames, 0.0);
  // Checked after every pass, decoded or not, so a movie that yields no frame can
  // still be paused or left.
  if (!boxes::buttonBoxWindow()) return;
  if (boxes::buttonBoxButtonCount() > kPauseButton && takeButtonPress(kPauseButton)) {
    TAV_Printf("pause\n");
    player.paused = true;
  }
  if (boxes::buttonBoxButtonCount() > kBreakButton && takeButtonPress(kBreakButton))
    breakMovie(false);
}

void commandPass() {
  for (int i = 0; i < kPlayerButtonCount; ++i) {
    TAV_Printf("%s", "");  // prints nothing: redraws the text window and pumps
    if (boxes::buttonBoxWindow() && i < boxes::buttonBoxButtonCount() && takeButtonPress(i)) {
      runCommand(i);
      // Commands latched behind a "break" wait for the next movie.
      if (player.breakRequested) return;
    }
  }
  readInputBox();
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

// Whether an output picture of this size can be shown at some zoom within the window
// limits; a size that cannot would leave the old picture standing, stale.
bool showable(int width, int height) {
  return width >= 1 && height >= 1 && FitZoom(width, height, 100, GetSizeLimits(1));
}

// A Width or Height typed into item: above the limit the last accepted value is put
// back; so is a size no output window can show (0, negative and not a number among
// them), with a line saying why; anything else is taken and the images are rebuilt.
// Without the item (the input box is closed) the setting stays as it is.
void takeSize(InputItem item, int limit, int& size, int& last) {
  const char* text = itemText(item);
  if (!text) return;
  const int v = std::atoi(text);
  if (v == last) return;
  if (v > limit) {
    putBack(item, last);
    return;
  }
  const int width = item == kWidthItem ? v : Width;
  const int height = item == kHeightItem ? v : Height;
  if (!showable(width, height)) {
    TAV_Printf("%s \"%s\": no window can show a %d x %d picture; %d kept\n",
               item == kWidthItem ? "Width" : "Height", text, width, height, last);
    putBack(item, last);
    return;
  }
  size = v;
  last = v;
  player.needsRebuild = true;
}

// The Pitch typed into its item, read as atof reads it; a value that is not finite
// (nan, inf, -inf, or beyond a double's range) would leave the picture un-interleaved,
// so the last accepted Pitch is put back with a line saying why.
void takePitch() {
  const char* text = itemText(kPitchItem);
  if (!text) return;
  const compose::TypedNumber typed =
      compose::readFiniteNumber(text, compose::NumberReading::Leading);
  if (!typed) {
    const std::string kept = pitchText(player.lastPitch);
    TAV_Printf("Pitch \"%s\": %s; %s kept\n", text, compose::refusalWords(typed.refusal).c_str(),
               kept.c_str());
    TAV_SetInputBoxText(kPitchItem, kept.c_str());
    return;
  }
  if (typed.value == player.lastPitch) return;
  Pitch = typed.value;
  composeOutput();
  player.lastPitch = typed.value;
}

}  // namespace

std::string pitchText(double pitch) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", pitch);
  // A Pitch typed with more digits is put back as it was taken, so that reading it
  // again changes nothing.
  if (std::strtod(text, nullptr) != pitch) std::snprintf(text, sizeof text, "%.17g", pitch);
  return text;
}

void readInputBox() {
  takePitch();
  takeSize(kWidthItem, compose::kMaxWidth, Width, player.lastWidth);
  takeSize(kHeightItem, compose::kMaxHeight, Height, player.lastHeight);
  if (player.needsRebuild) {
    // Only once Lenti has made the pictures; until then there is nothing to resize.
    if (imageExists(kWorkImage) || imageExists(kOutputImage)) fitWorkWindow();
    BuildWorkImage(player.viewWidth, player.viewHeight);
    TAV_ResizeImage(kOutputImage, Width, Height);
    composeOutput();
    player.needsRebuild = false;
  }
}

void composeOutput() {
  ++player.composeCount;
  compose();
}

void resetPlayer() {
  player = PlayerState{};
}

}  // namespace app

void SetViewFrames(int left, int right) {
  using app::player;
  const int v = app::View_num;
  const std::vector<int> frames = compose::spreadViewFrames(left, right, v);
  std::copy(frames.begin(), frames.end(), player.viewFrames.begin());
  TAV_Printf("L:%d R:%d\n", left, right);
  TAV_Printf("num:%d\n", v);
  TAV_Printf("dt:%f\n", static_cast<double>(right - left) / v);
}

int PauseTick() {
  const int64_t start = plat::performanceCounter();
  const double msPerCount = 1000.0 / static_cast<double>(plat::performanceFrequency());
  for (;;) {
    const double elapsed =
        std::floor(static_cast<double>(plat::performanceCounter() - start) * msPerCount + 0.5);
    if (elapsed >= 100) return 0;
    PumpUserMessages();
    if (stopRequested.load() != 0) {
      // Stopped, passes follow each other at once; without a message each would
      // change nothing, so the next one waits for a message or the tick's length.
      // After Exit nothing is waited for.
      if (quitRequested.load() == 0) plat::waitForMessage(100);
      return 1;
    }
    plat::waitForMessage(static_cast<int>(100 - elapsed));
  }
}

// Exit ends the routine at its next pass, so that the worker ends by itself at once
// rather than being let go after Exit's wait for it. Whatever a pass is doing (a
// picture saved, a line printed) is finished first.
void PlayerMain() {
  using app::player;
  auto exiting = [] { return quitRequested.load() != 0; };
  for (;;) {
    do {
      if (exiting()) return;
    } while (!app::trySelectMovie());
    player.breakRequested = false;
    while (!player.breakRequested) {
      if (exiting()) return;
      if (!player.paused && stopRequested.load() == 0) {
        app::playStep();
        continue;
      }
      app::commandPass();
      if (!player.breakRequested) PauseTick();
    }
  }
}
