#include "host/sdl/sdl_screen_pointer.h"

#include <SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xproto.h>
#endif

#include "host/sdl/x_library.h"

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
  if (previousHandler) return;
  using SetErrorHandler = ErrorHandler (*)(ErrorHandler);
  if (const auto set = XFunction<SetErrorHandler>("XSetErrorHandler"))
    previousHandler = set(&TolerateStaleWakeup);
}
#else
void IgnoreStaleWakeupErrors() {}
#endif

bool QueryScreenPointer(SDL_Window* window, int& x, int& y) {
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
    using QueryPointer =
        Bool (*)(Display*, Window, Window*, Window*, int*, int*, int*, int*, unsigned int*);
    static const auto query = XFunction<QueryPointer>("XQueryPointer");
    if (query) {
      Window root = 0, child = 0;
      int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
      unsigned int buttons = 0;
      if (query(info.info.x11.display, info.info.x11.window, &root, &child, &rootX, &rootY,
                &windowX, &windowY, &buttons)) {
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
