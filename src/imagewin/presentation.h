// An image window's picture shown full screen, one picture pixel per screen pixel: what
// the owner of a lenticular panel needs, every sub-pixel exactly where the lenses are.
#pragma once

#include "platform/types.h"

namespace imagewin {

// The key that presents a window's picture and takes it back.
inline constexpr int kPresentKey = plat::vk::F11;

// Shows the picture of image window `number` over the whole screen the window is on:
// no frame or caption, zoom 100, the picture's top-left pixel on the screen's top-left
// pixel, black around a picture smaller than the screen, the pointer hidden. Whatever
// the program shows afterwards (TAV_ShowImage) appears there at once.
// 0 done (also when it is presented already), 1 the number is not open, 2 the window
// system has no screen for it.
int presentImage(int number);
// Puts a presented window back exactly as it was: place, size, zoom and caption.
// 0 done, 1 the number is not open or not presented.
int endPresentation(int number);
// F11: presents the picture, or takes it back when it is presented.
int togglePresentation(int number);
bool isPresented(int number);
// A window being destroyed: its presentation ends with it.
void forgetPresentation(int number);

}  // namespace imagewin
