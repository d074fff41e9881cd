// Renders the scene buffers: the room once for the whole frame (adaptively anti-aliased), and the
// lamp and the two chain positions as small, heavily supersampled layers on top.
#include "scene.h"

#include <vector>

#include "lamp.h"
#include "mathx.h"
#include "parallel.h"
#include "room.h"
#include "trace.h"

namespace mg {
namespace {

using namespace rt;

// ---- rendering ----------------------------------------------------------------------------

template <typename SampleFn>
Layer renderLayer(int x0, int y0, int w, int h, int grid, uint32_t seed, SampleFn fn) {
  Layer L;
  L.x0 = x0;
  L.y0 = y0;
  L.w = w;
  L.h = h;
  size_t n = static_cast<size_t>(w) * h;
  L.moon.assign(n * 3, 0.0f);
  L.bulb.assign(n * 3, 0.0f);
  L.alpha.assign(n, 0.0f);
  parallelRows(h, [&](int row) {
    for (int col = 0; col < w; ++col) {
      int px = x0 + col, py = y0 + row;
      Col m, b;
      int hits = 0;
      for (int sy = 0; sy < grid; ++sy)
        for (int sx = 0; sx < grid; ++sx) {
          uint64_t hh = hashp(static_cast<uint64_t>(px), static_cast<uint64_t>(py),
                              static_cast<uint64_t>(sy * grid + sx), seed);
          double jx = (sx + u01(hh)) / grid, jy = (sy + u01(mix64(hh))) / grid;
          bool hit = false;
          Rad r = fn(px + jx, py + jy, mix64(hh ^ 0x5EED), hit);
          if (hit) {
            ++hits;
            m += r.moon;
            b += r.bulb;
          }
        }
      double inv = 1.0 / (grid * grid);
      size_t i = static_cast<size_t>(row) * w + col;
      const double mv[3] = {m.x, m.y, m.z}, bv[3] = {b.x, b.y, b.z};
      for (int c = 0; c < 3; ++c) {
        L.moon[i * 3 + c] = static_cast<float>(mv[c] * inv);
        L.bulb[i * 3 + c] = static_cast<float>(bv[c] * inv);
      }
      L.alpha[i] = static_cast<float>(hits * inv);
    }
  });
  return L;
}

void storeRad(Plane& moon, Plane& bulb, int x, int y, const Rad& r) {
  float* m = moon.at(x, y);
  float* b = bulb.at(x, y);
  m[0] = static_cast<float>(r.moon.x);
  m[1] = static_cast<float>(r.moon.y);
  m[2] = static_cast<float>(r.moon.z);
  b[0] = static_cast<float>(r.bulb.x);
  b[1] = static_cast<float>(r.bulb.y);
  b[2] = static_cast<float>(r.bulb.z);
}

void renderRoom(Plane& moon, Plane& bulb) {
  moon.resize(kWidth, kHeight);
  bulb.resize(kWidth, kHeight);
  std::vector<int> ids(static_cast<size_t>(kWidth) * kHeight);
  const uint32_t seed = 0x12345u;
  // Pass 1: one ray through each pixel centre.
  parallelRows(kHeight, [&](int y) {
    for (int x = 0; x < kWidth; ++x) {
      int id = 0;
      Rad r = roomSample(x + 0.5, y + 0.5, hashp(x, y, 0, seed), &id);
      ids[static_cast<size_t>(y) * kWidth + x] = id;
      storeRad(moon, bulb, x, y, r);
    }
  });
  // Pass 2: where different surfaces meet, average a 3x3 grid of rays instead.
  parallelRows(kHeight, [&](int y) {
    for (int x = 0; x < kWidth; ++x) {
      int id = ids[static_cast<size_t>(y) * kWidth + x];
      bool edge = false;
      for (int dy = -1; dy <= 1 && !edge; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          int xx = x + dx, yy = y + dy;
          if (xx < 0 || yy < 0 || xx >= kWidth || yy >= kHeight) continue;
          if (ids[static_cast<size_t>(yy) * kWidth + xx] != id) {
            edge = true;
            break;
          }
        }
      if (!edge) continue;
      Rad acc;
      const int g = 3;
      for (int sy = 0; sy < g; ++sy)
        for (int sx = 0; sx < g; ++sx) {
          uint64_t hh = hashp(x, y, 1 + sy * g + sx, seed);
          Rad r = roomSample(x + (sx + u01(hh)) / g, y + (sy + u01(mix64(hh))) / g, mix64(hh + 1),
                             nullptr);
          acc.moon += r.moon;
          acc.bulb += r.bulb;
        }
      acc.moon *= 1.0 / (g * g);
      acc.bulb *= 1.0 / (g * g);
      storeRad(moon, bulb, x, y, acc);
    }
  });
}

}  // namespace

SceneBuffers renderScene() {
  SceneBuffers sb;
  renderRoom(sb.roomMoon, sb.roomBulb);
  sb.fixture = renderLayer(
      96, 0, 160, 262, 4, 0x777u,
      [](double x, double y, uint64_t s, bool& hit) { return lampSample(x, y, s, hit); });
  for (int v = 0; v < 2; ++v) {
    ChainGeom g = makeChain(v);
    sb.chain[v] = renderLayer(
        kChainBoxX, kChainBoxY, kChainBoxW, kChainBoxH, 4, 0x999u,
        [&g](double x, double y, uint64_t s, bool& hit) { return chainSample(g, x, y, s, hit); });
  }
  sb.bulbX = kAxisU;
  sb.bulbY = kFilV;
  return sb;
}

}  // namespace mg
