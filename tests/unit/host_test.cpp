// The host framework on its own: timers, pointer routing, shortcuts, screens, errors, deadline
// waits.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "host/deadline_wait.h"
#include "host/display_choice.h"
#include "host/headless/headless_backend.h"
#include "host/keys.h"
#include "host/picture.h"
#include "host/placement.h"
#include "host/runtime.h"

namespace {

using host::headless::HeadlessBackend;
using Log = std::vector<std::string>;

// A window whose controls log every event they get.
class Probe : public host::Window {
 public:
  Log log;

  std::shared_ptr<host::Canvas> Area(const std::string& name, host::Rect r,
                                     host::RectControl* parent = nullptr, bool presses = true) {
    auto c = std::make_shared<host::Canvas>();
    AddControl(name, c);
    c->SetBounds(r);
    c->SetParent(parent);
    c->MouseEnter = [this, name] { Note("enter " + name); };
    c->MouseExit = [this, name] { Note("exit " + name); };
    if (presses) {
      c->MouseDown = [this, name](int, int) { return Note("down " + name); };
      c->MouseUp = [this, name](int, int) { Note("up " + name); };
    }
    return c;
  }
  bool Note(const std::string& what) {
    log.push_back(what);
    return true;  // claims the press
  }

 protected:
  void Layout() override {
    SetSize(400, 300);
    FullScreen = true;
  }
  bool Event_MouseDown(int, int) override { return Note("down window"); }
  void Event_MouseUp(int, int) override { Note("up window"); }
  bool Event_KeyDown(const host::InputEvent& key) override {
    return Note(std::string("key ") + key.key);
  }
};

// A small window that has a use for every key it hears.
class KeyBox : public host::Window {
 public:
  std::string keys;

 protected:
  void Layout() override { SetSize(120, 80); }
  bool Event_KeyDown(const host::InputEvent& key) override {
    keys += key.key;
    return true;
  }
};

class HostTest : public ::testing::Test {
 protected:
  HostTest() : runtime(backend), driver(runtime, backend) {
    window = runtime.ImplicitInstance<Probe>();
  }
  // A timer that logs "name@ms" each time it fires.
  host::Timer& AddTimer(const std::string& name, int period) {
    auto t = std::make_shared<host::Timer>();
    window->AddControl(name, t);
    t->SetPeriod(period);
    t->Action = [this, name](host::Timer&) {
      window->log.push_back(name + "@" + std::to_string(driver.NowMs()));
    };
    return *t;
  }
  // Plays steps ("move|press|release|click x,y", "leave"); returns what was heard since.
  Log Do(const std::string& script) {
    std::istringstream steps(script);
    std::string step;
    int x = 0, y = 0;
    char comma = ',';
    while (steps >> step) {
      if (step != "leave") steps >> x >> comma >> y;
      if (step == "move") driver.MoveTo(*window, x, y);
      if (step == "press") driver.Press(*window, x, y);
      if (step == "release") driver.Release(*window, x, y);
      if (step == "click") driver.Click(*window, x, y);
      if (step == "leave") driver.Leave(*window);
    }
    return std::exchange(window->log, {});
  }

