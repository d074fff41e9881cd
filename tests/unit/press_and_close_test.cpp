// Presses that outlast what they pressed on, and the ways a window is closed: drag-pulls on the
// chain, a press held through the blackout, the strip after the blackout, and close requests on
// the two windows.

#include <gtest/gtest.h>

#include "support/scene_fixture.h"

namespace lumorra::testing {
namespace {

class Presses : public SceneTest {
 protected:
  host::RectControl& Chain() const { return *window->Find<host::RectControl>("Canvas2"); }
  int ChainX() const { return Chain().Left() + Chain().Width() / 2; }
  int ChainY() const { return Chain().Top() + Chain().Height() / 2; }
  // Press on the chain, pull down past its end, release there: the pointer never comes back.
  void DragPull() {
    driver->MoveTo(*window, ChainX(), ChainY());
    driver->Press(*window, ChainX(), ChainY());
    const int below = Chain().Top() + Chain().Height() + 60;
    driver->MoveTo(*window, ChainX(), below);
    driver->Release(*window, ChainX(), below);
  }
  void PressChain() {
    driver->MoveTo(*window, ChainX(), ChainY());
    driver->Press(*window, ChainX(), ChainY());
  }
};

TEST_F(Presses, EveryDragPullOnTheChainCounts) {
  std::vector<std::string> shown;
  for (int pull = 0; pull < 4; ++pull) {
    DragPull();
    driver->Advance(1000);
    shown.push_back(Showing());
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"lighter", "darker", "lighter", "darker"}));
  EXPECT_EQ(Native().Cursor(), host::CursorKind::Arrow) << "the pointer is off the chain";

  // A plain click after the drags still pulls.
  PullChain();
  driver->Advance(1000);
  EXPECT_EQ(Showing(), "lighter");
}

TEST_F(Presses, APressHeldThroughTheBlackoutLeavesItBlack) {
  PullChain();
  LeaveChain();
  const long pullMs = driver->NowMs();
  driver->Advance(LastMoment("flash") - 800);
  PressChain();
  driver->Advance(LastMoment("none") + 600 - (driver->NowMs() - pullMs));
  ASSERT_EQ(Showing(), "none");
  const std::size_t frame = Native().Frames().size();
  const std::size_t sounds = backend.Sounds().size();
  driver->Release(*window, ChainX(), ChainY() + 40);
  driver->Advance(3000);
  EXPECT_EQ(TimelineFrom(frame, 0), (std::vector<Step>{})) << "no picture after the blackout";
  EXPECT_EQ(backend.Sounds().size(), sounds) << "no chain sound";
  EXPECT_FALSE(runtime->QuitRequested()) << "the release belonged to the chain, not the window";

  driver->Click(*window, 900, 600);
  EXPECT_TRUE(runtime->QuitRequested());
}

TEST_F(Presses, AfterTheBlackoutOnlyClicksBelowTheStripQuit) {
  PullChain();
  driver->Advance(LastMoment("none") + 1000);
  ASSERT_TRUE(window->enditall);
  driver->Click(*window, 12, 12);  // on the strip, left of "Quit"
  const auto& strip = *window->Find<host::RectControl>("Canvas1");
  driver->Click(*window, strip.Left() + strip.Width() - 3, 2);  // on the strip, above the labels
  driver->Press(*window, 12, 40);
  EXPECT_FALSE(runtime->QuitRequested()) << "the release quits, not the press";
  driver->Release(*window, 12, 40);
  EXPECT_TRUE(runtime->QuitRequested());
  EXPECT_EQ(runtime->ExitStatus(), 0);
}

TEST_F(Presses, ClosingTheBoxHidesItAndClosingTheSceneQuits) {
  driver->Click(*window, 120, 12);  // "About"
  auto box = Box();
  ASSERT_TRUE(box && backend.NativeFor(*box)->Shown());
  host::InputEvent close;
  close.type = host::InputEvent::Type::CloseRequest;
  close.window = box->Native()->Id();
  driver->Send(close);
  EXPECT_FALSE(backend.NativeFor(*box)->Shown());
  EXPECT_FALSE(runtime->QuitRequested());

  driver->Click(*window, 120, 12);  // the same box comes back
  EXPECT_TRUE(backend.NativeFor(*box)->Shown());
  close.window = window->Native()->Id();
  driver->Send(close);
  EXPECT_TRUE(runtime->QuitRequested());
  EXPECT_EQ(runtime->ExitStatus(), 0);
}

}  // namespace
}  // namespace lumorra::testing
