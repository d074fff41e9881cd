#include "host/types.h"

#include <algorithm>

namespace host {

Color RGB(int red, int green, int blue) {
  auto clamp = [](int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); };
  return Color{clamp(red), clamp(green), clamp(blue)};
}

}  // namespace host
