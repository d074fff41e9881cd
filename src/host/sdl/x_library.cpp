#include "host/sdl/x_library.h"

namespace host::sdl {

void* XLibrary() {
  static void* const library = SDL_LoadObject("libX11.so.6");
  return library;
}

}  // namespace host::sdl
