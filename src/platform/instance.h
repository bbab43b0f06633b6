// Instance locks: a named lock that marks a running instance and ends with the process.
#pragma once

#include <memory>
#include <string>

#include "platform/made.h"

namespace plat {

class InstanceLock;
enum class LockError { None, HeldElsewhere, CannotOpen };
using MadeLock = Made<InstanceLock, LockError>;

class InstanceLock {
 public:
  // Takes the lock "name.lock" in the user's runtime folder; nothing made when another
  // process holds it or the file cannot be opened.
  [[nodiscard]] static MadeLock tryAcquire(const std::string& name);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

 private:
  explicit InstanceLock(int fd) : fd_(fd) {}
  int fd_;
};
std::string runtimeFolder();

}  // namespace plat
