#pragma once

#include <string>

namespace host {

// What the environment tells about the desktop the program was started in.
struct DisplayEnvironment {
  std::string asked;              // SDL_VIDEODRIVER: the user's own choice
  std::string x11;                // DISPLAY
  std::string wayland;            // WAYLAND_DISPLAY
  std::string sessionType;        // XDG_SESSION_TYPE
  bool waylandReachable = false;  // the compositor's socket that WAYLAND_DISPLAY names exists
};

// Which display systems to try, in order.
struct DisplayChoice {
  // SDL's driver names joined by commas ("wayland,x11"); empty to leave SDL to the user's choice.
  std::string drivers;
  // Why nothing can be tried; empty when something can.
  std::string error;
};

// A Wayland session gets native Wayland, so that a scaled screen shows the pictures at its own
// pixels, with X11 (XWayland) behind it should the compositor not take the connection. Elsewhere
// only X11 is tried: an unreachable X display must not send SDL on to try Wayland, whose library
// would have its own say on stderr. A driver the user names is used as it is.
DisplayChoice ChooseDisplay(const DisplayEnvironment& env);

// The path of the socket a Wayland client connects to for `wayland` (WAYLAND_DISPLAY, empty for
// the default name) in `runtimeDir` (XDG_RUNTIME_DIR); empty when it cannot be known.
std::string WaylandSocketPath(const std::string& wayland, const std::string& runtimeDir);

}  // namespace host
