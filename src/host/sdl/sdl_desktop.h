#pragma once

#include <SDL.h>

namespace host::sdl {

// Whether asking for the desktop's full-screen state will be answered. On X11 that takes a
// window manager, which announces itself on the root window; without one SDL would wait for
// an answer that never comes. Other desktops (Wayland) always have a compositor that answers.
// `window` is any window of ours, used to reach SDL's display connection.
bool FullScreenStateAnswered(SDL_Window* window);

// When the connection to the X server is lost, Xlib calls a handler that must not return. Its
// default one ends the process through exit(), which runs the destructors of everything still
// alive: a sound still playing then stops its channel, the mixer reports that through the dead
// connection, and the loss is reported again from inside exit(). This one reports the loss in
// one line and ends the process at once with status 1. Does nothing off X11.
void ExitAtOnceWhenDisplayLost();

}  // namespace host::sdl
