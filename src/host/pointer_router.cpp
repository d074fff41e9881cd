#include "host/pointer_router.h"

namespace host {

namespace {

InputEvent Make(InputEvent::Type type, int window, int x = 0, int y = 0) {
  InputEvent event;
  event.type = type;
  event.window = window;
  event.x = x;
  event.y = y;
  return event;
}

}  // namespace

// A position strictly inside the window that reported it is the pointer's real position. On
// the edge it may have been clamped there, and past it it belongs to some other reference.
bool PointerRouter::Trusted(int window, int x, int y) const {
  Rect rect;
  if (!geometry_.WindowRect(window, rect)) return false;
  return x > 0 && y > 0 && x < rect.width - 1 && y < rect.height - 1;
}

// The pointer's real position relative to `window`.
bool PointerRouter::Actual(int window, int& x, int& y) const {
  Rect rect;
  int screenX = 0, screenY = 0;
  if (!geometry_.WindowRect(window, rect) || !geometry_.Pointer(screenX, screenY)) return false;
  x = screenX - rect.left;
  y = screenY - rect.top;
  return true;
}

void PointerRouter::MoveTo(int window, int x, int y, std::deque<InputEvent>& out) {
  if (inside_ != 0 && inside_ != window) out.push_back(Make(InputEvent::Type::MouseLeave, inside_));
  inside_ = window;
  out.push_back(Make(InputEvent::Type::MouseMove, window, x, y));
}

void PointerRouter::Motion(int window, int x, int y, bool primaryHeld,
                           std::deque<InputEvent>& out) {
  if (pressed_ != 0 && !primaryHeld) {
    // The release went missing (its window went away, say): end the press here.
    Release(0, x, y, out);
  }
  if (pressed_ != 0) {
    if (window != pressed_ || !Trusted(window, x, y)) {
      // Without the real position, only the pressed window's own report can be placed.
      if (!Actual(pressed_, x, y) && window != pressed_) return;
    }
    out.push_back(Make(InputEvent::Type::MouseMove, pressed_, x, y));
    return;
  }
  if (window == 0) return;
  if (!Trusted(window, x, y)) {
    // Either the pointer really is at the edge, or this is the clamped last position of a
    // pointer that has already gone elsewhere: only the first is a move.
    // Without the real position the report stands as it is.
    Rect rect;
    if (!geometry_.WindowRect(window, rect)) return;
    Actual(window, x, y);
    if (x < 0 || y < 0 || x >= rect.width || y >= rect.height) return;
  }
  MoveTo(window, x, y, out);
}

void PointerRouter::Press(int window, int x, int y, std::deque<InputEvent>& out) {
  if (window == 0) window = inside_;
  if (window == 0) return;
  if (inside_ != window) {
    if (inside_ != 0) out.push_back(Make(InputEvent::Type::MouseLeave, inside_));
    inside_ = window;
  }
  pressed_ = window;
  leftPressed_ = false;
  out.push_back(Make(InputEvent::Type::MouseDown, window, x, y));
}

void PointerRouter::Release(int window, int x, int y, std::deque<InputEvent>& out) {
  if (pressed_ == 0) {
    // A press that began before our window took the pointer: report the release as it is.
    if (window != 0) out.push_back(Make(InputEvent::Type::MouseUp, window, x, y));
    return;
  }
  const int owner = pressed_;
  pressed_ = 0;
  if (window != owner || !Trusted(owner, x, y)) Actual(owner, x, y);
  out.push_back(Make(InputEvent::Type::MouseUp, owner, x, y));
  Rect rect;
  const bool outside =
      geometry_.WindowRect(owner, rect) && (x < 0 || y < 0 || x >= rect.width || y >= rect.height);
  if ((leftPressed_ || outside) && inside_ == owner) {
    inside_ = 0;
    out.push_back(Make(InputEvent::Type::MouseLeave, owner));
  }
  leftPressed_ = false;
}

void PointerRouter::Leave(int window, std::deque<InputEvent>& out) {
  if (pressed_ != 0) {
    // Held back until the release: the press keeps the pointer.
    if (window == pressed_) leftPressed_ = true;
    return;
  }
  if (window != 0 && window == inside_) {
    inside_ = 0;
    out.push_back(Make(InputEvent::Type::MouseLeave, window));
  }
}

void PointerRouter::Enter(int window) {
  if (pressed_ != 0 && window == pressed_) leftPressed_ = false;
}

void PointerRouter::Forget(int window) {
  if (inside_ == window) inside_ = 0;
  if (pressed_ == window) {
    pressed_ = 0;
    leftPressed_ = false;
  }
}

}  // namespace host
