// The photographed room as the renderer leaves it: linear radiance for each light source alone
// (moonlight, and the bulb), each with the chain at rest and pulled down, so that every picture
// is developed from a mix of the two without rendering again.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "media/chain_box.h"

namespace mg {

constexpr int kWidth = 1920;
constexpr int kHeight = 1280;

// Where a click "grabs" the chain; every chain pixel must stay inside this box.
constexpr int kChainBoxX = lumorra::kChainBox.left;
constexpr int kChainBoxY = lumorra::kChainBox.top;
constexpr int kChainBoxW = lumorra::kChainBox.width;
constexpr int kChainBoxH = lumorra::kChainBox.height;

// Full-frame linear RGB.
struct Plane {
  int w = 0, h = 0;
  std::vector<float> px;  // 3 floats per pixel
  void Resize(int width, int height) {
    w = width;
    h = height;
    px.assign(static_cast<std::size_t>(w) * h * 3, 0.0f);
  }
  float* At(int x, int y) { return &px[(static_cast<std::size_t>(y) * w + x) * 3]; }
  const float* At(int x, int y) const { return &px[(static_cast<std::size_t>(y) * w + x) * 3]; }
};

struct SceneBuffers {
  Plane moon[2], bulb[2];       // [0] chain at rest, [1] chain pulled down
  double bulbX = 0, bulbY = 0;  // filament centre in pixels
};

// Reads moon-rest.hdr, moon-pulled.hdr, bulb-rest.hdr and bulb-pulled.hdr (Radiance RGBE, as the
// renderer writes them) from `dir`. Throws std::runtime_error if one is missing or the wrong size.
SceneBuffers LoadRenders(const std::string& dir);

}  // namespace mg
