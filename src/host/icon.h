#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace host {

// The program's icon as task bars and window switchers show it: straight (not premultiplied)
// alpha, one 0xAARRGGBB native-endian word a pixel, rows top to bottom.
struct IconImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// Decodes a PNG (or any picture stb_image reads) into an icon; nil for bytes it cannot read.
std::shared_ptr<const IconImage> DecodeIcon(std::span<const std::uint8_t> bytes);

}  // namespace host
