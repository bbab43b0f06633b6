// Child controls, the Qt side: their texts, selection and the keyboard focus.
#include "platform/controls.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/qt/display.h"
#include "platform/qt/frame_widget.h"
#include "platform/window_table.h"

namespace plat {

bool setControlText(Window control, const std::string& utf8) {
  auto r = findRecord(control);
  if (!r || !r->isControl) return false;
  {
    std::lock_guard lock(r->m);
    r->title = utf8;
  }
  qt::runOnDisplay([&] {
    QString t = QString::fromStdString(utf8);
    if (auto* e = qobject_cast<QLineEdit*>(r->widget))
      e->setText(t);
    else if (auto* b = qobject_cast<QPushButton*>(r->widget))
      b->setText(t);
    else if (auto* l = qobject_cast<QLabel*>(r->widget))
      l->setText(t);
  });
  return true;
}

std::string getControlText(Window control) {
  auto r = findRecord(control);
  if (!r || !r->isControl) return {};
  std::string out;
  qt::runOnDisplay([&] {
    if (auto* e = qobject_cast<QLineEdit*>(r->widget))
      out = e->text().toStdString();
    else if (auto* b = qobject_cast<QPushButton*>(r->widget))
      out = b->text().toStdString();
    else if (auto* l = qobject_cast<QLabel*>(r->widget))
      out = l->text().toStdString();
  });
  return out;
}

void selectAllText(Window edit) {
  auto r = findRecord(edit);
  if (!r) return;
  qt::runOnDisplay([&] {
    if (auto* e = qobject_cast<QLineEdit*>(r->widget)) e->selectAll();
  });
}

bool setFocus(Window w) {
  auto r = findRecord(w);
  if (!r) return false;
  qt::runOnDisplay([&] {
    if (!r->widget) return;
    QWidget* top = r->widget->window();
    top->activateWindow();
    r->widget->setFocus(Qt::OtherFocusReason);
  });
  return true;
}

Window focusWindow() {
  Window w;
  qt::runOnDisplay([&] {
    QWidget* f = QApplication::focusWidget();
    w = qt::windowOfWidget(f);
  });
  return w;
}

}  // namespace plat
