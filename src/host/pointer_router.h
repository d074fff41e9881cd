#pragma once

#include <deque>

#include "host/backend.h"

namespace host {

// Puts the mouse events of several windows into the order the core expects:
//  - the pointer is in at most one window at a time, and leaving it is reported before the
//    pointer is reported in another;
//  - from a press until its release every move and the release go to the window that saw the
//    press, in that window's coordinates even outside it, with no leave in between; if the
//    pointer ended up elsewhere, the leave follows the release.
//
// A desktop may send a press's events to the pressed window but clamp their coordinates to the
// window, report a release after the pointer left with no window at all, and report the last
// position before a leave as a move on the window's edge. Where an event's position cannot be
// trusted (on or past a window's edge, or from another window) the router asks for the real
// pointer position instead. Some desktops (Wayland) never tell a program where the pointer is on
// the screen; they also neither clamp nor misroute, so there the event's own window coordinates
// are used.
class PointerRouter {
 public:
  // Where things are on the screen.
  class Geometry {
   public:
    virtual ~Geometry() = default;
    // The window's position on the screen and its size; false for a window that isn't ours.
    virtual bool WindowRect(int window, Rect& rect) const = 0;
    // Where the pointer is on the screen now; false when the desktop does not say.
    virtual bool Pointer(int& x, int& y) const = 0;
  };

  explicit PointerRouter(const Geometry& geometry) : geometry_(geometry) {}

  // Each appends what the core should hear (possibly nothing) to `out`. `window` is 0 when the
  // backend could not tell which window the event belongs to.
  void Motion(int window, int x, int y, bool primaryHeld, std::deque<InputEvent>& out);
  void Press(int window, int x, int y, std::deque<InputEvent>& out);
  void Release(int window, int x, int y, std::deque<InputEvent>& out);
  void Leave(int window, std::deque<InputEvent>& out);
  void Enter(int window);
  // The window is gone: nothing more is reported for it.
  void Forget(int window);

  int PressedWindow() const { return pressed_; }
  int PointerWindow() const { return inside_; }

 private:
  bool Trusted(int window, int x, int y) const;
  bool Actual(int window, int& x, int& y) const;
  void MoveTo(int window, int x, int y, std::deque<InputEvent>& out);

  const Geometry& geometry_;
  int inside_ = 0;            // the window the core was last told the pointer is in
  int pressed_ = 0;           // the window that owns the current press
  bool leftPressed_ = false;  // the pointer left the pressed window during the press
};

}  // namespace host
