// On a real X server: SDL wakes its event wait with an X event to one of our windows over its
// own connection. If that window is gone, the BadWindow error is read only at close, after SDL
// restored the error handler it found; Xlib's default handler would then exit with 1, not 0.

#include <cstdio>
#include <string>

#include "host/sdl/sdl_backend.h"

#include <X11/Xlib.h>  // last: its macros (None, Bool, Status...) clash with our names

int main() {
  std::string error;
  auto backend = host::sdl::SdlBackend::Create(error);
  Display* wakeups = backend ? XOpenDisplay(nullptr) : nullptr;
  if (!wakeups) {
    std::fprintf(stderr, "stale_wakeup_error: %s\n",
                 backend ? "cannot open a second connection" : error.c_str());
    return 2;
  }
  const Window gone = XCreateSimpleWindow(wakeups, DefaultRootWindow(wakeups), 0, 0, 1, 1, 0, 0, 0);
  XDestroyWindow(wakeups, gone);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = gone;
  event.xclient.format = 32;
  XSendEvent(wakeups, gone, False, NoEventMask, &event);
  XFlush(wakeups);  // sent, but the answer is not read yet

  backend.reset();         // SDL shuts down and puts its predecessor's handler back
  XCloseDisplay(wakeups);  // reads the BadWindow error
  std::puts("ok");
  return 0;
}
