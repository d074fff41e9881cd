#include "scene.h"

#include <stb_image.h>

#include <cmath>
#include <memory>
#include <stdexcept>

namespace mg {
namespace {

Plane LoadHdr(const std::string& path, int width, int height) {
  int w = 0, h = 0, n = 0;
  std::unique_ptr<float, void (*)(void*)> data(stbi_loadf(path.c_str(), &w, &h, &n, 3),
                                               stbi_image_free);
  if (!data) throw std::runtime_error("cannot read " + path);
  if (w != width || h != height)
    throw std::runtime_error(path + " is " + std::to_string(w) + "x" + std::to_string(h));
  Plane p;
  p.Resize(w, h);
  std::copy(data.get(), data.get() + p.px.size(), p.px.begin());
  return p;
}

}  // namespace

SceneBuffers LoadRenders(const std::string& dir) {
  SceneBuffers sb;
  int width = 0, height = 0, n = 0;
  const std::string first = dir + "/moon-rest.hdr";
  if (!stbi_info(first.c_str(), &width, &height, &n) ||
      width * kPhotoHeight != height * kPhotoWidth)
    throw std::runtime_error("cannot read " + first + " or it is not framed 3:2");
  sb.moon[0] = LoadHdr(first, width, height);
  sb.moon[1] = LoadHdr(dir + "/moon-pulled.hdr", width, height);
  sb.bulb[0] = LoadHdr(dir + "/bulb-rest.hdr", width, height);
  sb.bulb[1] = LoadHdr(dir + "/bulb-pulled.hdr", width, height);
  // The filament is by far the brightest thing in the bulb's render: its centroid is the centre
  // the lens flare and the glow are drawn around.
  const Plane& b = sb.bulb[0];
  float peak = 0;
  for (std::size_t i = 1; i < b.px.size(); i += 3) peak = std::max(peak, b.px[i]);
  double sx = 0, sy = 0, sw = 0;
  for (int y = 0; y < b.h; ++y)
    for (int x = 0; x < b.w; ++x) {
      const float g = b.At(x, y)[1];
      if (g < peak * 0.5f) continue;
      sx += (x + 0.5) * g;
      sy += (y + 0.5) * g;
      sw += g;
    }
  if (sw <= 0) throw std::runtime_error("no lit filament in bulb-rest.hdr");
  sb.bulbX = sx / sw;
  sb.bulbY = sy / sw;
  return sb;
}

}  // namespace mg
