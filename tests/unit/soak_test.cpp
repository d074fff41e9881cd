// Seeded random input over days of virtual time: the scene keeps its invariants after every
// event and timer tick, and the program ends only through one of its ways out.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <random>
#include <utility>

#include "media/media_table.h"
#include "support/scene_fixture.h"

namespace lumorra::testing {
namespace {

struct SoakCase {
  unsigned seed;
  host::Size screen;
};

// A seed that once found a fault stays here, with the screen it failed on.
const SoakCase kSeeds[] = {
    {11, {1920, 1080}}, {23, {1920, 1080}}, {37, {2560, 1440}},
    {41, {1366, 768}},  {59, {1152, 768}},
};

class SoakRun : public SceneTest, public ::testing::WithParamInterface<SoakCase> {
 protected:
  SoakRun() : SceneTest(GetParam().screen), rng_(GetParam().seed) {
    backend.wakeLateness = [this] { return Uniform(0, kLateness); };
  }
  static constexpr int kLateness = 700;  // µs a wake-up may come late, as on a busy machine

  int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool Chance(double p) { return std::bernoulli_distribution(p)(rng_); }
  bool In(const char* name) const {
    return window->Find<host::RectControl>(name)->Bounds().Contains(x_, y_);
  }
  int ChainPulls() const {
    return static_cast<int>(
        std::count_if(backend.Sounds().begin(), backend.Sounds().end(), [](const auto& e) {
          return e.resourceId == medium::chain && e.kind == host::headless::SoundEvent::Kind::Play;
        }));
  }
  bool BoxShown() const { return Box() && backend.NativeFor(*Box())->Shown(); }
  host::Rect BoxRect() const { return backend.NativeFor(*Box())->Spec().rect; }
  bool UnderBox() const { return BoxShown() && BoxRect().Contains(x_, y_); }
  bool EndsIt() const { return quitHeld_ || (backgroundHeld_ && window->enditall); }
  // Where something happens comes up far more often than its share of the screen: the chain, the
  // strip, "About", "Quit", the box, across the strip's edge, anywhere.
  void Aim() {
    const int spot = std::discrete_distribution<int>({25, 10, 8, 4, 10, 8, 35})(rng_);
    const char* const names[] = {"Canvas2", "Canvas1", "StaticText2", "StaticText1"};
    host::Rect r{0, 0, GetParam().screen.width, spot == 5 ? 41 : GetParam().screen.height};
    if (spot < 4) r = window->Find<host::RectControl>(names[spot])->Bounds();
    if (spot == 4 && BoxShown()) r = BoxRect();
    AimAt(r);
  }
  void AimAt(host::Rect r) {
    x_ = Uniform(r.left, r.left + r.width - 1);
    y_ = Uniform(r.top, r.top + r.height - 1);
  }

  // Runs one event and checks the scene after it; an exception escaping it fails the test.
  void Do(const std::function<void()>& event) {
    ++events_, ++inProgram_;
    event();
    const bool quit = runtime->QuitRequested();
    Check(quit == quitExpected_, quit ? "quit, but not through a way out" : "a way out failed");
    Check(runtime->ExitStatus() == 0, "the exit status is not 0");
    CheckScene();
    for (const auto& sounds = backend.Sounds(); sounds_ < sounds.size(); ++sounds_) {
      const int id = sounds[sounds_].resourceId;
      const bool stop = sounds[sounds_].kind == host::headless::SoundEvent::Kind::Stop;
      // A key pressed while the chain still moved pulls it once it comes to rest.
      const bool pull =
          id == medium::chain && !stop && (pullExpected_ || std::exchange(keyPullWaiting_, false));
      Check(id == medium::showers || pull, "a sound played or stopped out of turn");
    }
    const host::Micros next = runtime->NextDeadline();
    Check(quit || next < 0 || next >= backend.Now(), "a timer was left overdue");
    Check(quit || Native().Showing().backdrop == window->Backdrop(),
          "the screen does not show the window's backdrop");
  }
  // Only the first broken invariant is reported: the rest usually follow from it.
  void Check(bool ok, const char* why) {
    if (!ok && !std::exchange(broken_, true))
      ADD_FAILURE() << "event " << events_ << ", " << driver->NowMs() << " ms: " << why;
  }
  // The flags only ever go one way, and the chain never comes back after the blackout.
  void CheckScene() {
    const bool chain = window->Find<host::RectControl>("Canvas2")->Visible();
    Check(!window->Backdrop() || std::count(fields_.begin(), fields_.end(), window->Backdrop()),
          "the backdrop is not one of the scene's pictures");
    Check(window->counter >= 0 && window->counter <= 4, "the show's counter is out of range");
    Check(window->lit >= seen_[0] && window->fried >= seen_[1] && window->enditall >= seen_[2],
          "lit, fried or enditall went back to false");
    Check(window->lit || !window->fried, "the light died without ever being lit");
    Check(!chain || seen_[3], "the chain came back after the blackout");
    seen_ = {window->lit, window->fried, window->enditall, chain};
  }

