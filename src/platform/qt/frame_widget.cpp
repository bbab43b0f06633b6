#include "platform/qt/frame_widget.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>
#include <QWheelEvent>

#include "platform/qt/display.h"
#include "platform/qt/keys.h"

namespace plat::qt {

namespace {

constexpr int kCloseBoxWidth = 16;
constexpr int kCloseBoxHeight = 14;
constexpr int kMenuItemPadding = 8;
const QColor kFace(0xC0, 0xC0, 0xC0);
const QColor kActiveCaption(0x00, 0x00, 0x80);
const QColor kInactiveCaption(0x80, 0x80, 0x80);

bool ctrlOf(Qt::KeyboardModifiers m) { return m & Qt::ControlModifier; }
bool shiftOf(Qt::KeyboardModifiers m) { return m & Qt::ShiftModifier; }

Message mouseMessage(Msg kind, QPoint p, Qt::KeyboardModifiers mods) {
  Message m;
  m.kind = kind;
  m.x = p.x();
  m.y = p.y();
  m.ctrl = ctrlOf(mods);
  m.shift = shiftOf(mods);
  return m;
}

}  // namespace

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

// ---------------------------------------------------------------- frame

FrameWidget::FrameWidget(RecordPtr record)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), record_(std::move(record)) {
  setAttribute(Qt::WA_DeleteOnClose, false);
  setMouseTracking(false);
  client_ = new ClientWidget(this, record_);
  tagWidget(this, record_->handle);
  setFocusProxy(client_);
  sync();
}

FrameWidget::~FrameWidget() = default;

void FrameWidget::sync() {
  Rect outer;
  bool visible, drops;
  QString title;
  {
    std::lock_guard lock(record_->m);
    outer = record_->outer;
    visible = record_->visible;
    drops = record_->acceptDrops;
    title = QString::fromStdString(record_->title);
  }
  setWindowTitle(title);
  setAcceptDrops(drops);
  setGeometry(outer.left, outer.top, std::max(outer.width(), 1), std::max(outer.height(), 1));
  Point off = clientOffset(record_->parts);
  client_->setGeometry(off.x, off.y, std::max(outer.width() - off.x - kFrameWidth, 0),
                       std::max(outer.height() - off.y - kFrameWidth, 0));
  if (visible != isVisible()) setVisible(visible);
  update();
}

QRect FrameWidget::closeBox() const {
  if (!record_->parts.closeBox) return {};
  return QRect(width() - kFrameWidth - 2 - kCloseBoxWidth, kFrameWidth + (kCaptionHeight - kCloseBoxHeight) / 2,
               kCloseBoxWidth, kCloseBoxHeight);
}

std::vector<QRect> FrameWidget::menuItemRects() const {
  std::vector<QRect> rects;
  if (!record_->parts.menuBar) return rects;
  std::vector<std::string> labels;
  {
    std::lock_guard lock(record_->m);
    labels = record_->menuBar;
  }
  QFontMetrics fm(font());
  int x = kFrameWidth;
  int y = kFrameWidth + (record_->parts.caption ? kCaptionHeight : 0);
  for (auto& l : labels) {
    QString text = QString::fromStdString(l).remove('&');
    int w = fm.horizontalAdvance(text) + 2 * kMenuItemPadding;
    rects.emplace_back(x, y, w, kMenuBarHeight);
    x += w;
  }
  return rects;
}

int FrameWidget::menuItemAt(QPoint p) const {
  auto rects = menuItemRects();
  for (size_t i = 0; i < rects.size(); ++i)
    if (rects[i].contains(p)) return static_cast<int>(i);
  return -1;
}

Hit FrameWidget::hitTest(QPoint p) const {
  const int w = width(), h = height();
  const bool thick = record_->parts.sizingBorder;
  bool left = p.x() < kFrameWidth, right = p.x() >= w - kFrameWidth;
  bool top = p.y() < kFrameWidth, bottom = p.y() >= h - kFrameWidth;
  if (thick) {
    if (top && left) return Hit::TopLeft;
    if (top && right) return Hit::TopRight;
    if (bottom && left) return Hit::BottomLeft;
    if (bottom && right) return Hit::BottomRight;
    if (left) return Hit::Left;
    if (right) return Hit::Right;
    if (top) return Hit::Top;
    if (bottom) return Hit::Bottom;
  } else if (left || right || top || bottom) {
    return Hit::Nowhere;
  }
  if (closeBox().contains(p)) return Hit::Close;
  if (record_->parts.caption && p.y() < kFrameWidth + kCaptionHeight) return Hit::Caption;
  return Hit::Client;
}

void FrameWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const int w = width(), h = height();
  p.fillRect(rect(), kFace);
  // A raised edge: light on the top left, dark on the bottom right.
  p.setPen(Qt::white);
  p.drawLine(1, 1, w - 2, 1);
  p.drawLine(1, 1, 1, h - 2);
  p.setPen(QColor(0x40, 0x40, 0x40));
  p.drawLine(0, h - 1, w - 1, h - 1);
  p.drawLine(w - 1, 0, w - 1, h - 1);
  if (record_->parts.caption) {
    QRect caption(kFrameWidth, kFrameWidth, w - 2 * kFrameWidth, kCaptionHeight - 1);
    p.fillRect(caption, isActiveWindow() ? kActiveCaption : kInactiveCaption);
    p.setPen(Qt::white);
    QFont f = font();
    f.setBold(true);
    p.setFont(f);
    QRect text = caption.adjusted(4, 0, -(kCloseBoxWidth + 6), 0);
    p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
               p.fontMetrics().elidedText(windowTitle(), Qt::ElideRight, text.width()));
    QRect box = closeBox();
    if (!box.isEmpty()) {
      p.fillRect(box, kFace);
      p.setPen(Qt::white);
      p.drawLine(box.topLeft(), box.topRight());
      p.drawLine(box.topLeft(), box.bottomLeft());
      p.setPen(Qt::black);
      p.drawLine(box.bottomLeft(), box.bottomRight());
      p.drawLine(box.topRight(), box.bottomRight());
      QRect x = box.adjusted(4, 3, -5, -4);
      p.drawLine(x.topLeft(), x.bottomRight());
      p.drawLine(x.topRight(), x.bottomLeft());
    }
  }
  auto rects = menuItemRects();
  if (!rects.empty()) {
    p.setFont(font());
    std::vector<std::string> labels;
    std::vector<bool> enabled;
    {
      std::lock_guard lock(record_->m);
      labels = record_->menuBar;
      enabled = record_->menuBarEnabled;
    }
    for (size_t i = 0; i < rects.size() && i < labels.size(); ++i) {
      p.setPen(enabled[i] ? Qt::black : QColor(0x80, 0x80, 0x80));
      QString label = QString::fromStdString(labels[i]);
      p.drawText(rects[i], Qt::AlignCenter | Qt::TextShowMnemonic, label);
    }
  }
}

void FrameWidget::mousePressEvent(QMouseEvent* e) {
  QPoint local = e->position().toPoint();
  QPoint global = e->globalPosition().toPoint();
  Hit hit = hitTest(local);
  if (e->button() == Qt::RightButton) {
    Message m = mouseMessage(Msg::NcRButtonDown, global, e->modifiers());
    m.hit = hit;
    postTo(record_, m);
    return;
  }
  if (e->button() != Qt::LeftButton) return;
  if (int item = menuItemAt(local); item >= 0) {
    std::lock_guard lock(record_->m);
    if (record_->menuBarEnabled[item]) {
      Message m;
      m.kind = Msg::Command;
      m.commandId = record_->menuBarIds[item];
      postTo(record_, m);
    }
    return;
  }
  if (hit == Hit::Close) {
    closePressed_ = true;
    return;
  }
  if (hit == Hit::Caption || (hit != Hit::Client && hit != Hit::Nowhere)) {
    Message m = mouseMessage(Msg::NcLButtonDown, global, e->modifiers());
    m.hit = hit;
    postTo(record_, m);
    tracking_ = true;
  }
}

void FrameWidget::mouseDoubleClickEvent(QMouseEvent* e) { mousePressEvent(e); }

void FrameWidget::mouseMoveEvent(QMouseEvent* e) {
  if (!tracking_) return;
  postTo(record_, mouseMessage(Msg::NcMouseMove, e->globalPosition().toPoint(), e->modifiers()));
}

void FrameWidget::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  if (tracking_) {
    tracking_ = false;
    postTo(record_, mouseMessage(Msg::NcLButtonUp, e->globalPosition().toPoint(), e->modifiers()));
  }
  if (closePressed_) {
    closePressed_ = false;
    if (closeBox().contains(e->position().toPoint())) {
      Message m;
      m.kind = Msg::Close;
      postTo(record_, m);
    }
  }
}

void FrameWidget::dragEnterEvent(QDragEnterEvent* e) {
  if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void FrameWidget::dropEvent(QDropEvent* e) {
  Message m;
  m.kind = Msg::DropFiles;
  QPoint c = client_->mapFrom(this, e->position().toPoint());
  m.x = c.x();
  m.y = c.y();
  for (const QUrl& u : e->mimeData()->urls())
    if (u.isLocalFile()) m.files.push_back(u.toLocalFile().toStdString());
  if (m.files.empty()) return;
  e->acceptProposedAction();
  postTo(record_, m);
}

void FrameWidget::changeEvent(QEvent* e) {
  if (e->type() == QEvent::ActivationChange) {
    Message m;
    m.kind = Msg::Activate;
    m.active = isActiveWindow() ? 1 : 0;
    postTo(record_, m);
    update();
  }
  QWidget::changeEvent(e);
}

// Keys that reach the frame itself (no child has the focus) belong to the window.
void FrameWidget::keyPressEvent(QKeyEvent* e) { postKey(record_, e, true); }

void FrameWidget::keyReleaseEvent(QKeyEvent* e) {
  if (!e->isAutoRepeat()) postKey(record_, e, false);
}

// ---------------------------------------------------------------- client

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
  Msg kind = e->button() == Qt::LeftButton    ? Msg::LButtonDown
             : e->button() == Qt::RightButton ? Msg::RButtonDown
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

// ---------------------------------------------------------------- record side

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
