// The inspection commands of the image windows: pick in the window, then read out or
// plot. A cancelled or refused pick ends a command with nothing done.
#include "base/action.h"
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

namespace {

using InspectionAction = action::Row<int (*)(int number)>;

constexpr InspectionAction kInspections[] = {
    {ids::image::kPixel, nullptr, {}, showPixel},
    {ids::image::kLineRgb, nullptr, {}, [](int n) { return showProfile(n, Profile::Rgb); }},
    {ids::image::kLineHsv, nullptr, {}, [](int n) { return showProfile(n, Profile::Hsv); }},
    {ids::image::kLineYCrCb, nullptr, {}, [](int n) { return showProfile(n, Profile::YCrCb); }},
    {ids::image::kLineLuminance,
     nullptr,
     {},
     [](int n) { return showProfile(n, Profile::Luminance); }},
    {ids::image::kLineCrCb, nullptr, {}, showRowChroma},
    {ids::image::kAreaCrCb, nullptr, {}, showAreaChroma},
};

}  // namespace

int runInspection(int commandId, int number) {
  const InspectionAction* row =
      action::findById(std::span<const InspectionAction>(kInspections), commandId);
  return row ? row->run(number) : -1;
}

}  // namespace inspection
