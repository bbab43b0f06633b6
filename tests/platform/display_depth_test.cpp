// The display's colour depth as the status line shows it: the bits one pixel takes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/types.h"

namespace {

TEST(DisplayDepth, StoredBitsRoundTheDepthUpToAPowerOfTwo) {
  const struct {
    int depth, bits;
  } cases[] = {{-1, 0},  {0, 0},   {1, 1},   {4, 4},   {8, 8},  {12, 16},
               {15, 16}, {16, 16}, {24, 32}, {30, 32}, {32, 32}};
  for (const auto& c : cases) EXPECT_EQ(plat::storedBitsPerPixel(c.depth), c.bits) << c.depth;
}

// On an X display (the whole-program test runs this on X servers of several depths,
// passing what xdpyinfo says a pixel of the root depth takes); headless, the
// offscreen screen's 32 bits.
TEST(DisplayDepth, IsTheBitsPerPixelOfTheDisplay) {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  const char* expected = std::getenv("DIREVO_EXPECT_BITS_PER_PIXEL");
  if (platform && std::string(platform).starts_with("xcb")) {
    if (!expected) GTEST_SKIP() << "no DIREVO_EXPECT_BITS_PER_PIXEL for this X display";
    EXPECT_EQ(plat::displayColorDepth(), std::atoi(expected));
  } else {
    EXPECT_EQ(plat::displayColorDepth(), 32);
  }
}

}  // namespace
