#pragma once

#include <SDL.h>

namespace host::sdl {

// Whether the X desktop asks for reduced animation: its settings daemon publishes
// Gtk/EnableAnimations as 0. Reads the settings once, through the X connection SDL opened for
// `window`; false on any other display, with no settings daemon, or when the setting is absent.
bool DesktopDisablesAnimations(SDL_Window* window);

}  // namespace host::sdl
