// The work window: the work image shown at its own size, 3 W V x H, whenever a window
// can show it.
#include <algorithm>
#include <climits>

#include "app/lenticular.h"
#include "app/player.h"
#include "imagewin/imagewin.h"
#include "textwin/textwin.h"

namespace app {

void fitWorkWindow() {
  const int64_t width = 3 * static_cast<int64_t>(Width) * builtViewCount;
  const int shownWidth = static_cast<int>(std::clamp<int64_t>(width, INT_MIN, INT_MAX));
  const int result = imageExists(kWorkImage)
                         ? TAV_ResizeImage(kWorkImage, shownWidth, Height)
                         : TAV_CreateImage(kWorkImage, "work", 0, 690, shownWidth, Height, 10);
  if (result == kCreateOk) return;
  // A window left at the old size would show old bands, and the compositions would
  // read them; without one they read the views.
  if (imageExists(kWorkImage)) TAV_DestroyImage(kWorkImage);
  TAV_Printf("work image %lld x %d is too large to show; composing from the views\n",
             static_cast<long long>(width), Height);
}

}  // namespace app
