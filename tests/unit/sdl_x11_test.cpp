// The SDL backend on an X server of the test's own, where what X does is what is tested: keys
// pressed on a keyboard with two layouts, the desktop's wish for less animation as its settings
// daemon publishes it, and the screen changing its size under the full-screen window.

#include <SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "host/sdl/sdl_backend.h"
#include "support/private_xvfb.h"

#include <X11/XKBlib.h>  // last: its macros (None, Bool, Status...) clash with our names
#include <X11/Xlib.h>

namespace {

using host::InputEvent;

class SdlOnX : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(xvfb.Display().empty()) << "Xvfb did not start";
    setenv("SDL_VIDEODRIVER", "x11", 1);
    // The test's own connection: the keyboard, the settings daemon and the screen's size.
    client = XOpenDisplay(nullptr);
    ASSERT_NE(client, nullptr);
  }

  void TearDown() override {
    scene.reset();
    backend.reset();  // before the server goes
    if (client) XCloseDisplay(client);
    unsetenv("SDL_VIDEODRIVER");
  }

  void Start() {
    std::string error;
    backend = host::sdl::SdlBackend::Create(error);
    ASSERT_NE(backend, nullptr) << error;
    host::NativeWindowSpec spec;
    spec.title = "scene";
    spec.fullScreen = true;
    scene = backend->CreateNativeWindow(spec);
    scene->Show();
    scene->Focus();
  }

  // Runs `command` with DISPLAY naming the test's server.
  static void Run(const std::string& command) {
    ASSERT_EQ(std::system((command + " 2>/dev/null").c_str()), 0) << command;
  }

  // The events the backend hands out until `enough` says so; a hang guard of ten seconds ends
  // the wait whatever comes.
  template <class Enough>
  std::vector<InputEvent> Until(Enough enough) {
    std::vector<InputEvent> heard;
    const host::Micros giveUp = backend->Now() + 10'000 * host::kMillis;
    InputEvent e;
    while (!enough(heard) && backend->Now() < giveUp) {
      if (backend->WaitEvent(backend->Now() + 100 * host::kMillis, e)) heard.push_back(e);
    }
    return heard;
  }

  testing_support::PrivateXvfb xvfb;
  Display* client = nullptr;
  std::unique_ptr<host::sdl::SdlBackend> backend;
  std::unique_ptr<host::NativeWindow> scene;
};

// Keys pressed on the X server's keyboard, as a person would (the XTEST extension).
class Keyboard {
 public:
  // The library stays loaded: it leaves a hook in the connection that closing it calls.
  explicit Keyboard(Display* display) : display_(display) {
    if (void* library = dlopen("libXtst.so.6", RTLD_NOW | RTLD_NODELETE))
      fake_ = reinterpret_cast<FakeKey>(dlsym(library, "XTestFakeKeyEvent"));
  }

  bool Usable() const { return fake_ != nullptr; }
  // Ctrl and the key with X key code `code` (a place on the keyboard, whatever the layout).
  void CtrlAnd(unsigned code) {
    constexpr unsigned kControlL = 37;
    for (const auto& [key, down] : {std::pair{kControlL, True}, std::pair{code, True},
                                    std::pair{code, False}, std::pair{kControlL, False}})
      fake_(display_, key, down, 0);
    XFlush(display_);
  }
  // Makes the layout `index` the one in use, as a layout switch on the desktop does.
  void UseLayout(unsigned index) {
    XkbLockGroup(display_, XkbUseCoreKbd, index);
    XSync(display_, False);
  }

 private:
  using FakeKey = int (*)(Display*, unsigned, int, unsigned long);
  Display* display_;
  FakeKey fake_ = nullptr;
};

// The letters of the key presses heard, in order.
std::string Letters(const std::vector<InputEvent>& heard) {
  std::string letters;
  for (const InputEvent& e : heard)
    if (e.type == InputEvent::Type::KeyDown && e.key && e.command) letters += e.key;
  return letters;
}

