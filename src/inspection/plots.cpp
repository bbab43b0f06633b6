// The plot windows: profiles of one row per channel, and the chroma of a row or a box,
// each drawn into a new 32-bit image window in the lowest free number.
#include <cstdint>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "imagewin/imagewin.h"
#include "imaging/imaging.h"
#include "inspection/inspection.h"
#include "platform/message.h"

namespace inspection {

namespace {

constexpr int kProfileHeight = 128;
constexpr int kChromaSize = 256;

struct Curve {
  int (*value)(uint32_t pixel);
  int scale;
  uint32_t color;
};

struct Label {
  const char* text;
  int x, y;
  uint32_t color;
};

struct ProfileLayout {
  const char* title;  // with the row number
  int x0;             // left margin for the labels; also added to the plot's width
  std::vector<Curve> curves;
  std::vector<Label> labels;
};

int red(uint32_t p) {
  return SplitColor(p).red;
}
int green(uint32_t p) {
  return SplitColor(p).green;
}
int blue(uint32_t p) {
  return SplitColor(p).blue;
}
int hue(uint32_t p) {
  int h, s, v;
  TAV_RgbToHsv(p, &h, &s, &v);
  return h;
}
int saturation(uint32_t p) {
  int h, s, v;
  TAV_RgbToHsv(p, &h, &s, &v);
  return s;
}
int value(uint32_t p) {
  int h, s, v;
  TAV_RgbToHsv(p, &h, &s, &v);
  return v;
}
int crPlus128(uint32_t p) {
  return imaging::colorCr(p) + 128;
}
int cbPlus128(uint32_t p) {
  return imaging::colorCb(p) + 128;
}
int indexByte(uint32_t p) {
  return static_cast<int>(p & 0xFF);
}

const ProfileLayout& layoutOf(Profile profile) {
  static const ProfileLayout rgb{
      "RGB(Y=%d)",
      12,
      {{red, 255, 0xFF0000}, {green, 255, 0x00FF00}, {blue, 255, 0x0000FF}},
      {{"R", 2, 40, 0xFF0000}, {"G", 2, 72, 0x00FF00}, {"B", 2, 104, 0x0000FF}}};
  static const ProfileLayout hsv{
      "HSV(Y=%d)",
      12,
      {{hue, 359, 0xFFFF00}, {saturation, 255, 0xFF00FF}, {value, 255, 0x00FFFF}},
      {{"H", 2, 40, 0xFFFF00}, {"S", 2, 72, 0xFF00FF}, {"V", 2, 104, 0x00FFFF}}};
  static const ProfileLayout ycrcb{
      "YCrCb(Y=%d)",
      20,
      {{imaging::luma, 255, 0xFFFFFF}, {crPlus128, 255, 0xFF8888}, {cbPlus128, 255, 0x8888FF}},
      {{"Y", 4, 40, 0xFFFFFF}, {"Cr", 2, 72, 0xFF8888}, {"Cb", 2, 104, 0x8888FF}}};
  static const ProfileLayout luminance{
      "Luminance(Y=%d)", 12, {{indexByte, 255, 0xFFFFFF}}, {{"L", 2, 40, 0xFFFFFF}}};
  switch (profile) {
    case Profile::Rgb:
      return rgb;
    case Profile::Hsv:
      return hsv;
    case Profile::YCrCb:
      return ycrcb;
    case Profile::Luminance:
      break;
  }
  return luminance;
}

std::string titled(const char* format, int a, int b = 0, int c = 0, int d = 0) {
  char text[96];
  std::snprintf(text, sizeof text, format, a, b, c, d);
  return text;
}

// The stored values of a box of the current image, row by row; outside the picture 0.
// Empty when the box is empty or too large to hold.
std::vector<uint32_t> readBox(int x0, int y0, int w, int h) {
  std::vector<uint32_t> values;
  if (w <= 0 || h <= 0) return values;
  try {
    values.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
  } catch (const std::bad_alloc&) {
    return {};
  } catch (const std::length_error&) {
    return {};
  }
  size_t i = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) values[i++] = TAV_GetPixel(x0 + x, y0 + y);
  return values;
}

// The width of the current image; 0 when it is not open.
int currentWidth() {
  const bool open =
      static_cast<unsigned>(CurrentImage) < kImageWindowCount && ImageTable[CurrentImage].inUse;
  return open ? ImageTable[CurrentImage].width : 0;
}

// Opens a 32-bit plot window in the lowest number that takes it; -1 when none does.
int openPlotWindow(const std::string& title, int width, int height) {
  for (int n = 0; n < kImageWindowCount; ++n)
    if (TAV_CreateImage(n, title.c_str(), 0, 0, width, height, 100) == kCreateOk) return n;
  return -1;
}

void drawLabel(const Label& label) {
  TextCursor.x = label.x;
  TextCursor.lineStartX = label.x;
  TextCursor.y = label.y;
  tav_tc = label.color;
  TAV_PutString(label.text);
}

// One polyline: the first point set alone, each further one joined to the one before.
struct Polyline {
  bool started = false;
  int x = 0, y = 0;
  void to(int nx, int ny, uint32_t color) {
    if (started) {
      TAV_DrawLine(color, x, y, nx, ny);
    } else {
      TAV_PutPixel(nx, ny, color);
      started = true;
    }
    x = nx;
    y = ny;
  }
};

void drawChromaAxes() {
  TAV_DrawLine(0x808080, 0, 128, 256, 128);
  TAV_DrawLine(0x808080, 128, 0, 128, 256);
  drawLabel({"Cr", 110, 16, 0xFF8888});
  drawLabel({"Cb", 238, 144, 0x8888FF});
}

}  // namespace

