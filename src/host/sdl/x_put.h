#pragma once

#include <SDL.h>

#include <cstdint>
#include <functional>
#include <optional>

#include "host/types.h"

namespace host::sdl {

// A full-screen window's first frames, drawn through the X connection itself before the
// window's own surface is made. That surface is fresh shared memory, and on a virtual machine
// where each page of fresh memory costs a slow fault, writing it and then having the X server
// map it too made up most of the time to the first picture. Sent in the connection's own
// requests, a strip of rows at a time, the picture goes straight from memory that its decode
// has already touched, and no fresh memory is touched on either side.

// Whether this window can be drawn so: an X11 window of 24-bit colour in the XRGB layout of our
// pictures.
bool CanPutRows(SDL_Window* window);

// Sends the window its top `rows` rows, `width` pixels each, from XRGB pixels `stride` pixels
// a row apart, a strip at a time as `rowsReady` hands them out: rowsReady(n) returns the pixels
// once their top n rows are there, so that a picture still decoding goes out as it comes. The
// server is not waited for. Only for windows that CanPutRows.
void PutRows(SDL_Window* window, const std::function<const std::uint32_t*(int rows)>& rowsReady,
             int stride, int width, int rows);

// Has the X server paint the window in this colour wherever it shows nothing of ours (at its
// mapping, before any frame), or with nothing (the default, which leaves what is there until we
// draw, so that nothing flickers when another window goes from over it).
void SetBackground(SDL_Window* window, std::optional<Color> color);

}  // namespace host::sdl
