// Image processing and drawing on the current image window.
#pragma once

#include <array>
#include <cstdint>

#include "pixels/pixels.h"
#include "platform/font.h"
#include "platform/types.h"

// Clipped pixel access on the current image (CurrentImage). A point is inside when
// 0 <= x < width and 0 <= y < height; writes outside are dropped. A current image that
// is not open has no pixels: reads give 0 (or -1) and writes are dropped.
//
// 32-bit images store the colour word whole; 8-bit images store its low byte as the
// palette index. Reads return the stored value as it is (the whole word, or the index).
void TAV_PutPixel(int x, int y, uint32_t color);       // also moves PenPosition, even outside
void TAV_PutPixelQuiet(int x, int y, uint32_t color);  // PenPosition unchanged
uint32_t TAV_GetPixel(int x, int y);                   // 0 outside
int32_t TAV_GetPixelOrNone(int x, int y);              // -1 outside
// 32-bit: the colour bits are inverted, the fourth byte kept; 8-bit: the index inverted.
void TAV_XorPixel(int x, int y);  // also moves PenPosition
void TAV_XorPixelQuiet(int x, int y);
// Sets every byte of the image's buffer to 0, row padding included: 0 done, 1 the
// number is out of range or not open.
int TAV_ClearImage(int number);

// Drawing primitives on the current image, in the clipped pixel operations above. None
// of them redraws the window; the caller invalidates it afterwards.
void TAV_DrawLine(uint32_t color, int x1, int y1, int x2, int y2);  // PenPosition = (x2, y2)
void TAV_XorLine(int x1, int y1, int x2, int y2);                   // the same pixels, inverted
void TAV_DrawBox(int x1, int y1, int x2, int y2);                   // outline in DrawColor
void TAV_FillBox(int x1, int y1, int x2, int y2, uint32_t outline, uint32_t inside);
void TAV_XorBox(int x1, int y1, int x2, int y2);      // every outline pixel inverted once
void TAV_XorFillBox(int x1, int y1, int x2, int y2);  // every pixel inverted once
void TAV_DrawCircle(uint32_t color, int cx, int cy, int r);
void TAV_XorCircle(int cx, int cy, int r);
void TAV_FillCircle(int cx, int cy, int r);     // disc in DrawColor
void TAV_XorFillCircle(int cx, int cy, int r);  // disc inverted, every pixel once
// Scan-line flood fill of the 4-connected region of (x, y) with DrawColor. Its seed stack
// holds 4000 seeds; seeds beyond are dropped, so an intricate region may stay part filled.
void TAV_Paint(int x, int y);

// The built-in 8 x 14 bitmap font for codes 32..127 (pixels/pixels.h).
using pixels::BitmapFont;
using pixels::kGlyphHeight;
using pixels::kGlyphWidth;

// Where text goes next, shared by both kinds of text. Bitmap text fills rows y - 14 ..
// y - 1; TrueType text rows y - h + 1 .. y. A line feed returns x to lineStartX.
struct TextCursorState {
  int x = 0;
  int y = 0;
  int lineStartX = 0;
};

// What the image window being picked hands to the running picking tool. The window
// procedure fills it through imaging::feedPick; the tools read and clear its flags.
struct PickRecord {
  int active = 0;   // 1 while a tool runs
  int window = -1;  // the image window being picked, -1 when none
  int clicked = 0;  // a left-button press, at (clickX, clickY)
  int clickX = 0;
  int clickY = 0;
  int moved = 0;  // a mouse move, to (hoverX, hoverY); the hover point outlives a pick
  int hoverX = 0;
  int hoverY = 0;
  int cancel = 0;  // a right-button or middle-button press
};