  HeadlessBackend backend{host::Size{800, 600}};
  host::Runtime runtime;
  host::headless::Driver driver;
  std::shared_ptr<Probe> window;
};

TEST_F(HostTest, ATimerFiresPeriodAfterItsLastArmingAndTimersDueTogetherInArmingOrder) {
  auto& t = AddTimer("t", 100);
  driver.Advance(10);
  t.SetMode(host::TimerMode::Single);
  driver.Advance(80);
  t.SetMode(host::TimerMode::Single);  // armed again: the period starts over
  driver.Advance(300);
  EXPECT_EQ(t.Mode(), host::TimerMode::Off) << "a single timer is off once it has fired";
  t.SetMode(host::TimerMode::Multiple);
  driver.Advance(230);
  t.SetMode(host::TimerMode::Off);  // stopped before it was due again
  driver.Advance(1000);
  EXPECT_EQ(Do(""), (Log{"t@190", "t@490", "t@590"}));
  // Timers due together fire in the order they were armed.
  auto& a = AddTimer("a", 200);
  auto& b = AddTimer("b", 100);
  auto& c = AddTimer("c", 300);
  c.SetMode(host::TimerMode::Single);
  driver.Advance(100);
  b.SetMode(host::TimerMode::Single);  // due at 200, armed after c but before a
  a.SetMode(host::TimerMode::Single);  // due at 300
  driver.Advance(100);
  c.SetMode(host::TimerMode::Single);  // re-armed: now due at 500, after a
  driver.Advance(400);
  EXPECT_EQ(window->log, (Log{"b@1820", "a@1920", "c@2120"}));
}

TEST_F(HostTest, PeriodZeroFiresInTheSamePassBeforeThePresentAndRepeatsOncePerPass) {
  auto& zero = AddTimer("zero", 0);
  auto& arming = AddTimer("arming", 10);
  runtime.presentObserver = [&](const host::Window&) { window->log.push_back("present"); };
  arming.Action = [&](host::Timer&) {
    window->SetBackColor(host::RGB(1, 2, 3));
    zero.SetMode(host::TimerMode::Single);
  };
  arming.SetMode(host::TimerMode::Single);
  driver.Advance(10);
  EXPECT_EQ(window->log, (Log{"zero@10", "present"})) << "no time passes before a period-0 timer";

  int ticks = 0;
  zero.Action = [&](host::Timer& self) {
    if (++ticks == 3) self.SetMode(host::TimerMode::Off);
  };
  zero.SetMode(host::TimerMode::Multiple);
  runtime.RunPass();
  EXPECT_EQ(ticks, 1) << "the loop gets its turn between ticks";
  driver.Advance(1);
  EXPECT_EQ(ticks, 3);
}

// A nil object ends only the handler that used it, and each place says so once on stderr: a
// misspelt control name by its name, with the handler's.
TEST_F(HostTest, NilObjectErrorEndsOnlyThatHandlerAndIsReportedOncePerPlace) {
  auto& t = AddTimer("t", 10);
  t.Action = [&](host::Timer&) {
    window->log.push_back("before");
    host::Deref(window->Find<host::Timer>("Tmer1")).SetMode(host::TimerMode::Single);
    window->log.push_back("after");
  };
  auto area = window->Area("area", {0, 0, 50, 50});
  area->MouseEnter = [] {
    host::Deref(std::shared_ptr<host::Timer>()).SetMode(host::TimerMode::Single);
  };
  ::testing::internal::CaptureStderr();
  t.SetMode(host::TimerMode::Multiple);
  driver.Advance(30);
  const Log heard = Do("move 10,10 move 100,100 move 10,10");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "lumorra: Probe.t_Action: no control named \"Tmer1\"\n"
            "lumorra: Probe.area_MouseEnter: used a nil object\n");
  EXPECT_EQ(heard, (Log{"before", "before", "before", "exit area"}));
}

// A repeating timer keeps to its rate when a pass runs late, and after a stall it starts again
// from then instead of firing the ticks it missed in a burst.
TEST_F(HostTest, ARepeatingTimerKeepsItsRateAndRestartsAfterAStall) {
  AddTimer("t", 100).SetMode(host::TimerMode::Multiple);
  backend.SetNow(103 * host::kMillis);  // the loop woke 3 ms late
  runtime.RunPass();
  driver.Advance(197);
  EXPECT_EQ(Do(""), (Log{"t@103", "t@200", "t@300"}));
  backend.SetNow(1050 * host::kMillis);  // stalled for most of a second
  runtime.RunPass();
  driver.Advance(200);
  EXPECT_EQ(Do(""), (Log{"t@1050", "t@1150", "t@1250"}));
}

