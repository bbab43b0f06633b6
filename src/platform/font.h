// Text output: the stock fixed-pitch font and TrueType fonts from a description.
#pragma once

#include <memory>
#include <string>

#include "platform/made.h"
#include "platform/surface.h"

namespace plat {

// The stock fixed-pitch font: ASCII takes one cell, other characters two.
struct FontMetrics {
  int charWidth = 0;   // average character width: one cell
  int lineHeight = 0;  // character height: one line
  int ascent = 0;
};
FontMetrics stockFontMetrics();

// A TrueType font made from a description.
struct FontDescription {
  int height = 16;  // cell height in pixels
  int width = 0;    // average width, 0: the face's own
  int weight = 400;
  bool italic = false, underline = false, strikeOut = false;
  std::string face;  // UTF-8; empty or unknown: the Japanese Gothic face
};
// A font handle; what it holds is the platform's own.
class Font {
 public:
  virtual ~Font() = default;
};
enum class FontError { None, NoApplication };  // fonts need Qt's GUI application running
using MadeFont = Made<Font, FontError>;
[[nodiscard]] MadeFont createFont(const FontDescription& d);
FontMetrics fontMetrics(const Font& f);
int charAdvance(const Font& f, char32_t c);

struct TextStyle {
  uint32_t color = 0xFFFFFF;       // 0xRRGGBB
  uint32_t background = 0x000000;  // used when opaque
  bool opaque = true;
  const Font* font = nullptr;  // null: the stock fixed-pitch font
};
// Draws UTF-16 text with its top-left at (x, y), clipped to the surface. With the stock
// font every unit takes its cell width (one or two cells) and an opaque background
// fills exactly the cells. Returns the advance in pixels.
int textOut(Surface& dst, int x, int y, const std::u16string& text, const TextStyle& style);

}  // namespace plat
