#include "host/display_choice.h"

namespace host {

DisplayChoice ChooseDisplay(const DisplayEnvironment& env) {
  DisplayChoice choice;
  if (!env.asked.empty()) return choice;
  const bool waylandSession = !env.wayland.empty() || env.sessionType == "wayland";
  if (waylandSession && env.waylandReachable) {
    choice.drivers = env.x11.empty() ? "wayland" : "wayland,x11";
  } else if (!env.x11.empty()) {
    choice.drivers = "x11";
  } else if (!env.wayland.empty()) {
    choice.error = "cannot connect to " + env.wayland;
  } else {
    choice.error = "DISPLAY is not set";
  }
  return choice;
}

std::string WaylandSocketPath(const std::string& wayland, const std::string& runtimeDir) {
  std::string name = wayland.empty() ? "wayland-0" : wayland;
  if (name.front() == '/') return name;
  if (runtimeDir.empty()) return {};
  return runtimeDir + "/" + name;
}

}  // namespace host
