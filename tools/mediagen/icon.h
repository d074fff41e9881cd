// Application icon: the clear bulb of the photographs, lit, outlined, on transparency.
#pragma once

#include <cstdint>
#include <vector>

namespace mg {

// Interleaved 8-bit RGBA (straight alpha, sRGB), size x size.
std::vector<uint8_t> RenderIcon(int size);

}  // namespace mg
