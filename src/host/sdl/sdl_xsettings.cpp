#include "host/sdl/sdl_xsettings.h"

#include <SDL_syswm.h>

#include <climits>
#include <string>

#include "host/sdl/x_library.h"
#include "host/xsettings.h"

namespace host::sdl {

#if defined(SDL_VIDEO_DRIVER_X11)
namespace {

// The daemon may quit between finding its window and reading from it, and an X error must not
// end the program: errors are noted, not reported, while the settings are read.
bool failed = false;
int NoteError(Display*, XErrorEvent*) {
  failed = true;
  return 0;
}

}  // namespace

bool DesktopDisablesAnimations(SDL_Window* window) {
  SDL_SysWMinfo info;
  if (!OnX11(window, info)) return false;
  const auto setHandler = XFunction<decltype(&XSetErrorHandler)>("XSetErrorHandler");
  const auto intern = XFunction<decltype(&XInternAtom)>("XInternAtom");
  const auto owner = XFunction<decltype(&XGetSelectionOwner)>("XGetSelectionOwner");
  const auto property = XFunction<decltype(&XGetWindowProperty)>("XGetWindowProperty");
  const auto screen = XFunction<decltype(&XDefaultScreen)>("XDefaultScreen");
  const auto sync = XFunction<decltype(&XSync)>("XSync");
  const auto release = XFunction<decltype(&XFree)>("XFree");
  if (!setHandler || !intern || !owner || !property || !screen || !sync || !release) return false;

  Display* display = info.info.x11.display;
  const std::string selection = "_XSETTINGS_S" + std::to_string(screen(display));
  const ::Window manager = owner(display, intern(display, selection.c_str(), False));
  if (manager == None) return false;  // no settings daemon runs
  const Atom settings = intern(display, "_XSETTINGS_SETTINGS", False);

  sync(display, False);
  failed = false;
  const auto previous = setHandler(&NoteError);
  Atom type = None;
  int format = 0;
  unsigned long items = 0, left = 0;
  unsigned char* data = nullptr;
  const int status = property(display, manager, settings, 0, LONG_MAX / 4, False, settings, &type,
                              &format, &items, &left, &data);
  sync(display, False);
  setHandler(previous);

  bool disabled = false;
  if (status == Success && !failed && data && format == 8) {
    disabled = XSettingsInteger(data, items, "Gtk/EnableAnimations") == 0;
  }
  if (data) release(data);
  return disabled;
}
#else
bool DesktopDisablesAnimations(SDL_Window*) { return false; }
#endif

}  // namespace host::sdl
