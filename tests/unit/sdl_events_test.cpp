// The SDL backend in this process, on SDL's dummy video driver: SDL's events pushed into its
// queue come out of the backend as the core's, for the window they belong to, and the pointer
// over the credits box (drawn inside the full-screen window) is the box's.

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "host/sdl/sdl_backend.h"

namespace {

using host::InputEvent;
using Type = InputEvent::Type;

class SdlDummy : public ::testing::Test {
 protected:
  void SetUp() override {
    // Asked for by name, the driver that draws into memory is taken as a display.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_RENDER_DRIVER", "software", 1);
    std::string error;
    backend = host::sdl::SdlBackend::Create(error);
    ASSERT_NE(backend, nullptr) << error;
    const host::Size screen = backend->MainScreenSize();
    host::NativeWindowSpec spec;
    spec.title = "scene";
    spec.fullScreen = true;
    scene = backend->CreateNativeWindow(spec);
    scene->Show();
    SDL_GetWindowSize(SDL_GetWindowFromID(static_cast<Uint32>(scene->Id())), &width, &height);
    ASSERT_EQ(width, screen.width);
    Heard();  // what showing the window said
  }

  void TearDown() override {
    box.reset();
    scene.reset();
    backend.reset();
    unsetenv("SDL_VIDEODRIVER");
    unsetenv("SDL_RENDER_DRIVER");
  }

  // The credits box, as the core makes it: a small window kept above the full-screen one.
  void MakeBox() {
    host::NativeWindowSpec spec;
    spec.title = "box";
    spec.rect = host::Rect{0, 0, kBoxWidth, kBoxHeight};
    spec.keepAbove = true;
    box = backend->CreateNativeWindow(spec);
  }

  // Each event goes through the backend at once, as the loop would take it.
  void Push(SDL_Event event) {
    SDL_PushEvent(&event);
    Pump();
  }

  // The pointer moved to (x, y) in the scene, the left button held or not. SDL is told where
  // the pointer is, as a desktop would, for where the backend asks.
  void Move(int x, int y, bool held = false) {
    SDL_Window* window = SDL_GetWindowFromID(SceneId());
    SDL_WarpMouseInWindow(window, x, y);
    SDL_FlushEvent(SDL_MOUSEMOTION);  // the warp's own, which knows nothing of the button
    SDL_Event e{};
    e.motion.type = SDL_MOUSEMOTION;
    e.motion.windowID = SceneId();
    e.motion.x = x;
    e.motion.y = y;
    e.motion.state = held ? SDL_BUTTON_LMASK : 0;
    Push(e);
  }
  void Button(bool down, int x, int y, Uint8 button = SDL_BUTTON_LEFT) {
    SDL_Event e{};
    e.button.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = SceneId();
    e.button.button = button;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = x;
    e.button.y = y;
    Push(e);
  }
  void WindowEvent(Uint8 what, int data1 = 0, int data2 = 0) {
    SDL_Event e{};
    e.window.type = SDL_WINDOWEVENT;
    e.window.windowID = SceneId();
    e.window.event = what;
    e.window.data1 = data1;
    e.window.data2 = data2;
    Push(e);
  }
  void Key(SDL_Keycode symbol, SDL_Scancode code, Uint16 mod = KMOD_NONE, bool repeat = false) {
    SDL_Event e{};
    e.key.type = SDL_KEYDOWN;
    e.key.windowID = SceneId();
    e.key.state = SDL_PRESSED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.sym = symbol;
    e.key.keysym.scancode = code;
    e.key.keysym.mod = mod;
    Push(e);
  }

  // What the core heard since, one event a line: "move scene 10,20", "leave box", "key q ctrl".
  std::string Heard() {
    Pump();
    return std::exchange(heard, {});
  }

  void Pump() {
    InputEvent e;
    while (backend->PollEvent(e)) heard += Described(e);
  }

  std::string Described(const InputEvent& e) const {
    const std::string window = e.window == scene->Id()        ? "scene"
                               : box && e.window == box->Id() ? "box"
                                                              : std::to_string(e.window);
    const std::string at = ' ' + std::to_string(e.x) + ',' + std::to_string(e.y) + '\n';
    switch (e.type) {
      case Type::MouseMove:
        return "move " + window + at;
      case Type::MouseDown:
        return "down " + window + at;
      case Type::MouseUp:
        return "up " + window + at;
      case Type::MouseLeave:
        return "leave " + window + '\n';
      case Type::KeyDown:
        return "key " + window + ' ' + (e.key ? std::string(1, e.key) : "-") +
               (e.special == InputEvent::Special::Escape ? " escape" : "") +
               (e.special == InputEvent::Special::Space ? " space" : "") +
               (e.command ? " ctrl" : "") + (e.repeat ? " repeat" : "") + '\n';
      case Type::Resized:
        return "resized " + window + ' ' + std::to_string(e.x) + 'x' + std::to_string(e.y) + '\n';
      case Type::Expose:
        return "expose " + window + '\n';
      case Type::CloseRequest:
        return "close " + window + '\n';
      case Type::QuitRequest:
        return "quit\n";
      case Type::Wake:
        break;
    }
    return {};
  }

  Uint32 SceneId() const { return static_cast<Uint32>(scene->Id()); }
  // Where the box lies in the scene: centred on it.
  int BoxLeft() const { return (width - kBoxWidth) / 2; }
  int BoxTop() const { return (height - kBoxHeight) / 2; }

