// Text in the built-in bitmap font at the text cursor.
#include <cstdarg>
#include <string>

#include "imaging/imaging.h"
#include "imaging/text_cursor.h"
#include "platform/utf8.h"

namespace {

constexpr int kLineAdvance = 16;       // two rows of space between lines of 14-row glyphs
constexpr size_t kPrintfBytes = 4095;  // what one call prints at most

void lineFeed() {
  TextCursor.y = imaging::movedCoordinate(TextCursor.y, kLineAdvance);
  TextCursor.x = TextCursor.lineStartX;
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
  std::string text;
  va_list args;
  va_start(args, format);
  const bool formatted = plat::formatUtf8(text, kPrintfBytes, format, args);
  va_end(args);
  if (formatted) TAV_PutString(text.c_str());
}
