#pragma once

#include <SDL.h>

#include <memory>

namespace host::sdl {

// The pointer's image over the program's windows on Wayland, for a cursor of the program's own.
// SDL 2 gives a custom cursor one buffer pixel a point, which a scaled screen enlarges into a
// blur, and keeps its pixels in a file it leaves behind in XDG_RUNTIME_DIR. Here the image is
// made at the screen's scale, in memory that is no file, and set through a pointer object of
// the program's own on SDL's connection: the compositor tells it, as it tells SDL, when the
// pointer enters a window, and a cursor set after SDL's own there is the one that shows.
class WaylandCursor {
 public:
  // Null unless `window` shows on Wayland and the compositor has a pointer to offer.
  static std::unique_ptr<WaylandCursor> For(SDL_Window* window);
  ~WaylandCursor();
  WaylandCursor(const WaylandCursor&) = delete;
  WaylandCursor& operator=(const WaylandCursor&) = delete;

  // Shows the open hand over the program's windows, drawn for `scale` pixels a point, now and
  // whenever the pointer comes back into one of them.
  void ShowHand(int scale);
  // Hands the pointer back to SDL's cursor.
  void ShowSdlCursor();
  // Handles what the compositor said to this pointer since the last call; the events arrive
  // with SDL's, which reads them from the connection for both.
  void Dispatch();

  struct State;  // the objects on the connection, and what the compositor told them

 private:
  explicit WaylandCursor(std::unique_ptr<State> state);

  std::unique_ptr<State> state_;
};

}  // namespace host::sdl
