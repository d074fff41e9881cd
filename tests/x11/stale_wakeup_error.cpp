// Run on a real X server. SDL wakes its event wait from other threads by sending an X event to
// one of our windows over a connection of its own. If the window is gone by the time the event
// arrives, the server's BadWindow error is read only when that connection closes, as SDL shuts
// down, after SDL has put back the handler it found when it started. That error must not end a
// clean quit with status 1.
//
// The same thing is made to happen on purpose here: an event sent to a window that no longer
// exists, on a second connection whose error is left unread until after the backend is gone.
// Exit status 0 and "ok" when the error passed unnoticed; Xlib's default handling would print
// it and exit with status 1.

#include <cstdio>
#include <string>

#include "host/sdl/sdl_backend.h"

// Last: its macros (None, Bool, Status...) would clash with names in our headers.
#include <X11/Xlib.h>

int main() {
  std::string error;
  auto backend = host::sdl::SdlBackend::Create(error);
  if (!backend) {
    std::fprintf(stderr, "stale_wakeup_error: %s\n", error.c_str());
    return 2;
  }
  Display* wakeups = XOpenDisplay(nullptr);
  if (!wakeups) {
    std::fprintf(stderr, "stale_wakeup_error: cannot open a second connection\n");
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
