// A private runtime folder for the length of a test: the instance locks a running
// program holds in the user's own folder then don't count, and nothing is left behind.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace testsupport {

class PrivateRuntimeFolder {
 public:
  PrivateRuntimeFolder() {
    char dir[] = "/tmp/direvo-runtime-XXXXXX";
    if (mkdtemp(dir)) path_ = dir;
    setenv("XDG_RUNTIME_DIR", path_.c_str(), 1);
  }
  ~PrivateRuntimeFolder() {
    unsetenv("XDG_RUNTIME_DIR");
    if (!path_.empty()) std::filesystem::remove_all(path_);
  }
  PrivateRuntimeFolder(const PrivateRuntimeFolder&) = delete;
  PrivateRuntimeFolder& operator=(const PrivateRuntimeFolder&) = delete;
  const std::string& path() const { return path_; }
  bool made() const { return !path_.empty(); }

 private:
  std::string path_;
};

}  // namespace testsupport
