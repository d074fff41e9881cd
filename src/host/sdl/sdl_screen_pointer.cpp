#include "host/sdl/sdl_screen_pointer.h"

#include <SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xproto.h>
#endif

namespace host::sdl {

#if defined(SDL_VIDEO_DRIVER_X11)
namespace {

using ErrorHandler = int (*)(Display*, XErrorEvent*);
ErrorHandler previousHandler = nullptr;

int TolerateStaleWakeup(Display* display, XErrorEvent* error) {
  if (error->error_code == BadWindow && error->request_code == X_SendEvent) return 0;
  return previousHandler ? previousHandler(display, error) : 0;
}

}  // namespace

void IgnoreStaleWakeupErrors() {
  // Kept loaded for the life of the process: SDL unloads its own reference at shutdown, and the
  // library must outlive the handler installed in it.
  static void* library = SDL_LoadObject("libX11.so.6");
  if (!library || previousHandler) return;
  using SetErrorHandler = ErrorHandler (*)(ErrorHandler);
  auto set = reinterpret_cast<SetErrorHandler>(SDL_LoadFunction(library, "XSetErrorHandler"));
  if (set) previousHandler = set(&TolerateStaleWakeup);
}
#else
void IgnoreStaleWakeupErrors() {}
#endif

ScreenPointer::~ScreenPointer() {
  if (library_) SDL_UnloadObject(library_);
}

bool ScreenPointer::Query(SDL_Window* window, int& x, int& y) {
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
    if (!looked_) {
      looked_ = true;
      // SDL has the X library loaded already; this only finds it again, so the program needs
      // no link-time dependency of its own on it.
      library_ = SDL_LoadObject("libX11.so.6");
      if (library_) query_ = SDL_LoadFunction(library_, "XQueryPointer");
    }
    using QueryPointer =
        Bool (*)(Display*, Window, Window*, Window*, int*, int*, int*, int*, unsigned int*);
    if (query_) {
      Window root = 0, child = 0;
      int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
      unsigned int buttons = 0;
      if (reinterpret_cast<QueryPointer>(query_)(info.info.x11.display, info.info.x11.window, &root,
                                                 &child, &rootX, &rootY, &windowX, &windowY,
                                                 &buttons)) {
        x = rootX;
        y = rootY;
        return true;
      }
    }
  }
#else
  (void)window;
#endif
  // SDL's Wayland driver answers with the position inside whichever window has the pointer,
  // which is no position on the screen.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && SDL_strcmp(driver, "wayland") == 0) return false;
  SDL_GetGlobalMouseState(&x, &y);
  return true;
}

}  // namespace host::sdl
