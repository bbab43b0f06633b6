// Instance locks: a named lock that marks a running instance and ends with the process.
#pragma once

#include <memory>
#include <string>

namespace plat {

class InstanceLock {
 public:
  // Takes the lock "name.lock" in the user's runtime folder; null if another process holds it.
  static std::unique_ptr<InstanceLock> tryAcquire(const std::string& name);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

 private:
  explicit InstanceLock(int fd) : fd_(fd) {}
  int fd_;
};
std::string runtimeFolder();

}  // namespace plat
