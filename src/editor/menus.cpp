// The two popup menus of an image window, built anew each time from these tables.
#include <span>

#include "base/ids.h"
#include "editor/editor.h"

namespace editor {

namespace {

namespace id = ids::image;

// label null: a separator. checkedAtZoom: the zoom at which the entry carries a check.
struct Entry {
  const char* label = nullptr;
  int id = 0;
  int checkedAtZoom = 0;
};

// ImageMenu, opened by the right button: positions are the order here.
constexpr Entry kImageMenu[] = {
    {"Cut\tCtrl+X", id::kCut},
    {"Copy\tCtrl+C", id::kCopy},
    {"Paste\tCtrl+V", id::kPaste},
    {},
    {"&Load image file", id::kLoadFile},
    {"&Save as", id::kSaveAs},
    {},
    {"Zoom: 50%", id::kZoom50, 50},
    {"Zoom:100%\tCtrl+0", id::kZoom100, 100},
    {"Zoom:200%", id::kZoom200, 200},
    {"&Zoom...", id::kTypedZoom},
    {},
    {"&Resize...", id::kTypedResize},
    {"&Destroy\tCtrl+Q", id::kDestroy},
};

constexpr Entry kProcess[] = {
    {"Invert", id::kInvert},
    {},
    {"R. Rotate", id::kRightRotate},
    {"L. Rotate", id::kLeftRotate},
    {},
    {"Horz. Flip", id::kHorizontalFlip},
    {"Vert. Flip", id::kVerticalFlip},
    {},
    {"Size 50.0%", id::kSize50},
    {"Size 70.7%", id::kSize70},
    {"Size 141.4%", id::kSize141},
    {"Size 200.0%", id::kSize200},
};
constexpr Entry kInformation32[] = {
    {"Pixel", id::kPixel},           {"Line(RGB)", id::kLineRgb},   {"Line(HSV)", id::kLineHsv},
    {"Line(YCrCb)", id::kLineYCrCb}, {"Line(CrCb)", id::kLineCrCb}, {},
    {"Area(CrCb)", id::kAreaCrCb},
};
constexpr Entry kInformation8[] = {
    {"Pixel", id::kPixel},
    {"Line(Lumi)", id::kLineLuminance},
};
constexpr Entry kTestPattern[] = {
    {"RGB", id::kPatternRgb}, {"HSV", id::kPatternHsv}, {"YCrCb", id::kPatternYCrCb},
    {"Yuv", id::kPatternYuv}, {"YIQ", id::kPatternYiq}, {"Grey", id::kPatternGrey},
};
constexpr Entry kColor[] = {{"Change", id::kColorChange}, {"Pick", id::kColorPick}};
constexpr Entry kDrawLine[] = {
    {"Normal", id::kLineNormal}, {"Horz.", id::kLineHorizontal}, {"Vert.", id::kLineVertical}};
constexpr Entry kDrawBox[] = {
    {"Normal", id::kBoxNormal}, {"Fill", id::kBoxFill}, {"Fill XOR", id::kBoxFillXor}};
constexpr Entry kDrawCircle[] = {
    {"Normal", id::kCircleNormal}, {"Fill", id::kCircleFill}, {"Fill XOR", id::kCircleFillXor}};
constexpr Entry kTrueType[] = {{"Draw", id::kTrueTypeDraw}, {"Font Change", id::kFontChange}};

// ProcessMenu, opened by the middle button or by the right button with Ctrl. An entry
// with a submenu has no identifier; the Information submenu follows the depth.
struct ProcessEntry {
  const char* label = nullptr;
  int id = 0;
  std::span<const Entry> sub32 = {};
  std::span<const Entry> sub8 = {};  // empty: as for 32 bits
};
constexpr ProcessEntry kProcessMenu[] = {
    {"Process...", 0, kProcess},
    {},
    {"Information...", 0, kInformation32, kInformation8},
    {},
    {"Test Pattern...", 0, kTestPattern},
    {},
    {"Clipping\tCtrl+R", id::kClipping},
    {},
    {"Color...", 0, kColor},
    {"Draw Line...", 0, kDrawLine},
    {"Draw Box...", 0, kDrawBox},
    {"Draw Circle...", 0, kDrawCircle},
    {"TrueType...", 0, kTrueType},
    {"Draw Text", id::kDrawText},
    {"Paint", id::kPaint},
};

plat::Menu menuOf(std::span<const Entry> entries, int zoom) {
  plat::Menu m;
  for (const Entry& e : entries) {
    if (!e.label)
      m.separator();
    else
      m.add(e.label, e.id, false, e.checkedAtZoom != 0 && e.checkedAtZoom == zoom);
  }
  return m;
}

}  // namespace

plat::Menu imageMenu(int zoom) {
  return menuOf(kImageMenu, zoom);
}

plat::Menu processMenu(int bits) {
  plat::Menu m;
  for (const ProcessEntry& e : kProcessMenu) {
    if (!e.label) {
      m.separator();
      continue;
    }
    const std::span<const Entry> sub = bits == 8 && !e.sub8.empty() ? e.sub8 : e.sub32;
    if (sub.empty())
      m.add(e.label, e.id);
    else
      m.sub(e.label, menuOf(sub, 0));
  }
  return m;
}

}  // namespace editor
