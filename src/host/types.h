#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>

namespace host {

// Monotonic time in microseconds. Timer periods are whole milliseconds, but deadlines and
// lateness are kept finer so that rounding does not add up over a chain of timers.
using Micros = std::int64_t;
constexpr Micros kMillis = 1000;

struct Color {
  std::uint8_t red = 0, green = 0, blue = 0;
  friend bool operator==(const Color&, const Color&) = default;
};

// Components outside 0..255 are clamped rather than wrapped.
Color RGB(int red, int green, int blue);

struct Size {
  int width = 0, height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
  bool Contains(int x, int y) const {
    return x >= left && y >= top && x < left + width && y < top + height;
  }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// Using a nil reference as an object raises this. The event loop catches it around every
// handler: the handler ends at that point, what it did before stays done, and the loop goes on.
class NilObjectError : public std::runtime_error {
 public:
  NilObjectError() : std::runtime_error("nil object") {}
};

// Dereferences a counted reference, raising the nil-object error for nil.
template <class T>
T& Deref(const std::shared_ptr<T>& p) {
  if (!p) throw NilObjectError();
  return *p;
}

template <class T>
T& Deref(T* p) {
  if (!p) throw NilObjectError();
  return *p;
}

}  // namespace host
