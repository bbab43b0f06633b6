// The Qt side of a top-level window: a frameless widget that draws its own frame,
// caption, close box and menu bar row around a client widget (client_widget.h).
// Display thread only.
#pragma once

#include <QWidget>
#include <vector>

#include "platform/qt/widget_glue.h"
#include "platform/sent_geometry.h"
#include "platform/window_table.h"

namespace plat::qt {

class ClientWidget;

class FrameWidget : public QWidget {
  Q_OBJECT
 public:
  explicit FrameWidget(RecordPtr record);
  ~FrameWidget() override;
  void sync();  // geometry, title, visibility, drops and menu from the record
  ClientWidget* client() const { return client_; }
  const RecordPtr& record() const { return record_; }
  Hit hitTest(QPoint local) const;
  QRect closeBox() const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  void dragEnterEvent(QDragEnterEvent*) override;
  void dropEvent(QDropEvent*) override;
  void changeEvent(QEvent*) override;
  // The window system moved or sized the window: ours answering a request, or someone
  // else's (a window manager, another program, the user on the desktop).
  void moveEvent(QMoveEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void keyReleaseEvent(QKeyEvent*) override;

 private:
  int menuItemAt(QPoint local) const;
  std::vector<QRect> menuItemRects() const;
  RecordPtr record_;
  ClientWidget* client_;
  bool tracking_ = false;
  bool closePressed_ = false;
  // While sync() hands the record's geometry to Qt: the events Qt sends back at once are
  // our own change, not the window system's.
  bool applying_ = false;
  SentGeometry sentCorners_, sentSizes_;
};

}  // namespace plat::qt
