// The inspection commands of the image windows: pick in the window, then read out or
// plot. A cancelled or refused pick ends a command with nothing done.
#include "base/ids.h"
#include "imaging/pick.h"
#include "inspection/inspection.h"

namespace inspection {

int showPixel(int number) {
  int x = 0, y = 0;
  const int picked = TAV_PickPoint(number, x, y);
  if (picked == kPickDone) printPixelReadout(x, y);
  return picked;
}

int showProfile(int number, Profile profile) {
  int x = 0, y = 0;
  const int picked = TAV_PickRow(number, x, y);
  if (picked == kPickDone) plotProfile(profile, y);
  return picked;
}

int showRowChroma(int number) {
  int x = 0, y = 0;
  const int picked = TAV_PickRow(number, x, y);
  if (picked == kPickDone) plotRowChroma(y);
  return picked;
}

int showAreaChroma(int number) {
  int left = 0, top = 0, right = 0, bottom = 0;
  const int picked = TAV_PickRect(number, left, top, right, bottom);
  if (picked == kPickDone) plotAreaChroma(left, top, right, bottom);
  return picked;
}

int runInspection(int commandId, int number) {
  switch (commandId) {
    case ids::image::kPixel:
      return showPixel(number);
    case ids::image::kLineRgb:
      return showProfile(number, Profile::Rgb);
    case ids::image::kLineHsv:
      return showProfile(number, Profile::Hsv);
    case ids::image::kLineYCrCb:
      return showProfile(number, Profile::YCrCb);
    case ids::image::kLineLuminance:
      return showProfile(number, Profile::Luminance);
    case ids::image::kLineCrCb:
      return showRowChroma(number);
    case ids::image::kAreaCrCb:
      return showAreaChroma(number);
    default:
      return -1;
  }
}

}  // namespace inspection
