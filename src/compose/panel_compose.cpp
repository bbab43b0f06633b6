#include "compose/panel_compose.h"

#include <algorithm>

namespace compose {

void composeForPanel(Method method, ConstPixelBuffer multiView, PixelBuffer output,
                     const FineParams& panel) {
  if (method == Method::Fine) {
    composeFinePixels(multiView, output, panel);
    return;
  }
  // Black first: the column stripes and the row groups leave rows alone, and the buffer
  // may still hold an earlier picture.
  std::fill_n(output.pixels, static_cast<size_t>(output.width) * static_cast<size_t>(output.height),
              0u);
  if (panel.views < 1) return;
  const LentiParams p{panel.pitch, panel.views, panel.width, panel.height};
  const WorkResampling views{
      multiView, multiView.width / p.views, multiView.height, p.width, p.height, p.views};
  if (method == Method::Beta) {
    composeBetaPixels(views, output, p);
  } else {
    composeStablePixels(views, output, p);
  }
}

}  // namespace compose
