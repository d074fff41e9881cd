// The photographed room as the renderer leaves it: linear radiance for each light source alone
// (moonlight, and the bulb), each with the chain at rest and pulled down, so that every picture
// is developed from a mix of the two without rendering again.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "media/chain_box.h"

namespace mg {

// The photographs' size. The renders are made at twice that and the photographs reduced from
// them; every length the developing code uses is in photograph pixels, scaled to the renders.
constexpr int kPhotoWidth = 1920;
constexpr int kPhotoHeight = 1280;

// Where a click "grabs" the chain, in photograph pixels; every chain pixel must stay inside it.
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
// renderer writes them) from `dir`: all of one size, framed as the photographs (3:2). Throws
// std::runtime_error if one is missing or of another size.
SceneBuffers LoadRenders(const std::string& dir);

}  // namespace mg
