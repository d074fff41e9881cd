// Gentle mode and the keyboard, on the manual clock.

#include <string>
#include <vector>

#include "host/xsettings.h"
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

// A settings daemon's property, built as the format describes it, in either byte order.
class XSettingsBlob {
 public:
  explicit XSettingsBlob(bool bigEndian) : big_(bigEndian) {
    bytes_ = {static_cast<unsigned char>(big_), 0, 0, 0};
    Card(4, 7);  // serial
    Card(4, 0);  // count, set as settings are added
  }
  XSettingsBlob& Add(int type, const std::string& name, const std::string& value, int number) {
    bytes_.insert(bytes_.end(), {static_cast<unsigned char>(type), 0});
    Card(2, name.size());
    Padded(name);
    Card(4, 3);  // last change
    if (type == 0) Card(4, static_cast<std::uint32_t>(number));
    if (type == 1) Card(4, value.size()), Padded(value);
    if (type == 2) Card(4, 0xffff), Card(4, 0x8000);
    ++count_;
    const std::size_t at = bytes_.size();
    Card(4, count_);
    std::copy(bytes_.end() - 4, bytes_.end(), bytes_.begin() + 8);
    bytes_.resize(at);
    return *this;
  }
  std::optional<std::int32_t> Get(const char* name, std::size_t cut = 0) const {
    return host::XSettingsInteger(bytes_.data(), bytes_.size() - cut, name);
  }

 private:
  void Card(int n, std::uint32_t v) {
    for (int i = 0; i < n; ++i) {
      const int shift = 8 * (big_ ? n - 1 - i : i);
      bytes_.push_back(static_cast<unsigned char>(v >> shift));
    }
  }
  void Padded(const std::string& s) {
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    bytes_.resize(bytes_.size() + (4 - s.size() % 4) % 4);
  }
  bool big_;
  std::uint32_t count_ = 0;
  std::vector<unsigned char> bytes_;
};

TEST(XSettings, FindsAnIntegerSettingAmongOthersInEitherByteOrder) {
  for (bool big : {false, true}) {
    XSettingsBlob blob(big);
    blob.Add(1, "Net/ThemeName", "Adwaita", 0)
        .Add(2, "Gtk/Colour", "", 0)
        .Add(0, "Gtk/EnableAnimations", "", 0)
        .Add(0, "Xft/DPI", "", -1)
        .Add(1, "Gtk/FontName", "Sans 10", 0);
    EXPECT_EQ(blob.Get("Gtk/EnableAnimations"), 0) << big;
    EXPECT_EQ(blob.Get("Xft/DPI"), -1) << "a negative INT32";
    EXPECT_EQ(blob.Get("Gtk/Missing"), std::nullopt);
    EXPECT_EQ(blob.Get("Net/ThemeName"), std::nullopt) << "a string is no integer";
    XSettingsBlob last(big);
    last.Add(0, "Gtk/EnableAnimations", "", 1);
    EXPECT_EQ(last.Get("Gtk/EnableAnimations"), 1);
    EXPECT_EQ(last.Get("Gtk/EnableAnimations", 2), std::nullopt) << "cut short in its value";
  }
  EXPECT_EQ(XSettingsBlob(false).Add(7, "Odd", "", 0).Add(0, "A", "", 1).Get("A"), std::nullopt)
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
