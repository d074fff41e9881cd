#pragma once

#include <SDL.h>

#include <deque>

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
// The raw event is read in SDL's event filter, as SDL queues it: SDL 2 over SDL 3 hands it over
// in memory that is gone by the time the event leaves the queue. Each SDL key press queued after
// it takes the raw press along in a queue of its own, so that presses queued together keep
// their pairs.
//
// Kept apart from the other files because the X headers define names such as Expose and None.
class KeyReader {
 public:
  // Asks SDL for the raw window-system events; once SDL has started.
  static void Start();
  // Every event SDL queues, from SDL's event filter (on the thread that reads the window system,
  // the main one): notes a raw key press for the SDL key press that follows it.
  void Queued(const SDL_Event& event);
  // Fills in the key fields of `event` for an SDL key press as it leaves the queue.
  void Read(const SDL_KeyboardEvent& key, InputEvent& event);

 private:
  struct RawPress {
    bool known = false;
    void* display = nullptr;
    unsigned keycode = 0;
    unsigned state = 0;
  };
  RawPress pending_;             // the raw press whose SDL key press is yet to be queued
  std::deque<RawPress> queued_;  // one for each SDL key press in SDL's queue, in order
};

}  // namespace host::sdl
