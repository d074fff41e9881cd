#pragma once

#include "host/types.h"

namespace host {

// Where a window of `size` goes on a screen whose bounds are `screen`, in the coordinates of
// the whole desktop: a full-screen window takes the screen's bounds exactly, any other window
// is centred on it. The main screen need not start at 0,0 when there are several monitors.
Rect PlaceOnScreen(const Rect& screen, Size size, bool fullScreen);

}  // namespace host
