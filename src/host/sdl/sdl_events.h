#pragma once

// Where SDL's events become the core's.

#include <SDL.h>

#include "host/sdl/sdl_context.h"

namespace host::sdl {

// The one place where SDL's events become the core's: appends what the core should hear to
// the pending queue, which may be nothing.
void Translate(Context& context, const SDL_Event& sdl);

// Window-system events are on only to hear of screen changes and to read key presses by their
// raw key codes. They are read here, as SDL queues them: SDL 2 over SDL 3 hands each one over in
// memory that is gone by the time it leaves the queue. Only a screen change goes on into the
// queue, to wake the loop; the rest (one for every X event) never enter it.
int FilterEvents(void* data, SDL_Event* event);

}  // namespace host::sdl
