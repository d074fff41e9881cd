// The host framework on its own: timers on the manual clock, routing of the pointer among
// controls, the nil-object error, and the loop's ways out.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/headless/headless_backend.h"
#include "host/keys.h"
#include "host/runtime.h"

namespace {

using host::headless::Driver;
using host::headless::HeadlessBackend;

// A window whose controls log every event they get.
class Probe : public host::Window {
 public:
  std::vector<std::string> log;
  bool backgroundClaims = true;

  std::shared_ptr<host::Canvas> Area(const std::string& name, host::Rect r,
                                     host::RectControl* parent = nullptr, bool presses = true) {
    auto c = std::make_shared<host::Canvas>();
    AddControl(name, c);
    c->SetBounds(r);
    c->SetParent(parent);
    c->MouseEnter = [this, name] { log.push_back("enter " + name); };
    c->MouseExit = [this, name] { log.push_back("exit " + name); };
    if (presses) {
      c->MouseDown = [this, name](int, int) {
        log.push_back("down " + name);
        return true;
      };
      c->MouseUp = [this, name](int, int) { log.push_back("up " + name); };
    }
    return c;
  }
  host::Timer& AddTimer(const std::string& name, int period) {
    auto t = std::make_shared<host::Timer>();
    AddControl(name, t);
    t->SetPeriod(period);
    t->Action = [this, name](host::Timer&) { log.push_back(name); };
    return *t;
  }

