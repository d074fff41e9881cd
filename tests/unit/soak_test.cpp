// Seeded random input over days of virtual time: whatever order moves, presses, releases,
// keys and waits come in, the scene keeps its invariants after every single event, and the
// program ends only through one of its ways out.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "media/media_table.h"
#include "support/scene_fixture.h"

namespace lumorra::testing {
namespace {

using host::headless::SoundEvent;

constexpr long kMinEvents = 10000;
constexpr double kMinVirtualHours = 24.0;
// The headless backend keeps every frame; a fresh program now and then keeps that small.
constexpr long kEventsPerProgram = 3000;
// Presses that would end the program are left out until it has had this many events, and
// then only some are made: each program lives long enough to go through many states, and the
// ways out are still taken, followed by a fresh program.
constexpr long kEventsBeforeWayOut = 2000;
constexpr double kQuitPressRate = 0.02;
constexpr double kLateBackgroundPressRate = 0.02;

constexpr int kChainSound = medium::chain, kOpeningSound = medium::quiet,
              kRainSound = medium::showers;

struct SoakCase {
  std::uint32_t seed;
  host::Size screen;
};

// Every seed here runs on every build. A seed that once found a fault stays in this list.
const SoakCase kSeeds[] = {
    {11, {1920, 1080}}, {23, {1920, 1080}}, {37, {2560, 1440}},
    {41, {1366, 768}},  {59, {1152, 768}},
};

// What a press reaches, as the user sees the screen.
enum class Target { Chain, QuitLabel, AboutLabel, Strip, Background, BoxName, BoxElse };

enum class Where { Outside, Main, Box };

class SoakRun : public SceneTest, public ::testing::WithParamInterface<SoakCase> {
 protected:
  SoakRun() : SceneTest(GetParam().screen), rng_(GetParam().seed) {}

  // ---- Randomness ------------------------------------------------------------------------

  int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  double Real(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng_); }
  bool Chance(double p) { return std::bernoulli_distribution(p)(rng_); }

  struct Spot {
    int x, y;  // screen coordinates
  };
  Spot Inside(const host::Rect& r) {
    return {Uniform(r.left, r.left + r.width - 1), Uniform(r.top, r.top + r.height - 1)};
  }
  host::Rect Bounds(const char* name) const {
    return window->Find<host::RectControl>(name)->Bounds();
  }

  // Points where something happens come up far more often than their share of the screen.
  Spot PickSpot() {
    const host::Size screen = GetParam().screen;
    const int roll = Uniform(0, 99);
    if (roll < 25) return Inside(Bounds("Canvas2"));      // the chain
    if (roll < 35) return Inside(Bounds("Canvas1"));      // the strip
    if (roll < 43) return Inside(Bounds("StaticText2"));  // "About"
    if (roll < 47) return Inside(Bounds("StaticText1"));  // "Quit", mostly
    if (roll < 62 && BoxShown()) {
      const host::Rect box = BoxRect();
      auto on = [&](const char* name) {
        host::Rect r = Box()->Find<host::RectControl>(name)->Bounds();
        r.left += box.left;
        r.top += box.top;
        return Inside(r);
      };
      if (roll < 52) return on("Canvas1");  // the author
      if (roll < 57) return on("Canvas2");  // the photographer
      return Inside(box);
    }
    if (roll < 70)
      return {Uniform(0, screen.width - 1), Uniform(0, 40)};  // across the strip's edge
    return {Uniform(0, screen.width - 1), Uniform(0, screen.height - 1)};
  }

  // ---- The program's windows ---------------------------------------------------------------

  bool BoxShown() const { return Box() && backend.NativeFor(*Box())->Shown(); }
  // Where the credits box was made on the screen.
  host::Rect BoxRect() const { return backend.NativeFor(*Box())->Spec().rect; }
  host::Window& WindowAt(Where where) const {
    if (where == Where::Box) return *Box();
    return *window;
  }

