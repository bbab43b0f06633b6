// Text in the built-in bitmap font at the text cursor.
#include <cstdarg>
#include <cstdio>

#include "imaging/imaging.h"
#include "imaging/text_cursor.h"

TextCursorState TextCursor;

namespace {

constexpr int kLineAdvance = 16;    // two rows of space between lines of 14-row glyphs
constexpr int kPrintfBuffer = 4096;  // 4095 bytes of text and the terminator

void lineFeed() {
  TextCursor.y = imaging::movedCoordinate(TextCursor.y, kLineAdvance);
  TextCursor.x = TextCursor.lineStartX;
}

// The length of text[0..length) without a character that the cut split at its end.
size_t wholeCharacters(const char* text, size_t length) {
  size_t lead = length;
  while (lead > 0 && length - lead < 3 && (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80)
    --lead;
  if (lead == 0) return length;
  const unsigned char b = static_cast<unsigned char>(text[lead - 1]);
  const size_t need = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
  return length - (lead - 1) < need ? lead - 1 : length;
}

}  // namespace

void TAV_PutChar(int code) {
  if (code == '\n') {
    lineFeed();
    return;
  }
  if (code < 32 || code > 127) return;  // controls and bytes above 127 draw nothing
  const auto& glyph = BitmapFont[code - 32];
  for (int k = 0; k < kGlyphHeight; ++k) {
    for (int c = 0; c < kGlyphWidth; ++c) {
      if (glyph[k] & (0x80 >> c)) {
        TAV_PutPixel(imaging::movedCoordinate(TextCursor.x, c),
                     imaging::movedCoordinate(TextCursor.y, k - kGlyphHeight), tav_tc);
      }
    }
  }
  TextCursor.x = imaging::movedCoordinate(TextCursor.x, kGlyphWidth);
  // Wraps when another glyph would not fit; without an open image, after every glyph.
  if (TextCursor.x > imaging::currentPixels().width - kGlyphWidth) lineFeed();
}

void TAV_PutString(const char* text) {
  if (!text) return;
  for (const char* p = text; *p; ++p) TAV_PutChar(static_cast<unsigned char>(*p));
}

void TAV_ImagePrintf(const char* format, ...) {
  if (!format) return;
  char buffer[kPrintfBuffer];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n < 0) return;
  if (n >= kPrintfBuffer) buffer[wholeCharacters(buffer, kPrintfBuffer - 1)] = '\0';
  TAV_PutString(buffer);
}