 protected:
  void Layout() override {
    SetSize(400, 300);
    FullScreen = true;
  }
  bool Event_MouseDown(int, int) override {
    log.push_back("down window");
    return backgroundClaims;
  }
  void Event_MouseUp(int, int) override { log.push_back("up window"); }
};

class HostTest : public ::testing::Test {
 protected:
  HostTest() : runtime(backend), driver(runtime, backend) {
    window = runtime.ImplicitInstance<Probe>();
  }
  HeadlessBackend backend{host::Size{800, 600}};
  host::Runtime runtime;
  Driver driver;
  std::shared_ptr<Probe> window;
};

// ---- Timers ------------------------------------------------------------------------------

TEST_F(HostTest, ASingleTimerFiresOncePeriodAfterItsLastArmingUnlessStopped) {
  auto& t = window->AddTimer("t", 100);
  driver.Advance(10);
  t.SetMode(1);
  driver.Advance(80);
  t.SetMode(1);  // armed again: the period starts over
  driver.Advance(99);
  EXPECT_TRUE(window->log.empty());
  driver.Advance(1);
  EXPECT_EQ(window->log, std::vector<std::string>{"t"});
  EXPECT_EQ(t.Mode(), 0);
  t.SetMode(2);
  driver.Advance(30);
  t.SetMode(0);
  driver.Advance(1000);
  EXPECT_EQ(window->log.size(), 1u);
  EXPECT_LT(runtime.NextDeadline(), 0);
}

TEST_F(HostTest, RepeatingTimerKeepsItsRateUntilTurnedOff) {
  auto& t = window->AddTimer("t", 25);
  std::vector<host::Micros> times;
  t.Action = [&](host::Timer& self) {
    times.push_back(backend.Now() / host::kMillis);
    if (times.size() == 4) self.SetMode(0);
  };
  t.SetMode(2);
  driver.Advance(1000);
  EXPECT_EQ(times, (std::vector<host::Micros>{25, 50, 75, 100}));
}

TEST_F(HostTest, PeriodZeroFiresInTheSamePassBeforeThePresent) {
  auto& zero = window->AddTimer("zero", 0);
  auto& arming = window->AddTimer("arming", 10);
  std::vector<std::string> order;
  runtime.presentObserver = [&](const host::Window&) { order.push_back("present"); };
  arming.Action = [&](host::Timer&) {
    order.push_back("arming");
    window->SetBackColor(host::RGB(1, 2, 3));
    zero.SetMode(1);
  };
  zero.Action = [&](host::Timer&) { order.push_back("zero"); };
  arming.SetMode(1);
  driver.Advance(10);
  EXPECT_EQ(order, (std::vector<std::string>{"arming", "zero", "present"}));
  EXPECT_EQ(backend.Now(), 10 * host::kMillis) << "no time passes before a period-0 timer";
}

TEST_F(HostTest, RepeatingPeriodZeroTimerTicksOncePerPass) {
  auto& spin = window->AddTimer("spin", 0);
  int ticks = 0;
  spin.Action = [&](host::Timer& self) {
    if (++ticks == 3) self.SetMode(0);
  };
  spin.SetMode(2);
  runtime.RunPass();
  EXPECT_EQ(ticks, 1) << "the loop gets its turn between ticks";
  driver.Advance(1);
  EXPECT_EQ(ticks, 3);
}

TEST_F(HostTest, TimersDueTogetherFireInArmingOrder) {
  auto& a = window->AddTimer("a", 200);
  auto& b = window->AddTimer("b", 100);
  auto& c = window->AddTimer("c", 300);
  c.SetMode(1);
  driver.Advance(100);
  b.SetMode(1);  // due at 200, armed after c but before a
  a.SetMode(1);  // due at 300
  driver.Advance(100);
  EXPECT_EQ(window->log, (std::vector<std::string>{"b"}));
  c.SetMode(1);  // re-armed: now due at 500, after a
  driver.Advance(400);
  EXPECT_EQ(window->log, (std::vector<std::string>{"b", "a", "c"}));
}

// ---- Routing -----------------------------------------------------------------------------

TEST_F(HostTest, EnterAndExitFollowThePointerAndChildrenAreNotLeavingTheParent) {
  auto strip = window->Area("strip", {0, 0, 400, 24}, nullptr, false);
  window->Area("label", {20, 4, 100, 20}, strip.get());
  driver.MoveTo(*window, 200, 10);
  driver.MoveTo(*window, 30, 10);  // onto the label inside the strip
  driver.MoveTo(*window, 200, 10);
  driver.MoveTo(*window, 200, 100);
  EXPECT_EQ(window->log,
            (std::vector<std::string>{"enter strip", "enter label", "exit label", "exit strip"}));
}

TEST_F(HostTest, ControlShownUnderAStillPointerIsEntered) {
  auto strip = window->Area("strip", {0, 0, 400, 24}, nullptr, false);
  auto label = window->Area("label", {20, 4, 100, 20}, strip.get());
  label->SetVisible(false);
  strip->MouseEnter = [&] { label->SetVisible(true); };
  driver.MoveTo(*window, 30, 10);
  EXPECT_EQ(window->log, (std::vector<std::string>{"enter label"}));
  driver.Click(*window, 30, 10);
  EXPECT_EQ(window->log, (std::vector<std::string>{"enter label", "down label", "up label"}));
}

TEST_F(HostTest, LaterSiblingAndChildLieOnTop) {
  auto a = window->Area("a", {0, 0, 100, 100});
  window->Area("b", {50, 50, 100, 100});
  window->Area("child", {10, 10, 20, 20}, a.get());
  window->Area("late", {0, 0, 40, 40});  // added after a's child, but a sibling of a
  driver.Click(*window, 60, 60);
  driver.Click(*window, 15, 15);
  driver.Click(*window, 5, 5);
  std::vector<std::string> downs;
  for (const auto& e : window->log)
    if (e.rfind("down", 0) == 0) downs.push_back(e);
  EXPECT_EQ(downs, (std::vector<std::string>{"down b", "down late", "down late"}));
}

TEST_F(HostTest, AHeldPressKeepsThePointerUntilTheRelease) {
  // Dragged off its control and onto another: the pressed control hears of the release first,
  // then the crossings it held back.
  window->Area("a", {0, 0, 100, 100});
  window->Area("b", {200, 200, 100, 100});
  driver.MoveTo(*window, 10, 10);
  driver.Press(*window, 10, 10);
  driver.MoveTo(*window, 150, 150);
  driver.MoveTo(*window, 250, 250);
  EXPECT_EQ(window->log, (std::vector<std::string>{"enter a", "down a"}));
  driver.Release(*window, 250, 250);
  EXPECT_EQ(window->log,
            (std::vector<std::string>{"enter a", "down a", "up a", "exit a", "enter b"}));

  // Off and back on before the release: no crossing at all.
  window->log.clear();
  driver.Press(*window, 250, 250);
  driver.MoveTo(*window, 390, 10);
  driver.MoveTo(*window, 260, 260);
  driver.Release(*window, 260, 260);
  EXPECT_EQ(window->log, (std::vector<std::string>{"down b", "up b"}));

  // Released outside the window: the leave that follows ends the visit.
  window->log.clear();
  driver.Press(*window, 260, 260);
  driver.MoveTo(*window, 500, 500);
  driver.Release(*window, 500, 500);
  driver.Leave(*window);
  EXPECT_EQ(window->log, (std::vector<std::string>{"down b", "up b", "exit b"}));
}

TEST_F(HostTest, AControlHiddenOrDisabledWhileHeldGetsNoReleaseAndNoMorePresses) {
  auto a = window->Area("a", {0, 0, 100, 100});
  driver.MoveTo(*window, 10, 10);
  driver.Press(*window, 10, 10);
  a->SetVisible(false);
  driver.Advance(0);  // the pointer is no longer held: the hidden control is left at once
  driver.Release(*window, 10, 10);
  driver.Click(*window, 10, 10);  // a hidden control takes no mouse
  EXPECT_EQ(window->log,
            (std::vector<std::string>{"enter a", "down a", "exit a", "down window", "up window"}));

  window->log.clear();
  a->SetVisible(true);
  driver.MoveTo(*window, 20, 20);
  driver.Press(*window, 20, 20);
  a->SetEnabled(false);
  driver.Release(*window, 20, 20);
  EXPECT_EQ(window->log, (std::vector<std::string>{"enter a", "down a"}))
      << "neither the control nor the background hears the release";
  // Disabled, it still hears the pointer come and go, but no press, nor does the background.
  driver.MoveTo(*window, 300, 250);
  driver.Click(*window, 20, 20);
  driver.MoveTo(*window, 300, 250);
  EXPECT_EQ(window->log,
            (std::vector<std::string>{"enter a", "down a", "exit a", "enter a", "exit a"}));
}

TEST_F(HostTest, AWindowHiddenWhileHeldGetsNoRelease) {
  window->Area("a", {0, 0, 100, 100});
  driver.MoveTo(*window, 10, 10);
  driver.Press(*window, 10, 10);
  window->Hide();
  window->Show();
  driver.Release(*window, 10, 10);
  EXPECT_EQ(window->log, (std::vector<std::string>{"enter a", "down a", "exit a"}));
}

TEST_F(HostTest, APressInsideAControlNeverReachesTheBackground) {
  // A control that takes no presses covers the background under it; a label over a click area
  // still leaves the press to the area.
  auto cover = window->Area("cover", {0, 0, 400, 24}, nullptr, /*presses=*/false);
  window->Area("label", {20, 4, 60, 16}, cover.get(), /*presses=*/false);
  driver.Click(*window, 200, 10);
  driver.Click(*window, 30, 10);
  driver.Click(*window, 200, 200);
  EXPECT_EQ(window->log, (std::vector<std::string>{"enter cover", "enter label", "exit label",
                                                   "exit cover", "down window", "up window"}));
}

TEST_F(HostTest, AClickGivesItsWindowTheKeyboardFocus) {
  backend.SetFocusedId(0);  // another client took it
  driver.Click(*window, 200, 200);
  EXPECT_EQ(backend.FocusedId(), window->Native()->Id());
}

TEST_F(HostTest, UnclaimedPressGetsNoRelease) {
  auto a = window->Area("a", {0, 0, 100, 100});
  a->MouseDown = [&](int, int) { return false; };
  driver.Click(*window, 10, 10);
  window->backgroundClaims = false;
  driver.Click(*window, 300, 250);
  EXPECT_EQ(window->log, (std::vector<std::string>{"enter a", "exit a", "down window"}));
}

TEST_F(HostTest, LabelOverAClickAreaLeavesThePressToTheArea) {
  auto area = window->Area("area", {50, 50, 80, 12});
  window->Area("label", {55, 50, 80, 16}, area.get(), /*presses=*/false);
  driver.Click(*window, 60, 55);
  EXPECT_EQ(window->log,
            (std::vector<std::string>{"enter area", "enter label", "down area", "up area"}));
}

TEST_F(HostTest, NilObjectErrorEndsOnlyThatHandler) {
  auto& t = window->AddTimer("t", 10);
  t.Action = [&](host::Timer&) {
    window->log.push_back("before");
    host::Deref(window->Find<host::Timer>("missing")).SetMode(1);
    window->log.push_back("after");
  };
  t.SetMode(2);
  driver.Advance(30);
  EXPECT_EQ(window->log, (std::vector<std::string>{"before", "before", "before"}));
  EXPECT_EQ(window->ControlNamed("missing"), nullptr);
}

TEST_F(HostTest, LockedEdgesFollowTheWindowWidth) {
  // Probe is designed 400 wide and shown on an 800 x 600 screen.
  auto other = runtime.ImplicitInstance<Probe>();
  EXPECT_EQ(other, window) << "one implicit instance per class";
  EXPECT_EQ(window->Width(), 800);
  EXPECT_EQ(backend.NativeFor(*window)->Spec().rect, (host::Rect{0, 0, 800, 600}));
}

// ---- Ways out ----------------------------------------------------------------------------

TEST_F(HostTest, CloseAndQuitRequestsEndTheLoop) {
  for (auto type : {host::InputEvent::Type::CloseRequest, host::InputEvent::Type::QuitRequest}) {
    HeadlessBackend b;
    host::Runtime r(b);
    host::InputEvent e;
    e.type = type;
    b.Push(e);
    r.Run();
    EXPECT_TRUE(r.QuitRequested());
    EXPECT_EQ(r.ExitStatus(), 0);
  }
}

TEST_F(HostTest, AShortcutIsPressedWithExactlyItsOwnModifiers) {
  auto app = std::make_shared<host::Application>();
  app->MenuBar = std::make_shared<host::MenuBar>();
  auto quit = std::make_shared<host::QuitMenuItem>();
  quit->KeyboardShortcut = "Cmd+Q";
  quit->AutoEnable = true;
  app->MenuBar->Append(quit);
  runtime.RegisterApplication(app);

  auto press = [&](bool command, bool shift, bool option, bool other, bool repeat = false) {
    host::InputEvent key;
    key.type = host::InputEvent::Type::KeyDown;
    key.key = 'q';
    key.command = command;
    key.shift = shift;
    key.option = option;
    key.other = other;
    key.repeat = repeat;
    driver.Send(key);
    return runtime.QuitRequested();
  };
  EXPECT_FALSE(press(false, false, false, false)) << "Q";
  EXPECT_FALSE(press(true, true, false, false)) << "Ctrl+Shift+Q";
  EXPECT_FALSE(press(true, false, true, false)) << "Ctrl+Alt+Q";
  EXPECT_FALSE(press(true, false, false, true)) << "Ctrl+Super+Q";
  EXPECT_FALSE(press(true, false, false, false, /*repeat=*/true)) << "a held key's repeat";
  EXPECT_TRUE(press(true, false, false, false)) << "Ctrl+Q";
}

TEST(Shortcuts, TextsNameTheirModifiersAndLetter) {
  EXPECT_EQ(host::ParseShortcut("Cmd+Q"), (host::KeyShortcut{'q', true, false, false}));
  EXPECT_EQ(host::ParseShortcut("Cmd+Shift+Z"), (host::KeyShortcut{'z', true, true, false}));
  EXPECT_EQ(host::ParseShortcut("Option+Cmd+X"), (host::KeyShortcut{'x', true, false, true}));
  for (const char* none : {"", "Cmd+", "Cmd+F1", "Hyper+Q", "Cmd+QQ"})
    EXPECT_EQ(host::ParseShortcut(none).key, 0) << none;
}

// Key symbols, as X numbers them, of the key in the Q position (the US layout's Q) and of two
// others, in the layouts people start the program with.
constexpr host::KeySym kLatinQ = 'q', kLatinA = 'a', kCyrillicShortI = 0x6ca, kCyrillicEf = 0x6c6,
                       kGreekSemicolon = ';', kHebrewSlash = '/', kCyrillicYa = 0x6d1;

TEST(Shortcuts, AKeyIsItsLatinLetterWhateverTheActiveLayout) {
  struct Case {
    const char* layouts;
    std::vector<host::KeySym> symbols;
    int active;
    char us;
    char letter;
  };
  const Case cases[] = {
      {"us", {kLatinQ}, 0, 'q', 'q'},
      {"ru", {kCyrillicShortI}, 0, 'q', 'q'},
      {"uk", {kCyrillicShortI}, 0, 'q', 'q'},
      {"el", {kGreekSemicolon}, 0, 'q', 'q'},
      {"he", {kHebrewSlash}, 0, 'q', 'q'},
      {"us,ru with ru active", {kLatinQ, kCyrillicShortI}, 1, 'q', 'q'},
      {"ru,us with ru active", {kCyrillicShortI, kLatinQ}, 0, 'q', 'q'},
      {"fr: the Q is where US has its A", {kLatinQ}, 0, 'a', 'q'},
      {"fr,ru with ru active, the A key", {kLatinQ, kCyrillicEf}, 1, 'a', 'q'},
      {"de,ru with ru active, the Z key", {'y', kCyrillicYa}, 1, 'z', 'y'},
      {"us, the ; key", {';'}, 0, 0, 0},
      {"us, a layout the key lacks", {kLatinA, 0}, 1, 'a', 'a'},
  };
  for (const Case& c : cases)
    EXPECT_EQ(host::ShortcutLetter(c.symbols, c.active, c.us), c.letter) << c.layouts;
}

TEST_F(HostTest, UnhandledExceptionMakesTheExitStatusNonZero) {
  runtime.HandleUnhandledException(std::make_exception_ptr(std::runtime_error("boom")));
  EXPECT_NE(runtime.ExitStatus(), 0);
}

}  // namespace
