// TrueType text drawn by the platform at the text cursor, in tav_tttc with a transparent
// background. The font is made from its description on first use and re-made whenever
// a control code or a size change alters the description.
#include <memory>
#include <string>

#include "imagewin/imagewin.h"
#include "imaging/imaging.h"
#include "imaging/text_cursor.h"
#include "platform/font.h"

namespace {

constexpr const char* kJapaneseGothicFace = "IPAGothic";

struct TrueTypeState {
  plat::FontDescription description = startDescription();
  std::unique_ptr<plat::Font> font;  // null until first used
  int cellWidth = 8;
  int cellHeight = 16;

  static plat::FontDescription startDescription() {
    plat::FontDescription d;
    d.height = 16;
    d.width = 8;
    d.weight = 0;  // the face's own weight
    d.face = kJapaneseGothicFace;
    return d;
  }
};

// The font of TrueType text, with its description and its cell; used by the thread that
// draws (the user task), like the rest of the drawing state. Kept to the end of the
// process, so that no font outlives the platform's caches at exit.
TrueTypeState& TrueTypeFont() {
  static TrueTypeState& state = *new TrueTypeState;
  return state;
}

const plat::Font* currentFont() {
  if (!TrueTypeFont().font) TrueTypeFont().font = plat::createFont(TrueTypeFont().description);
  return TrueTypeFont().font.get();
}

// Makes the font from a changed description; when that fails the old font stays.
bool remakeFont(const plat::FontDescription& d) {
  std::unique_ptr<plat::Font> font = plat::createFont(d);
  if (!font) return false;
  TrueTypeFont().font = std::move(font);
  TrueTypeFont().description = d;
  return true;
}

void changeFont(void (*change)(plat::FontDescription&)) {
  plat::FontDescription d = TrueTypeFont().description;
  change(d);
  remakeFont(d);
}

void applyControl(char32_t code) {
  switch (code) {
    case 1:
      changeFont([](plat::FontDescription& d) { d.italic = true; });
      break;
    case 2:
      changeFont([](plat::FontDescription& d) { d.italic = false; });
      break;
    case 3:
      changeFont([](plat::FontDescription& d) { d.weight = 700; });
      break;
    case 4:
      changeFont([](plat::FontDescription& d) { d.weight = 400; });
      break;
    case 5:
      changeFont([](plat::FontDescription& d) { d.underline = true; });
      break;
    case 6:
      changeFont([](plat::FontDescription& d) { d.underline = false; });
      break;
    case 10:
      TextCursor.y = imaging::movedCoordinate(TextCursor.y, TrueTypeFont().cellHeight);
      TextCursor.x = TextCursor.lineStartX;
      break;
    default:
      break;  // the other controls do nothing
  }
}

bool isCharacter(char32_t c) {
  return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

std::u16string utf16Of(char32_t c) {
  if (c < 0x10000) return std::u16string(1, static_cast<char16_t>(c));
  c -= 0x10000;
  return {static_cast<char16_t>(0xD800 + (c >> 10)), static_cast<char16_t>(0xDC00 + (c & 0x3FF))};
}

// The next character of UTF-8 text at p: its code and length; length 0 when the text
// ends inside the character, code 0 with length 1 for a byte that starts none.
struct Decoded {
  char32_t code = 0;
  int length = 0;
};
Decoded decodeUtf8(const unsigned char* p) {
  const unsigned char b = p[0];
  if (b < 0x80) return {b, 1};
  const int length = b >= 0xC2 && b <= 0xDF   ? 2
                     : b >= 0xE0 && b <= 0xEF ? 3
                     : b >= 0xF0 && b <= 0xF4 ? 4
                                              : 0;
  if (length == 0) return {0, 1};
  char32_t code = b & (0x7F >> length);
  for (int i = 1; i < length; ++i) {
    if (p[i] == 0) return {0, 0};
    if ((p[i] & 0xC0) != 0x80) return {0, 1};
    code = code << 6 | (p[i] & 0x3F);
  }
  static constexpr char32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kSmallest[length] || !isCharacter(code)) return {0, 1};  // overlong or no character
  return {code, length};
}

}  // namespace

int TAV_SetTrueTypeSize(int boxWidth, int boxHeight) {
  // Height 0 asks the platform for the face's default height; below it no font has
  // such a cell.
  if (boxWidth < 0 || boxHeight < 0) return 1;
  plat::FontDescription d = TrueTypeFont().description;
  d.width = boxWidth / 2;
  d.height = boxHeight;
  if (!remakeFont(d)) return 1;
  TrueTypeFont().cellWidth = boxWidth / 2;
  TrueTypeFont().cellHeight = boxHeight;
  return 0;
}

void TAV_TrueTypeChar(char32_t code) {
  if (code < 32) {
    applyControl(code);
    return;
  }
  if (!isCharacter(code)) return;
  const plat::Font* font = currentFont();
  if (!font) return;
  if (static_cast<unsigned>(CurrentImage) < kImageWindowCount && ImageTable[CurrentImage].inUse) {
    plat::TextStyle style;
    style.color = tav_tttc & 0xFFFFFF;
    style.opaque = false;
    style.font = font;
    // The cell's bottom row is the cursor's row.
    plat::textOut(*ImageTable[CurrentImage].surface, TextCursor.x,
                  imaging::movedCoordinate(TextCursor.y, 1 - int64_t{TrueTypeFont().cellHeight}),
                  utf16Of(code), style);
  }
  TextCursor.x = imaging::movedCoordinate(TextCursor.x, plat::charAdvance(*font, code));
}

void TAV_TrueTypeString(const char* text) {
  if (!text) return;
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p) {
    const Decoded d = decodeUtf8(p);
    if (d.length == 0) return;  // the text ends inside a character
    if (d.code != 0) TAV_TrueTypeChar(d.code);
    p += d.length;
  }
}

namespace imaging {

plat::FontDescription trueTypeDescription() {
  return TrueTypeFont().description;
}
int trueTypeCellHeight() {
  return TrueTypeFont().cellHeight;
}

bool replaceTrueTypeFont(const plat::FontDescription& description) {
  return remakeFont(description);
}

void resetTrueTypeFont() {
  TrueTypeFont() = TrueTypeState{};
}

}  // namespace imaging
