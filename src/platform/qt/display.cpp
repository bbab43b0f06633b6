#include "platform/qt/display.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "platform/thread.h"

namespace plat::qt {

bool isDisplayThread() {
  auto* app = QCoreApplication::instance();
  return app && QThread::currentThread() == app->thread();
}

void blockIfAbandoned() {
  if (!isCurrentThreadAbandoned()) return;
  std::mutex m;
  std::condition_variable never;
  std::unique_lock lock(m);
  for (;;) never.wait(lock);
}

namespace {

// Work that client threads hand to the display thread, in order. The queue is ours, under
// our own lock, so that ThreadSanitizer sees every hand-off; a Qt event only wakes the
// display thread, which runs one queued function per wake.
std::mutex queueLock;
std::deque<std::function<void()>> queued;

const QEvent::Type kRunQueued = static_cast<QEvent::Type>(QEvent::registerEventType());

void runOneQueued() {
  std::function<void()> fn;
  {
    std::lock_guard lock(queueLock);
    if (queued.empty()) return;
    fn = std::move(queued.front());
    queued.pop_front();
  }
  fn();
}

// Qt hands it only our wake events, as custom events; the event itself, made on the
// client thread, is not looked at here, since Qt's own hand-off of it is invisible to
// ThreadSanitizer.
class Waker : public QObject {
 protected:
  void customEvent(QEvent*) override { runOneQueued(); }
};
Waker* waker = nullptr;  // lives on the display thread between start and stop

}  // namespace

void startDisplayQueue() {
  waker = new Waker;
}

void stopDisplayQueue() {
  {
    std::lock_guard lock(queueLock);
    queued.clear();  // no client is left to wait for it, as Qt drops its own events
  }
  delete waker;
  waker = nullptr;
}

void postToDisplay(std::function<void()> fn) {
  blockIfAbandoned();
  {
    std::lock_guard lock(queueLock);
    queued.push_back(std::move(fn));
  }
  QCoreApplication::postEvent(waker, new QEvent(kRunQueued));
}

void runOnDisplay(const std::function<void()>& fn) {
  if (isDisplayThread()) {
    fn();
    return;
  }
  blockIfAbandoned();
  struct Done {
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
  };
  auto done = std::make_shared<Done>();
  postToDisplay([&fn, done] {
    fn();
    std::lock_guard lock(done->m);
    done->done = true;
    done->cv.notify_all();
  });
  std::unique_lock lock(done->m);
  done->cv.wait(lock, [&] { return done->done; });
}

}  // namespace plat::qt
