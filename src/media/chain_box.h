#pragma once

namespace lumorra {

// Where a click grabs the chain in the full-size photographs: the photographs are developed
// with every chain pixel inside this box, and the scene puts its chain canvas on it.
struct ChainBox {
  int left, top, width, height;
};
inline constexpr ChainBox kChainBox{98, 26, 40, 490};

}  // namespace lumorra