TEST_F(SdlOnX, AShortcutIsTheLetterTheKeyTypesInTheLayoutInUseAlsoAfterASwitch) {
  Keyboard keyboard(client);
  ASSERT_TRUE(keyboard.Usable()) << "libXtst.so.6 is needed";
  // US first, French (AZERTY) second: the key where US has its A is the French Q, and the other
  // way round. SDL takes its own key symbols from the layout in use as it starts, the US one.
  Run("setxkbmap -layout us,fr");
  Start();
  constexpr unsigned kUsQ = 24, kUsA = 38;
  const auto three = [](const std::vector<InputEvent>& heard) {
    return Letters(heard).size() >= 3;
  };
  keyboard.CtrlAnd(kUsQ);
  keyboard.UseLayout(1);
  keyboard.CtrlAnd(kUsA);
  keyboard.CtrlAnd(kUsQ);
  EXPECT_EQ(Letters(Until(three)), "qqa");
  keyboard.UseLayout(0);
  keyboard.CtrlAnd(kUsA);
  keyboard.CtrlAnd(kUsQ);
  const auto two = [](const std::vector<InputEvent>& heard) { return Letters(heard).size() >= 2; };
  EXPECT_EQ(Letters(Until(two)), "aq");
}

// The contents of an _XSETTINGS_SETTINGS property: integer settings, least significant byte
// first, cut short by `cut` bytes.
std::vector<unsigned char> Settings(const std::vector<std::pair<std::string, int>>& integers,
                                    std::size_t cut = 0) {
  std::vector<unsigned char> out{0, 0, 0, 0};
  const auto card = [&out](std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
  };
  card(1, 4);  // serial
  card(static_cast<std::uint32_t>(integers.size()), 4);
  for (const auto& [name, value] : integers) {
    out.push_back(0);  // an integer
    out.push_back(0);
    card(static_cast<std::uint32_t>(name.size()), 2);
    out.insert(out.end(), name.begin(), name.end());
    out.resize(out.size() + (4 - name.size() % 4) % 4);
    card(1, 4);  // last changed
    card(static_cast<std::uint32_t>(value), 4);
  }
  out.resize(out.size() - cut);
  return out;
}

TEST_F(SdlOnX, LessAnimationWhenTheDesktopsSettingsDaemonSaysAnimationsAreOffAndOnlyThen) {
  Start();
  EXPECT_FALSE(backend->PrefersReducedMotion()) << "no settings daemon";
  // The daemon owns the screen's settings selection and keeps them in a property of its window.
  const Window daemon = XCreateSimpleWindow(client, DefaultRootWindow(client), 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(client, XInternAtom(client, "_XSETTINGS_S0", False), daemon, CurrentTime);
  const Atom property = XInternAtom(client, "_XSETTINGS_SETTINGS", False);
  const auto publish = [&](const std::vector<unsigned char>& bytes) {
    XChangeProperty(client, daemon, property, property, 8, PropModeReplace, bytes.data(),
                    static_cast<int>(bytes.size()));
    XSync(client, False);
  };
  const std::pair<std::string, int> theme{"Net/ThemeName", 7}, off{"Gtk/EnableAnimations", 0},
      on{"Gtk/EnableAnimations", 1};
  publish(Settings({theme, off}));
  EXPECT_TRUE(backend->PrefersReducedMotion()) << "animations off";
  publish(Settings({theme, on}));
  EXPECT_FALSE(backend->PrefersReducedMotion()) << "animations on";
  publish(Settings({theme}));
  EXPECT_FALSE(backend->PrefersReducedMotion()) << "the setting absent";
  publish(Settings({theme, off}, 2));
  EXPECT_FALSE(backend->PrefersReducedMotion()) << "the settings cut short";
  XSetSelectionOwner(client, XInternAtom(client, "_XSETTINGS_S0", False), 0, CurrentTime);
  XSync(client, False);
  EXPECT_FALSE(backend->PrefersReducedMotion()) << "the daemon gone";
}

TEST_F(SdlOnX, TheFullScreenWindowFollowsTheScreenToItsNewSize) {
  Start();
  EXPECT_EQ(backend->MainScreenBounds(), (host::Rect{0, 0, 1024, 768}));
  // Smaller, as a desktop's display settings make it: the main monitor, then the screen.
  Run("xrandr --setmonitor '*small' 800/200x600/150+0+0 none");
  // Xvfb cannot change its output's mode, which xrandr reports as an error, but the screen
  // takes the new size all the same.
  if (std::system("xrandr --fb 800x600 >/dev/null 2>&1") < 0) FAIL() << "cannot run xrandr";
  const auto resized = [](const std::vector<InputEvent>& heard) {
    return !heard.empty() && heard.back().type == InputEvent::Type::Resized;
  };
  const std::vector<InputEvent> heard = Until(resized);
  ASSERT_TRUE(resized(heard)) << "the window was not resized";
  EXPECT_EQ(heard.back().window, scene->Id());
  EXPECT_EQ(heard.back().x, 800);
  EXPECT_EQ(heard.back().y, 600);
  EXPECT_EQ(backend->MainScreenBounds(), (host::Rect{0, 0, 800, 600}));
}

}  // namespace
