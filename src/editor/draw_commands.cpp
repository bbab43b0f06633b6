// Drawing into the current image (this window, made current by the command and by the
// pick) at points the user picks: lines, boxes, circles, text and the flood fill. A
// cancelled or refused pick draws nothing.
#include <optional>
#include <string>

#include "base/services.h"
#include "editor/commands.h"
#include "imagewin/imagewin.h"
#include "imaging/imaging.h"
#include "imaging/pick.h"

namespace editor {

namespace {

struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;
};
struct Circle {
  int cx = 0, cy = 0, radius = 0;
};

std::optional<Box> pickBox(int number) {
  Box b;
  if (TAV_PickRect(number, b.left, b.top, b.right, b.bottom) != kPickDone) return std::nullopt;
  return b;
}

std::optional<Circle> pickCircle(int number) {
  Circle c;
  if (TAV_PickCircle(number, c.cx, c.cy, c.radius) != kPickDone) return std::nullopt;
  return c;
}

std::optional<plat::Point> pickPoint(int number, int (*tool)(int, int&, int&)) {
  plat::Point p;
  if (tool(number, p.x, p.y) != kPickDone) return std::nullopt;
  return p;
}

// The line typed after "Text>" in the current text window (text window 0 opened when
// none is).
std::string typedText() {
  return libraryServices().promptLine("Text>");
}

}  // namespace

void drawLine(int number) {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  if (TAV_PickLine(number, x1, y1, x2, y2) != kPickDone) return;
  TAV_DrawLine(DrawColor, x1, y1, x2, y2);
}

// Across the whole picture at the picked row.
void drawRowLine(int number) {
  const auto p = pickPoint(number, TAV_PickRow);
  if (!p) return;
  TAV_DrawLine(DrawColor, 0, p->y, ImageTable[number].width - 1, p->y);
}

// Down the whole picture at the picked column.
void drawColumnLine(int number) {
  const auto p = pickPoint(number, TAV_PickColumn);
  if (!p) return;
  TAV_DrawLine(DrawColor, p->x, 0, p->x, ImageTable[number].height - 1);
}

void drawBox(int number) {
  if (const auto b = pickBox(number)) TAV_DrawBox(b->left, b->top, b->right, b->bottom);
}

void fillBox(int number) {
  if (const auto b = pickBox(number))
    TAV_FillBox(b->left, b->top, b->right, b->bottom, DrawColor, DrawColor);
}

void xorFillBox(int number) {
  if (const auto b = pickBox(number)) TAV_XorFillBox(b->left, b->top, b->right, b->bottom);
}

void drawCircle(int number) {
  if (const auto c = pickCircle(number)) TAV_DrawCircle(DrawColor, c->cx, c->cy, c->radius);
}

void fillCircle(int number) {
  if (const auto c = pickCircle(number)) TAV_FillCircle(c->cx, c->cy, c->radius);
}

void xorFillCircle(int number) {
  if (const auto c = pickCircle(number)) TAV_XorFillCircle(c->cx, c->cy, c->radius);
}

// A typed line in the bitmap font, in the drawing colour, starting at the picked point.
void drawText(int number) {
  const auto p = pickPoint(number, TAV_PickPoint);
  if (!p) return;
  const std::string line = typedText();
  TextCursor.x = p->x;
  TextCursor.lineStartX = p->x;
  TextCursor.y = p->y;
  tav_tc = DrawColor;
  TAV_ImagePrintf("%s", line.c_str());
}

// A typed line in the TrueType font, its characters as large as the picked box, standing
// on the box's bottom edge.
void drawTrueTypeText(int number) {
  const auto b = pickBox(number);
  if (!b) return;
  const std::string line = typedText();
  TextCursor.x = b->left;
  TextCursor.lineStartX = b->left;
  TextCursor.y = b->bottom;
  TAV_SetTrueTypeSize(b->right - b->left + 1, b->bottom - b->top + 1);
  TAV_TrueTypeString(line.c_str());
}

void paint(int number) {
  if (const auto p = pickPoint(number, TAV_PickPoint)) TAV_Paint(p->x, p->y);
}

}  // namespace editor
