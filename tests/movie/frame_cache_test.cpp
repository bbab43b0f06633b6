// The frames a movie keeps in memory: the most recent ones within a budget of frames and
// bytes, and one held beyond it.
#include "movie/frame_cache.h"

#include <gtest/gtest.h>

namespace {

TEST(FrameCache, GoesByLeastRecentUseWithinItsBudget) {
  auto frame = [](int value) {
    movie::DecodedFrame d;
    d.number = value;  // stands for its pixels
    d.bytes = 300;
    return d;
  };
  movie::FrameCache cache(10, 1000);  // three frames fit the bytes
  for (int n = 0; n < 3; ++n) cache.put(n, frame(n));
  ASSERT_NE(cache.find(0), nullptr);  // 0 is now the most recent, 1 the least
  cache.put(3, frame(3));
  EXPECT_EQ(cache.find(1), nullptr);
  EXPECT_EQ(cache.frames(), 3u);
  EXPECT_EQ(cache.bytes(), 900u);
  cache.hold(2);
  cache.put(4, frame(4));
  cache.put(5, frame(5));  // 0 and 3 go; 2 is held
  EXPECT_NE(cache.find(2), nullptr);
  EXPECT_EQ(cache.find(0), nullptr);
  EXPECT_EQ(cache.find(3), nullptr);
  ASSERT_NE(cache.find(5), nullptr);
  EXPECT_EQ(cache.find(5)->number, 5);
  cache.put(5, frame(55));  // the same number again replaces it
  EXPECT_EQ(cache.find(5)->number, 55);
  EXPECT_EQ(cache.frames(), 3u);
  EXPECT_EQ(cache.bytes(), 900u);
}

}  // namespace
