// The frames a movie keeps in memory: the most recent ones within a budget of frames and
// bytes, and one held beyond it.
#include "movie/frame_cache.h"

#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <vector>

namespace {

TEST(FrameCache, GoesByLeastRecentUseWithinItsBudgetAndHandsBackUnsharedBuffers) {
  auto frame = [](int value) {
    movie::DecodedFrame d;
    d.mat = cv::Mat(10, 10, CV_8UC3, cv::Scalar::all(value));  // 300 bytes
    d.ok = true;
    return d;
  };
  movie::FrameCache cache(10, 1000);  // three frames fit the bytes
  std::vector<cv::Mat> freed;
  for (int n = 0; n < 3; ++n) cache.put(n, frame(n), &freed);
  ASSERT_NE(cache.find(0), nullptr);  // 0 is now the most recent, 1 the least
  movie::DecodedFrame shared = frame(3);
  cache.put(3, shared, &freed);
  EXPECT_EQ(cache.find(1), nullptr);
  EXPECT_EQ(cache.frames(), 3u);
  EXPECT_EQ(cache.bytes(), 900u);
  ASSERT_EQ(freed.size(), 1u);  // frame 1's buffer, used by nothing else
  EXPECT_EQ(freed[0].at<cv::Vec3b>(0, 0)[0], 1);
  cache.hold(2);
  cache.put(4, frame(4), &freed);
  cache.put(5, frame(5), &freed);  // 0 and 3 go; 2 is held
  EXPECT_NE(cache.find(2), nullptr);
  EXPECT_EQ(cache.find(0), nullptr);
  EXPECT_EQ(cache.find(3), nullptr);
  EXPECT_EQ(freed.size(), 2u);  // 3's buffer is still shared: not handed back
  ASSERT_NE(cache.find(5), nullptr);
  EXPECT_EQ(cache.find(5)->mat.at<cv::Vec3b>(0, 0)[0], 5);
  cache.put(5, frame(55), &freed);  // the same number again replaces it
  EXPECT_EQ(cache.find(5)->mat.at<cv::Vec3b>(0, 0)[0], 55);
  EXPECT_EQ(cache.frames(), 3u);
}

}  // namespace
