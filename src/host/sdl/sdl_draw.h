#pragma once

// Drawing a window's frame in software: the picture at a brightness, the back colour beyond it,
// and what is laid out in points drawn on a screen with more pixels.

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <optional>

#include "host/backend.h"

namespace host::sdl {

// The window's surface, ready to draw on. With framebuffer acceleration off this is a
// shared-memory image of the window's own size; SDL makes it again by itself when the window's
// size changed. Where that is not available it is a texture SDL's renderer puts on screen (see
// SdlBackend::Create).
SDL_Surface* DrawableSurface(SDL_Window* window);

// One row of pixels, each channel scaled by brightness/256: two multiplications a pixel, red and
// blue together in one of them, which the compiler turns into vector code.
void DimRow(std::uint32_t* to, const std::uint32_t* from, int width, std::uint32_t level);

// Copies the picture to the top left of the locked surface, at the given brightness; returns the
// size it covers, or nothing when the surface could not be locked again (the frame is then given
// up).
std::optional<Size> CopyPicture(Picture& picture, SDL_Surface* surface, bool mustLock,
                                int brightness);

// Only what the picture leaves uncovered gets the back colour: a second pass over a whole
// screen would cost as much as the copy itself.
void FillUncovered(SDL_Surface* surface, Size covered, Color back);

// A rectangle in points, in the pixels of a surface with `scale` pixels a point.
Rect AtScale(const Rect& r, double scale);

// A label laid out in points, as drawn on `scale` pixels a point: its text at the pixel size is
// sharp and looks as large as on an unscaled screen.
LabelView AtScale(LabelView label, double scale);

// Maps the pages of fresh memory in one call before they are first written, which costs less
// than a fault for each (see MapRows in picture.cpp). `pixels` starts a page.
void MapPages(void* pixels, std::size_t bytes);

}  // namespace host::sdl
