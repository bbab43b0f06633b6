#include "platform/instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace plat {

std::string runtimeFolder() {
  if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg && *xdg) return xdg;
  std::string folder = "/tmp/direvo-" + std::to_string(getuid());
  mkdir(folder.c_str(), 0700);  // an existing folder is fine
  return folder;
}

MadeLock InstanceLock::tryAcquire(const std::string& name) {
  std::string path = runtimeFolder() + "/" + name + ".lock";
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return MadeLock::failed(LockError::CannotOpen);
  // The kernel drops the lock when the process ends, however it ends.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return MadeLock::failed(LockError::HeldElsewhere);
  }
  return MadeLock{std::unique_ptr<InstanceLock>(new InstanceLock(fd)), LockError::None};
}

InstanceLock::~InstanceLock() {
  flock(fd_, LOCK_UN);
  close(fd_);
}

}  // namespace plat
