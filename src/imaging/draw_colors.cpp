// The colours the drawing commands and the two kinds of text use.
#include "imaging/imaging.h"

uint32_t DrawColor = 0xFFFFFF;
uint32_t tav_tc = 0x000000;  // set from DrawColor before bitmap-font text is drawn
uint32_t tav_tttc = 0xFFFFFF;

namespace imaging {

void resetDrawColors() {
  DrawColor = 0xFFFFFF;
  tav_tc = 0x000000;
  tav_tttc = 0xFFFFFF;
}

}  // namespace imaging
