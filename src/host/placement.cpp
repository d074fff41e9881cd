#include "host/placement.h"

#include <algorithm>

namespace host {

Rect PlaceOnScreen(const Rect& screen, Size size, bool fullScreen) {
  if (fullScreen) return screen;
  return Rect{screen.left + (screen.width - size.width) / 2,
              screen.top + (screen.height - size.height) / 2, size.width, size.height};
}

namespace {

bool Holds(const Rect& outer, const Rect& inner) {
  return outer != inner && inner.left >= outer.left && inner.top >= outer.top &&
         inner.left + inner.width <= outer.left + outer.width &&
         inner.top + inner.height <= outer.top + outer.height;
}

}  // namespace

std::optional<Rect> MainMonitor(const std::vector<Monitor>& monitors) {
  std::vector<Monitor> screens;  // the monitors that are screens of their own
  for (const Monitor& monitor : monitors) {
    const bool whole = std::any_of(monitors.begin(), monitors.end(), [&](const Monitor& part) {
      return Holds(monitor.bounds, part.bounds);
    });
    if (!whole) screens.push_back(monitor);
  }
  if (screens.empty()) return std::nullopt;
  for (const Monitor& screen : screens) {
    if (screen.primary) return screen.bounds;
  }
  for (const Monitor& monitor : monitors) {
    if (!monitor.primary) continue;
    for (const Monitor& screen : screens) {
      if (Holds(monitor.bounds, screen.bounds)) return screen.bounds;
    }
  }
  return screens.front().bounds;
}

}  // namespace host
