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

void WindowSize(SDL_Window* window, int& width, int& height) {
  SDL_GetWindowSize(window, &width, &height);
  SDL_SysWMinfo info;
  if (!OnX11(window, info)) return;
  const auto attributes = XFunction<decltype(&XGetWindowAttributes)>("XGetWindowAttributes");
  XWindowAttributes attrs{};
  if (!attributes || !attributes(info.info.x11.display, info.info.x11.window, &attrs)) return;
  width = attrs.width;
  height = attrs.height;
}

}  // namespace host::sdl
