// The two popup menus of an image window, built anew each time from these tables, and
// the commands behind them.
#include "base/ids.h"
#include "editor/commands.h"
#include "editor/editor.h"
#include "editor/image_actions.h"
#include "imagewin/imagewin.h"
#include "imaging/imaging.h"
#include "platform/types.h"

namespace editor {

namespace {

namespace id = ids::image;
using action::ctrlKey;

constexpr unsigned Sel = kSelectFirst;
constexpr unsigned Inv = kRedrawAfter;
constexpr ImageAction kSeparator{};

// ImageMenu: positions are the order here.
constexpr ImageAction kImageMenu[] = {
    {id::kCut, "Cut", ctrlKey('X'), cutImage},
    {id::kCopy, "Copy", ctrlKey('C'), copyImage},
    // Ctrl+V pastes at the origin instead (the key's own command below).
    {id::kPaste, "Paste", ctrlKey('V'), pasteAtPickedPlace},
    kSeparator,
    {id::kLoadFile, "&Load image file", {}, loadImageFile, Sel | Inv},
    {id::kSaveAs, "&Save as", {}, saveImageAs, Sel},
    kSeparator,
    {id::kZoom50, "Zoom: 50%", {}, [](int n) { TAV_SetImageZoom(50, n); }, 0, 50},
    {id::kZoom100, "Zoom:100%", ctrlKey(plat::vk::Numpad0), [](int n) { TAV_SetImageZoom(100, n); },
     0, 100},
    {id::kZoom200, "Zoom:200%", {}, [](int n) { TAV_SetImageZoom(200, n); }, 0, 200},
    {id::kTypedZoom, "&Zoom...", {}, [](int n) { imagewin::typedZoom(n); }},
    kSeparator,
    {id::kTypedResize, "&Resize...", {}, [](int n) { imagewin::typedResize(n); }},
    {id::kDestroy, "&Destroy", ctrlKey('Q'), [](int n) { TAV_DestroyImage(n); }},
};

constexpr ImageAction kKeyOnly[] = {
    {id::kPasteAtOrigin, nullptr, ctrlKey('V'), pasteAtOrigin},
};

constexpr ImageAction kProcess[] = {
    {id::kInvert, "Invert", {}, invert},
    kSeparator,
    {id::kRightRotate, "R. Rotate", {}, rotateRight, Sel},
    {id::kLeftRotate, "L. Rotate", {}, rotateLeft, Sel},
    kSeparator,
    {id::kHorizontalFlip, "Horz. Flip", {}, flipHorizontally},
    {id::kVerticalFlip, "Vert. Flip", {}, flipVertically},
    kSeparator,
    {id::kSize50, "Size 50.0%", {}, size50, Sel},
    {id::kSize70, "Size 70.7%", {}, size70, Sel},
    {id::kSize141, "Size 141.4%", {}, size141, Sel},
    {id::kSize200, "Size 200.0%", {}, size200, Sel},
};
// The inspection layer runs these identifiers (see runImageCommand): no function here.
constexpr unsigned Only32 = kOnly32Bits;
constexpr ImageAction kInformation[] = {
    {id::kPixel, "Pixel"},
    {id::kLineRgb, "Line(RGB)", {}, nullptr, Only32},
    {id::kLineHsv, "Line(HSV)", {}, nullptr, Only32},
    {id::kLineYCrCb, "Line(YCrCb)", {}, nullptr, Only32},
    {id::kLineCrCb, "Line(CrCb)", {}, nullptr, Only32},
    {.flags = Only32},
    {id::kAreaCrCb, "Area(CrCb)", {}, nullptr, Only32},
    {id::kLineLuminance, "Line(Lumi)", {}, nullptr, kOnly8Bits},
};
constexpr ImageAction kTestPattern[] = {
    {id::kPatternRgb, "RGB", {}, [](int) { TAV_PatternRGB(); }, Sel | Inv},
    {id::kPatternHsv, "HSV", {}, [](int) { TAV_PatternHSV(); }, Sel | Inv},
    {id::kPatternYCrCb, "YCrCb", {}, [](int) { TAV_PatternYCrCb(); }, Sel | Inv},
    {id::kPatternYuv, "Yuv", {}, [](int) { TAV_PatternYuv(); }, Sel | Inv},
    {id::kPatternYiq, "YIQ", {}, [](int) { TAV_PatternYIQ(); }, Sel | Inv},
    {id::kPatternGrey, "Grey", {}, [](int) { TAV_PatternGrey(); }, Sel | Inv},
};
constexpr ImageAction kColor[] = {
    {id::kColorChange, "Change", {}, changeColor},
    {id::kColorPick, "Pick", {}, pickColor},
};
constexpr ImageAction kDrawLine[] = {
    {id::kLineNormal, "Normal", {}, drawLine, Sel | Inv},
    {id::kLineHorizontal, "Horz.", {}, drawRowLine, Sel | Inv},
    {id::kLineVertical, "Vert.", {}, drawColumnLine, Sel | Inv},
};
constexpr ImageAction kDrawBox[] = {
    {id::kBoxNormal, "Normal", {}, drawBox, Sel | Inv},
    {id::kBoxFill, "Fill", {}, fillBox, Sel | Inv},
    {id::kBoxFillXor, "Fill XOR", {}, xorFillBox, Sel | Inv},
};
constexpr ImageAction kDrawCircle[] = {
    {id::kCircleNormal, "Normal", {}, drawCircle, Sel | Inv},
    {id::kCircleFill, "Fill", {}, fillCircle, Sel | Inv},
    {id::kCircleFillXor, "Fill XOR", {}, xorFillCircle, Sel | Inv},
};
constexpr ImageAction kTrueType[] = {
    {id::kTrueTypeDraw, "Draw", {}, drawTrueTypeText, Sel | Inv},
    {id::kFontChange, "Font Change", {}, changeFont},
};

// ProcessMenu: an entry with a submenu has no identifier.
constexpr ImageAction kProcessMenu[] = {
    {.label = "Process...", .submenu = kProcess},
    kSeparator,
    {.label = "Information...", .submenu = kInformation},
    kSeparator,
    {.label = "Test Pattern...", .submenu = kTestPattern},
    kSeparator,
    {id::kClipping, "Clipping", ctrlKey('R'), clipping},
    kSeparator,
    {.label = "Color...", .submenu = kColor},
    {.label = "Draw Line...", .submenu = kDrawLine},
    {.label = "Draw Box...", .submenu = kDrawBox},
    {.label = "Draw Circle...", .submenu = kDrawCircle},
    {.label = "TrueType...", .submenu = kTrueType},
    {id::kDrawText, "Draw Text", {}, drawText, Sel | Inv},
    {id::kPaint, "Paint", {}, paint, Sel | Inv},
};

}  // namespace

std::span<const ImageAction> imageMenuActions() {
  return kImageMenu;
}
std::span<const ImageAction> processMenuActions() {
  return kProcessMenu;
}
std::span<const ImageAction> keyOnlyImageActions() {
  return kKeyOnly;
}

plat::Menu imageMenu(int zoom) {
  return action::buildMenu(imageMenuActions(), [zoom](const ImageAction& row) {
    action::ItemState state;
    state.checked = row.check != 0 && row.check == zoom;
    return state;
  });
}

plat::Menu processMenu(int bits) {
  const unsigned hidden = bits == 8 ? kOnly32Bits : kOnly8Bits;
  return action::buildMenu(processMenuActions(), [hidden](const ImageAction& row) {
    action::ItemState state;
    state.shown = (row.flags & hidden) == 0;
    return state;
  });
}

}  // namespace editor
