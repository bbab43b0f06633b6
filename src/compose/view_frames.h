// The frames the views are taken from: V + 1 numbers spread evenly from the left mark
// to the right mark. The player and direvo-compose share them.
#pragma once

#include <vector>

namespace compose {

// Entry 0 is left, entry V is right; entry i between is left + trunc((i (right -
// left) + 0.5) / V), computed in floating point.
std::vector<int> spreadViewFrames(int left, int right, int views);

}  // namespace compose