  struct Routed {
    Where where;
    int x, y;  // window coordinates
  };
  // The window under a screen point: the box lies above the scene while it is shown.
  Routed Route(Spot s) const {
    if (BoxShown()) {
      const host::Rect r = BoxRect();
      if (r.Contains(s.x, s.y)) return {Where::Box, s.x - r.left, s.y - r.top};
    }
    return {Where::Main, s.x, s.y};
  }
  Spot ScreenOf(Where where, int x, int y) const {
    if (where == Where::Box) return {x + BoxRect().left, y + BoxRect().top};
    return {x, y};
  }

  Target TargetAt(const Routed& r) const {
    if (r.where == Where::Box) {
      auto box = Box();
      for (const char* name : {"Canvas1", "Canvas2"})
        if (box->Find<host::RectControl>(name)->Bounds().Contains(r.x, r.y)) return Target::BoxName;
      return Target::BoxElse;
    }
    auto chain = window->Find<host::RectControl>("Canvas2");
    if (chain->Visible() && chain->Bounds().Contains(r.x, r.y)) return Target::Chain;
    // Pressing in the strip shows the labels first, so they take the press.
    if (Bounds("StaticText2").Contains(r.x, r.y)) return Target::AboutLabel;
    if (Bounds("StaticText1").Contains(r.x, r.y)) return Target::QuitLabel;
    // The strip itself takes no press, and covers the background under it.
    if (Bounds("Canvas1").Contains(r.x, r.y)) return Target::Strip;
    return Target::Background;
  }

  // ---- Running events ------------------------------------------------------------------------

  // Runs one event; anything that escapes it is a failure.
  void Do(const std::string& what, const std::function<void()>& event) {
    history_.push_back(what + " @" + std::to_string(driver->NowMs()) + "ms");
    if (history_.size() > 16) history_.pop_front();
    ++events_;
    ++eventsInProgram_;
    try {
      event();
    } catch (const std::exception& e) {
      Fail(std::string("exception escaped: ") + e.what());
    } catch (...) {
      Fail("unknown exception escaped");
    }
  }

  void Fail(const std::string& why) {
    if (broken_) return;
    broken_ = true;
    std::ostringstream recent;
    for (const auto& h : history_) recent << "\n    " << h;
    ADD_FAILURE() << "seed " << GetParam().seed << ", event " << events_ << ": " << why
                  << "\n  last events:" << recent.str();
  }
  void Expect(bool ok, const std::string& why) {
    if (!ok) Fail(why);
  }

  static std::string Named(Where where, const char* what, int x, int y) {
    return std::string(where == Where::Box ? "box " : "") + what + " " + std::to_string(x) + "," +
           std::to_string(y);
  }

  void Move(Spot s) {
    if (held_.active) {
      // While the button is down the pressed window keeps getting the pointer.
      const Where where = held_.where;
      const Spot origin = ScreenOf(where, 0, 0);
      const int x = s.x - origin.x, y = s.y - origin.y;
      Do(Named(Where::Main, "drag", x, y), [&] { driver->MoveTo(WindowAt(where), x, y); });
      pointer_ = {where, x, y};
      return;
    }
    const Routed r = Route(s);
    if (pointer_.where != Where::Outside && pointer_.where != r.where) Leave();
    Do(Named(r.where, "move", r.x, r.y), [&] { driver->MoveTo(WindowAt(r.where), r.x, r.y); });
    pointer_ = r;
  }

  void Leave() {
    if (pointer_.where == Where::Outside) return;
    const Where where = pointer_.where;
    Do(std::string(where == Where::Box ? "box " : "") + "leave",
       [&] { driver->Leave(WindowAt(where)); });
    pointer_.where = Where::Outside;
  }