  // A fresh program: what it shows now bounds what it may show later.
  void Opened() {
    inProgram_ = 0;
    held_ = over_ = keyPullWaiting_ = false;
    seen_ = {false, false, false, true};
    fields_ = {window->darker, window->darker2, window->lighter, window->lighter2, window->flash};
    Check(std::count(fields_.begin(), fields_.end(), nullptr) == 0, "a picture is missing");
    Check(window->Backdrop() == window->darker, "the scene did not open dark");
    sounds_ = backend.Sounds().size();
    // A wrong state may last only until the next tick, long before the next event.
    runtime->timerObserver = [this](const host::Timer&, host::Micros due, host::Micros ran) {
      Check(ran >= due && ran - due <= kLateness, "a timer fired late");
      CheckScene();
    };
  }

  // One random event, as a person at the screen might make it.
  void Step() {
    const int roll = Uniform(0, 99);
    if (roll < 40 || (held_ && roll < 55)) {
      Aim();
      if (held_ || !UnderBox()) return Do([&] { driver->MoveTo(*window, x_, y_), over_ = true; });
      // The box lies above the scene: a press there is a click on the box, often on a name.
      if (over_) Do([&] { driver->Leave(*window), over_ = false; });
      AimAt({x_ - BoxRect().left, y_ - BoxRect().top, 1, 1});
      if (Chance(0.5))
        AimAt(Box()->Find<host::RectControl>(Chance(0.5) ? "Canvas1" : "Canvas2")->Bounds());
      Do([&] { driver->Click(*Box(), x_, y_), driver->Leave(*Box()); });
    } else if (held_ && roll < 85) {  // let go wherever the pointer is: the scene still gets it
      quitExpected_ = EndsIt();
      pullExpected_ = chainHeld_;
      Do([&] { driver->Release(*window, x_, y_), held_ = false; });
    } else if (!held_ && over_ && !UnderBox() && roll < 60) {
      // The labels take presses in the strip; the background ends it all once the light is gone.
      chainHeld_ = window->Find<host::RectControl>("Canvas2")->Visible() && In("Canvas2");
      quitHeld_ = !chainHeld_ && !In("StaticText2") && In("StaticText1");
      backgroundHeld_ = !chainHeld_ && !In("StaticText2") && !In("StaticText1") && !In("Canvas1");
      // Ways out come late and rarely, so each program passes many states first.
      if (!EndsIt() || (inProgram_ >= 2000 && Chance(0.02)))
        Do([&] { driver->Press(*window, x_, y_), held_ = true; });
    } else if (!held_ && over_ && roll < 64) {  // left, or let go of a press made elsewhere
      Chance(0.5) ? Do([&] { driver->Leave(*window), over_ = false; })
                  : Do([&] { driver->Release(*window, x_, y_); });
    } else if (roll < 78) {
      // Once the screen is black any key is a way out; Space pulls the chain before that.
      if (window->enditall && !(inProgram_ >= 2000 && Chance(0.02))) return;
      quitExpected_ = window->enditall;
      if (Chance(0.3)) {
        pullExpected_ = !quitExpected_ && window->Find<host::RectControl>("Canvas2")->Visible();
        const int before = ChainPulls();
        Do([&] { driver->Key(host::InputEvent::Special::Space); });
        keyPullWaiting_ = keyPullWaiting_ || (pullExpected_ && ChainPulls() == before);
        return;
      }
      const char key = static_cast<char>('a' + Uniform(0, 25));  // no Ctrl+Q: a way out
      Do([&, ctrl = key != 'q' && Chance(0.5)] { driver->Key(key, ctrl); });
    } else {  // hours alone; long enough for a show to run its course; shorter; none at all
      const int tier = std::discrete_distribution<int>({15, 50, 25, 7, held_ ? 0.0 : 3.0})(rng_);
      const int upTo[] = {0, 1000, 8000, 60000, 14'400'000};  // nobody holds on for hours
      Do([&, ms = tier ? Uniform(1, upTo[tier]) : 0] { driver->Advance(ms); });
    }
  }

  std::mt19937 rng_;
  long events_ = 0, inProgram_ = 0, quits_ = 0;
  int x_ = 0, y_ = 0;
  bool broken_ = false, quitExpected_ = false, pullExpected_ = false, held_ = false, over_ = false;
  bool chainHeld_ = false, quitHeld_ = false, backgroundHeld_ = false, keyPullWaiting_ = false;
  std::array<bool, 4> seen_{};  // lit, fried, enditall, chain shown
  std::vector<std::shared_ptr<host::Picture>> fields_;
  std::size_t sounds_ = 0;
};

// Programs are replaced when they end, and after 3000 events since the backend keeps every frame.
TEST_P(SoakRun, RandomInputKeepsTheSceneConsistent) {
  Opened();
  while (!broken_ && (events_ < 10000 || backend.Now() < 24 * 3600'000 * host::kMillis)) {
    quitExpected_ = pullExpected_ = false;
    Step();
    quits_ += runtime->QuitRequested();
    if (runtime->QuitRequested() || (inProgram_ >= 3000 && !held_)) {
      Stop();
      Start();
      Opened();
    }
  }
  EXPECT_TRUE(broken_ || quits_ > 0) << "no way out was ever taken";
}

INSTANTIATE_TEST_SUITE_P(Soak, SoakRun, ::testing::ValuesIn(kSeeds),
                         [](const auto& info) { return std::to_string(info.param.seed); });

}  // namespace
}  // namespace lumorra::testing
