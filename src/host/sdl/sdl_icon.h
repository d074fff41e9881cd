#pragma once

#include <SDL.h>

#include "host/icon.h"

namespace host::sdl {

// Gives `window` the core's icon (on X11 it becomes _NET_WM_ICON, which task bars and window
// switchers show). SDL copies the pixels, so the icon need not outlive the call.
void SetWindowIcon(SDL_Window* window, const IconImage& icon);

}  // namespace host::sdl