ChromaPoint chromaPoint(uint32_t color) {
  return {imaging::colorCb(color) + 128, 128 - imaging::colorCr(color)};
}

int plotProfile(Profile profile, int y) {
  const ProfileLayout& layout = layoutOf(profile);
  const int width = currentWidth();
  const std::vector<uint32_t> row = readBox(0, y, width, 1);
  if (row.empty()) return -1;
  const int plot = openPlotWindow(titled(layout.title, y), width + layout.x0, kProfileHeight);
  if (plot < 0) return -1;
  for (const Curve& curve : layout.curves) {
    Polyline line;
    for (int i = 0; i < width; ++i) {
      const int v = curve.value(row[static_cast<size_t>(i)]);
      line.to(layout.x0 + i, 127 - v * 127 / curve.scale, curve.color);
    }
  }
  for (const Label& label : layout.labels) drawLabel(label);
  plat::invalidate(ImageTable[plot].window);
  return plot;
}

int plotRowChroma(int y) {
  const int width = currentWidth();
  const std::vector<uint32_t> row = readBox(0, y, width, 1);
  if (row.empty()) return -1;
  const int plot = openPlotWindow(titled("CrCb(Y=%d)", y), kChromaSize, kChromaSize);
  if (plot < 0) return -1;
  drawChromaAxes();
  // The segments alternate magenta and white, so the order along the row shows.
  Polyline line;
  for (size_t i = 0; i < row.size(); ++i) {
    const ChromaPoint p = chromaPoint(row[i]);
    line.to(p.x, p.y, i == 0 || i % 2 == 0 ? 0xFFFFFF : 0xFF00FF);
  }
  plat::invalidate(ImageTable[plot].window);
  return plot;
}

int plotAreaChroma(int x1, int y1, int x2, int y2) {
  const int w = x2 - x1 + 1;
  const int h = y2 - y1 + 1;
  const std::vector<uint32_t> box = readBox(x1, y1, w, h);
  if (box.empty()) return -1;
  const int plot =
      openPlotWindow(titled("CrCb(%d,%d)-(%d,%d)", x1, y1, x2, y2), kChromaSize, kChromaSize);
  if (plot < 0) return -1;
  drawChromaAxes();
  for (int y = 0; y < h; ++y) {
    Polyline line;
    for (int x = 0; x < w; ++x) {
      const ChromaPoint p = chromaPoint(box[static_cast<size_t>(y) * w + x]);
      line.to(p.x, p.y, 0xFFFFFF);
    }
  }
  TAV_ShowImage(plot);
  return plot;
}

}  // namespace inspection
