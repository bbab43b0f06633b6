// Where the pointer is, in screen coordinates.
#include <QCursor>

#include "platform/message.h"
#include "platform/qt/display.h"

namespace plat {

Point cursorPos() {
  Point p;
  qt::runOnDisplay([&] {
    QPoint c = QCursor::pos();
    p = {c.x(), c.y()};
  });
  return p;
}

}  // namespace plat
