// The paint fill's seed stack and the way it pushes seeds, shared with the straight
// version the tests check the fill against: both push the same seeds in the same order.
#pragma once

#include <array>

#include "platform/types.h"

namespace imaging {

constexpr int kSeedCapacity = 4000;

struct SeedStack {
  std::array<plat::Point, kSeedCapacity> seeds;
  int count = 0;
  void push(int x, int y) {
    if (count < kSeedCapacity) seeds[count++] = {x, y};  // full: the seed is dropped
  }
};

// Pushes a seed at the first target pixel of each run of them seen in a neighbour row.
struct NeighbourRuns {
  bool pushAllowed = true;
  void see(bool isTarget, int x, int y, SeedStack& stack) {
    if (!isTarget) {
      pushAllowed = true;
    } else if (pushAllowed && stack.count < kSeedCapacity) {
      stack.push(x, y);
      pushAllowed = false;
    }
  }
};

}  // namespace imaging
