// Which command each menu identifier runs, in the order of the identifiers: whether the
// window is made current first ("Sel") and whether the current image is redrawn when the
// command is done ("Inv").
#include "editor/commands.h"

#include "base/ids.h"
#include "editor/editor.h"
#include "imagewin/imagewin.h"
#include "imaging/imaging.h"
#include "inspection/inspection.h"
#include "platform/message.h"

namespace editor {

namespace {

namespace id = ids::image;

enum Select : bool { NoSel = false, Sel = true };
enum Redraw : bool { NoInv = false, Inv = true };

struct Command {
  int id;
  Select select;
  Redraw redraw;
  void (*run)(int number);
};

constexpr Command kCommands[] = {
    {id::kLoadFile, Sel, Inv, loadImageFile},
    {id::kDestroy, NoSel, NoInv, [](int n) { TAV_DestroyImage(n); }},
    {id::kZoom50, NoSel, NoInv, [](int n) { TAV_SetImageZoom(50, n); }},
    {id::kZoom100, NoSel, NoInv, [](int n) { TAV_SetImageZoom(100, n); }},
    {id::kZoom200, NoSel, NoInv, [](int n) { TAV_SetImageZoom(200, n); }},
    {id::kSaveAs, Sel, NoInv, saveImageAs},
    {id::kCut, NoSel, NoInv, cutImage},
    {id::kCopy, NoSel, NoInv, copyImage},
    {id::kPaste, NoSel, NoInv, pasteAtPickedPlace},
    {id::kPasteAtOrigin, NoSel, NoInv, pasteAtOrigin},
    {id::kClipping, NoSel, NoInv, clipping},
    {id::kColorChange, NoSel, NoInv, changeColor},
    {id::kLineNormal, Sel, Inv, drawLine},
    {id::kLineHorizontal, Sel, Inv, drawRowLine},
    {id::kLineVertical, Sel, Inv, drawColumnLine},
    {id::kBoxNormal, Sel, Inv, drawBox},
    {id::kBoxFill, Sel, Inv, fillBox},
    {id::kBoxFillXor, Sel, Inv, xorFillBox},
    {id::kCircleNormal, Sel, Inv, drawCircle},
    {id::kCircleFill, Sel, Inv, fillCircle},
    {id::kCircleFillXor, Sel, Inv, xorFillCircle},
    {id::kDrawText, Sel, Inv, drawText},
    {id::kPaint, Sel, Inv, paint},
    {id::kTypedZoom, NoSel, NoInv, [](int n) { imagewin::typedZoom(n); }},
    {id::kTypedResize, NoSel, NoInv, [](int n) { imagewin::typedResize(n); }},
    {id::kTrueTypeDraw, Sel, Inv, drawTrueTypeText},
    {id::kFontChange, NoSel, NoInv, changeFont},
    {id::kColorPick, NoSel, NoInv, pickColor},
    {id::kPatternRgb, Sel, Inv, [](int) { TAV_PatternRGB(); }},
    {id::kPatternHsv, Sel, Inv, [](int) { TAV_PatternHSV(); }},
    {id::kPatternYCrCb, Sel, Inv, [](int) { TAV_PatternYCrCb(); }},
    {id::kInvert, NoSel, NoInv, invert},
    {id::kHorizontalFlip, NoSel, NoInv, flipHorizontally},
    {id::kVerticalFlip, NoSel, NoInv, flipVertically},
    {id::kRightRotate, Sel, NoInv, rotateRight},
    {id::kLeftRotate, Sel, NoInv, rotateLeft},
    {id::kSize50, Sel, NoInv, size50},
    {id::kSize70, Sel, NoInv, size70},
    {id::kSize141, Sel, NoInv, size141},
    {id::kSize200, Sel, NoInv, size200},
    {id::kPatternYuv, Sel, Inv, [](int) { TAV_PatternYuv(); }},
    {id::kPatternYiq, Sel, Inv, [](int) { TAV_PatternYIQ(); }},
    {id::kPatternGrey, Sel, Inv, [](int) { TAV_PatternGrey(); }},
};

void redrawCurrentImage() {
  if (static_cast<unsigned>(CurrentImage) < kImageWindowCount && ImageTable[CurrentImage].inUse)
    plat::invalidate(ImageTable[CurrentImage].window);
}

}  // namespace

void runImageCommand(int number, int commandId) {
  if (static_cast<unsigned>(number) >= kImageWindowCount || !ImageTable[number].inUse) return;
  // Pixel, the Line entries and Area(CrCb) inspect the picture.
  if (inspection::runInspection(commandId, number) >= 0) return;
  for (const Command& c : kCommands) {
    if (c.id != commandId) continue;
    if (c.select) TAV_SelectImage(number);
    c.run(number);
    if (c.redraw) redrawCurrentImage();
    return;
  }
}

}  // namespace editor
