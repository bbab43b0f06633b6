// Client threads, their exit codes, abandoning, and time.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace plat {

inline constexpr int kStillActive = 259;

class Thread;
using ThreadHandle = std::shared_ptr<Thread>;
// Starts a client thread running fn; its result becomes the exit code.
[[nodiscard]] ThreadHandle startThread(std::function<int()> fn);
// kStillActive while running, else the exit code.
int threadExitCode(const ThreadHandle& t);
// The stand-in for a forced end: the thread is marked dead with this exit code and
// every later platform call it makes blocks for ever; it is never joined.
void abandonThread(const ThreadHandle& t, int exitCode);
// Waits for the thread to end (not for an abandoned one).
void joinThread(const ThreadHandle& t);
bool isCurrentThreadAbandoned();
uint64_t currentThreadId();

int64_t performanceCounter();
int64_t performanceFrequency();
void sleepMs(int ms);

}  // namespace plat
