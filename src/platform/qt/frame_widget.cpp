#include "platform/qt/frame_widget.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QUrl>

#include "platform/clock.h"
#include "platform/qt/client_widget.h"
#include "platform/qt/widget_glue.h"

namespace plat::qt {

namespace {

// Frame metrics beyond the system's: the close box, the caption text, the menu bar items.
constexpr int kCloseBoxWidth = 16;
constexpr int kCloseBoxHeight = 14;
constexpr int kCloseBoxRightGap = 2;  // between the close box and the right frame
constexpr int kCaptionTextIndent = 4;
constexpr int kCaptionTextRightGap = kCloseBoxWidth + 6;  // the text stops short of the box
constexpr int kMenuItemPadding = 8;                       // each side of a menu bar label

// Frame colours: a grey face with a raised edge, a blue caption when active.
const QColor kFace(0xC0, 0xC0, 0xC0);
const QColor kEdgeLight(0xFF, 0xFF, 0xFF);
const QColor kEdgeShadow(0x40, 0x40, 0x40);
const QColor kCloseBoxShadow(0x00, 0x00, 0x00);
const QColor kActiveCaption(0x00, 0x00, 0x80);
const QColor kInactiveCaption(0x80, 0x80, 0x80);
const QColor kCaptionText(0xFF, 0xFF, 0xFF);
const QColor kMenuText(0x00, 0x00, 0x00);
const QColor kGrayedMenuText(0x80, 0x80, 0x80);

}  // namespace

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
  Rect outer, area;
  bool visible, drops;
  QString title;
  {
    std::lock_guard lock(record_->m);
    outer = record_->outer;
    area = clientArea(*record_);
    visible = record_->visible;
    drops = record_->acceptDrops;
    title = QString::fromStdString(record_->title);
    // From here on the window system hears of them; what it reports is answered below.
    record_->cornerUnsent = record_->sizeUnsent = false;
  }
  setWindowTitle(title);
  setAcceptDrops(drops);
  const QRect target(outer.left, outer.top, std::max(outer.width(), 1),
                     std::max(outer.height(), 1));
  // A widget not yet made on the window system moves without asking it, so without a reply.
  if (testAttribute(Qt::WA_WState_Created)) {
    const uint32_t now = milliseconds();
    if (target.topLeft() != geometry().topLeft())
      sentCorners_.sent({target.left(), target.top()}, now);
    if (target.size() != geometry().size()) sentSizes_.sent({target.width(), target.height()}, now);
  }
  applying_ = true;
  setGeometry(target);
  client_->setGeometry(area.left, area.top, area.width(), area.height());
  if (visible != isVisible()) setVisible(visible);
  applying_ = false;
  update();
}

void FrameWidget::moveEvent(QMoveEvent* e) {
  QWidget::moveEvent(e);
  if (applying_) return;
  const Point corner{geometry().left(), geometry().top()};
  if (sentCorners_.heard(corner, milliseconds()) == SentGeometry::Heard::Stale) return;
  takeReportedGeometry(record_, &corner, nullptr);
}

void FrameWidget::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (applying_) return;
  const Point size{geometry().width(), geometry().height()};
  if (sentSizes_.heard(size, milliseconds()) == SentGeometry::Heard::Stale) return;
  takeReportedGeometry(record_, nullptr, &size);
  Rect area;
  {
    std::lock_guard lock(record_->m);
    area = clientArea(*record_);
  }
  client_->setGeometry(area.left, area.top, area.width(), area.height());
  update();
}

QRect FrameWidget::closeBox() const {
  if (!record_->parts.closeBox) return {};
  return QRect(width() - kFrameWidth - kCloseBoxRightGap - kCloseBoxWidth,
               kFrameWidth + (kCaptionHeight - kCloseBoxHeight) / 2, kCloseBoxWidth,
               kCloseBoxHeight);
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
  p.setPen(kEdgeLight);
  p.drawLine(1, 1, w - 2, 1);
  p.drawLine(1, 1, 1, h - 2);
  p.setPen(kEdgeShadow);
  p.drawLine(0, h - 1, w - 1, h - 1);
  p.drawLine(w - 1, 0, w - 1, h - 1);
  if (record_->parts.caption) {
    QRect caption(kFrameWidth, kFrameWidth, w - 2 * kFrameWidth, kCaptionHeight - 1);
    p.fillRect(caption, isActiveWindow() ? kActiveCaption : kInactiveCaption);
    p.setPen(kCaptionText);
    QFont f = font();
    f.setBold(true);
    p.setFont(f);
    QRect text = caption.adjusted(kCaptionTextIndent, 0, -kCaptionTextRightGap, 0);
    p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
               p.fontMetrics().elidedText(windowTitle(), Qt::ElideRight, text.width()));
    QRect box = closeBox();
    if (!box.isEmpty()) {
      p.fillRect(box, kFace);
      p.setPen(kEdgeLight);
      p.drawLine(box.topLeft(), box.topRight());
      p.drawLine(box.topLeft(), box.bottomLeft());
      p.setPen(kCloseBoxShadow);
      p.drawLine(box.bottomLeft(), box.bottomRight());
      p.drawLine(box.topRight(), box.bottomRight());
      QRect x = box.adjusted(4, 3, -5, -4);  // the cross inside the box
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
      p.setPen(enabled[i] ? kMenuText : kGrayedMenuText);
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

void FrameWidget::mouseDoubleClickEvent(QMouseEvent* e) {
  mousePressEvent(e);
}

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
void FrameWidget::keyPressEvent(QKeyEvent* e) {
  postKey(record_, e, true);
}

void FrameWidget::keyReleaseEvent(QKeyEvent* e) {
  if (!e->isAutoRepeat()) postKey(record_, e, false);
}

}  // namespace plat::qt
