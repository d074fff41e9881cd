// One window holds the pointer at a time; a press keeps every move and the release.

#include "host/pointer_router.h"

#include <gtest/gtest.h>

#include <deque>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using host::InputEvent;
using Log = std::vector<std::string>;

// A full-screen main window (1) and a small box above it (2).
class Router : public ::testing::Test, public host::PointerRouter::Geometry {
 protected:
  bool WindowRect(int window, host::Rect& rect) const override {
    rect = window == 1 ? host::Rect{0, 0, 1920, 1080} : host::Rect{860, 480, 200, 120};
    return window == 1 || window == 2;
  }
  bool Pointer(int& x, int& y) const override {
    std::tie(x, y) = pointer;
    return pointerKnown;
  }

  // What the router passed on so far, as "kind window x,y".
  Log Out() const {
    static const char* const kKinds[] = {"move", "down", "up", "leave"};  // in Type's order
    Log log;
    for (const auto& e : out) {
      std::ostringstream s;
      s << kKinds[static_cast<int>(e.type)] << ' ' << e.window;
      if (e.type != InputEvent::Type::MouseLeave) s << ' ' << e.x << ',' << e.y;
      log.push_back(s.str());
    }
    return log;
  }
  std::pair<int, int> pointer;
  bool pointerKnown = true;
  host::PointerRouter router{*this};
  std::deque<InputEvent> out;
};

TEST_F(Router, APressKeepsMovesAndReleaseOutsideAndEndsAtALostReleaseOrAForgottenWindow) {
  router.Motion(1, 500, 500, false, out);
  router.Motion(2, 50, 50, false, out);
  pointer = {100, 100};  // already far outside the box, which SDL clamps the last move to
  router.Motion(2, 0, 10, false, out);
  router.Leave(2, out);
  router.Motion(2, 50, 50, false, out);
  router.Press(2, 50, 50, out);
  // The pointer goes over the main window; SDL clamps to the box's edge or names no window.
  pointer = {400, 380};
  router.Leave(2, out);
  router.Motion(2, 0, 0, true, out);
  router.Release(0, 0, 0, out);
  EXPECT_EQ(router.PressedWindow(), 0);
  router.Press(1, 10, 10, out);
  pointer = {600, 600};
  router.Motion(1, 600, 600, /*primaryHeld=*/false, out);  // the release went astray
  router.Motion(2, 50, 50, false, out);
  router.Press(2, 50, 50, out);
  router.Forget(2);
  router.Release(2, 50, 50, out);
  router.Leave(2, out);
  EXPECT_EQ(Out(), (Log{"move 1 500,500", "leave 1", "move 2 50,50", "leave 2", "move 2 50,50",
                        "down 2 50,50", "move 2 -460,-100", "up 2 -460,-100", "leave 2",
                        "down 1 10,10", "up 1 600,600", "move 1 600,600", "leave 1", "move 2 50,50",
                        "down 2 50,50", "up 2 50,50"}));
}

// Without the pointer's position (Wayland), a press keeps its window's own, unclamped coordinates.
TEST_F(Router, WithoutThePointerPositionTheEventsOwnCoordinatesAreUsed) {
  pointerKnown = false;
  router.Motion(2, 0, 60, false, out);  // on the box's left edge: a real move there
  router.Press(2, 0, 60, out);
  router.Leave(2, out);
  router.Motion(2, -460, -100, true, out);
  router.Motion(1, 400, 380, true, out);  // another window's report cannot be placed
  router.Release(2, -460, -100, out);
  router.Motion(1, 400, 380, false, out);
  EXPECT_EQ(Out(), (Log{"move 2 0,60", "down 2 0,60", "move 2 -460,-100", "up 2 -460,-100",
                        "leave 2", "move 1 400,380"}));
}

// A press dragged off its window and released outside leaves the window at the release, whether
// or not the desktop reported the pointer leaving during the press.
TEST_F(Router, AReleaseOutsideThePressedWindowLeavesItAtOnce) {
  for (bool leaveReported : {true, false}) {
    out.clear();
    router.Motion(2, 50, 50, false, out);
    router.Press(2, 50, 50, out);
    pointer = {100, 100};
    if (leaveReported) router.Leave(2, out);
    router.Release(2, 0, 0, out);
    EXPECT_EQ(Out(), (Log{"move 2 50,50", "down 2 50,50", "up 2 -760,-380", "leave 2"}))
        << leaveReported;
  }
}

}  // namespace
