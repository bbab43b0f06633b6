// One row of one view, warped as the views from a depth map are, with its gaps left open
// for another source to fill: the views from a stereo pair warp each eye this way and
// join them.
#pragma once

#include <cstdint>

namespace views {

// The depth of a target nothing landed on.
inline constexpr float kRowGap = -1.0f;

// The row moved shiftPerDepth pixels per unit of depth away from the focus into `out`
// (width targets), each target's depth into `depthOut`: nearer points win, neighbours
// on one surface are joined, and where nothing landed (a gap that opened at an edge)
// `depthOut` is kRowGap and `out` holds no colour of meaning. Depths are 0 or above.
void warpRowOpen(const uint32_t* colour, const float* z, int width, float shiftPerDepth,
                 float focus, uint32_t* out, float* depthOut);

// Every run of gaps takes the colour of its farther neighbour (the smaller depth).
void fillRowGaps(uint32_t* out, const float* depth, int width);

}  // namespace views
