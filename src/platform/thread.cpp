#include "platform/thread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/qt/display.h"

namespace plat {

class Thread {
 public:
  std::mutex m;
  std::condition_variable cv;
  int exitCode = kStillActive;
  bool finished = false;
  bool abandoned = false;
  std::thread thread;
  // A thread nobody joined is let go; its handle may be the last thing it holds.
  ~Thread() {
    if (thread.joinable()) thread.detach();
  }
};

namespace {
thread_local Thread* currentThread = nullptr;
std::atomic<uint64_t> nextThreadId{1};
thread_local uint64_t threadId = 0;
}  // namespace

ThreadHandle startThread(std::function<int()> fn) {
  auto t = std::make_shared<Thread>();
  t->thread = std::thread([t, fn = std::move(fn)] {
    currentThread = t.get();
    int code = fn();
    std::lock_guard lock(t->m);
    if (!t->abandoned) t->exitCode = code;
    t->finished = true;
    t->cv.notify_all();
  });
  return t;
}

int threadExitCode(const ThreadHandle& t) {
  std::lock_guard lock(t->m);
  return t->exitCode;
}

void abandonThread(const ThreadHandle& t, int exitCode) {
  std::lock_guard lock(t->m);
  if (t->finished) return;
  t->abandoned = true;
  t->exitCode = exitCode;
  t->thread.detach();
}

void joinThread(const ThreadHandle& t) {
  {
    std::lock_guard lock(t->m);
    if (t->abandoned) return;
  }
  if (t->thread.joinable()) t->thread.join();
}

bool isCurrentThreadAbandoned() {
  if (!currentThread) return false;
  std::lock_guard lock(currentThread->m);
  return currentThread->abandoned;
}

uint64_t currentThreadId() {
  if (threadId == 0) threadId = nextThreadId.fetch_add(1);
  return threadId;
}

int64_t performanceCounter() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int64_t performanceFrequency() {
  return 1'000'000'000;
}

void sleepMs(int ms) {
  qt::blockIfAbandoned();
  std::this_thread::sleep_for(std::chrono::milliseconds(ms < 0 ? 0 : ms));
}

}  // namespace plat
