// The hanging lamp (cord, porcelain holder, brass pull switch, clear glass bulb) and its ball
// chain, in camera space (see trace.h).
#pragma once

#include <cstdint>
#include <vector>

#include "trace.h"

namespace mg::rt {

// One camera ray through (px, py) against the lamp; `hit` tells whether it met the lamp at all.
Rad lampSample(double px, double py, uint64_t seed, bool& hit);

struct ChainGeom {
  std::vector<V3> beads;  // centres
  double beadR;
  V3 couplerBottom;
  V3 pivot;     // top of the pull
  double tilt;  // radians, in the image plane
  double pullLen, pullR0, pullR1;
};

// variant 0: hanging at rest; 1: pulled down.
ChainGeom makeChain(int variant);
// One camera ray against the chain (hidden where it runs inside the switch).
Rad chainSample(const ChainGeom& g, double px, double py, uint64_t seed, bool& hit);

}  // namespace mg::rt
