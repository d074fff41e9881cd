#include <cstdint>
#include <span>

#include "app/app.h"
#include "host/icon.h"

// Start and end of the icon's PNG, placed in read-only data by the build.
extern "C" const std::uint8_t lumorra_window_icon[];
extern "C" const std::uint8_t lumorra_window_icon_end[];

namespace lumorra {

void SetUpIcon(host::Runtime& runtime) {
  const std::span<const std::uint8_t> png(
      lumorra_window_icon, static_cast<std::size_t>(lumorra_window_icon_end - lumorra_window_icon));
  runtime.SetIcon(host::DecodeIcon(png));
}

}  // namespace lumorra