  void Press() {
    const bool here = pointer_.where != Where::Outside && Chance(0.5);
    const Spot s = here ? ScreenOf(pointer_.where, pointer_.x, pointer_.y) : PickSpot();
    const Routed r = Route(s);
    const Target target = TargetAt(r);
    const bool mayEnd = eventsInProgram_ >= kEventsBeforeWayOut;
    if (target == Target::QuitLabel && !(mayEnd && Chance(kQuitPressRate))) return;
    if (target == Target::Background && window->enditall &&
        !(mayEnd && Chance(kLateBackgroundPressRate)))
      return;
    // After a drag the pointer may have ended up over the other window: it gets there first.
    if (!here || r.where != pointer_.where) Move(s);
    Do(Named(r.where, "press", r.x, r.y), [&] { driver->Press(WindowAt(r.where), r.x, r.y); });
    // A control of the scene that takes the press keeps the pointer until the release: what
    // the pointer shows stays as it was at the press.
    const bool claims =
        r.where == Where::Main &&
        (target == Target::QuitLabel || target == Target::AboutLabel ||
         (target == Target::Chain && window->Find<host::RectControl>("Canvas2")->Enabled()));
    held_ = {true, r.where, target, claims, r};
  }

  void Release() {
    const Where where = held_.where;
    const Target target = held_.target;
    int x = pointer_.x, y = pointer_.y;
    if (pointer_.where != where || Chance(0.3)) {
      // Let go somewhere else: the release still belongs to the pressed window.
      const host::Size screen = GetParam().screen;
      const Spot far{Uniform(0, screen.width - 1), Uniform(0, screen.height - 1)};
      const Spot origin = ScreenOf(where, 0, 0);
      x = far.x - origin.x;
      y = far.y - origin.y;
      if (where == Where::Main) Move(far);
    }
    const bool onMain = where == Where::Main;
    quitExpected_ = onMain && (target == Target::QuitLabel ||
                               (target == Target::Background && window->enditall));
    pullExpected_ = onMain && target == Target::Chain;
    // A box that hid itself while a name was held hears no release.
    const bool nameClicked = !onMain && target == Target::BoxName && BoxShown();
    Do(Named(where, "release", x, y), [&] { driver->Release(WindowAt(where), x, y); });
    held_ = {};
    if (nameClicked) ++urls_;
  }

  // A release the program never saw the press of: someone pressed outside it.
  void StrayRelease() {
    if (pointer_.where != Where::Main) return;
    Do("stray release", [&] { driver->Release(*window, pointer_.x, pointer_.y); });
  }

  void Key() {
    const char key = static_cast<char>('a' + Uniform(0, 25));
    bool command = Chance(0.5);
    if (key == 'q') command = false;  // Ctrl+Q is a way out of its own, tested elsewhere
    Do(std::string(command ? "ctrl+" : "key ") + key, [&] { driver->Key(key, command); });
  }

  void Wait() {
    // Nobody holds the button down for minutes.
    const int roll = held_.active ? Uniform(0, 89) : Uniform(0, 99);
    double ms = 0;
    if (roll < 15)
      ms = 0;
    else if (roll < 65)
      ms = Uniform(1, 1000);
    else if (roll < 90)
      ms = Uniform(1000, 8000);
    else if (roll < 97)
      ms = Uniform(8000, 60000);  // long enough for a show to run its course
    else
      ms = Real(10, 240) * 60000;  // left alone for minutes or hours
    Do("advance " + std::to_string(static_cast<long>(ms)) + "ms", [&] { driver->Advance(ms); });
  }

  // ---- Invariants --------------------------------------------------------------------------

  struct Remembered {
    bool lit = false, fried = false, enditall = false, chainVisible = true;
    std::shared_ptr<host::Picture> fields[5];
  };

  std::vector<std::shared_ptr<host::Picture>> Fields() const {
    return {window->darker, window->darker2, window->lighter, window->lighter2, window->flash};
  }

