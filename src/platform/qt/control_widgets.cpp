#include "platform/qt/control_widgets.h"

#include <QKeyEvent>
#include <QLabel>

#include "platform/qt/display.h"
#include "platform/qt/frame_widget.h"

namespace plat::qt {

EditControl::EditControl(RecordPtr record, QWidget* parent)
    : QLineEdit(parent), record_(std::move(record)) {}

bool EditControl::event(QEvent* e) {
  if (e->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(e);
    switch (k->key()) {
      case Qt::Key_Tab:
      case Qt::Key_Backtab:
      case Qt::Key_Return:
      case Qt::Key_Enter:
      case Qt::Key_Escape:
        postKey(record_, k, true);
        return true;
      default:
        break;
    }
  }
  return QLineEdit::event(e);
}

void EditControl::notify(int code) {
  auto parent = findRecord(record_->parent);
  if (!parent) return;
  Message m;
  m.kind = Msg::Command;
  m.commandId = record_->controlId;
  m.notifyCode = code;
  m.control = record_->handle;
  postTo(parent, m);
}

void EditControl::focusInEvent(QFocusEvent* e) {
  QLineEdit::focusInEvent(e);
  notify(kEditSetFocus);
}

void EditControl::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  notify(kEditKillFocus);
}

void createControlWidget(const RecordPtr& r, const std::string& text, bool sunken) {
  auto parent = findRecord(r->parent);
  if (!parent || !parent->widget) return;
  QWidget* host = parent->widget;
  QString label = QString::fromStdString(text);
  QWidget* w = nullptr;
  switch (r->controlKind) {
    case ControlKind::Static: {
      auto* l = new QLabel(label, host);
      l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      l->setTextFormat(Qt::PlainText);
      w = l;
      break;
    }
    case ControlKind::Edit: {
      auto* e = new EditControl(r, host);
      e->setText(label);
      e->setFrame(sunken);
      w = e;
      break;
    }
    case ControlKind::Button: {
      auto* b = new QPushButton(label, host);
      b->setFocusPolicy(Qt::NoFocus);  // buttons never take the focus from the box
      QObject::connect(b, &QPushButton::clicked, [r] {
        auto owner = findRecord(r->parent);
        if (!owner) return;
        Message m;
        m.kind = Msg::Command;
        m.commandId = r->controlId;
        m.control = r->handle;
        postTo(owner, m);
      });
      w = b;
      break;
    }
  }
  tagWidget(w, r->handle);
  r->widget = w;
  syncGeometry(r);
  w->show();
}

}  // namespace plat::qt
