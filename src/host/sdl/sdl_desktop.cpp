#include "host/sdl/sdl_desktop.h"

#include <SDL_syswm.h>
#include <unistd.h>

#include <cstdio>

namespace host::sdl {

#if defined(SDL_VIDEO_DRIVER_X11)
namespace {

// SDL has the X library loaded already; this only finds it again, so the program needs no
// link-time dependency of its own on it. Kept for the life of the process: a handler installed
// in the library must outlive SDL's own reference to it.
void* XLibrary() {
  static void* library = SDL_LoadObject("libX11.so.6");
  return library;
}

template <class F>
F XFunction(const char* name) {
  void* library = XLibrary();
  return library ? reinterpret_cast<F>(SDL_LoadFunction(library, name)) : nullptr;
}

int ReportLostDisplay(Display* display) {
  using DisplayString = char* (*)(Display*);
  static const auto name = XFunction<DisplayString>("XDisplayString");
  const char* shown = name && display ? name(display) : nullptr;
  std::fprintf(stderr, "lumorra: lost the connection to the display %s\n",
               shown && *shown ? shown : "");
  std::fflush(stderr);
  _exit(1);
}

}  // namespace

bool FullScreenStateAnswered(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info)) return true;
  if (info.subsystem != SDL_SYSWM_X11) return true;
  using InternAtom = Atom (*)(Display*, const char*, Bool);
  using GetWindowProperty = int (*)(Display*, ::Window, Atom, long, long, Bool, Atom, Atom*, int*,
                                    unsigned long*, unsigned long*, unsigned char**);
  using Free = int (*)(void*);
  const auto intern = XFunction<InternAtom>("XInternAtom");
  const auto get = XFunction<GetWindowProperty>("XGetWindowProperty");
  const auto release = XFunction<Free>("XFree");
  // Unable to look: ask anyway, at worst the start is a little slower.
  if (!intern || !get || !release) return true;
  Display* display = info.info.x11.display;
  const Atom check = intern(display, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == 0) return false;  // no client ever named it: no window manager
  Atom type = 0;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  const int status = get(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW, &type,
                         &format, &items, &after, &data);
  const bool present = status == Success && type == XA_WINDOW && items == 1 && data;
  if (data) release(data);
  return present;
}

void ExitAtOnceWhenDisplayLost() {
  using IOErrorHandler = int (*)(Display*);
  using SetIOErrorHandler = IOErrorHandler (*)(IOErrorHandler);
  if (const auto set = XFunction<SetIOErrorHandler>("XSetIOErrorHandler")) set(&ReportLostDisplay);
}

#else
bool FullScreenStateAnswered(SDL_Window*) { return true; }
void ExitAtOnceWhenDisplayLost() {}
#endif

}  // namespace host::sdl
