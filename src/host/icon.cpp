#include "host/icon.h"

#include <stb_image.h>

#include <climits>
#include <cstdio>

namespace host {

std::shared_ptr<const IconImage> DecodeIcon(std::span<const std::uint8_t> bytes) {
  if (bytes.empty() || bytes.size() > INT_MAX) return nullptr;
  int width = 0, height = 0, channels = 0;
  stbi_uc* rgba = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width,
                                        &height, &channels, 4);
  if (!rgba) {
    std::fprintf(stderr, "lumorra: cannot read the icon: %s\n", stbi_failure_reason());
    return nullptr;
  }
  auto icon = std::make_shared<IconImage>();
  icon->width = width;
  icon->height = height;
  icon->pixels.resize(static_cast<std::size_t>(width) * height);
  for (std::size_t i = 0; i < icon->pixels.size(); ++i) {
    const stbi_uc* p = rgba + 4 * i;
    icon->pixels[i] = std::uint32_t{p[3]} << 24 | std::uint32_t{p[0]} << 16 |
                      std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]};
  }
  stbi_image_free(rgba);
  return icon;
}

}  // namespace host
