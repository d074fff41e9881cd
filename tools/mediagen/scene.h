// The photographed room: a bare bulb hanging near the top-left corner of the frame in front of a
// plastered wall, with a ball pull chain. Light is computed in linear units for two independent
// light sources (moonlight through a window off to the right, and the bulb) so that each picture
// can be developed from a mix of the two without re-rendering.
#pragma once

#include <cstddef>
#include <vector>

namespace mg {

constexpr int kWidth = 1920;
constexpr int kHeight = 1280;

// Where a click "grabs" the chain; every chain pixel must stay inside this box.
constexpr int kChainBoxX = 98;
constexpr int kChainBoxY = 26;
constexpr int kChainBoxW = 40;
constexpr int kChainBoxH = 490;

// Full-frame linear RGB.
struct Plane {
  int w = 0, h = 0;
  std::vector<float> px;  // 3 floats per pixel
  void resize(int width, int height) {
    w = width;
    h = height;
    px.assign(static_cast<std::size_t>(w) * h * 3, 0.0f);
  }
  float* at(int x, int y) { return &px[(static_cast<std::size_t>(y) * w + x) * 3]; }
  const float* at(int x, int y) const { return &px[(static_cast<std::size_t>(y) * w + x) * 3]; }
};

// A rectangular, anti-aliased foreground layer with premultiplied colour for both lights.
struct Layer {
  int x0 = 0, y0 = 0, w = 0, h = 0;
  std::vector<float> moon, bulb;  // 3 floats per pixel, premultiplied by alpha
  std::vector<float> alpha;
};

struct SceneBuffers {
  Plane roomMoon, roomBulb;     // the room alone (no hanging lamp)
  Layer fixture;                // cord, porcelain holder, switch, glass bulb
  Layer chain[2];               // [0] chain at rest, [1] chain pulled down
  double bulbX = 0, bulbY = 0;  // filament centre in pixels
};

SceneBuffers renderScene();

}  // namespace mg
