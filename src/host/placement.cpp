#include "host/placement.h"

namespace host {

Rect PlaceOnScreen(const Rect& screen, Size size, bool fullScreen) {
  if (fullScreen) return screen;
  return Rect{screen.left + (screen.width - size.width) / 2,
              screen.top + (screen.height - size.height) / 2, size.width, size.height};
}

}  // namespace host
