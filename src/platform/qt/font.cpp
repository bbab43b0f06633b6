// Text output: QPainter draws straight into the surface memory (a QImage over the 32-bit
// buffer, no copy), or into a mask whose set pixels take a palette index on 8-bit surfaces.
// Fonts are drawn without antialiasing, so every text pixel is the text colour.
#include "platform/font.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/qt/font_qt.h"

namespace plat {

// The Qt side of a font.
class QtFont : public Font {
 public:
  explicit QtFont(const QFont& f) : qfont(f), qmetrics(f) {
    metrics = {qmetrics.averageCharWidth(), qmetrics.height(), qmetrics.ascent()};
  }
  QFont qfont;
  QFontMetrics qmetrics;
  FontMetrics metrics;
};

namespace {

constexpr int kStockPixelSize = 16;
constexpr int kMaxPixelSize = 2048;  // larger requests are drawn at this size

QString gothicFace() {
  return QStringLiteral("IPAGothic");
}

// A QFont fills caches shared by its copies as it is used, so two threads must not use one
// at the same time: every use of our fonts (the stock font and those made by createFont)
// holds this lock. Text output from the program thread and a worker is thereby serialised.
std::mutex& fontLock() {
  static std::mutex m;
  return m;
}

bool haveGuiApplication() {
  return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

QFont baseFont(const QString& face) {
  QFont f(face);
  f.setStyleStrategy(QFont::NoAntialias);
  f.setKerning(false);
  return f;
}

struct StockFont {
  std::unique_ptr<QtFont> font;
  bool asciiInCells = false;  // every printable ASCII glyph advances exactly one cell
};

// The stock font, made on first use once Qt's GUI application exists; null before that.
// The caller holds fontLock().
const StockFont* stockFont() {
  static StockFont& stock = *new StockFont;  // kept to the end: no QFont outlives Qt's caches
  if (!stock.font) {
    if (!haveGuiApplication()) return nullptr;
    QFont f = baseFont(gothicFace());
    f.setPixelSize(kStockPixelSize);
    if (QFontInfo(f).family() != gothicFace())
      qWarning("direvo: the stock font face %s is not installed; drawing with %s",
               qPrintable(gothicFace()), qPrintable(QFontInfo(f).family()));
    stock.font = std::make_unique<QtFont>(f);
    stock.asciiInCells = true;
    for (char16_t c = 0x21; c < 0x7F; ++c)
      if (stock.font->qmetrics.horizontalAdvance(QChar(c)) != stock.font->metrics.charWidth)
        stock.asciiInCells = false;
  }
  return &stock;
}

// The size in pixels of a font description's height: a positive height is the cell height
// (the largest pixel size whose line height fits), a negative one the character height,
// zero the stock size.
void applyHeight(QFont& f, int height) {
  if (height == 0) {
    f.setPixelSize(kStockPixelSize);
    return;
  }
  if (height < 0) {
    f.setPixelSize(height < -kMaxPixelSize ? kMaxPixelSize : -height);
    return;
  }
  const int cell = std::min(height, kMaxPixelSize);
  auto lineHeight = [&](int px) {
    f.setPixelSize(px);
    return QFontMetrics(f).height();
  };
  int px = cell;
  while (px > 1 && lineHeight(px) > cell) --px;
  while (px < kMaxPixelSize && lineHeight(px + 1) <= cell) ++px;
  f.setPixelSize(px);
}

int clampToInt(int64_t v) {
  return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

bool isDrawn(char16_t c) {
  return c > 0x20 && c != 0x7F && !(c >= 0x80 && c < 0xA0);
}

// One piece of text, the x where it starts and its advance.
struct Piece {
  int64_t x, width;
  QString text;
};

// Lays out text in stock font cells: a unit below 128 takes one cell, any other unit two; a
// surrogate pair is drawn at its first unit. Runs of ASCII are one piece when the font's
// own advances are the cells.
std::vector<Piece> stockPieces(const std::u16string& text, int64_t x, int cell, bool asciiRuns,
                               int64_t& advance) {
  std::vector<Piece> pieces;
  int64_t pen = x;
  bool inRun = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const int64_t width = c < 128 ? cell : 2 * cell;
    if (c < 128 && isDrawn(c)) {
      if (asciiRuns && inRun) {
        pieces.back().text.append(QChar(c));
        pieces.back().width += width;
      } else {
        pieces.push_back({pen, width, QString(QChar(c))});
      }
      inRun = asciiRuns;
    } else {
      inRun = false;
      if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1])) {
        pieces.push_back({pen, 4 * int64_t{cell}, QString::fromUtf16(&text[i], 2)});
      } else if (c >= 128 && !QChar::isSurrogate(c) && isDrawn(c)) {
        pieces.push_back({pen, width, QString(QChar(c))});
      }
    }
    pen += width;
  }
  advance = pen - x;
  return pieces;
}

