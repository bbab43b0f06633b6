// Looking into a picture: the colour values of one pixel printed to the text window, and
// plots of a row's channels or of the chroma of a row or a box, each drawn into a new
// image window that then stays current. This sits above the text windows (it prints)
// and the imaging layer (it picks points and draws the plots); the image window
// commands call it.
#pragma once

#include <cstdint>
#include <string>

namespace inspection {

// The commands, by their menu identifiers: Pixel 1015, Line(RGB) 1016, Line(HSV) 1017,
// Line(YCrCb) 1018, Line(CrCb) 1021, Area(CrCb) 1022, Line(Lumi) 1070. Each picks in
// image window `number` first; a cancelled or refused pick does nothing more. The
// result is the pick's (0 done, 1 cancelled, 2 no such window); -1 when the identifier
// is not an inspection command.
int runInspection(int commandId, int number);

// The same, one command each.
int showPixel(int number);
enum class Profile { Rgb, Hsv, YCrCb, Luminance };
int showProfile(int number, Profile profile);
int showRowChroma(int number);
int showAreaChroma(int number);

// The steps after the pick, on the current image.
// The lines printed for the pixel at (x, y): "(X,Y)=..." and five colour lines for a
// 32-bit image, one "(Luminance)=..." line for an 8-bit one, each ending in "\n" and the
// last followed by an empty line.
std::string pixelReadout(int x, int y);
// Prints pixelReadout to the current text window, opening text window 0 when none is.
void printPixelReadout(int x, int y);
// Opens a plot window in the lowest free image window number and draws into it; the
// plot window is then current. Each returns that number, or -1 when every number is in
// use (nothing is opened then).
int plotProfile(Profile profile, int y);
int plotRowChroma(int y);
int plotAreaChroma(int x1, int y1, int x2, int y2);

// Where a pixel of colour 0xRRGGBB lies on the chroma plot: (Cb + 128, 128 - Cr).
struct ChromaPoint {
  int x = 0;
  int y = 0;
};
ChromaPoint chromaPoint(uint32_t color);

}  // namespace inspection
