#pragma once

#include <SDL.h>

namespace host::sdl {

// Where the pointer is on the screen, in the coordinates of SDL's window positions.
//
// On X11, SDL answers from a copy it refreshes on raw device motion, so after the pointer was
// warped (by an input tool or a test driver) it reports where the pointer used to be. There
// the X server is asked directly. Wayland tells no program where the pointer is: there the
// answer is "unknown". Elsewhere SDL's answer is used.
//
// `window` is any live window of ours (nullptr if there is none). False when the position is
// unknown.
//
// Kept apart from the other files because the X headers define names such as Expose and None.
bool QueryScreenPointer(SDL_Window* window, int& x, int& y);

// SDL wakes its own wait for events by sending an X event to one of our windows from another
// thread, over a second connection of its own. When that window is destroyed just before the
// event arrives, the X server answers with a BadWindow error. It is read only when SDL closes
// that connection at shutdown, after SDL has put back the handler that was in place when it
// started; Xlib's default one prints the error and exits with status 1, so a clean quit would
// report failure. Installed before SDL starts, this handler is the one SDL keeps underneath its
// own and puts back: it lets exactly that error pass and hands every other one to Xlib's default.
// Does nothing where the X library is not installed.
void IgnoreStaleWakeupErrors();

}  // namespace host::sdl
