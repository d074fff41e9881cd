// The hidden top strip, the credits box, where windows go, long presses, closing the windows.

#include <gtest/gtest.h>

#include "support/scene_fixture.h"

namespace lumorra::testing {
namespace {

using Texts = std::vector<std::string>;

class TopStrip : public SceneTest {
 protected:
  host::Color NameColour(const char* name) const {
    return Box()->Find<host::StaticText>(name)->TextColor();
  }
  host::headless::HeadlessWindow& BoxNative() const { return *backend.NativeFor(*Box()); }
  void ClickAbout() { driver->Click(*window, 120, 12); }
  void PressChain() {
    const auto& chain = *window->Find<host::RectControl>("Canvas2");
    chainX = chain.Left() + chain.Width() / 2;
    chainY = chain.Top() + chain.Height() / 2;
    driver->MoveTo(*window, chainX, chainY);
    driver->Press(*window, chainX, chainY);
  }
  int chainX = 0, chainY = 0;
  const host::Color white = host::RGB(255, 255, 255), blue = host::RGB(0, 0, 255);
};

TEST_F(TopStrip, LabelsAppearOverTheStripStayWhileOnThemAndTheWidenedQuitQuits) {
  const std::size_t framesBefore = Native().Frames().size();
  // Onto the strip, "Quit", "About", and back to the blank strip: no flicker on the way.
  for (auto [x, y] : {std::pair{1000, 10}, {30, 12}, {120, 12}, {600, 2}})
    driver->MoveTo(*window, x, y);
  EXPECT_EQ(Native().Showing().labels.size(), 2u) << "Quit and About";
  EXPECT_EQ(Native().Frames().size(), framesBefore + 1) << "shown once, never hidden between";
  driver->MoveTo(*window, 600, 300);
  EXPECT_TRUE(Native().Showing().labels.empty());
  driver->Click(*window, 1600, 12);  // far right of "Quit", widened with the screen
  EXPECT_TRUE(runtime->QuitRequested());
}

TEST_F(TopStrip, AboutGivesOneBoxOfCreditsHiddenFiveSecondsAfterItWasMadeWithLinkedNames) {
  ClickAbout();
  const auto box = Box();
  ASSERT_NE(box, nullptr);
  driver->Advance(3000);
  ClickAbout();
  EXPECT_EQ(Box(), box);
  driver->MoveTo(*box, 100, 75);  // the pointer rests on the photographer's name
  driver->Advance(1999);
  EXPECT_TRUE(BoxNative().Shown()) << "showing it again did not restart the five seconds";
  driver->Advance(1);
  EXPECT_FALSE(BoxNative().Shown());
  EXPECT_EQ(NameColour("StaticText3"), white) << "hidden under the pointer, the name is let go";
  ClickAbout();
  driver->Advance(60000);
  EXPECT_TRUE(BoxNative().Shown()) << "shown again after the timeout, it stays";

  // The names turn blue under the pointer; a press on one opens its address wherever released.
  driver->MoveTo(*box, 100, 75);
  EXPECT_EQ(NameColour("StaticText3"), blue);
  driver->MoveTo(*box, 100, 30);
  driver->Press(*box, 100, 30);
  driver->Release(*box, 190, 110);
  EXPECT_EQ(backend.Urls(), Texts{links::kAuthor});
  EXPECT_EQ(NameColour("StaticText2"), white) << "not left highlighted";
}

using Presses = TopStrip;

TEST_F(Presses, EveryDragPullOnTheChainCountsAndSoDoesAClickAfter) {
  Texts shown;
  for (int pull = 0; pull < 4; ++pull) {
    PressChain();  // and release off the chain: the pointer never comes back
    driver->MoveTo(*window, 1600, 900);
    driver->Release(*window, 1600, 900);
    driver->Advance(1000);
    shown.push_back(Showing());
  }
  PullChain();
  driver->Advance(1000);
  shown.push_back(Showing());
  EXPECT_EQ(shown, (Texts{"lighter", "darker", "lighter", "darker", "lighter"}));
}

TEST_F(Presses, APressHeldThroughTheBlackoutLeavesItBlackAndThenOnlyClicksBelowTheStripQuit) {
  PullChain();
  LeaveChain();
  const long pullMs = driver->NowMs();
  driver->Advance(LastMoment("flash") - 800);
  PressChain();
  driver->Advance(LastMoment("none") + 600 - (driver->NowMs() - pullMs));
  ASSERT_EQ(Showing(), "none");
  ASSERT_TRUE(window->enditall);
  Mark();
  driver->Release(*window, chainX, chainY + 40);
  driver->Advance(3000);
  EXPECT_EQ(Timeline(), (std::vector<Step>{})) << "no picture after the blackout";
  EXPECT_EQ(backend.Sounds().size(), markSound_) << "no chain sound";
  EXPECT_FALSE(runtime->QuitRequested()) << "the release belonged to the chain, not the window";

  driver->Click(*window, 12, 12);  // on the strip, left of "Quit"
  driver->Press(*window, 12, 40);
  EXPECT_FALSE(runtime->QuitRequested()) << "the release quits, not the press";
  driver->Release(*window, 12, 40);
  EXPECT_TRUE(runtime->QuitRequested());
}

TEST_F(TopStrip, SmallWindowsAreCentredOnTheMainScreenAndClosingTheBoxHidesItTheSceneQuits) {
  Stop();
  backend.SetScreenOrigin(1280, 0);  // the main monitor to the right of a 1280x1024 one
  Start();
  EXPECT_EQ(Native().Spec().rect, (host::Rect{1280, 0, 1920, 1080}));
  ClickAbout();
  EXPECT_EQ(BoxNative().Spec().rect, (host::Rect{2140, 480, 200, 120}));
  driver->Send({.type = host::InputEvent::Type::CloseRequest, .window = Box()->Native()->Id()});
  EXPECT_FALSE(BoxNative().Shown());
  EXPECT_FALSE(runtime->QuitRequested());
  driver->Send({.type = host::InputEvent::Type::CloseRequest, .window = window->Native()->Id()});
  EXPECT_TRUE(runtime->QuitRequested());
}

// The strip spans the window: the screen it started on, then whatever size the window system
// gives the window when the screen changes. The pictures chosen at the start stay.
TEST_F(TopStrip, TheStripFollowsTheWindowAcrossScreenChanges) {
  Stop();
  backend.SetScreen({1024, 768});
  Start();
  const auto darker = window->darker;
  backend.SetScreen({1600, 900});
  driver->MoveTo(*window, 1015, 2);
  EXPECT_EQ(Native().Showing().labels.size(), 2u) << "the strip reaches the right edge";
  driver->MoveTo(*window, 1021, 2);
  EXPECT_TRUE(Native().Showing().labels.empty()) << "but no further while the window is as it was";
  driver->Send({.type = host::InputEvent::Type::Resized,
                .window = window->Native()->Id(),
                .x = 1600,
                .y = 900});
  EXPECT_EQ(Native().Showing().size, (host::Size{1600, 900}));
  EXPECT_EQ(window->darker, darker);
  driver->MoveTo(*window, 1593, 2);
  EXPECT_EQ(Native().Showing().labels.size(), 2u) << "the strip reaches the new right edge";
  driver->Click(*window, 1300, 12);  // the far right of "Quit", widened by 1600 - 415
  EXPECT_TRUE(runtime->QuitRequested());
}

using Chain = TopStrip;

// The open hand shows only while the pointer is over the chain, also after a pull.
TEST_F(Chain, TheOpenHandShowsOverTheChainOnly) {
  PressChain();
  EXPECT_EQ(Native().Cursor(), host::CursorKind::HandOpen);
  driver->Release(*window, chainX, chainY);
  LeaveChain();
  EXPECT_EQ(Native().Cursor(), host::CursorKind::Arrow);
  PressChain();
  driver->MoveTo(*window, 600, 2);
  driver->Release(*window, 600, 2);  // dragged off the chain onto the strip
  EXPECT_EQ(Native().Cursor(), host::CursorKind::Arrow);
}

}  // namespace
}  // namespace lumorra::testing
