#pragma once

#include <SDL.h>

#include <memory>

namespace host::sdl {

// Frames at the compositor's pace on Wayland. A frame presented while the compositor has not
// yet shown the one before makes the GL driver wait inside the present for a buffer the
// compositor still holds: on a busy machine with a compositor that draws in software that wait
// was tens of milliseconds, and the light show's next timer fired that much late. So a frame
// goes out only once the compositor said it showed the last one (its frame callback); one due
// before then is drawn when that word comes, with the latest picture, and the loop's timers are
// never held up.
class WaylandFrames {
 public:
  // Null unless `window` shows on Wayland.
  static std::unique_ptr<WaylandFrames> For(SDL_Window* window);
  ~WaylandFrames();
  WaylandFrames(const WaylandFrames&) = delete;
  WaylandFrames& operator=(const WaylandFrames&) = delete;

  // Whether a frame can go out now without waiting: the last one was shown, or the compositor
  // has kept silent for so long (a window it does not show) that waiting makes no sense.
  bool Ready(Uint64 nowMs);
  // To be called right before a frame is presented: the compositor will say when it is shown.
  void Presenting(Uint64 nowMs);
  // When a frame held back goes out even without the compositor's word; 0 for none pending.
  Uint64 GiveUpAt() const;
  // Handles what the compositor said since the last call.
  void Dispatch();

  struct State;  // the objects on the connection

 private:
  explicit WaylandFrames(std::unique_ptr<State> state);

  std::unique_ptr<State> state_;
};

}  // namespace host::sdl
