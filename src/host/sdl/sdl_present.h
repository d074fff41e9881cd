#pragma once

// Presents that leave the copying of a window's picture to the window system: on X11 the picture
// lives in memory the X server reads itself (MIT-SHM) or, where the screen's layout differs, in a
// pixmap of the server's made once per picture; on SDL's renderer a texture is uploaded once per
// picture. The program composes only the small areas that labels and overlays cover.

#include <SDL.h>

#include <functional>
#include <memory>
#include <vector>

#include "host/backend.h"
#include "host/sdl/sdl_handles.h"

namespace host::sdl {

// Draws into `patch`, a surface of the area's size, what the window shows over `area` (window
// coordinates): the picture at the view's brightness, the back colour beyond it, the labels.
using ComposeArea = std::function<void(SDL_Surface* patch, const Rect& area)>;

class SharedPixels;

// Pictures made from now on keep their pixels in shared memory, where the display is an X
// server on this machine; nil where that cannot help.
std::shared_ptr<SharedPixels> ShareThePictures();

class DirectPresenter {
 public:
  virtual ~DirectPresenter() = default;
  // Shows `view`, with `patches` (the areas labels and overlays cover) composed by `compose`.
  // Unless `whole`, only what changed since the last frame it showed need be drawn. False when
  // it cannot show this view: the caller draws it the plain way, and the next frame here is
  // drawn whole.
  virtual bool Present(const WindowView& view, const std::vector<Rect>& patches,
                       const ComposeArea& compose, bool whole) = 0;
  // Has the window system read the pictures it has not seen yet, so that their first present
  // does not wait for that; true when there were any.
  virtual bool ReadAhead() { return false; }
};

// `rect` cut to a window of `width` x `height`; empty when nothing of it is inside.
Rect Clipped(const Rect& rect, int width, int height);

// Each patch clipped to the window, composed on `scratch`'s pixels and handed to `put` with the
// window area it covers; patches wholly outside the window, or with no memory, are passed over.
void ComposePatches(const std::vector<Rect>& patches, int width, int height, SurfacePtr& scratch,
                    const ComposeArea& compose, const ComposeArea& put);

// Nil where the window is not on an X server that can read the shared pictures.
std::unique_ptr<DirectPresenter> NewSharedMemoryPresenter(SDL_Window* window,
                                                          std::shared_ptr<SharedPixels> pixels);
// For an X server whose screen has another layout than the pictures' (30-bit colour): each
// picture is converted once into a pixmap of the server's. Nil elsewhere.
std::unique_ptr<DirectPresenter> NewPixmapPresenter(SDL_Window* window);
// Nil where SDL has no renderer for the window.
std::unique_ptr<DirectPresenter> NewTexturePresenter(SDL_Window* window);

}  // namespace host::sdl
