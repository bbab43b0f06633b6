// Splitting a picture's rows among threads.
#pragma once

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <thread>
#include <vector>

namespace compose {

// Runs fn(begin, end) over rows [0, count) on up to one thread per processor. The
// parts write disjoint rows, so the result does not depend on the split.
template <typename Fn>
void splitRows(int64_t count, int64_t pixelsPerRow, Fn fn) {
  constexpr int64_t kPixelsPerThread = 1 << 17;
  const int64_t byWork = std::max<int64_t>(1, count * pixelsPerRow / kPixelsPerThread);
  const int64_t parts =
      std::min<int64_t>({count, byWork, std::max(1u, std::thread::hardware_concurrency()), 16});
  if (parts <= 1) {
    fn(int64_t{0}, count);
    return;
  }
  std::vector<std::thread> threads;
  auto part = [count, parts](int64_t i) { return count * i / parts; };
  int64_t i = 1;
  for (; i < parts; ++i) {
    try {
      threads.emplace_back([&fn, b = part(i), e = part(i + 1)] { fn(b, e); });
    } catch (const std::system_error&) {
      break;  // the parts no thread took are done here
    }
  }
  fn(int64_t{0}, part(1));
  if (i < parts) fn(part(i), count);
  for (std::thread& t : threads) t.join();
}

}  // namespace compose
