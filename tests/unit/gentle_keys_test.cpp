// Gentle mode and the keyboard, on the manual clock.

#include <string>
#include <vector>

#include "host/xsettings.h"
#include "media/media_table.h"
#include "support/scene_fixture.h"

namespace lumorra::testing {
namespace {

using Special = host::InputEvent::Special;

class Gentle : public SceneTest {
 protected:
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
  gentleChoice = true;
  Start();
  EXPECT_EQ(PlayWholeShow(), normalTimers) << "gentle mode runs on the very same timers";
  EXPECT_TRUE(window->enditall);

  const std::vector<Step> pictures = Timeline();
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
  constexpr int kFull = host::WindowView::kFullBrightness;
  int level = kFull + 1;
  for (std::size_t i = markFrame_; i < Native().Frames().size(); ++i) {
    const host::headless::Frame& f = Native().Frames()[i];
    const long ms = f.time / host::kMillis - markMs_;
    EXPECT_LE(f.view.brightness, kFull);
    if (ms < fadeStart) continue;
    if (!f.view.backdrop) break;
    if (f.view.brightness == level) continue;  // the same frame again
    EXPECT_LT(f.view.brightness, level);
    EXPECT_LE(level - f.view.brightness, kFull / 20 + 1) << ms;
    level = f.view.brightness;
  }
  EXPECT_LT(level, kFull / 10) << "the fade ends near black";
  EXPECT_LT(runtime->NextDeadline(), 0) << "nothing wakes the program after the fade";
}

TEST_F(Gentle, FollowsTheDesktopUnlessTheCommandLineSaysOtherwise) {
  EXPECT_FALSE(window->gentle);
  Stop();
  backend.SetPrefersReducedMotion(true);
  Start();
  EXPECT_TRUE(window->gentle);
  Stop();
  gentleChoice = false;
  Start();
  EXPECT_FALSE(window->gentle);
  Stop();
  backend.SetPrefersReducedMotion(false);
  gentleChoice = true;
  Start();
  EXPECT_TRUE(window->gentle);
  // The choice belonged to that window: the next one made without one follows the desktop.
  Stop();
  gentleChoice.reset();
  Start();
  EXPECT_FALSE(window->gentle);
}

struct Setting {
  int type;  // 0 an integer, 1 a string, 2 a colour
  std::string name, text;
  std::int32_t number = 0;
};

// A settings daemon's property holding `settings`, laid out as the format describes, in either
// byte order.
std::vector<unsigned char> Property(bool big, const std::vector<Setting>& settings) {
  std::vector<unsigned char> b{static_cast<unsigned char>(big), 0, 0, 0};
  const auto card = [&](int n, std::uint32_t v) {
    for (int i = 0; i < n; ++i)
      b.push_back(static_cast<unsigned char>(v >> 8 * (big ? n - 1 - i : i)));
  };
  const auto padded = [&](const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
    b.resize(b.size() + (4 - s.size() % 4) % 4);
  };
  card(4, 7);  // serial
  card(4, settings.size());
  for (const Setting& s : settings) {
    b.insert(b.end(), {static_cast<unsigned char>(s.type), 0});
    card(2, s.name.size());
    padded(s.name);
    card(4, 3);  // last change
    if (s.type == 0) card(4, static_cast<std::uint32_t>(s.number));
    if (s.type == 1) card(4, s.text.size()), padded(s.text);
    if (s.type == 2) card(4, 0xffff), card(4, 0x8000);
  }
  return b;
}

std::optional<std::int32_t> Get(const std::vector<unsigned char>& p, const char* name,
                                std::size_t cut = 0) {
  return host::XSettingsInteger(p.data(), p.size() - cut, name);
}

TEST(XSettings, FindsAnIntegerSettingAmongOthersInEitherByteOrder) {
  for (bool big : {false, true}) {
    const auto many = Property(big, {{1, "Net/ThemeName", "Adwaita"},
                                     {2, "Gtk/Colour", ""},
                                     {0, "Gtk/EnableAnimations", "", 0},
                                     {0, "Xft/DPI", "", -1},
                                     {1, "Gtk/FontName", "Sans 10"}});
    EXPECT_EQ(Get(many, "Gtk/EnableAnimations"), 0) << big;
    EXPECT_EQ(Get(many, "Xft/DPI"), -1) << "a negative INT32";
    EXPECT_EQ(Get(many, "Gtk/Missing"), std::nullopt);
    EXPECT_EQ(Get(many, "Net/ThemeName"), std::nullopt) << "a string is no integer";
    const auto last = Property(big, {{0, "Gtk/EnableAnimations", "", 1}});
    EXPECT_EQ(Get(last, "Gtk/EnableAnimations"), 1);
    EXPECT_EQ(Get(last, "Gtk/EnableAnimations", 2), std::nullopt) << "cut short in its value";
  }
  EXPECT_EQ(Get(Property(false, {{7, "Odd", ""}, {0, "A", "", 1}}), "A"), std::nullopt)
      << "an unknown type cannot be skipped";
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

class Keys : public SceneTest {
 protected:
  int ChainSounds() const {
    int n = 0;
    for (const auto& e : backend.Sounds())
      n += e.kind == host::headless::SoundEvent::Kind::Play && e.resourceId == medium::chain;
    return n;
  }
  bool ShowersPlayed() const {
    for (const auto& e : backend.Sounds())
      if (e.kind == host::headless::SoundEvent::Kind::Play && e.resourceId == medium::showers)
        return true;
    return false;
  }
  // The light is out and stays out: nothing is armed that could change the picture.
  void ExpectDarkForGood() {
    driver->Advance(25000);
    EXPECT_EQ(Showing(), "darker");
    EXPECT_LT(runtime->NextDeadline(), 0) << "a timer is armed behind the dark screen";
    EXPECT_FALSE(ShowersPlayed()) << "the rain never fell";
  }
};

TEST_F(Keys, ADoubleTapLightsThenDarkensAndNothingLightsItLater) {
  Mark();
  driver->Key(Special::Space);
  driver->Advance(30);
  driver->Key(Special::Space);  // waits for the chain to come to rest, then switches off
  ExpectDarkForGood();
  EXPECT_EQ(Timeline(), (std::vector<Step>{
                            {0, "lighter2"}, {50, "lighter"}, {200, "lighter2"}, {400, "darker"}}));
  EXPECT_EQ(ChainSounds(), 2);
  Mark();
  driver->Key(Special::Return);  // the next press is a later switch-on, and a third is lost
  driver->Advance(100);
  driver->Key(Special::Return);
  driver->Key(Special::Space);
  driver->Advance(900);
  EXPECT_EQ(
      Timeline(),
      (std::vector<Step>{{200, "darker2"}, {600, "lighter"}, {750, "lighter2"}, {950, "darker"}}));
  ExpectDarkForGood();
}

TEST_F(Keys, APointerPullJustAfterAKeySwitchOnLeavesTheLightOffForGood) {
  driver->Key(Special::Space);
  driver->Advance(30);
  PullChain();  // a switch-off while the first switch-on is still finishing
  ExpectDarkForGood();
}

TEST_F(Keys, AHeldKeyPullsOnce) {
  Mark();
  driver->Key(Special::Space);
  for (int i = 0; i < 40; ++i) {  // the keyboard's auto-repeat, for over a second
    driver->Advance(30);
    driver->Key(Special::Space, true);
  }
  driver->Advance(1000);
  EXPECT_EQ(Timeline(), (std::vector<Step>{{0, "lighter2"}, {50, "lighter"}}));
  EXPECT_EQ(ChainSounds(), 1);
}

TEST_F(Keys, ActOnTheSceneWhileTheCreditsBoxHasTheFocus) {
  driver->Click(*window, 120, 12);  // "About": the desktop gives the new box the focus
  const auto box = Box();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(backend.FocusedId(), box->Native()->Id());
  Mark();
  driver->Key(Special::Space);
  driver->Advance(1000);
  EXPECT_EQ(Timeline(), (std::vector<Step>{{0, "lighter2"}, {50, "lighter"}}));
  driver->Click(*box, 5, 5);  // a click on the box, off its names, keeps the focus there
  EXPECT_EQ(backend.FocusedId(), box->Native()->Id());
  driver->Key(Special::Return);
  driver->Advance(1000);
  EXPECT_EQ(Showing(), "darker");
  driver->Key('q');  // Ctrl+Q
  EXPECT_TRUE(runtime->QuitRequested());
  Stop();
  Start();
  driver->Click(*window, 120, 12);
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
