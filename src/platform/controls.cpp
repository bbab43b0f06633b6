#include "platform/controls.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/qt/display.h"
#include "platform/qt/frame_widget.h"
#include "platform/qt/window_table.h"

namespace plat {

using qt::findRecord;

Window createControl(const ControlParams& p) {
  qt::blockIfAbandoned();
  auto parent = findRecord(p.parent);
  if (!parent || parent->isControl) return {};
  auto r = qt::newRecord();
  r->owner = parent->owner;
  r->isControl = true;
  r->controlKind = p.kind;
  r->parent = p.parent;
  r->controlId = p.id;
  r->tabStop = p.tabStop;
  r->className = p.kind == ControlKind::Static ? "STATIC" : p.kind == ControlKind::Edit ? "EDIT" : "BUTTON";
  {
    std::lock_guard lock(r->m);
    r->outer = p.rect;
    r->title = p.text;
    r->visible = true;
  }
  {
    std::lock_guard lock(parent->m);
    parent->children.push_back(r->handle);
  }
  qt::runOnDisplay([&] { qt::createControlWidget(r, p.text, p.sunken); });
  return r->handle;
}

bool moveControl(Window control, const Rect& rect) {
  auto r = findRecord(control);
  if (!r || !r->isControl) return false;
  {
    std::lock_guard lock(r->m);
    r->outer = rect;
  }
  qt::runOnDisplay([&] { qt::syncGeometry(r); });
  return true;
}

bool setControlText(Window control, const std::string& utf8) {
  auto r = findRecord(control);
  if (!r || !r->isControl) return false;
  {
    std::lock_guard lock(r->m);
    r->title = utf8;
  }
  qt::runOnDisplay([&] {
    QString t = QString::fromStdString(utf8);
    if (auto* e = qobject_cast<QLineEdit*>(r->widget)) e->setText(t);
    else if (auto* b = qobject_cast<QPushButton*>(r->widget)) b->setText(t);
    else if (auto* l = qobject_cast<QLabel*>(r->widget)) l->setText(t);
  });
  return true;
}

std::string getControlText(Window control) {
  auto r = findRecord(control);
  if (!r || !r->isControl) return {};
  std::string out;
  qt::runOnDisplay([&] {
    if (auto* e = qobject_cast<QLineEdit*>(r->widget)) out = e->text().toStdString();
    else if (auto* b = qobject_cast<QPushButton*>(r->widget)) out = b->text().toStdString();
    else if (auto* l = qobject_cast<QLabel*>(r->widget)) out = l->text().toStdString();
  });
  return out;
}

int controlId(Window control) {
  auto r = findRecord(control);
  return r && r->isControl ? r->controlId : 0;
}

Window controlParent(Window control) {
  auto r = findRecord(control);
  return r && r->isControl ? r->parent : Window{};
}

Window controlById(Window parent, int id) {
  for (Window c : childControls(parent))
    if (controlId(c) == id) return c;
  return {};
}

bool isTabStop(Window control) {
  auto r = findRecord(control);
  return r && r->isControl && r->tabStop;
}

std::vector<Window> childControls(Window parent) {
  auto r = findRecord(parent);
  if (!r) return {};
  std::lock_guard lock(r->m);
  return r->children;
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
