// The key queue between the text windows' character events and the line reader.
#include "textwin/textwin.h"

bool TextKeyQueue::put(char16_t unit) {
  std::lock_guard lock(m_);
  if (read_ == write_) return false;  // full
  units_[write_] = unit;
  if (read_ == -1) read_ = write_;
  write_ = (write_ + 1) % kKeyQueueSize;
  return true;
}

bool TextKeyQueue::take(char16_t& unit) {
  std::lock_guard lock(m_);
  if (read_ == -1) return false;
  unit = units_[read_];
  read_ = (read_ + 1) % kKeyQueueSize;
  if (read_ == write_) read_ = -1;
  return true;
}

bool TextKeyQueue::empty() {
  std::lock_guard lock(m_);
  return read_ == -1;
}

void TextKeyQueue::clear() {
  std::lock_guard lock(m_);
  read_ = -1;
  write_ = 0;
}
