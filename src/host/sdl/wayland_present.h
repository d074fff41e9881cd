#pragma once

// Presents on Wayland from memory the compositor maps itself, as an X server reads the pictures
// over MIT-SHM: each picture is decoded into a memory file, and a frame that shows a picture
// whole is that picture's own buffer, handed over without a copy. Frames with labels or an
// overlay are composed into a few buffers of the window's size. SDL's renderer is never made,
// so no GL driver is loaded, a present costs microseconds rather than the milliseconds of a copy
// through software GL, and no renderer thread competes with the event loop for the CPU.

#include <SDL.h>

#include <memory>

#include "host/sdl/sdl_present.h"

namespace host::sdl {

class WaylandPixels;

// Pictures made from now on keep their pixels in memory files, where SDL shows its windows
// through Wayland; nil elsewhere.
std::shared_ptr<WaylandPixels> ShareThePicturesOnWayland();

// Nil unless `window` shows on Wayland and the compositor takes shared-memory buffers.
std::unique_ptr<DirectPresenter> NewWaylandPresenter(SDL_Window* window,
                                                     std::shared_ptr<WaylandPixels> pixels);

}  // namespace host::sdl