  static constexpr int kBoxWidth = 200, kBoxHeight = 120;
  std::unique_ptr<host::sdl::SdlBackend> backend;
  std::unique_ptr<host::NativeWindow> scene;
  std::unique_ptr<host::NativeWindow> box;
  int width = 0, height = 0;
  std::string heard;
};

TEST_F(SdlDummy, KeysComeForTheWindowTheyWerePressedInWithTheKeyboardsRepeatsMarked) {
  Key(SDLK_SPACE, SDL_SCANCODE_SPACE);
  Key(SDLK_SPACE, SDL_SCANCODE_SPACE, KMOD_NONE, true);
  Key(SDLK_q, SDL_SCANCODE_Q, KMOD_LCTRL);
  Key(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
  Key(SDLK_LSHIFT, SDL_SCANCODE_LSHIFT);  // a modifier alone is no key at all
  EXPECT_EQ(Heard(),
            "key scene - space\n"
            "key scene - space repeat\n"
            "key scene q ctrl\n"
            "key scene - escape\n"
            "key scene -\n");
}

TEST_F(SdlDummy, TheWindowSystemsWordsOnAWindowReachTheCore) {
  WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 800, 600);
  WindowEvent(SDL_WINDOWEVENT_EXPOSED);
  WindowEvent(SDL_WINDOWEVENT_CLOSE);
  WindowEvent(SDL_WINDOWEVENT_MOVED, 10, 10);  // nothing the core needs
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  Push(quit);
  EXPECT_EQ(Heard(), "resized scene 800x600\nexpose scene\nclose scene\nquit\n");
}

TEST_F(SdlDummy, OnlyTheLeftButtonPressesAndAPressKeepsThePointerUntilItsRelease) {
  Move(100, 100);
  Button(true, 100, 100, SDL_BUTTON_RIGHT);
  Button(false, 100, 100, SDL_BUTTON_RIGHT);
  Button(true, 100, 100);
  Move(300, 200, true);
  Button(false, 300, 200);
  EXPECT_EQ(Heard(),
            "move scene 100,100\ndown scene 100,100\nmove scene 300,200\nup scene 300,200\n");
}

TEST_F(SdlDummy, ThePointerOverTheBoxIsTheBoxsInItsOwnCoordinates) {
  MakeBox();
  box->Show();
  const int left = BoxLeft(), top = BoxTop();
  Move(left - 50, top + 10);
  Move(left + 20, top + 10);
  Move(left + 30, top + 15);
  Move(left + kBoxWidth + 5, top + 10);
  EXPECT_EQ(Heard(), "move scene " + std::to_string(left - 50) + ',' + std::to_string(top + 10) +
                         "\nleave scene\nmove box 20,10\nmove box 30,15\nleave box\nmove scene " +
                         std::to_string(left + kBoxWidth + 5) + ',' + std::to_string(top + 10) +
                         '\n');
  // The scene's window left: the pointer was in the box, so the box is what it left.
  Move(left + 20, top + 10);
  Heard();
  WindowEvent(SDL_WINDOWEVENT_LEAVE);
  EXPECT_EQ(Heard(), "leave box\n");
}

TEST_F(SdlDummy, APressKeepsThePointerWithTheBoxOrTheSceneWhereItBegan) {
  MakeBox();
  box->Show();
  const int left = BoxLeft(), top = BoxTop();
  // From a known start on the scene: newer SDLs give a shown window the pointer by themselves.
  Move(left - 50, top + 10);
  Heard();
  // Pressed in the box, dragged out over the scene and released there: all of it the box's.
  Move(left + 20, top + 10);
  Button(true, left + 20, top + 10);
  Move(left - 30, top + 10, true);
  Button(false, left - 30, top + 10);
  Move(left - 40, top + 10);
  EXPECT_EQ(Heard(),
            "leave scene\nmove box 20,10\ndown box 20,10\nmove box -30,10\nup box -30,10\n"
            "leave box\nmove scene " +
                std::to_string(left - 40) + ',' + std::to_string(top + 10) + '\n');
  // Pressed on the scene, dragged over the box and released there: all of it the scene's.
  Button(true, left - 40, top + 10);
  Move(left + 20, top + 10, true);
  Button(false, left + 20, top + 10);
  Move(left + 21, top + 10);
  const std::string x = std::to_string(left + 20), y = std::to_string(top + 10);
  EXPECT_EQ(Heard(), "down scene " + std::to_string(left - 40) + ',' + y + "\nmove scene " + x +
                         ',' + y + "\nup scene " + x + ',' + y + "\nleave scene\nmove box 21,10\n");
}

TEST_F(SdlDummy, TheBoxAppearingOrGoingUnderAStillPointerIsThePointerEnteringOrLeavingIt) {
  MakeBox();
  const int left = BoxLeft(), top = BoxTop();
  Move(left + 20, top + 10);
  EXPECT_EQ(Heard(),
            "move scene " + std::to_string(left + 20) + ',' + std::to_string(top + 10) + '\n');
  box->Show();
  EXPECT_EQ(Heard(), "leave scene\nmove box 20,10\n");
  box->Hide();
  EXPECT_EQ(Heard(),
            "move scene " + std::to_string(left + 20) + ',' + std::to_string(top + 10) + '\n');
  box->Show();
  EXPECT_EQ(Heard(), "leave scene\nmove box 20,10\n");
  box.reset();  // closed while the pointer is over it
  EXPECT_EQ(Heard(),
            "move scene " + std::to_string(left + 20) + ',' + std::to_string(top + 10) + '\n');
}

}  // namespace