// Lays out text with a TrueType font: each character at the sum of the whole-pixel advances
// before it (charAdvance), so that the advance of a string is the sum of its characters'.
std::vector<Piece> trueTypePieces(const QtFont& font, const std::u16string& text, int64_t x,
                                  int64_t& advance) {
  std::vector<Piece> pieces;
  int64_t pen = x;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool pair = QChar::isHighSurrogate(text[i]) && i + 1 < text.size() &&
                      QChar::isLowSurrogate(text[i + 1]);
    if (QChar::isSurrogate(text[i]) && !pair) continue;  // a lone half: nothing
    QString c = QString::fromUtf16(&text[i], pair ? 2 : 1);
    const int64_t width = font.qmetrics.horizontalAdvance(c);
    if (isDrawn(text[i])) pieces.push_back({pen, width, std::move(c)});
    pen += width;
    i += pair;
  }
  advance = pen - x;
  return pieces;
}

// The part of the surface that text may touch: its cells with a margin of one line on every
// side for glyphs that overhang them. Painting is clipped to it.
QRect paintArea(const Surface& dst, int64_t x, int64_t y, int64_t advance, int lineHeight) {
  const int64_t m = std::max(lineHeight, 1);
  const int64_t left = std::max<int64_t>(x - m, 0), top = std::max<int64_t>(y - m, 0);
  const int64_t right = std::min<int64_t>(x + advance + m, dst.width());
  const int64_t bottom = std::min<int64_t>(y + lineHeight + m, dst.height());
  if (left >= right || top >= bottom) return {};
  return QRect(static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
               static_cast<int>(bottom - top));
}

void drawPieces(QPainter& p, const QtFont& font, const std::vector<Piece>& pieces, int64_t baseline,
                const QRect& area) {
  p.setFont(font.qfont);
  for (const Piece& piece : pieces) {
    // Pieces wholly outside the area are skipped (the margin takes overhangs); the painter
    // clips the rest. Those kept start between x and the area's right edge: ints.
    if (piece.x > area.right() + 1 || piece.x + piece.width < area.left()) continue;
    p.drawText(QPoint(static_cast<int>(piece.x), static_cast<int>(baseline)), piece.text);
  }
}

void drawOn32(Surface& dst, const QtFont& font, const std::vector<Piece>& pieces, int64_t baseline,
              const QRect& area, uint32_t color) {
  QImage image(dst.data(), dst.width(), dst.height(), static_cast<qsizetype>(dst.stride()),
               QImage::Format_RGB32);
  if (image.isNull()) return;
  // Qt writes the pixels it draws as 0xFFRRGGBB, and our words keep the top byte zero;
  // the pixels it leaves keep their whole value, the fourth byte too. The top bytes are
  // set aside and cleared, so that 0xFF afterwards marks exactly the drawn pixels.
  std::vector<uint8_t> topBytes;
  topBytes.reserve(static_cast<size_t>(area.width()) * area.height());
  for (int y = area.top(); y <= area.bottom(); ++y) {
    uint32_t* row = dst.row32(y);
    for (int x = area.left(); x <= area.right(); ++x) {
      topBytes.push_back(static_cast<uint8_t>(row[x] >> 24));
      row[x] &= 0xFFFFFF;
    }
  }
  {
    QPainter p(&image);
    p.setClipRect(area);
    p.setPen(QColor::fromRgb(color & 0xFFFFFF));
    drawPieces(p, font, pieces, baseline, area);
  }
  const uint8_t* top = topBytes.data();
  for (int y = area.top(); y <= area.bottom(); ++y) {
    uint32_t* row = dst.row32(y);
    for (int x = area.left(); x <= area.right(); ++x, ++top)
      row[x] = (row[x] >> 24) == 0xFF ? row[x] & 0xFFFFFF : row[x] | uint32_t{*top} << 24;
  }
}

