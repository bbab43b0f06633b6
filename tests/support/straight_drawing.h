// The drawing operations one clipped pixel at a time, as first written: the same pixels
// as the library's operations of the same name, which the tests check against these.
#pragma once

#include <cstdint>

namespace imaging {

void drawLineStraight(uint32_t color, int x1, int y1, int x2, int y2);
void paintStraight(int x, int y);
void patternRGBStraight();
void patternHSVStraight();
void patternYCrCbStraight();
void patternYuvStraight();
void patternYIQStraight();
void patternGreyStraight();

}  // namespace imaging