TEST_F(HostTest, EnterAndExitFollowThePointerAndLaterSiblingsAndChildrenLieOnTop) {
  auto strip = window->Area("strip", {0, 0, 400, 24}, nullptr, false);
  auto label = window->Area("label", {20, 4, 100, 20}, strip.get());
  EXPECT_EQ(Do("move 200,10 move 30,10 move 200,10 move 200,100"),
            (Log{"enter strip", "enter label", "exit label", "exit strip"}));
  // A control shown under a pointer that stays put is entered, and takes the click.
  label->SetVisible(false);
  strip->MouseEnter = [&] { label->SetVisible(true); };
  EXPECT_EQ(Do("click 30,10"), (Log{"enter label", "down label", "up label"}));

  auto a = window->Area("a", {0, 100, 100, 100});
  window->Area("b", {50, 150, 100, 100});
  window->Area("child", {10, 110, 20, 20}, a.get());
  window->Area("late", {0, 100, 40, 40});  // added after a's child, but a sibling of a
  EXPECT_EQ(Do("move 200,60 click 60,160 click 15,115"),
            (Log{"exit label", "exit strip", "enter b", "down b", "up b", "exit b", "enter late",
                 "down late", "up late"}));
}

TEST_F(HostTest, AHeldPressKeepsThePointerButAControlOrWindowHiddenOrDisabledGetsNoRelease) {
  auto a = window->Area("a", {0, 0, 100, 100});
  window->Area("b", {200, 200, 100, 100});
  EXPECT_EQ(Do("move 10,10 press 10,10 move 150,150 move 250,250"), (Log{"enter a", "down a"}));
  // Dragged onto another control: the pressed one hears of the release, then the crossings.
  EXPECT_EQ(Do("release 250,250"), (Log{"up a", "exit a", "enter b"}));
  // Released outside the window: the leave that follows ends the visit.
  EXPECT_EQ(Do("press 260,260 move 500,500 release 500,500 leave"),
            (Log{"down b", "up b", "exit b"}));

  Do("move 10,10 press 10,10");
  a->SetVisible(false);
  driver.Advance(0);  // the pointer is no longer held: the hidden control is left at once
  EXPECT_EQ(Do("release 10,10 click 10,10"), (Log{"exit a", "down window", "up window"}))
      << "a hidden control takes no mouse";

  a->SetVisible(true);
  Do("move 20,20 press 20,20");
  a->SetEnabled(false);
  EXPECT_EQ(Do("release 20,20 click 20,20"), Log{}) << "nor does the background hear it";

  a->SetEnabled(true);
  Do("move 10,10 press 10,10");
  window->Hide();
  window->Show();
  EXPECT_EQ(Do("release 10,10"), Log{"exit a"});
}

TEST_F(HostTest, APressInsideAControlNeverReachesTheBackground) {
  // A control that takes no presses covers the background under it; a label over a click area
  // still leaves the press to the area.
  auto cover = window->Area("cover", {0, 0, 400, 24}, nullptr, /*presses=*/false);
  window->Area("label", {20, 4, 60, 16}, cover.get(), /*presses=*/false);
  auto area = window->Area("area", {50, 50, 80, 12});
  window->Area("caption", {55, 50, 80, 16}, area.get(), /*presses=*/false);
  EXPECT_EQ(Do("click 200,10 click 30,10"), (Log{"enter cover", "enter label"}));
  EXPECT_EQ(Do("click 60,55 click 200,200"),
            (Log{"exit label", "exit cover", "enter area", "enter caption", "down area", "up area",
                 "exit caption", "exit area", "down window", "up window"}));
  // A press the control turns down gets no release, and still not the background's.
  area->MouseDown = [&](int, int) { return false; };
  backend.SetFocusedId(0);  // another client took the keyboard; a click takes it back
  EXPECT_EQ(Do("click 52,55"), Log{"enter area"});
  EXPECT_EQ(backend.FocusedId(), window->Native()->Id());
}

// As on a desktop: a window that appears takes the keyboard, one that goes hands it back, a
// click takes it, and while another program has it no window of ours hears a key.
TEST_F(HostTest, KeysGoToTheWindowWithTheFocusWhichAWindowTakesAsItAppearsOrIsClicked) {
  driver.Key('a', false);
  EXPECT_EQ(Do(""), Log{"key a"});
  auto box = runtime.ImplicitInstance<KeyBox>();  // appears, and takes the focus
  driver.Key('b', false);
  EXPECT_EQ(Do("click 10,10"), (Log{"down window", "up window"}));
  driver.Key('c', false);
  box->Hide();
  box->Show();
  driver.Key('d', false);
  box->Hide();  // the focus goes back to the window that had it before
  driver.Key('e', false);
  backend.SetFocusedId(0);
  driver.Key('f', false);
  EXPECT_EQ(box->keys, "bd");
  EXPECT_EQ(Do(""), (Log{"key c", "key e"}));
}