// Everything the drawing layer keeps between calls (imaging::resetDrawingState returns
// it to these start values, with the TrueType font's).
struct DrawingState {
  // The point drawing last went to: set by TAV_PutPixel, TAV_XorPixel and the line
  // operations; connected polylines start from it.
  plat::Point PenPosition;
  // Drawing colours, 0xRRGGBB: DrawColor for the drawing commands (or, after a pick on
  // an 8-bit image, a palette index), tav_tc for bitmap-font text (set from DrawColor
  // before it is drawn), tav_tttc for TrueType text.
  uint32_t DrawColor = 0xFFFFFF;
  uint32_t tav_tc = 0x000000;
  uint32_t tav_tttc = 0xFFFFFF;
  // Where text goes next, for both kinds of text.
  TextCursorState TextCursor;
  // The running picking tool's inbox.
  PickRecord PickState;
};
extern DrawingState drawingState;
// The fields under the names the library uses.
inline constexpr auto& PenPosition = drawingState.PenPosition;
inline constexpr auto& DrawColor = drawingState.DrawColor;
inline constexpr auto& tav_tc = drawingState.tav_tc;
inline constexpr auto& tav_tttc = drawingState.tav_tttc;
inline constexpr auto& TextCursor = drawingState.TextCursor;
inline constexpr auto& PickState = drawingState.PickState;

void TAV_PutChar(
    int code);  // one byte in tav_tc; 10 is a line feed, others outside 32..127 ignored
void TAV_PutString(const char* text);
// Formats as printf does and draws as TAV_PutString; at most 4095 bytes, cut at a character.
void TAV_ImagePrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// TrueType text in tav_tttc with a transparent background. The font starts 16 high and 8
// wide in the Japanese Gothic face.
int TAV_SetTrueTypeSize(int boxWidth, int boxHeight);  // 0 done, 1 no font could be made
// One character (a Unicode code point) or a control: 1/2 italic on/off, 3 bold, 4 normal
// weight, 5/6 underline on/off, 10 line feed; other codes below 32 do nothing.
void TAV_TrueTypeChar(char32_t code);
// UTF-8 text, one TAV_TrueTypeChar per character; an incomplete character at the end ends
// the walk, a malformed byte elsewhere is skipped.
void TAV_TrueTypeString(const char* text);

// Colour models. Colour values are 0xRRGGBB; the top byte is ignored.
void TAV_RgbToHsv(uint32_t color, int* hue, int* saturation, int* value);  // S = max - min, V = max
int TAV_GetHue(uint32_t color);
int TAV_GetSaturation(uint32_t color);
int TAV_GetValue(uint32_t color);
uint32_t TAV_HsvToRgb(int value, int saturation, int hue);

// The six test patterns, painted into the current image; nothing without an open one.
void TAV_PatternRGB();
void TAV_PatternHSV();
void TAV_PatternYCrCb();
void TAV_PatternYuv();
void TAV_PatternYIQ();
void TAV_PatternGrey();

namespace imaging {
// Returns the drawing state to its start values.
void resetDrawingState();
// Returns DrawColor, tav_tc and tav_tttc to their start values.
void resetDrawColors();

// Luma and the colour differences the pixel readout prints, in 16.16 fixed point; the
// differences are signed and truncate toward zero.
int luma(uint32_t color);
int colorCr(uint32_t color);
int colorCb(uint32_t color);
int colorU(uint32_t color);
int colorV(uint32_t color);
int colorI(uint32_t color);
int colorQ(uint32_t color);

// The image window transforms, on the window's own pixel buffer; the window is redrawn.
// Results: 0 done, 1 the number is out of range or not open; rotations and size steps
// also give what TAV_ResizeImage refused with, and then change nothing further.
int invertImage(int number);  // every colour channel (or index) complemented
int flipHorizontally(int number);
int flipVertically(int number);
int rotateRight(int number);  // clockwise
int rotateLeft(int number);
// Size steps in thousandths (500, 707, 1414, 2000), resampled in the window's stretch mode.
int scaleImage(int number, int thousandths);

// The TrueType font description text is drawn with, and its cell; the font itself is
// made from it on first use.
plat::FontDescription trueTypeDescription();
int trueTypeCellHeight();
// Replaces the font by one made from another description (a font the user chose); the
// cell that places text and line feeds stays. False, and nothing changes, when the font
// cannot be made.
bool replaceTrueTypeFont(const plat::FontDescription& description);
void resetTrueTypeFont();
}  // namespace imaging
