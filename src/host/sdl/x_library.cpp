#include "host/sdl/x_library.h"

namespace host::sdl {

void* XLibrary() {
  static void* const library = SDL_LoadObject("libX11.so.6");
  return library;
}

bool OnX11(SDL_Window* window, SDL_SysWMinfo& info) {
  SDL_VERSION(&info.version);
  return window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11;
}

}  // namespace host::sdl
