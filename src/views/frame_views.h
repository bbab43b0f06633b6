// Views made from every frame of a movie that holds a picture beside its depth map, or
// a stereo pair side by side: what the movie composition and the live viewer give each
// of their threads.
#pragma once

#include <functional>
#include <string>

#include "compose/compose_pixels.h"
#include "views/depth_views.h"

namespace views {

// Makes the V views side by side from one frame as read (words 0x00RRGGBB, rows
// top-down) into `views`, whose storage is kept from the frame it held before; false,
// with the reason for people in `error`. Each maker keeps storage of its own: one per
// thread.
using FrameViews = std::function<bool(compose::ConstPixelBuffer frame,
                                      compose::MultiViewPicture& views, std::string& error)>;

// Each frame holds a picture in its left half and its grey depth map in its right.
FrameViews depthFrameViews(const DepthParams& p);
// Each frame is a stereo pair side by side: the left eye on the left, or on the right
// when crossed.
FrameViews stereoFrameViews(int views, bool crossed);

}  // namespace views
