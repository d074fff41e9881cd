// How the SDL backend reads SDL's key presses: the letter a key stands for in shortcuts, the
// keys that are no letters, the modifiers held and the keyboard's own repeats. (What the window
// system says about the layouts is read on a real X server: sdl_x11_test.cpp.)

#include <SDL.h>
#include <gtest/gtest.h>

#include "host/sdl/sdl_keys.h"

namespace {

using host::InputEvent;
using Special = InputEvent::Special;

// SDL's press of the key at US position `code`, typing `symbol` in the layout SDL knows.
InputEvent Read(SDL_Keycode symbol, SDL_Scancode code, Uint16 mod = KMOD_NONE,
                bool repeat = false) {
  SDL_KeyboardEvent key{};
  key.type = SDL_KEYDOWN;
  key.state = SDL_PRESSED;
  key.repeat = repeat ? 1 : 0;
  key.keysym.sym = symbol;
  key.keysym.scancode = code;
  key.keysym.mod = mod;
  host::sdl::KeyReader reader;
  InputEvent event;
  event.type = InputEvent::Type::KeyDown;
  reader.Read(key, event);
  return event;
}

// The key and modifiers as one line: "q ctrl shift alt other repeat".
std::string Described(const InputEvent& e) {
  std::string s = e.key ? std::string(1, e.key) : "-";
  if (e.command) s += " ctrl";
  if (e.shift) s += " shift";
  if (e.option) s += " alt";
  if (e.other) s += " other";
  if (e.repeat) s += " repeat";
  return s;
}

TEST(SdlKeys, ALetterComesWithTheModifiersHeldAndTheKeyboardsOwnRepeatsMarked) {
  constexpr SDL_Scancode q = SDL_SCANCODE_Q;
  EXPECT_EQ(Described(Read(SDLK_q, q, KMOD_LCTRL)), "q ctrl");
  EXPECT_EQ(Described(Read(SDLK_q, q, KMOD_RCTRL)), "q ctrl");
  EXPECT_EQ(Described(Read(SDLK_q, q, KMOD_LCTRL | KMOD_LSHIFT)), "q ctrl shift");
  EXPECT_EQ(Described(Read(SDLK_q, q, KMOD_LALT)), "q alt");
  EXPECT_EQ(Described(Read(SDLK_q, q, KMOD_LCTRL | KMOD_LGUI)), "q ctrl other") << "Super";
  EXPECT_EQ(Described(Read(SDLK_q, q, KMOD_LCTRL | KMOD_MODE)), "q ctrl other") << "AltGr";
  // Lock keys are states, not modifiers held: Ctrl+Q with Caps Lock on is still Ctrl+Q.
  EXPECT_EQ(Described(Read(SDLK_q, q, KMOD_LCTRL | KMOD_CAPS | KMOD_NUM)), "q ctrl");
  EXPECT_EQ(Described(Read(SDLK_q, q, KMOD_NONE, true)), "q repeat");
}

TEST(SdlKeys, SpaceReturnAndEscapeAreNamedAModifierAloneIsNoKeyAnyOtherKeyIsOther) {
  struct Case {
    SDL_Keycode symbol;
    SDL_Scancode code;
    Special special;
    const char* name;
  };
  const Case cases[] = {
      {SDLK_SPACE, SDL_SCANCODE_SPACE, Special::Space, "Space"},
      {SDLK_RETURN, SDL_SCANCODE_RETURN, Special::Return, "Return"},
      {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, Special::Return, "keypad Enter"},
      {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, Special::Escape, "Escape"},
      {SDLK_LCTRL, SDL_SCANCODE_LCTRL, Special::Nothing, "Ctrl alone"},
      {SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, Special::Nothing, "Shift alone"},
      {SDLK_CAPSLOCK, SDL_SCANCODE_CAPSLOCK, Special::Nothing, "Caps Lock"},
      {SDLK_MODE, SDL_SCANCODE_MODE, Special::Nothing, "AltGr alone"},
      {SDLK_F5, SDL_SCANCODE_F5, Special::Other, "F5"},
      {SDLK_LEFT, SDL_SCANCODE_LEFT, Special::Other, "an arrow"},
      {SDLK_1, SDL_SCANCODE_1, Special::Other, "a digit"},
  };
  for (const Case& c : cases) {
    const InputEvent e = Read(c.symbol, c.code);
    EXPECT_EQ(e.key, 0) << c.name;
    EXPECT_EQ(e.special, c.special) << c.name;
  }
  const InputEvent held = Read(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, KMOD_NONE, true);
  EXPECT_EQ(held.special, Special::Escape);
  EXPECT_TRUE(held.repeat);
}

TEST(SdlKeys, OnSdlsSymbolAloneALetterOfAnotherScriptCountsAsTheKeysUsLetter) {
  // Cyrillic and Greek layouts: the key types no Latin character, so its US letter counts.
  EXPECT_EQ(Read(0x439, SDL_SCANCODE_Q, KMOD_LCTRL).key, 'q') << "Cyrillic short i";
  EXPECT_EQ(Read(0x3b1, SDL_SCANCODE_A, KMOD_LCTRL).key, 'a') << "Greek alpha";
  // A Latin layout's own letter counts, wherever the key lies (AZERTY's A is US's Q) ...
  EXPECT_EQ(Read(SDLK_a, SDL_SCANCODE_Q, KMOD_LCTRL).key, 'a');
  // ... and a key that types another Latin character has no letter: Dvorak's apostrophe.
  const InputEvent dvorak = Read(SDLK_QUOTE, SDL_SCANCODE_Q, KMOD_LCTRL);
  EXPECT_EQ(dvorak.key, 0);
  EXPECT_EQ(dvorak.special, Special::Other);
}

}  // namespace
