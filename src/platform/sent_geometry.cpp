#include "platform/sent_geometry.h"

#include <algorithm>

namespace plat {

void SentGeometry::forgetOld(uint32_t nowMs) {
  while (!requests_.empty() && nowMs - requests_.front().atMs > kForgetAfterMs)
    requests_.pop_front();
}

void SentGeometry::sent(Point value, uint32_t nowMs) {
  forgetOld(nowMs);
  if (requests_.size() == kMaxKept) requests_.pop_front();
  requests_.push_back({value, nowMs});
}

SentGeometry::Heard SentGeometry::heard(Point value, uint32_t nowMs) {
  forgetOld(nowMs);
  // The newest match: a value asked for twice is answered by its latest request.
  auto match = std::find_if(requests_.rbegin(), requests_.rend(),
                            [&](const Request& r) { return r.value == value; });
  if (match == requests_.rend()) return Heard::Foreign;
  const bool newest = match == requests_.rbegin();
  // Every request up to the one answered has been carried out (the window system keeps
  // their order), so none of them can be heard of again.
  requests_.erase(requests_.begin(), match.base());
  return newest ? Heard::Newest : Heard::Stale;
}

}  // namespace plat