// A backend readies the pictures the program holds for the screen before their first present:
// every one made is listed, a copy still being scaled too, and none once let go.
TEST(Pictures, ListedWhileHeldAndNotOnceLetGo) {
  auto source = host::NewPicture(64, 64, 32);
  auto copy = host::NewScaledPicture(source, 32, 32, 32, 32);
  const auto listed = [](const host::Picture* picture) {
    const auto live = host::LivePictures();
    return std::any_of(live.begin(), live.end(), [&](const auto& p) { return p.get() == picture; });
  };
  EXPECT_TRUE(listed(source.get()));
  EXPECT_TRUE(listed(copy.get()));
  copy->Pixels();
  EXPECT_TRUE(copy->Made());
  const host::Picture* gone = source.get();
  source.reset();  // the copy's job let go of it once it was scaled
  EXPECT_FALSE(listed(gone));
  EXPECT_TRUE(listed(copy.get()));
}

// Quitting lets go of pictures whose decoding has not begun yet: that must not wait for them to
// be decoded first, only for the one the worker is on.
TEST(Pictures, LettingGoOfAPictureStillQueuedSkipsItsFill) {
  std::promise<void> release;
  auto busy = std::make_shared<host::Picture>(
      8, 8, [gate = release.get_future().share()](std::uint32_t*) { gate.wait(); });
  std::atomic<bool> filled = false;
  auto queued = std::make_shared<host::Picture>(8, 8, [&filled](std::uint32_t*) { filled = true; });
  // Let go on another thread: the worker is still held on the first picture.
  auto lettingGo = std::async(std::launch::async, [&queued] { queued.reset(); });
  EXPECT_EQ(lettingGo.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
  release.set_value();
  lettingGo.wait();
  busy.reset();
  EXPECT_FALSE(filled);
}

// X key symbols of the keys in the US layout's Q and Z positions, and a Unicode one.
constexpr host::KeySym kCyrillicShortI = 0x6ca, kCyrillicYa = 0x6d1, kUnicodeShortI = 0x1000439;

TEST(Shortcuts, AKeyIsItsLatinLetterWhateverTheActiveLayout) {
  const struct {
    const char* layouts;
    std::vector<host::KeySym> symbols;  // the key's symbol in each layout
    int active;
    char us, letter;
  } cases[] = {
      {"ru", {kCyrillicShortI}, 0, 'q', 'q'},
      {"us,ru with ru active", {'q', kCyrillicShortI}, 1, 'q', 'q'},
      {"fr: the Q is where US has its A", {'q'}, 0, 'a', 'q'},
      {"de,ru with ru active, the Z key", {'y', kCyrillicYa}, 1, 'z', 'y'},
      {"us, the ; key", {';'}, 0, 0, 0},
      {"us, a layout the key lacks", {'a', 0}, 1, 'a', 'a'},
      {"a Cyrillic letter given by its code point", {kUnicodeShortI}, 0, 'q', 'q'},
      {"dvorak: the US Q key types an apostrophe", {'\''}, 0, 'q', 0},
      {"dvorak,ru with ru active", {'\'', kCyrillicShortI}, 1, 'q', 0},
      {"ru,dvorak with dvorak active", {kCyrillicShortI, '\''}, 1, 'q', 0},
      {"dvorak,us with dvorak active", {'\'', 'q'}, 0, 'q', 0},
      {"dvorak: its Q, where US has its X", {'q'}, 0, 'x', 'q'},
      {"an accented letter", {0xe9}, 0, 'q', 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(host::ShortcutLetter(c.symbols, c.active, c.us), c.letter) << c.layouts;
}

// RandR lists the monitors a display was split into (by `xrandr --setmonitor`, with no outputs
// of their own) and still the monitor of the whole display.
TEST(Screens, TheMainScreenIsThePrimaryMonitorAndNeverAWholeSplitDisplay) {
  using host::Monitor, host::Rect;
  const Rect left{0, 0, 1280, 1024}, right{1280, 0, 1920, 1080}, whole{0, 0, 3200, 1080};
  const struct {
    const char* desktop;
    std::vector<Monitor> monitors;
    std::optional<Rect> main;
  } cases[] = {
      {"two outputs, the second primary", {{left}, {right, true}}, right},
      {"split, the right part primary", {{right, true}, {left}, {whole}}, right},
      {"split, no primary", {{whole}, {left}, {right}}, left},
      {"split, the whole display primary", {{whole, true}, {right}, {left}}, right},
      {"one monitor", {{whole}}, whole},
      {"none", {}, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(host::MainMonitor(c.monitors), c.main) << c.desktop;
}

using host::kFinalStretch, host::kMillis, host::PlanWait, host::WaitStep;

// Input waits count whole milliseconds and may run a thousandth late: they end before the
// deadline, leaving the last stretch to a precise sleep.
TEST(DeadlineWait, MillisecondWaitsEndBeforeTheDeadlineAndTheFinalStretchIsSlept) {
  for (host::Micros remaining = kFinalStretch; remaining <= 600 * 1000 * kMillis;
       remaining += remaining / 7 + 13) {
    const WaitStep step = PlanWait(1000, 1000 + remaining);
    ASSERT_EQ(step.kind, WaitStep::Kind::ForInputMillis) << remaining;
    EXPECT_LT(step.millis * kMillis + step.millis, remaining) << remaining;
    EXPECT_GE(step.millis * kMillis, remaining - 3 * kMillis - remaining / 250) << remaining;
  }
  EXPECT_EQ(PlanWait(5000, 5000 + kFinalStretch - 1).sleep, kFinalStretch - 1);
  EXPECT_EQ(PlanWait(5000, 4000).kind, WaitStep::Kind::SleepThenPoll) << "overdue";
  EXPECT_EQ(PlanWait(5000, 4000).sleep, 0) << "overdue";
  EXPECT_EQ(PlanWait(5000, -1).kind, WaitStep::Kind::ForInput) << "no deadline: input alone";
}

// Which display system the program opens, from what the environment says about the desktop.
TEST(DisplayChoice, AWaylandSessionGetsWaylandFirstAndTheUsersOwnChoiceStands) {
  using host::ChooseDisplay, host::DisplayEnvironment;
  struct Case {
    const char* desktop;
    DisplayEnvironment env;
    const char* drivers;
    const char* error;
  } cases[] = {
      {"GNOME or KDE on Wayland, XWayland beside it",
       {"", ":0", "wayland-0", "wayland", true},
       "wayland,x11",
       ""},
      {"a compositor without XWayland", {"", "", "wayland-1", "", true}, "wayland", ""},
      {"the session says Wayland, the socket has its default name",
       {"", ":0", "", "wayland", true},
       "wayland,x11",
       ""},
      {"the named compositor is not there", {"", ":0", "wayland-9", "wayland", false}, "x11", ""},
      {"nor is an X display", {"", "", "wayland-9", "", false}, "", "cannot connect to wayland-9"},
      {"an X session", {"", ":0", "", "x11", false}, "x11", ""},
      {"an X session with a stray default socket", {"", ":0", "", "x11", true}, "x11", ""},
      {"the user asks for X11 on Wayland", {"x11", ":0", "wayland-0", "wayland", true}, "", ""},
      {"the user asks for anything", {"wayland", "", "", "", false}, "", ""},
      {"nothing at all", {"", "", "", "tty", false}, "", "DISPLAY is not set"},
  };
  for (const Case& c : cases) {
    const host::DisplayChoice choice = ChooseDisplay(c.env);
    EXPECT_EQ(choice.drivers, c.drivers) << c.desktop;
    EXPECT_EQ(choice.error, c.error) << c.desktop;
  }
  EXPECT_EQ(host::WaylandSocketPath("", "/run/user/1000"), "/run/user/1000/wayland-0");
  EXPECT_EQ(host::WaylandSocketPath("wayland-1", "/run/user/1000"), "/run/user/1000/wayland-1");
  EXPECT_EQ(host::WaylandSocketPath("/tmp/compositor", ""), "/tmp/compositor") << "absolute";
  EXPECT_EQ(host::WaylandSocketPath("wayland-1", ""), "") << "no runtime directory: unknown";
}

}  // namespace
