// The Qt side of child controls. Display thread only.
#pragma once

#include <QLineEdit>
#include <QPushButton>

#include "platform/window_table.h"

namespace plat::qt {

// An edit field: focus changes become notifications to the parent; Tab, Shift+Tab,
// Enter and Esc are left to the owner's dialog handling.
class EditControl : public QLineEdit {
  Q_OBJECT
 public:
  explicit EditControl(RecordPtr record, QWidget* parent);

 protected:
  bool event(QEvent*) override;
  void focusInEvent(QFocusEvent*) override;
  void focusOutEvent(QFocusEvent*) override;

 private:
  void notify(int code);
  RecordPtr record_;
};

}  // namespace plat::qt
