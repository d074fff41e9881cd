#pragma once

#include "host/sdl/sdl_handles.h"

namespace host::sdl {

// The open hand shown over areas that react to the mouse: a palm with the fingers spread,
// as a 32-bit ARGB image. `hotX`/`hotY` receive the point of the image that is the pointer
// position (the middle of the palm). Returns nullptr if the surface cannot be made.
SurfacePtr HandCursorImage(int& hotX, int& hotY);
// The same hand for a screen with `scale` pixels a point: `scale` times as large, with edges as
// sharp as at one pixel a point; the hot spot in its pixels.
SurfacePtr HandCursorImage(int scale, int& hotX, int& hotY);

// The same image as a colour cursor, or nullptr (with SDL_GetError set) if it cannot be made.
CursorPtr CreateHandCursor();

}  // namespace host::sdl
