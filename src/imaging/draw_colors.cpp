// The colours the drawing commands and the two kinds of text use.
#include "imaging/imaging.h"

namespace imaging {

void resetDrawColors() {
  DrawColor = 0xFFFFFF;
  tav_tc = 0x000000;
  tav_tttc = 0xFFFFFF;
}

}  // namespace imaging
