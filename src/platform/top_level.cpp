#include "platform/top_level.h"

namespace plat {

Window createTopLevelWindow(CreateParams p, int clientWidth, int clientHeight) {
  const Rect outer = adjustWindowRect({0, 0, clientWidth, clientHeight}, p.style);
  p.width = outer.width();
  p.height = outer.height();
  return createWindow(p);
}

}  // namespace plat