  // A fresh program has just opened: remember what must never change from now on.
  void Opened() {
    ++programs_;
    eventsInProgram_ = 0;
    held_ = {};
    pointer_ = {Where::Outside, 0, 0};
    seen_ = {};
    const auto fields = Fields();
    std::copy(fields.begin(), fields.end(), seen_.fields);
    for (const auto& f : fields) Expect(f != nullptr, "the scene opened without all its pictures");
    Expect(window->Backdrop() == window->darker, "the scene did not open dark");
    const auto& sounds = backend.Sounds();
    Expect(!sounds.empty() && sounds.back().resourceId == kOpeningSound,
           "the opening sound did not play");
    sounds_ = sounds.size();
    urls_ = backend.Urls().size();
    // The scene's state is also checked after every timer tick: a wrong state may last only
    // until the next tick, long before the next event.
    runtime->timerObserver = [this](const host::Timer& timer, host::Micros due, host::Micros ran) {
      Expect(ran == due, timer.Name() + " fired at " + std::to_string(ran) + " us, due at " +
                             std::to_string(due) + " us");
      CheckScene("after a tick of " + timer.Name() + ": ");
    };
  }

  // What must hold of the scene at any moment.
  void CheckScene(const std::string& when = "") {
    if (broken_) return;
    const auto fields = Fields();
    for (int i = 0; i < 5; ++i)
      Expect(fields[i] == seen_.fields[i], when + "a picture field changed after the scene opened");
    const auto& backdrop = window->Backdrop();
    Expect(!backdrop || std::find(fields.begin(), fields.end(), backdrop) != fields.end(),
           when + "the backdrop is not one of the scene's pictures");
    Expect(window->counter >= 0 && window->counter <= 4,
           when + "counter out of range: " + std::to_string(window->counter));

    Expect(window->lit || !seen_.lit, when + "lit went back to false");
    Expect(window->fried || !seen_.fried, when + "fried went back to false");
    Expect(window->enditall || !seen_.enditall, when + "enditall went back to false");
    Expect(window->lit || !window->fried, when + "the light died without ever being lit");
    auto chain = window->Find<host::RectControl>("Canvas2");
    Expect(!chain->Visible() || seen_.chainVisible,
           when + "the chain came back after the blackout");
    seen_.lit = window->lit;
    seen_.fried = window->fried;
    seen_.enditall = window->enditall;
    seen_.chainVisible = chain->Visible();
  }

  void CheckAfterEvent() {
    if (broken_) return;
    const bool quit = runtime->QuitRequested();
    Expect(quit == quitExpected_, quit ? "the program quit, but not through a way out"
                                       : "a way out did not end the program");
    Expect(runtime->ExitStatus() == 0, "exit status is not 0");
    CheckScene();
    const auto& backdrop = window->Backdrop();
    auto chain = window->Find<host::RectControl>("Canvas2");

    const auto& sounds = backend.Sounds();
    for (std::size_t i = sounds_; i < sounds.size(); ++i) {
      const SoundEvent& s = sounds[i];
      if (s.kind == SoundEvent::Kind::Stop) {
        Expect(s.resourceId == kRainSound, "a sound other than the rain was stopped");
      } else {
        Expect(s.resourceId == kChainSound || s.resourceId == kRainSound,
               "unexpected sound " + std::to_string(s.resourceId));
        Expect(s.resourceId != kChainSound || pullExpected_, "the chain sounded without a pull");
      }
    }
    sounds_ = sounds.size();
    Expect(backend.Urls().size() == urls_, "an address opened without a click on a name");
    Expect(runtime->Windows().size() <= 2, "more than the scene and one credits box");
    Expect(backend.NativeWindows().size() == runtime->Windows().size(),
           "native windows and windows disagree");
    const host::Micros next = runtime->NextDeadline();
    Expect(next < 0 || next >= backend.Now() || quit, "a timer was left overdue");

    if (quit) return;  // nothing more is presented once the program is ending
    const auto& shown = Native().Showing();
    Expect(shown.backdrop == backdrop, "the screen does not show the window's backdrop");
    Expect(shown.hasBackColor && shown.backColor == host::RGB(0, 0, 0),
           "the scene lost its black background");
    // While the scene holds a press, what the pointer shows waits for the release, unless the
    // chain it held vanished at the blackout.
    const bool frozen =
        held_.active && held_.claimed && (held_.target != Target::Chain || chain->Visible());
    const Routed& at = frozen ? held_.at : pointer_;
    const bool onMain = at.where == Where::Main;
    const bool overStrip = onMain && Bounds("Canvas1").Contains(at.x, at.y);
    std::vector<std::string> labels;
    for (const auto& l : shown.labels) labels.push_back(l.text);
    Expect(labels ==
               (overStrip ? std::vector<std::string>{"Quit", "About"} : std::vector<std::string>{}),
           overStrip ? "the strip's labels are not shown over the strip"
                     : "the strip's labels are shown away from the strip");
    const bool overChain = onMain && chain->Visible() && chain->Bounds().Contains(at.x, at.y);
    Expect((Native().Cursor() == host::CursorKind::HandOpen) == overChain,
           overChain ? "no open hand over the chain" : "open hand away from the chain");
  }