void drawOn8(Surface& dst, const QtFont& font, const std::vector<Piece>& pieces, int64_t baseline,
             const QRect& area, uint32_t color) {
  QImage mask(area.size(), QImage::Format_Grayscale8);
  if (mask.isNull()) return;
  mask.fill(0);
  {
    QPainter p(&mask);
    p.translate(-area.left(), -area.top());
    p.setPen(Qt::white);
    drawPieces(p, font, pieces, baseline, area);
  }
  const uint8_t index = nearestPaletteIndex(dst.palette(), color);
  for (int y = 0; y < area.height(); ++y) {
    const uchar* m = mask.constScanLine(y);
    uint8_t* row = dst.row8(area.top() + y) + area.left();
    for (int x = 0; x < area.width(); ++x)
      if (m[x] >= 128) row[x] = index;
  }
}

}  // namespace

FontMetrics stockFontMetrics() {
  std::lock_guard lock(fontLock());
  const StockFont* stock = stockFont();
  return stock ? stock->font->metrics : FontMetrics{};
}

namespace {

// The QFont a description asks for; the caller holds fontLock().
QFont describedFont(const FontDescription& d) {
  QString face = QString::fromUtf8(d.face);
  if (face.isEmpty() || !QFontDatabase::hasFamily(face)) face = gothicFace();
  QFont f = baseFont(face);
  applyHeight(f, d.height);
  f.setWeight(static_cast<QFont::Weight>(d.weight <= 0 ? 400 : std::min(d.weight, 1000)));
  f.setItalic(d.italic);
  f.setUnderline(d.underline);
  f.setStrikeOut(d.strikeOut);
  if (d.width > 0) {
    const int natural = QFontMetrics(f).averageCharWidth();
    if (natural > 0) {
      const int64_t stretch = (int64_t{d.width} * 100 + natural / 2) / natural;
      f.setStretch(static_cast<int>(std::clamp<int64_t>(stretch, 1, 4000)));
    }
  }
  return f;
}

}  // namespace

MadeFont createFont(const FontDescription& d) {
  std::lock_guard lock(fontLock());
  if (!haveGuiApplication()) return MadeFont::failed(FontError::NoApplication);
  return MadeFont{std::make_unique<QtFont>(describedFont(d)), FontError::None};
}

namespace qt {
QFont fontOfDescription(const FontDescription& d) {
  std::lock_guard lock(fontLock());
  return describedFont(d);
}
}  // namespace qt

namespace {
// Every Font the platform hands out is a QtFont.
const QtFont& qtFont(const Font& f) {
  return static_cast<const QtFont&>(f);
}
}  // namespace

FontMetrics fontMetrics(const Font& f) {
  return qtFont(f).metrics;
}

int charAdvance(const Font& f, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  std::lock_guard lock(fontLock());
  return qtFont(f).qmetrics.horizontalAdvance(QString::fromUcs4(&c, 1));
}

int textOut(Surface& dst, int x, int y, const std::u16string& text, const TextStyle& style) {
  std::lock_guard lock(fontLock());
  const QtFont* font = style.font ? &qtFont(*style.font) : nullptr;
  std::vector<Piece> pieces;
  int64_t advance = 0;
  if (!font) {
    const StockFont* stock = stockFont();
    if (!stock) return 0;
    font = stock->font.get();
    pieces = stockPieces(text, x, font->metrics.charWidth, stock->asciiInCells, advance);
  } else {
    pieces = trueTypePieces(*font, text, x, advance);
  }
  const int lineHeight = font->metrics.lineHeight;
  if (style.opaque) {
    fillRect(dst, {x, y, clampToInt(int64_t{x} + advance), clampToInt(int64_t{y} + lineHeight)},
             style.background);
  }
  const QRect area = paintArea(dst, x, y, advance, lineHeight);
  if (!area.isEmpty() && !pieces.empty()) {
    const int64_t baseline = int64_t{y} + font->metrics.ascent;
    if (dst.bits() == 32)
      drawOn32(dst, *font, pieces, baseline, area, style.color);
    else
      drawOn8(dst, *font, pieces, baseline, area, style.color);
  }
  return clampToInt(advance);
}

}  // namespace plat
