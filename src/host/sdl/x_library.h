#pragma once

#include <SDL.h>

namespace host::sdl {

// The X library, found again where SDL loaded it, so that the program needs no link-time
// dependency of its own on it. It is opened once and kept for the life of the process: handlers
// installed in it must outlive SDL's own reference, which SDL drops at shutdown. Null where the
// library is not installed.
void* XLibrary();

// A function of the X library by name, or null.
template <class F>
F XFunction(const char* name) {
  void* library = XLibrary();
  return library ? reinterpret_cast<F>(SDL_LoadFunction(library, name)) : nullptr;
}

}  // namespace host::sdl
