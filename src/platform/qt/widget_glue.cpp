#include "platform/qt/widget_glue.h"

#include <QGuiApplication>

#include "platform/qt/client_widget.h"
#include "platform/qt/display.h"
#include "platform/qt/frame_widget.h"
#include "platform/qt/keys.h"

namespace plat::qt {

namespace {

bool ctrlOf(Qt::KeyboardModifiers m) {
  return m & Qt::ControlModifier;
}
bool shiftOf(Qt::KeyboardModifiers m) {
  return m & Qt::ShiftModifier;
}

}  // namespace

Message mouseMessage(Msg kind, QPoint p, Qt::KeyboardModifiers mods) {
  Message m;
  m.kind = kind;
  m.x = p.x();
  m.y = p.y();
  m.ctrl = ctrlOf(mods);
  m.shift = shiftOf(mods);
  return m;
}

void tagWidget(QWidget* w, Window handle) {
  w->setProperty("platSlot", handle.slot);
  w->setProperty("platGeneration", handle.generation);
}

Window windowOfWidget(const QWidget* w) {
  for (; w; w = w->parentWidget()) {
    QVariant g = w->property("platGeneration");
    if (g.isValid()) return Window{w->property("platSlot").toUInt(), g.toUInt()};
  }
  return {};
}

void postKey(const RecordPtr& r, QKeyEvent* e, bool down) {
  Message m;
  m.kind = down ? Msg::KeyDown : Msg::KeyUp;
  m.key = virtualKeyFromQt(e->key(), e->modifiers());
  m.ctrl = ctrlOf(e->modifiers());
  m.shift = shiftOf(e->modifiers());
  if (down) m.text = e->text().toStdU16String();
  if (m.key == 0 && m.text.empty()) return;
  postTo(r, m);
}

// ---------------------------------------------------------------- the records' widgets

void createFrameWidget(const RecordPtr& r) {
  auto* f = new FrameWidget(r);
  r->frame = f;
  r->widget = f->client();
}

void destroyWidgets(const RecordPtr& r) {
  if (r->isControl) {
    delete r->widget;
  } else {
    delete r->frame;
  }
  r->frame = nullptr;
  r->widget = nullptr;
}

void syncGeometry(const RecordPtr& r) {
  if (r->frame) {
    r->frame->sync();
    return;
  }
  if (r->isControl && r->widget) {
    Rect c;
    {
      std::lock_guard lock(r->m);
      c = r->outer;
    }
    r->widget->setGeometry(c.left, c.top, c.width(), c.height());
  }
}

void raiseFrame(const RecordPtr& r) {
  if (!r->frame) return;
  // The headless plugin has no stacking order and says so on every raise.
  static const bool stacked = QGuiApplication::platformName() != QLatin1String("offscreen");
  if (stacked) r->frame->raise();
  r->frame->activateWindow();
}

void presentClient(const RecordPtr& r) {
  postToDisplay([r] {
    if (r->widget && !r->isControl) r->widget->update();
  });
}

}  // namespace plat::qt
