#include "platform/qt/display.h"

#include <QCoreApplication>
#include <QThread>
#include <condition_variable>
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

void postToDisplay(std::function<void()> fn) {
  blockIfAbandoned();
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(fn), Qt::QueuedConnection);
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
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [&fn, done] {
        fn();
        std::lock_guard lock(done->m);
        done->done = true;
        done->cv.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(done->m);
  done->cv.wait(lock, [&] { return done->done; });
}

}  // namespace plat::qt
