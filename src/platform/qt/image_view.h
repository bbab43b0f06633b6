// A surface seen as a QImage for Qt's encoders, without copying its pixels.
#pragma once

#include <QImage>

#include "platform/surface.h"

namespace plat::qt {

// RGB32 for a 32-bit surface; Indexed8 with the palette for an 8-bit one. Valid while
// the surface lives.
QImage imageView(const Surface& s);

}  // namespace plat::qt
