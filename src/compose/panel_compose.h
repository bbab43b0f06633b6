// The panel's picture from V views side by side, by any of the three methods: the one
// call the programs make, whichever method the user chose.
#pragma once

#include "compose/compose_pixels.h"
#include "compose/fine.h"
#include "compose/panel_profile.h"

namespace compose {

// Composes W x H of `output` (W, H, V and the pitch from `panel`) from the views, each
// trunc(multiView.width / V) columns wide. Stable and Beta read `panel`'s pitch, views
// and size only, and leave black what they do not reach.
void composeForPanel(Method method, ConstPixelBuffer multiView, PixelBuffer output,
                     const FineParams& panel);

}  // namespace compose
