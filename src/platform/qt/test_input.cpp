// Test seams on the Qt side: the headless start, injected input that goes through Qt's
// widget paths, and what the display shows.
#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QUrl>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <utility>
#include <vector>

#include "platform/app.h"
#include "platform/qt/client_widget.h"
#include "platform/qt/display.h"
#include "platform/qt/frame_widget.h"
#include "platform/qt/keys.h"
#include "platform/test.h"
#include "platform/window_table.h"

namespace plat::test {

namespace {

Qt::MouseButton qtButton(Button b) {
  return b == Button::Left    ? Qt::LeftButton
         : b == Button::Right ? Qt::RightButton
                              : Qt::MiddleButton;
}

// The widget under a client point of a window (a control if one is there), and the
// point in that widget's coordinates.
QWidget* targetAt(Window w, Point client, QPoint* local) {
  auto r = findRecord(w);
  if (!r || !r->widget) return nullptr;
  QWidget* base = r->widget;
  QPoint p(client.x, client.y);
  if (r->isControl) {
    *local = p;
    return base;
  }
  QWidget* child = base->childAt(p);
  QWidget* target = child ? child : base;
  *local = target->mapFrom(base, p);
  return target;
}

void sendMouse(QWidget* target, QEvent::Type type, QPoint local, Qt::MouseButton button,
               Qt::MouseButtons held, Qt::KeyboardModifiers mods) {
  QPointF global = target->mapToGlobal(QPointF(local));
  QMouseEvent e(type, QPointF(local), global, button, held, mods);
  QApplication::sendEvent(target, &e);
}

Qt::KeyboardModifiers mods(bool ctrl, bool shift = false) {
  Qt::KeyboardModifiers m;
  if (ctrl) m |= Qt::ControlModifier;
  if (shift) m |= Qt::ShiftModifier;
  return m;
}

}  // namespace

int runHeadless(int argc, char** argv, std::function<int()> body) {
  setAutoCloseMessageBoxes(true);
  return runApplication(argc, argv, std::move(body), true);
}

void sync() {
  // Twice: events that the first round's handlers posted run in the second.
  for (int i = 0; i < 2; ++i) qt::runOnDisplay([] { QCoreApplication::sendPostedEvents(); });
}

void click(Window w, Point client, Button b, bool ctrl) {
  qt::runOnDisplay([&] {
    QPoint local;
    QWidget* t = targetAt(w, client, &local);
    if (!t) return;
    sendMouse(t, QEvent::MouseButtonPress, local, qtButton(b), qtButton(b), mods(ctrl));
    sendMouse(t, QEvent::MouseButtonRelease, local, qtButton(b), Qt::NoButton, mods(ctrl));
  });
}

void moveFromOutside(Window w, Rect outer) {
  qt::runOnDisplay([&] {
    RecordPtr r = findRecord(w);
    if (!r || !r->frame || !r->frame->windowHandle()) return;
    r->frame->windowHandle()->setGeometry(outer.left, outer.top, outer.width(), outer.height());
    QCoreApplication::processEvents();  // the window system's notification
  });
}

void doubleClick(Window w, Point client) {
  qt::runOnDisplay([&] {
    QPoint local;
    QWidget* t = targetAt(w, client, &local);
    if (!t) return;
    sendMouse(t, QEvent::MouseButtonPress, local, Qt::LeftButton, Qt::LeftButton, {});
    sendMouse(t, QEvent::MouseButtonRelease, local, Qt::LeftButton, Qt::NoButton, {});
    sendMouse(t, QEvent::MouseButtonDblClick, local, Qt::LeftButton, Qt::LeftButton, {});
    sendMouse(t, QEvent::MouseButtonRelease, local, Qt::LeftButton, Qt::NoButton, {});
  });
}

void mouseMove(Window w, Point client, bool leftHeld) {
  qt::runOnDisplay([&] {
    QPoint local;
    QWidget* t = targetAt(w, client, &local);
    if (!t) return;
    sendMouse(t, QEvent::MouseMove, local, Qt::NoButton, leftHeld ? Qt::LeftButton : Qt::NoButton,
              {});
  });
}

void pressOuter(Window w, Point outer, Button b) {
  qt::runOnDisplay([&] {
    auto r = findRecord(w);
    if (!r || !r->frame) return;
    QPoint p(outer.x, outer.y);
    sendMouse(r->frame, QEvent::MouseButtonPress, p, qtButton(b), qtButton(b), {});
    sendMouse(r->frame, QEvent::MouseButtonRelease, p, qtButton(b), Qt::NoButton, {});
  });
}

void dragOuter(Window w, Point from, Point to) {
  qt::runOnDisplay([&] {
    auto r = findRecord(w);
    if (!r || !r->frame) return;
    // Global positions are fixed at the start: the frame moves under the pointer.
    QPointF origin = r->frame->mapToGlobal(QPointF(0, 0));
    auto send = [&](QEvent::Type type, Point p, Qt::MouseButton b, Qt::MouseButtons held) {
      QPointF global = origin + QPointF(p.x, p.y);
      QMouseEvent e(type, r->frame->mapFromGlobal(global), global, b, held, {});
      QApplication::sendEvent(r->frame, &e);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, {(from.x + to.x) / 2, (from.y + to.y) / 2}, Qt::NoButton,
         Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
  });
}

void wheel(Window w, Point client, int delta, bool ctrl) {
  qt::runOnDisplay([&] {
    QPoint local;
    QWidget* t = targetAt(w, client, &local);
    if (!t) return;
    QWheelEvent e(QPointF(local), t->mapToGlobal(QPointF(local)), QPoint(), QPoint(0, delta),
                  Qt::NoButton, mods(ctrl), Qt::NoScrollPhase, false);
    QApplication::sendEvent(t, &e);
  });
}

void key(Window w, int virtualKey, bool ctrl, bool shift) {
  qt::runOnDisplay([&] {
    auto r = findRecord(w);
    if (!r || !r->widget) return;
    QWidget* target = QApplication::focusWidget();
    if (!target || target->window() != r->widget->window()) target = r->widget;
    bool keypad = false;
    int k = qt::qtKeyFromVirtual(virtualKey, &keypad);
    if (virtualKey == vk::Tab && shift) k = Qt::Key_Backtab;
    Qt::KeyboardModifiers m = mods(ctrl, shift);
    if (keypad) m |= Qt::KeypadModifier;
    QString text = QString::fromStdU16String(qt::textForVirtualKey(virtualKey, ctrl, shift));
    QKeyEvent press(QEvent::KeyPress, k, m, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, k, m, text);
    QApplication::sendEvent(target, &release);
  });
}

void typeText(Window w, const std::u16string& text) {
  qt::runOnDisplay([&] {
    auto r = findRecord(w);
    if (!r || !r->widget) return;
    QWidget* target = QApplication::focusWidget();
    if (!target || target->window() != r->widget->window()) target = r->widget;
    for (char16_t u : text) {
      QString s(QChar(static_cast<ushort>(u)));
      int k = (u >= 'a' && u <= 'z') ? Qt::Key_A + (u - 'a')
                                     : (u < 128 ? QChar(u).toUpper().unicode() : 0);
      QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, s);
      QApplication::sendEvent(target, &press);
      QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier, s);
      QApplication::sendEvent(target, &release);
    }
  });
}

