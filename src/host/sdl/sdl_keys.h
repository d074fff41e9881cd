#pragma once

#include <SDL.h>

#include "host/backend.h"

namespace host::sdl {

// Turns SDL's key presses into the core's: the key's letter for shortcuts and the modifiers held.
//
// SDL names a key by its symbol in the layout that was active when SDL started, so with a
// Russian layout active the Q key is a Cyrillic letter to SDL, even after switching to English,
// and no Latin shortcut could ever be pressed. On X11 the raw key event behind each press is
// read instead (SDL hands it over as a window-system event just before the press), and the X
// keyboard extension gives the key's symbol in every configured layout and the layout in use at
// that moment. That uses the connection and the keymap SDL already has, which libxkbcommon
// would have to fetch again over a second connection and keep up to date by itself. Elsewhere
// SDL's symbol is the key's only one.
//
// Kept apart from the other files because the X headers define names such as Expose and None.
class KeyReader {
 public:
  // Asks SDL for the raw window-system events; once SDL has started.
  static void Start();
  // Whether a raw window-system event is a key press, which Note wants to see.
  static bool IsKeyPress(const SDL_Event& event);
  // A raw window-system event: a key press is noted for the SDL key event that follows it.
  void Note(const SDL_SysWMmsg& message);
  // Fills in the key fields of `event` for an SDL key press.
  void Read(const SDL_KeyboardEvent& key, InputEvent& event);

 private:
  bool noted_ = false;
  void* display_ = nullptr;
  unsigned keycode_ = 0;
  unsigned state_ = 0;
};

}  // namespace host::sdl
