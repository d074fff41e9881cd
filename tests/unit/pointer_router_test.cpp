// Ordering the desktop's mouse events for the core: one window holds the pointer at a time,
// and a press keeps every move and its release until the button comes up.

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "host/pointer_router.h"

namespace {

using host::InputEvent;
using host::PointerRouter;

// A full-screen main window (1) and a small box above it (2).
class FakeScreen : public PointerRouter::Geometry {
 public:
  bool WindowRect(int window, host::Rect& rect) const override {
    auto it = windows.find(window);
    if (it == windows.end()) return false;
    rect = it->second;
    return true;
  }
  bool Pointer(int& x, int& y) const override {
    if (!pointerKnown) return false;
    x = pointerX;
    y = pointerY;
    return true;
  }
  std::map<int, host::Rect> windows{{1, {0, 0, 1920, 1080}}, {2, {860, 480, 200, 120}}};
  int pointerX = 0, pointerY = 0;
  bool pointerKnown = true;
};

const std::map<InputEvent::Type, const char*> kKinds = {{InputEvent::Type::MouseMove, "move"},
                                                        {InputEvent::Type::MouseDown, "down"},
                                                        {InputEvent::Type::MouseUp, "up"},
                                                        {InputEvent::Type::MouseLeave, "leave"}};

std::vector<std::string> Describe(const std::deque<InputEvent>& events) {
  std::vector<std::string> out;
  for (const auto& e : events) {
    std::string s = kKinds.count(e.type) ? kKinds.at(e.type) : "other";
    // Appended piece by piece: GCC 12's optimiser warns falsely on `" " + std::to_string(...)`.
    s += ' ';
    s += std::to_string(e.window);
    if (e.type != InputEvent::Type::MouseLeave) {
      s += ' ';
      s += std::to_string(e.x);
      s += ',';
      s += std::to_string(e.y);
    }
    out.push_back(s);
  }
  return out;
}

class Router : public ::testing::Test {
 protected:
  FakeScreen screen;
  PointerRouter router{screen};
  std::deque<InputEvent> out;
};

TEST_F(Router, MovingIntoTheBoxLeavesTheMainWindowFirst) {
  router.Motion(1, 500, 500, false, out);
  router.Motion(2, 50, 50, false, out);
  EXPECT_EQ(Describe(out), (std::vector<std::string>{"move 1 500,500", "leave 1", "move 2 50,50"}));
}

TEST_F(Router, PressKeepsMovesAndReleaseOutsideWithRealCoordinates) {
  router.Motion(2, 50, 50, false, out);
  router.Press(2, 50, 50, out);
  // The pointer goes over the main window; SDL clamps to the box's edge or names no window.
  screen.pointerX = 400;
  screen.pointerY = 380;
  router.Leave(2, out);
  router.Motion(2, 0, 0, true, out);
  router.Release(0, 0, 0, out);
  EXPECT_EQ(Describe(out),
            (std::vector<std::string>{"move 2 50,50", "down 2 50,50", "move 2 -460,-100",
                                      "up 2 -460,-100", "leave 2"}));
  EXPECT_EQ(router.PressedWindow(), 0);
}

TEST_F(Router, ClampedLastPositionOfALeavingPointerIsNoMove) {
  router.Motion(2, 50, 50, false, out);
  screen.pointerX = 100;  // already far outside the box
  screen.pointerY = 100;
  router.Motion(2, 0, 10, false, out);
  router.Leave(2, out);
  EXPECT_EQ(Describe(out), (std::vector<std::string>{"move 2 50,50", "leave 2"}));
}

TEST_F(Router, LostReleaseEndsThePressAtTheNextMove) {
  router.Press(1, 10, 10, out);
  screen.pointerX = 600;
  screen.pointerY = 600;
  router.Motion(1, 600, 600, /*primaryHeld=*/false, out);
  EXPECT_EQ(Describe(out),
            (std::vector<std::string>{"down 1 10,10", "up 1 600,600", "move 1 600,600"}));
}

TEST_F(Router, ForgottenWindowNoLongerHoldsThePress) {
  router.Motion(2, 50, 50, false, out);
  router.Press(2, 50, 50, out);
  router.Forget(2);
  out.clear();
  router.Release(2, 50, 50, out);
  router.Leave(2, out);
  EXPECT_EQ(Describe(out), (std::vector<std::string>{"up 2 50,50"}));
}

// A desktop that never says where the pointer is (Wayland) reports a press's moves and release
// in the pressed window's own coordinates, past its edges too, and never clamps.
TEST_F(Router, WithoutThePointerPositionTheEventsOwnCoordinatesAreUsed) {
  screen.pointerKnown = false;
  router.Motion(2, 0, 60, false, out);  // on the box's left edge: a real move there
  router.Press(2, 0, 60, out);
  router.Leave(2, out);
  router.Motion(2, -460, -100, true, out);
  router.Motion(1, 400, 380, true, out);  // another window's report cannot be placed
  router.Release(2, -460, -100, out);
  router.Motion(1, 400, 380, false, out);
  EXPECT_EQ(Describe(out),
            (std::vector<std::string>{"move 2 0,60", "down 2 0,60", "move 2 -460,-100",
                                      "up 2 -460,-100", "leave 2", "move 1 400,380"}));
}

}  // namespace
