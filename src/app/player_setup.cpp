// The control panel: text window 0 for messages, the button box with the commands,
// the input box with the settings, and the defaults of the playback loop.
#include <string>

#include "app/lenticular.h"
#include "app/player.h"
#include "boxes/boxes.h"
#include "textwin/textwin.h"

namespace app {

namespace {

constexpr std::array<const char*, kInputItemCount> kInputLabels = {"Width", "Height", "Pic_num",
                                                                   "View_num", "Pitch"};

}  // namespace
}  // namespace app

void PlayerSetup() {
  using namespace app;
  TAV_OpenTextWindow(0, 216, 0, 152, 469);
  TAV_SetForeground(mainWindowHandle());
  TAV_OpenButtonBox(0, 0, 2, 12);
  if (boxes::buttonBoxWindow()) {
    for (int i = 0; i < kPlayerButtonCount; ++i) {
      if (i < boxes::buttonBoxButtonCount()) TAV_SetButtonBoxTitle(i, kPlayerButtons[i].label);
    }
  }

  Pitch = compose::kDefaultPitch;
  Height = compose::kDefaultHeight;
  Width = compose::kDefaultWidth;
  View_num = compose::kDefaultViews;
  player.lastPitch = Pitch;
  player.lastHeight = Height;
  player.lastWidth = Width;
  player.outputPosition = {0, 232};
  startRequested.store(1);

  TAV_OpenInputBox(376, 0, 5);
  if (!boxes::inputBoxWindow()) return;
  const int values[kPitchItem] = {Width, Height, builtViewCount, View_num};
  for (int i = 0; i < kInputItemCount; ++i) {
    if (i >= boxes::inputBoxItemCount()) break;
    TAV_SetInputBoxTitle(i, kInputLabels[i]);
    const std::string text = i == kPitchItem ? pitchText(Pitch) : std::to_string(values[i]);
    TAV_SetInputBoxText(i, text.c_str());
  }
}

UserTask playerTask() {
  return {PlayerSetup, PlayerMain};
}
