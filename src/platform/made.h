// What a factory hands back: the object it made, or none and the reason why.
#pragma once

#include <memory>
#include <utility>

namespace plat {

// Reason is the factory's own enum; its value None (zero) goes with a made object.
// Callers that only want the object keep writing
//   std::unique_ptr<T> p = T::create(...);
// since a Made converts to its object when it is a temporary.
template <class T, class Reason>
struct [[nodiscard]] Made {
  std::unique_ptr<T> object;
  Reason reason{};

  static Made failed(Reason why) { return Made{nullptr, why}; }

  explicit operator bool() const { return object != nullptr; }
  T* operator->() const { return object.get(); }
  T& operator*() const { return *object; }
  T* get() const { return object.get(); }
  void reset() { object.reset(); }
  operator std::unique_ptr<T>() && { return std::move(object); }
};

}  // namespace plat
