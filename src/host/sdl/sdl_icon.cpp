#include "host/sdl/sdl_icon.h"

#include <cstdio>

#include "host/sdl/sdl_handles.h"

namespace host::sdl {

void SetWindowIcon(SDL_Window* window, const IconImage& icon) {
  if (!window || icon.width <= 0 || icon.height <= 0 ||
      icon.pixels.size() != static_cast<std::size_t>(icon.width) * icon.height)
    return;
  // The surface only borrows the pixels; SDL_SetWindowIcon converts and copies them.
  SurfacePtr surface(SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<std::uint32_t*>(icon.pixels.data()), icon.width, icon.height, 32, icon.width * 4,
      SDL_PIXELFORMAT_ARGB8888));
  if (!surface) {
    std::fprintf(stderr, "lumorra: cannot set the window icon: %s\n", SDL_GetError());
    return;
  }
  SDL_SetWindowIcon(window, surface.get());
}

}  // namespace host::sdl