void dropFiles(Window w, const std::vector<std::string>& paths) {
  qt::runOnDisplay([&] {
    auto r = findRecord(w);
    if (!r || !r->frame || !r->frame->acceptDrops()) return;
    QMimeData data;
    QList<QUrl> urls;
    for (auto& p : paths) urls << QUrl::fromLocalFile(QString::fromStdString(p));
    data.setUrls(urls);
    QPointF at = r->frame->client()->geometry().center();
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(r->frame, &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(r->frame, &drop);
  });
}

std::string title(Window w) {
  std::string t;
  qt::runOnDisplay([&] {
    auto r = findRecord(w);
    if (r && r->frame) t = r->frame->windowTitle().toStdString();
  });
  return t;
}

std::unique_ptr<Surface> screenPixels(int screen) {
  std::unique_ptr<Surface> out;
  qt::runOnDisplay([&] {
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screen < 0 || screen >= screens.size()) return;
    const QRect g = screens[screen]->geometry();
    // Black, then every shown top-level window as it paints now, bottom first.
    std::vector<std::pair<uint64_t, RecordPtr>> shown;  // (z-order, window)
    for (const RecordPtr& r : allRecords()) {
      if (r->isControl || !r->frame || !r->frame->isVisible()) continue;
      std::lock_guard lock(r->m);
      shown.emplace_back(r->zOrder, r);
    }
    std::sort(shown.begin(), shown.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    QImage image(g.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    {
      QPainter painter(&image);
      for (const auto& [z, r] : shown)
        painter.drawPixmap(r->frame->geometry().topLeft() - g.topLeft(), r->frame->grab());
    }
    out = Surface::create(image.width(), image.height(), 32);
    if (!out) return;
    // Qt's RGB32 words carry 0xff on top; a surface's words carry no alpha.
    for (int y = 0; y < image.height(); ++y) {
      const auto* in = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
      uint32_t* row = out->row32(y);
      for (int x = 0; x < image.width(); ++x) row[x] = in[x] & 0xFFFFFFu;
    }
  });
  return out;
}

bool pointerHidden(Window w) {
  bool hidden = false;
  qt::runOnDisplay([&] {
    auto r = findRecord(w);
    if (r && r->frame) hidden = r->frame->client()->cursor().shape() == Qt::BlankCursor;
  });
  return hidden;
}

}  // namespace plat::test
