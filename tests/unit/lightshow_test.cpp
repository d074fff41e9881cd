// The light show on the manual clock: what the scene shows and plays, to the millisecond.

#include <string>
#include <vector>

#include "media/media_table.h"
#include "support/scene_fixture.h"

namespace lumorra::testing {
namespace {

using host::headless::SoundEvent;
using Steps = std::vector<Step>;
using Sounds = std::vector<SoundEvent>;

constexpr int kChain = medium::chain, kShowers = medium::showers;
const long kFried = LastMoment("darker") + 100;  // the last dying step's following tick

SoundEvent Played(long ms, int id) { return {ms, SoundEvent::Kind::Play, id}; }
SoundEvent Stopped(long ms, int id) { return {ms, SoundEvent::Kind::Stop, id}; }

class LightShow : public SceneTest {
 protected:
  Sounds SoundsSinceMark() const {
    Sounds events(backend.Sounds().begin() + markSound_, backend.Sounds().end());
    for (auto& e : events) e.time = e.time / host::kMillis - markMs_;
    return events;
  }
};

TEST_F(LightShow, FirstSwitchOnRunsTheWholeShowToTheBlackout) {
  driver->Advance(120000);
  EXPECT_LT(runtime->NextDeadline(), 0) << "nothing happens without a pull";
  Mark();
  PullChain();
  driver->Advance(kFried - 1);
  EXPECT_FALSE(window->fried) << "the dying steps themselves do not kill the light";
  driver->Advance(1);
  EXPECT_TRUE(window->fried);
  driver->Advance(LastMoment("flash") - kFried);
  EXPECT_FALSE(window->enditall) << "the flash is not yet the end";
  EXPECT_FALSE(window->Find<host::Canvas>("Canvas2")->Visible());
  driver->Advance(50);
  EXPECT_TRUE(window->enditall);
  driver->Advance(kPastTheShow);

  EXPECT_EQ(Timeline(), kWholeShow);
  EXPECT_EQ(SoundsSinceMark(), (Sounds{Played(0, kChain), Played(kWholeShow[1].first, kShowers)}));
  EXPECT_LT(runtime->NextDeadline(), 0) << "no timer left";
  EXPECT_EQ(Native().Showing().backColor, host::RGB(0, 0, 0));
  driver->Click(*window, 900, 600);  // the click that ends it all
  EXPECT_TRUE(runtime->QuitRequested());
}

TEST_F(LightShow, OnlyPullsAfterLeavingTheChainSwitchOffAndOnAgainThroughTheDarkPullPicture) {
  PullChain();
  driver->Advance(1000);
  Mark();
  PullChain();  // the pointer never left the chain: nothing happens
  driver->Advance(4000);
  EXPECT_TRUE(Timeline().empty() && SoundsSinceMark().empty());
  Mark();
  PullAgain();
  driver->Advance(60000);
  EXPECT_EQ(Timeline(), (Steps{{150, "lighter2"}, {350, "darker"}})) << "a switch-off";
  EXPECT_EQ(SoundsSinceMark(), (Sounds{Played(0, kChain), Stopped(350, kShowers)}));
  Mark();
  PullAgain();  // a later switch-on, switched off again while the dark pull picture shows
  driver->Advance(300);
  PullAgain();
  driver->Advance(5000);
  EXPECT_EQ(Timeline(), (Steps{{200, "darker2"}, {450, "lighter2"}, {650, "darker"}}));
  Mark();
  PullAgain();
  driver->Advance(21000);
  const Steps laterSwitchOn = {{200, "darker2"},   {600, "lighter"}, {20625, "flash"},
                               {20650, "lighter"}, {20675, "flash"}, {20700, "lighter"}};
  EXPECT_EQ(Timeline(), laterSwitchOn);
  EXPECT_EQ(SoundsSinceMark(), (Sounds{Played(0, kChain), Played(600, kShowers)}));
}

TEST_F(LightShow, CounterSurvivesASwitchOffAndShapesTheNextRun) {
  PullChain();
  driver->Advance(kWholeShow[4].first);  // three flicker steps: flash, lighter, flash
  PullAgain();                           // switch off in the middle of the flicker
  driver->Advance(1000);
  EXPECT_EQ(window->counter, 3) << "a pull never resets the counter";
  Mark();
  PullAgain();
  driver->Advance(kPastTheShow);
  // One flicker step left, dying steps from the flash, and no final flash: straight to black.
  const Steps shown = {{200, "darker2"},  {600, "lighter"},   {20625, "flash"}, {29750, "lighter"},
                       {29850, "darker"}, {29950, "lighter"}, {33100, "none"}};
  EXPECT_EQ(Timeline(), shown);
  EXPECT_TRUE(window->fried && window->enditall);
}

// Pulls just before the end set a relight or a chain movement going; the blackout stops them.
TEST_F(LightShow, NothingChangesThePictureAfterTheBlackout) {
  PullChain();
  driver->Advance(kWholeShow[6].first);  // first dying step
  Mark();
  PullAgain();  // darker shows and the light is not yet dead: a later switch-on
  driver->Advance(700);
  EXPECT_TRUE(window->fried) << "the dying timer ran on and set fried";
  driver->Advance(kPastTheShow);
  // Relit, then the final flash finds the lit picture and goes straight to black, for good.
  EXPECT_EQ(Timeline(), (Steps{{100, "lighter"}, {3350, "none"}}));
  EXPECT_LT(runtime->NextDeadline(), 0) << "the relight's flicker never comes";
  driver->Click(*window, 900, 600);
  EXPECT_TRUE(runtime->QuitRequested());

  Stop();
  Start();
  PullChain();
  driver->Advance(LastMoment("flash") - 50 - 250);  // 250 ms before the final flash's timer
  Mark();
  PullAgain();  // chain movement: darker2 at +200, darker at +500
  driver->Advance(kPastTheShow);
  EXPECT_EQ(Timeline(), (Steps{{200, "darker2"}, {300, "none"}}));
  EXPECT_LT(runtime->NextDeadline(), 0);
}

TEST_F(LightShow, BurntOutPullsOnlyMoveTheChainAndPlayItsSound) {
  PullChain();
  driver->Advance(kFried + 10);  // burnt out: Timer6 running
  Mark();
  PullAgain();  // darker2 at +200, darker at +500
  driver->Advance(250);
  PullAgain();  // a switch-off pull: cancels Timer6
  driver->Advance(600000);
  PullAgain();  // only moves the chain now
  driver->Advance(60000);
  const Steps shown = {{200, "darker2"},
                       {400, "lighter2"},
                       {500, "darker"},
                       {600450, "darker2"},
                       {600750, "darker"}};
  EXPECT_EQ(Timeline(), shown);
  EXPECT_EQ(SoundsSinceMark(), (Sounds{Played(0, kChain), Played(250, kChain),
                                       Stopped(600, kShowers), Played(600250, kChain)}));
  EXPECT_LT(runtime->NextDeadline(), 0) << "burnt out for good";
}

}  // namespace
}  // namespace lumorra::testing
