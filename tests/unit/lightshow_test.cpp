// The light show on the manual clock: what the scene shows and plays, to the millisecond.

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "media/media_table.h"
#include "support/scene_fixture.h"

namespace lumorra::testing {
namespace {

using host::headless::SoundEvent;

constexpr int kChain = medium::chain, kShowers = medium::showers;
// The light dies with the last dying step's following tick.
const long kFried = LastMoment("darker") + 100;

class LightShow : public SceneTest {
 protected:
  bool AnyTimerArmed() const { return runtime->NextDeadline() >= 0; }
  std::vector<host::headless::SoundEvent> SoundsSinceMark() const {
    std::vector<SoundEvent> events(backend.Sounds().begin() + markSound_, backend.Sounds().end());
    for (auto& e : events) e.time = e.time / host::kMillis - markMs_;
    return events;
  }
};

SoundEvent Played(long ms, int id) { return {ms, SoundEvent::Kind::Play, id}; }
SoundEvent Stopped(long ms, int id) { return {ms, SoundEvent::Kind::Stop, id}; }

TEST_F(LightShow, NothingHappensWithoutAPull) {
  driver->Advance(120000);
  EXPECT_EQ(Showing(), "darker");
  EXPECT_FALSE(AnyTimerArmed());
  EXPECT_EQ(Native().Frames().size(), 2u) << "the black window as it appeared, then the dark scene";
}

TEST_F(LightShow, FirstSwitchOnRunsTheWholeShowToTheBlackout) {
  driver->Advance(1000);
  Mark();
  PullChain();
  EXPECT_TRUE(window->lit);
  driver->Advance(kPastTheShow);

  EXPECT_EQ(Timeline(), kWholeShow);
  EXPECT_EQ(SoundsSinceMark(),
            (std::vector<SoundEvent>{Played(0, kChain), Played(FirstMoment("lighter"), kShowers)}));
  EXPECT_TRUE(window->fried);
  EXPECT_TRUE(window->enditall);
  EXPECT_EQ(window->counter, 0);
  EXPECT_FALSE(window->Find<host::Canvas>("Canvas2")->Visible());
  EXPECT_FALSE(AnyTimerArmed());
  EXPECT_EQ(Native().Showing().backColor, host::RGB(0, 0, 0));

  // The click that ends it all.
  EXPECT_FALSE(runtime->QuitRequested());
  driver->Click(*window, 900, 600);
  EXPECT_TRUE(runtime->QuitRequested());
}

TEST_F(LightShow, FlagsChangeOnlyOnTheirOwnTicks) {
  PullChain();
  driver->Advance(kFried - 1);
  EXPECT_FALSE(window->fried) << "the dying steps themselves do not kill the light";
  EXPECT_EQ(window->counter, 3);
  driver->Advance(1);
  EXPECT_TRUE(window->fried);
  EXPECT_EQ(window->counter, 0);
  driver->Advance(LastMoment("flash") - kFried);
  EXPECT_EQ(Showing(), "flash");
  EXPECT_FALSE(window->enditall) << "the flash is not yet the end";
  EXPECT_FALSE(window->Find<host::Canvas>("Canvas2")->Visible());
  driver->Advance(50);
  EXPECT_TRUE(window->enditall);
}

TEST_F(LightShow, LaterSwitchOnGoesThroughTheDarkPullPicture) {
  PullChain();
  driver->Advance(1000);
  PullAgain();  // switch off
  driver->Advance(1000);
  Mark();
  PullAgain();  // a later switch-on
  driver->Advance(21000);
  const std::vector<Step> expected = {{200, "darker2"},   {600, "lighter"}, {20625, "flash"},
                                      {20650, "lighter"}, {20675, "flash"}, {20700, "lighter"}};
  EXPECT_EQ(Timeline(), expected);
  EXPECT_EQ(SoundsSinceMark(), (std::vector<SoundEvent>{Played(0, kChain), Played(600, kShowers)}));
}

TEST_F(LightShow, SwitchOffShowsThePullThenTheDarkAndStopsTheRain) {
  PullChain();
  driver->Advance(5000);
  Mark();
  PullAgain();
  driver->Advance(60000);
  EXPECT_EQ(Timeline(), (std::vector<Step>{{150, "lighter2"}, {350, "darker"}}));
  EXPECT_EQ(SoundsSinceMark(),
            (std::vector<SoundEvent>{Played(0, kChain), Stopped(350, kShowers)}));
  EXPECT_FALSE(window->fried);
  EXPECT_FALSE(window->enditall);
  EXPECT_TRUE(window->lit);
}

TEST_F(LightShow, SecondClickWithoutLeavingTheChainDoesNothing) {
  PullChain();
  driver->Advance(1000);
  const auto sounds = backend.Sounds().size();
  PullChain();  // the pointer never left
  driver->Advance(1000);
  EXPECT_EQ(Showing(), "lighter");
  EXPECT_EQ(backend.Sounds().size(), sounds);
  EXPECT_FALSE(window->Find<host::Canvas>("Canvas2")->Enabled());
  LeaveChain();
  EXPECT_TRUE(window->Find<host::Canvas>("Canvas2")->Enabled());
}

TEST_F(LightShow, CounterSurvivesASwitchOffAndShapesTheNextRun) {
  PullChain();
  driver->Advance(kWholeShow[4].first);  // three flicker steps: flash, lighter, flash
  ASSERT_EQ(window->counter, 3);
  ASSERT_EQ(Showing(), "flash");
  PullAgain();  // switch off in the middle of the flicker
  driver->Advance(1000);
  EXPECT_EQ(window->counter, 3) << "a pull never resets the counter";
  EXPECT_EQ(Showing(), "darker");

  Mark();
  PullAgain();  // later switch-on: lighter at +600, flicker from +20600
  driver->Advance(20600 + 25);
  EXPECT_EQ(Showing(), "flash") << "one step left on the counter";
  driver->Advance(25);
  EXPECT_EQ(Showing(), "flash") << "the stopping tick changes no picture";
  EXPECT_EQ(window->counter, 0);
  driver->Advance(9000);  // dying steps start from flash: lighter, darker, lighter
  driver->Advance(300);
  EXPECT_EQ(Showing(), "lighter");
  driver->Advance(100);
  EXPECT_TRUE(window->fried);
  EXPECT_EQ(Showing(), "lighter");
  driver->Advance(3050);  // no final flash: straight to black
  EXPECT_EQ(Showing(), "none");
  EXPECT_TRUE(window->enditall);
  const auto timeline = Timeline();
  for (const auto& [ms, name] : timeline) {
    if (ms > 29000) {
      EXPECT_NE(name, "flash") << "at " << ms;
    }
  }
}

TEST_F(LightShow, PullWhileTheDarkPullPictureShowsIsASwitchOff) {
  PullChain();
  driver->Advance(1000);
  PullAgain();  // off
  driver->Advance(1000);
  PullAgain();  // later switch-on
  driver->Advance(300);
  ASSERT_EQ(Showing(), "darker2");
  Mark();
  PullAgain();  // cancels Timer1 before it fires
  driver->Advance(5000);
  EXPECT_EQ(Timeline(), (std::vector<Step>{{150, "lighter2"}, {350, "darker"}}));
  EXPECT_TRUE(window->lit);
  EXPECT_FALSE(TimerNamed("Timer2").Mode());
}

TEST_F(LightShow, PullInTheDyingPhaseRelightsADeadLight) {
  PullChain();
  driver->Advance(FirstMoment("darker"));  // first dying step
  ASSERT_EQ(Showing(), "darker");
  Mark();
  PullAgain();  // darker shows and the light is not yet dead: a later switch-on
  driver->Advance(700);
  EXPECT_TRUE(window->fried) << "the dying timer ran on and set fried";
  EXPECT_EQ(Showing(), "lighter") << "Timer1 lit the dead light again";
  driver->Advance(3000);
  EXPECT_EQ(Showing(), "none") << "the final flash went straight to black";
  EXPECT_TRUE(window->enditall);
  driver->Advance(20000);
  EXPECT_NE(Showing(), "none") << "the re-armed flicker puts pictures back on the black window";
  driver->Click(*window, 900, 600);
  EXPECT_TRUE(runtime->QuitRequested()) << "enditall stays true, so a click quits";
}

TEST_F(LightShow, BurntOutPullWhileDarker2ShowsLeavesTheSceneDarkForGood) {
  PullChain();
  driver->Advance(kFried + 10);  // burnt out: Timer6 running
  ASSERT_TRUE(window->fried);
  PullAgain();  // pull after the light died: darker2 at +200, darker at +500
  driver->Advance(250);
  ASSERT_EQ(Showing(), "darker2");
  PullAgain();  // a switch-off pull: cancels Timer6
  driver->Advance(600000);
  EXPECT_EQ(Showing(), "darker");
  EXPECT_FALSE(window->enditall);
  PullAgain();  // only moves the chain now
  driver->Advance(200);
  EXPECT_EQ(Showing(), "darker2");
  driver->Advance(300);
  EXPECT_EQ(Showing(), "darker");
  driver->Advance(60000);
  EXPECT_FALSE(window->enditall);
  EXPECT_FALSE(AnyTimerArmed());
}

TEST_F(LightShow, ChainSoundPlaysOnEveryPullIncludingAfterDeath) {
  PullChain();
  driver->Advance(kFried + 125);
  PullAgain();
  const auto& s = backend.Sounds();
  EXPECT_EQ(
      std::count_if(s.begin(), s.end(), [](const SoundEvent& e) { return e.resourceId == kChain; }),
      2);
}

}  // namespace
}  // namespace lumorra::testing
