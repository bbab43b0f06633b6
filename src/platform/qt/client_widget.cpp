#include "platform/qt/client_widget.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "platform/qt/frame_widget.h"
#include "platform/qt/widget_glue.h"

namespace plat::qt {

ClientWidget::ClientWidget(FrameWidget* frame, RecordPtr record)
    : QWidget(frame), record_(std::move(record)) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  tagWidget(this, record_->handle);
}

bool ClientWidget::event(QEvent* e) {
  // Every key goes to the window's owner, Tab included: the focus chain is the owner's.
  if (e->type() == QEvent::KeyPress) {
    postKey(record_, static_cast<QKeyEvent*>(e), true);
    return true;
  }
  if (e->type() == QEvent::ShortcutOverride) {
    e->accept();
    return true;
  }
  return QWidget::event(e);
}

void ClientWidget::keyReleaseEvent(QKeyEvent* e) {
  if (!e->isAutoRepeat()) postKey(record_, e, false);
}

void ClientWidget::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  std::lock_guard lock(record_->surfaceMutex);
  if (!record_->client) return;
  Surface& s = *record_->client;
  QImage view(s.data(), s.width(), s.height(), static_cast<qsizetype>(s.stride()),
              QImage::Format_RGB32);
  p.drawImage(e->rect(), view, e->rect());
}

void ClientWidget::mousePressEvent(QMouseEvent* e) {
  Msg kind = e->button() == Qt::LeftButton     ? Msg::LButtonDown
             : e->button() == Qt::RightButton  ? Msg::RButtonDown
             : e->button() == Qt::MiddleButton ? Msg::MButtonDown
                                               : Msg::None;
  if (kind == Msg::None) return;
  postTo(record_, mouseMessage(kind, e->position().toPoint(), e->modifiers()));
}

void ClientWidget::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && record_->doubleClicks) {
    postTo(record_, mouseMessage(Msg::LButtonDblClk, e->position().toPoint(), e->modifiers()));
    return;
  }
  mousePressEvent(e);
}

void ClientWidget::mouseReleaseEvent(QMouseEvent* e) {
  Msg kind = e->button() == Qt::LeftButton    ? Msg::LButtonUp
             : e->button() == Qt::RightButton ? Msg::RButtonUp
                                              : Msg::None;
  if (kind == Msg::None) return;
  postTo(record_, mouseMessage(kind, e->position().toPoint(), e->modifiers()));
}

void ClientWidget::mouseMoveEvent(QMouseEvent* e) {
  postTo(record_, mouseMessage(Msg::MouseMove, e->position().toPoint(), e->modifiers()));
}

void ClientWidget::wheelEvent(QWheelEvent* e) {
  Message m = mouseMessage(Msg::MouseWheel, e->position().toPoint(), e->modifiers());
  m.wheelDelta = e->angleDelta().y();
  postTo(record_, m);
  e->accept();
}

}  // namespace plat::qt