  // ---- The run ---------------------------------------------------------------------------------

  void RunSeed() {
    const host::Micros start = backend.Now();
    Opened();
    while (!broken_ &&
           (events_ < kMinEvents || (backend.Now() - start) / 3.6e9 < kMinVirtualHours)) {
      quitExpected_ = pullExpected_ = false;
      const int roll = Uniform(0, 99);
      if (held_.active) {
        if (roll < 35)
          Move(PickSpot());
        else if (roll < 75)
          Release();
        else if (roll < 80)
          Key();
        else
          Wait();
      } else {
        if (roll < 42)
          Move(PickSpot());
        else if (roll < 62)
          Press();
        else if (roll < 65)
          Leave();
        else if (roll < 67)
          StrayRelease();
        else if (roll < 77)
          Key();
        else
          Wait();
      }
      CheckAfterEvent();
      if (broken_) break;
      const bool quit = runtime->QuitRequested();
      quits_ += quit;
      if (quit || (eventsInProgram_ >= kEventsPerProgram && !held_.active)) {
        Stop();  // a fresh program
        Start();
        Opened();
      }
    }
    const double hours = (backend.Now() - start) / 3.6e9;
    EXPECT_GE(events_, kMinEvents);
    EXPECT_GE(hours, kMinVirtualHours);
    std::cout << "[soak] seed " << GetParam().seed << ": " << events_ << " events, " << hours
              << " virtual hours, " << programs_ << " programs, " << quits_ << " ways out taken\n";
  }

  std::mt19937 rng_;
  long events_ = 0, eventsInProgram_ = 0, programs_ = 0, quits_ = 0;
  bool broken_ = false;
  bool quitExpected_ = false, pullExpected_ = false;
  std::deque<std::string> history_;

  struct Held {
    bool active = false;
    Where where = Where::Outside;
    Target target = Target::Background;
    bool claimed = false;             // by a control of the scene
    Routed at{Where::Outside, 0, 0};  // where the press was
  } held_;
  Routed pointer_{Where::Outside, 0, 0};
  Remembered seen_;
  std::size_t sounds_ = 0, urls_ = 0;
};

TEST_P(SoakRun, RandomInputKeepsTheSceneConsistent) { RunSeed(); }

INSTANTIATE_TEST_SUITE_P(Soak, SoakRun, ::testing::ValuesIn(kSeeds), [](const auto& info) {
  return "seed" + std::to_string(info.param.seed) + "_" + std::to_string(info.param.screen.width) +
         "x" + std::to_string(info.param.screen.height);
});

}  // namespace
}  // namespace lumorra::testing
