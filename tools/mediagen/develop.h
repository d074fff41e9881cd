// Turns the linear scene buffers into a finished 8-bit photograph: exposure, lens glare,
// vignetting, sensor noise and a filmic tone curve.
#pragma once

#include <cstdint>
#include <vector>

#include "scene.h"

namespace mg {

struct Shot {
  double moonGain = 0;          // exposure applied to the moonlight buffers
  double bulbGain = 0;          // exposure applied to the bulb buffers
  double white[3] = {1, 1, 1};  // white balance: gains on linear red, green and blue
  double contrast = 1;          // power of the luminance about mid-grey, before the tone curve
  int chain = 0;                // 0 = chain at rest, 1 = pulled
  double bloom = 0;             // strength of the glow around over-exposed light
  double bloomClamp = 30;       // brightest value that feeds the glow
  double starburst = 0;         // diffraction spikes around the bulb
  double vignette = 0.5;        // corner darkening, 0..1
  double grain = 0;             // display-level grain, in 8-bit steps
  double shotNoise = 0;         // variance per unit of signal
  double readNoise = 0;         // variance floor
  uint32_t noiseSeed = 0;
};

// Returns interleaved 8-bit sRGB at the renders' size. Shots that differ only in the chain can
// share `glowCache` (start it empty) so the lens glow is computed once.
std::vector<uint8_t> Develop(const SceneBuffers& sb, const Shot& shot,
                             std::vector<float>* glowCache = nullptr);

}  // namespace mg
