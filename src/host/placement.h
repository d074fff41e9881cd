#pragma once

#include <optional>
#include <vector>

#include "host/types.h"

namespace host {

// Where a window of `size` goes on a screen whose bounds are `screen`, in the coordinates of
// the whole desktop: a full-screen window takes the screen's bounds exactly, any other window
// is centred on it. The main screen need not start at 0,0 when there are several monitors.
Rect PlaceOnScreen(const Rect& screen, Size size, bool fullScreen);

// A monitor as the window system lists it, in the coordinates of the whole desktop.
struct Monitor {
  Rect bounds;
  bool primary = false;
};

// The main screen among the monitors, in the order the window system lists them. A display may
// be split into several monitors (by its driver, or by its user with RandR) while the monitor
// of the whole display stays in the list: a monitor that holds another one whole is such an
// undivided display, not a screen of its own. The main screen is the primary monitor; if the
// primary one is an undivided display, the first of its parts; without a primary, the first
// monitor. None when there are none.
std::optional<Rect> MainMonitor(const std::vector<Monitor>& monitors);

}  // namespace host
