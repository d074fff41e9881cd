// Gentle mode and the keyboard, on the manual clock.

#include <string>
#include <vector>

#include "support/scene_fixture.h"

namespace lumorra::testing {
namespace {

using Special = host::InputEvent::Special;

struct Shown {
  long ms;
  std::string picture;
  int brightness;
  bool operator==(const Shown&) const = default;
};

class Gentle : public SceneTest {
 protected:
  // Every frame that differed from the one before, since the pull.
  std::vector<Shown> Frames() const {
    std::vector<Shown> shown;
    const auto& frames = Native().Frames();
    for (std::size_t i = markFrame_; i < frames.size(); ++i) {
      const auto& view = frames[i].view;
      Shown now{frames[i].time / host::kMillis - markMs_, NameOf(view.backdrop), view.brightness};
      if (shown.empty() || shown.back().picture != now.picture ||
          shown.back().brightness != now.brightness)
        shown.push_back(now);
    }
    return shown;
  }

  // Every timer's firing in ms after the pull, and the whole show played out.
  std::vector<std::pair<long, std::string>> PlayWholeShow() {
    std::vector<std::pair<long, std::string>> fired;
    runtime->timerObserver = [&](const host::Timer& timer, host::Micros, host::Micros ran) {
      fired.emplace_back(ran / host::kMillis - markMs_, timer.Name());
    };
    Mark();
    PullChain();
    driver->Advance(kPastTheShow);
    runtime->timerObserver = nullptr;
    return fired;
  }
};

TEST_F(Gentle, SameTimersNoFlashAtMostThreeChangesASecondAndAFadeEndingAtTheBlackout) {
  const auto normalTimers = PlayWholeShow();
  EXPECT_EQ(Timeline(), kWholeShow) << "the normal show is as it always was";
  Stop();
  Window1::ChooseGentle(true);
  Start();
  EXPECT_EQ(PlayWholeShow(), normalTimers) << "gentle mode runs on the very same timers";
  EXPECT_TRUE(window->enditall);

  const auto frames = Frames();
  std::vector<Step> pictures;  // changes of the picture itself
  for (const auto& f : frames)
    if (pictures.empty() || pictures.back().second != f.picture)
      pictures.emplace_back(f.ms, f.picture);
  const long black = LastMoment("none"), fadeStart = black - 1200;
  EXPECT_EQ(pictures, (std::vector<Step>{{0, "lighter2"},
                                         {50, "lighter"},
                                         {29275, "darker"},
                                         {29375, "lighter"},
                                         {29475, "darker"},
                                         {fadeStart, "lighter"},
                                         {black, "none"}}));
  for (std::size_t i = 3; i < pictures.size(); ++i)
    EXPECT_GT(pictures[i].first - pictures[i - 3].first, 1000) << "four changes within a second";

  // The fade: full light, then only ever darker by small steps, down to black.
  int level = host::WindowView::kFullBrightness + 1;
  for (const auto& f : frames) {
    EXPECT_LE(f.brightness, host::WindowView::kFullBrightness);
    if (f.ms < fadeStart) continue;
    if (f.picture == "none") break;
    EXPECT_LT(f.brightness, level);
    EXPECT_LE(level - f.brightness, host::WindowView::kFullBrightness / 20 + 1) << f.ms;
    level = f.brightness;
  }
  EXPECT_LT(level, host::WindowView::kFullBrightness / 10) << "the fade ends near black";
  EXPECT_LT(runtime->NextDeadline(), 0) << "nothing wakes the program after the fade";
}

TEST_F(Gentle, FollowsTheDesktopUnlessTheCommandLineSaysOtherwise) {
  Stop();
  backend.SetPrefersReducedMotion(true);
  Start();
  EXPECT_TRUE(window->gentle);
  Stop();
  Window1::ChooseGentle(false);
  Start();
  EXPECT_FALSE(window->gentle);
}

TEST_F(Gentle, SpaceAndReturnPullLikeAClickWithoutTakingThePointersTurn) {
  Mark();
  driver->Key(Special::Space);
  driver->Key(Special::Space, true);  // held down: auto-repeat pulls no more
  driver->Advance(1000);
  EXPECT_EQ(Timeline(), (std::vector<Step>{{0, "lighter2"}, {50, "lighter"}}));
  Mark();
  driver->Key(Special::Return);  // a switch-off
  driver->Advance(1000);
  PullChain();  // the pointer never pulled: a click pulls at once (a later switch-on)
  driver->Advance(1000);
  EXPECT_EQ(Timeline(),
            (std::vector<Step>{
                {150, "lighter2"}, {350, "darker"}, {1200, "darker2"}, {1600, "lighter"}}));
  Mark();
  driver->Key(Special::Space);  // the pointer is still on the chain it pulled: keys still pull
  driver->Advance(1000);
  EXPECT_EQ(Timeline(), (std::vector<Step>{{150, "lighter2"}, {350, "darker"}}));
  EXPECT_FALSE(window->Find<host::Canvas>("Canvas2")->Enabled())
      << "the pointer must still leave the chain before it pulls again";
  driver->Key('q', false);  // a letter is no pull and does not end the show
  driver->Advance(1000);
  EXPECT_EQ(Timeline().size(), 2u);
  EXPECT_FALSE(runtime->QuitRequested());
  driver->Key(Special::Escape);
  EXPECT_TRUE(runtime->QuitRequested());
  EXPECT_EQ(runtime->ExitStatus(), 0);
}

TEST_F(Gentle, AfterTheBlackoutAnyKeyQuits) {
  PullChain();
  driver->Advance(LastMoment("none") - 1);
  driver->Key('x', false);
  EXPECT_FALSE(runtime->QuitRequested());
  driver->Advance(1);
  driver->Key(Special::Other, true);
  EXPECT_FALSE(runtime->QuitRequested()) << "an auto-repeat is no press";
  driver->Key('x', false);
  EXPECT_TRUE(runtime->QuitRequested());
}

}  // namespace
}  // namespace lumorra::testing
