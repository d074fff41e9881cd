#pragma once

#include <SDL.h>

namespace host::sdl {

// Marks a window that is not yet shown as full screen for the window manager (EWMH's
// _NET_WM_STATE_FULLSCREEN), which takes it up when the window is mapped. SDL's own full-screen
// mode asks only once the window is mapped and then waits up to 100 ms for the window's
// geometry to change; a window made at the screen's bounds never changes, so every start would
// pay the whole wait, and where no window manager runs, nobody would answer at all. Marked
// before mapping, the state costs nothing with a window manager or without one (then the
// borderless screen-sized window covers the screen by itself).
// Returns false off X11, where SDL's full-screen mode is the way to ask.
bool MarkFullScreenBeforeShowing(SDL_Window* window);

// Asks the window manager, once `window` is mapped, to keep it full screen. The state marked
// before mapping is what SDL 2 keeps; SDL 2 over SDL 3 writes the window's state property again
// from its own flags as it maps the window, which drops the mark, so the request is made again
// the way a mapped window makes it. Where the mark stayed, or no window manager runs, this
// changes nothing. Does nothing off X11.
void AskFullScreenWhenShown(SDL_Window* window);

// Gives `window` the keyboard focus, as a window manager would. SDL 2 does that itself on X11;
// SDL 2 over SDL 3 only asks the window manager, and where none runs nothing happens. Elsewhere
// SDL is asked.
void GiveKeyboardFocus(SDL_Window* window);

// Follows changes of the screen's size, which SDL 2.26 does not notice on X11 (its idea of the
// screen's bounds stays as it was at the start). A window manager moves full-screen windows
// by itself, but not every one does, and without one nobody would.
class ScreenWatch {
 public:
  ScreenWatch() = default;
  ~ScreenWatch();
  ScreenWatch(const ScreenWatch&) = delete;
  ScreenWatch& operator=(const ScreenWatch&) = delete;

  // Starts listening, once SDL has started. Does nothing off X11.
  void Start();
  // Listens again after SDL made a window: SDL then sets the root window's event mask to its
  // own, and the screen's changes would no longer be heard.
  void Listen() const;
  // Whether `event` says the screens changed; called from SDL's event filter, so cheap.
  bool IsScreenChange(const SDL_Event& event) const;
  // The main monitor's bounds as the X server has them now; false when unknown. SDL counts only
  // the X server's outputs as screens, but a display may be split into monitors that have no
  // output of their own; the desktop places its panels and full-screen windows on those.
  bool MainScreen(SDL_Rect& bounds) const;
  // Puts `window` exactly over `bounds`, whatever state the window manager keeps it in.
  void Cover(SDL_Window* window, const SDL_Rect& bounds) const;
  // Gives `window` the size limits and place of `bounds` again, without asking the window
  // manager for the full-screen state anew: for after a Cover whose limits were put back.
  void Fit(SDL_Window* window, const SDL_Rect& bounds) const;

 private:
  bool started_ = false;
  void* display_ = nullptr;
  void* randr_ = nullptr;
};

// Whether the X display named in DISPLAY shows fewer than 15 bits a pixel (a colour palette),
// where no photograph can be shown. SDL 2 starts there and fails at the first window surface,
// which says so; SDL 2 over SDL 3 crashes while it starts. Asked over a short connection of its
// own, before SDL starts; false when it cannot tell, or where X11 is not built in.
bool XScreenHasTooFewColours();

// When the connection to the X server is lost, Xlib calls a handler that must not return. Its
// default one ends the process through exit(); this one goes the backend's way out for a fatal
// error (ExitWithError): one line, status 1. Does nothing off X11.
void ExitAtOnceWhenDisplayLost();

// A Wayland compositor that goes away reaches the program only as a quit request, as if the user
// had asked to quit. Called for every quit request: if `window`'s Wayland connection has failed,
// it reports the loss as a fatal error, as on X11. Does nothing otherwise.
void ExitIfDisplayLost(SDL_Window* window);

}  // namespace host::sdl
