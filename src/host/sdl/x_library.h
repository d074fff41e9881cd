#pragma once

#include <SDL.h>
#include <SDL_syswm.h>

namespace host::sdl {

// The X library, found again where SDL loaded it, so that the program needs no link-time
// dependency of its own on it. It is opened once and kept for the life of the process: handlers
// installed in it must outlive SDL's own reference, which SDL drops at shutdown. Null where the
// library is not installed.
void* XLibrary();

// A function of the X library by name, or null: XFunction<decltype(&XSync)>("XSync").
template <class F>
F XFunction(const char* name) {
  void* library = XLibrary();
  return library ? reinterpret_cast<F>(SDL_LoadFunction(library, name)) : nullptr;
}

// Fills `info` for `window`; true when the window is an X11 one, so that `info.info.x11` holds its
// display and window.
bool OnX11(SDL_Window* window, SDL_SysWMinfo& info);

}  // namespace host::sdl
