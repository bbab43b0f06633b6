// The client area of a top-level window: shows the retained client surface and turns
// pointer and key events into messages for the window's owner. Display thread only.
#pragma once

#include <QWidget>

#include "platform/window_table.h"

namespace plat::qt {

class FrameWidget;

class ClientWidget : public QWidget {
  Q_OBJECT
 public:
  ClientWidget(FrameWidget* frame, RecordPtr record);

 protected:
  bool event(QEvent*) override;
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void wheelEvent(QWheelEvent*) override;
  void keyReleaseEvent(QKeyEvent*) override;

 private:
  RecordPtr record_;
};

}  // namespace plat::qt
