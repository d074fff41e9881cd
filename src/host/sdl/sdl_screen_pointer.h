#pragma once

#include <SDL.h>

namespace host::sdl {

// Where the pointer is on the screen, in the coordinates of SDL's window positions.
//
// On X11, SDL answers from a copy it refreshes on raw device motion, so after the pointer was
// warped (by an input tool or a test driver) it reports where the pointer used to be. There
// the X server is asked directly; elsewhere SDL's answer is used.
//
// Kept apart from the other files because the X headers define names such as Expose and None.
class ScreenPointer {
 public:
  ScreenPointer() = default;
  ~ScreenPointer();
  ScreenPointer(const ScreenPointer&) = delete;
  ScreenPointer& operator=(const ScreenPointer&) = delete;

  // `window` is any live window of ours (nullptr if there is none).
  void Query(SDL_Window* window, int& x, int& y);

 private:
  bool looked_ = false;
  void* library_ = nullptr;
  void* query_ = nullptr;
};

}  // namespace host::sdl
