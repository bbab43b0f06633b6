// The Qt font a font description stands for, for the font chooser.
#pragma once

#include <QFont>

#include "platform/font.h"

namespace plat::qt {

// The font createFont would make of the description (any thread; Qt's GUI must run).
QFont fontOfDescription(const FontDescription& d);

}  // namespace plat::qt
