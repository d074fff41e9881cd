#include "develop.h"

#include <cmath>

#include "mathx.h"
#include "parallel.h"

namespace mg {
namespace {

constexpr double kLateralCa = 0.0007;  // red grows, blue shrinks by this fraction at the edges

std::vector<float> GaussKernel(double sigma) {
  int r = std::max(1, static_cast<int>(std::ceil(sigma * 3.0)));
  std::vector<float> k(static_cast<size_t>(2 * r + 1));
  double sum = 0;
  for (int i = -r; i <= r; ++i) {
    double v = std::exp(-0.5 * i * i / (sigma * sigma));
    k[static_cast<size_t>(r) + i] = static_cast<float>(v);
    sum += v;
  }
  for (float& v : k) v = static_cast<float>(v / sum);
  return k;
}

// Separable Gaussian blur of a 3-channel w x h image, restricted to the window
// [x0, x1) x [y0, y1) (pixels outside it are left as they are); edges clamped.
void Blur3(std::vector<float>& img, int w, int h, double sigma, int x0, int y0, int x1, int y1) {
  std::vector<float> k = GaussKernel(sigma);
  int r = static_cast<int>(k.size() / 2);
  int ww = x1 - x0, hh = y1 - y0;
  if (ww <= 0 || hh <= 0) return;
  std::vector<float> tmp(static_cast<size_t>(ww) * h * 3);
  // horizontal pass over all rows that the vertical pass will read
  int ry0 = std::max(0, y0 - r), ry1 = std::min(h, y1 + r);
  ParallelRows(ry1 - ry0, [&](int row) {
    int y = ry0 + row;
    const float* src = &img[static_cast<size_t>(y) * w * 3];
    float* dst = &tmp[static_cast<size_t>(y) * ww * 3];
    for (int x = x0; x < x1; ++x) {
      float a = 0, b = 0, c = 0;
      for (int i = -r; i <= r; ++i) {
        int xx = std::clamp(x + i, 0, w - 1);
        float kv = k[static_cast<size_t>(r) + i];
        a += kv * src[xx * 3];
        b += kv * src[xx * 3 + 1];
        c += kv * src[xx * 3 + 2];
      }
      float* d = &dst[(x - x0) * 3];
      d[0] = a;
      d[1] = b;
      d[2] = c;
    }
  });
  ParallelRows(hh, [&](int row) {
    int y = y0 + row;
    float* dst = &img[static_cast<size_t>(y) * w * 3];
    for (int x = x0; x < x1; ++x) {
      float a = 0, b = 0, c = 0;
      for (int i = -r; i <= r; ++i) {
        int yy = std::clamp(y + i, ry0, ry1 - 1);
        const float* s = &tmp[(static_cast<size_t>(yy) * ww + (x - x0)) * 3];
        float kv = k[static_cast<size_t>(r) + i];
        a += kv * s[0];
        b += kv * s[1];
        c += kv * s[2];
      }
      dst[x * 3] = a;
      dst[x * 3 + 1] = b;
      dst[x * 3 + 2] = c;
    }
  });
}

std::vector<float> Downsample2(const std::vector<float>& img, int w, int h, int& ow, int& oh) {
  ow = (w + 1) / 2;
  oh = (h + 1) / 2;
  std::vector<float> out(static_cast<size_t>(ow) * oh * 3);
  const int outW = ow;
  ParallelRows(oh, [&](int y) {
    for (int x = 0; x < outW; ++x)
      for (int c = 0; c < 3; ++c) {
        float s = 0;
        for (int dy = 0; dy < 2; ++dy)
          for (int dx = 0; dx < 2; ++dx) {
            int xx = std::min(2 * x + dx, w - 1), yy = std::min(2 * y + dy, h - 1);
            s += img[(static_cast<size_t>(yy) * w + xx) * 3 + c];
          }
        out[(static_cast<size_t>(y) * outW + x) * 3 + c] = s * 0.25f;
      }
  });
  return out;
}

// dst += weight * (src upsampled bilinearly from 1/scale resolution).
void AddUpsampled(std::vector<float>& dst, int w, int h, const std::vector<float>& src, int sw,
                  int sh, int scale, float weight) {
  ParallelRows(h, [&](int y) {
    double fy = (y + 0.5) / scale - 0.5;
    int y0 = std::clamp(static_cast<int>(std::floor(fy)), 0, sh - 1);
    int y1 = std::min(y0 + 1, sh - 1);
    float ty = static_cast<float>(std::clamp(fy - y0, 0.0, 1.0));
    for (int x = 0; x < w; ++x) {
      double fx = (x + 0.5) / scale - 0.5;
      int x0 = std::clamp(static_cast<int>(std::floor(fx)), 0, sw - 1);
      int x1 = std::min(x0 + 1, sw - 1);
      float tx = static_cast<float>(std::clamp(fx - x0, 0.0, 1.0));
      for (int c = 0; c < 3; ++c) {
        auto at = [&](int xx, int yy) { return src[(static_cast<size_t>(yy) * sw + xx) * 3 + c]; };
        float v = (at(x0, y0) * (1 - tx) + at(x1, y0) * tx) * (1 - ty) +
                  (at(x0, y1) * (1 - tx) + at(x1, y1) * tx) * ty;
        dst[(static_cast<size_t>(y) * w + x) * 3 + c] += weight * v;
      }
    }
  });
}

double SampleBilinear(const std::vector<float>& img, int w, int h, double x, double y, int ch) {
  x = std::clamp(x, 0.0, w - 1.001);
  y = std::clamp(y, 0.0, h - 1.001);
  int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
  double tx = x - x0, ty = y - y0;
  auto at = [&](int xx, int yy) { return img[(static_cast<size_t>(yy) * w + xx) * 3 + ch]; };
  return (at(x0, y0) * (1 - tx) + at(x0 + 1, y0) * tx) * (1 - ty) +
         (at(x0, y0 + 1) * (1 - tx) + at(x0 + 1, y0 + 1) * tx) * ty;
}

// Filmic curve with a soft toe and a long shoulder.
double Filmic(double x) {
  x = std::max(0.0, x);
  return Clamp01((x * (2.51 * x + 0.03)) / (x * (2.43 * x + 0.59) + 0.14));
}

double SrgbEncode(double v) {
  v = Clamp01(v);
  return v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1.0 / 2.4) - 0.055;
}

// Linear [0,1] -> sRGB, tabulated finely enough that 8-bit output is unaffected.
const std::vector<float>& SrgbTable() {
  static const std::vector<float> t = [] {
    std::vector<float> v(65537);
    for (size_t i = 0; i < v.size(); ++i) v[i] = static_cast<float>(SrgbEncode(i / 65536.0));
    return v;
  }();
  return t;
}
double SrgbFast(double v) {
  const std::vector<float>& t = SrgbTable();
  double f = Clamp01(v) * 65536.0;
  size_t i = static_cast<size_t>(f);
  if (i >= 65536) return t[65536];
  double a = f - static_cast<double>(i);
  return t[i] * (1 - a) + t[i + 1] * a;
}

// The size of the renders, and how many of their pixels make one pixel of a 1920x1280
// photograph: every length below is given in photograph pixels and scaled by `s`.
struct Frame {
  int w, h;
  double s;
  int boxX0, boxY0, boxX1, boxY1;  // the chain's box in render pixels, [x0, x1) x [y0, y1)

  explicit Frame(const SceneBuffers& sb)
      : w(sb.moon[0].w),
        h(sb.moon[0].h),
        s(static_cast<double>(sb.moon[0].w) / kPhotoWidth),
        boxX0(static_cast<int>(std::floor(kChainBoxX * s))),
        boxY0(static_cast<int>(std::floor(kChainBoxY * s))),
        boxX1(static_cast<int>(std::ceil((kChainBoxX + kChainBoxW) * s))),
        boxY1(static_cast<int>(std::ceil((kChainBoxY + kChainBoxH) * s))) {}
};

// The frame with the chain at rest everywhere, except inside the chain's box for the pulled
// variant, where the pulled render is blended in over a few pixels at the box's edge. Outside
// the box both variants are the very same numbers, so a swap changes nothing there.
constexpr double kFeather = 5;
double PulledWeight(const Frame& f, int x, int y) {
  const int d = std::min({x - f.boxX0, f.boxX1 - 1 - x, y - f.boxY0, f.boxY1 - 1 - y});
  if (d < 0) return 0.0;
  return std::min(1.0, (d + 1.0) / (kFeather * f.s + 1.0));
}

// Glow of light too bright for the sensor, spread by the lens at several scales.
std::vector<float> ComputeGlow(const Frame& f, const std::vector<float>& img, const Shot& shot) {
  const int w = f.w, h = f.h;
  const size_t n = static_cast<size_t>(w) * h;
  std::vector<float> glow(n * 3, 0.0f);
  std::vector<float> src(n * 3);
  const float cap = static_cast<float>(shot.bloomClamp);
  int bx0 = w, by0 = h, bx1 = 0, by1 = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) {
        size_t i = (static_cast<size_t>(y) * w + x) * 3 + c;
        float v = std::min(cap, std::max(0.0f, img[i] - 0.9f));
        src[i] = v;
        if (v > 0) {
          bx0 = std::min(bx0, x);
          by0 = std::min(by0, y);
          bx1 = std::max(bx1, x + 1);
          by1 = std::max(by1, y + 1);
        }
      }
  if (bx1 <= bx0) return glow;
  struct Level {
    double sigma;  // in photograph pixels
    float weight;
  };
  const Level levels[] = {
      {2.0, 0.035f}, {7.0, 0.015f}, {26.0, 0.02f}, {90.0, 0.05f}, {260.0, 0.05f}};
  // The finest level works at full resolution, only around the bright area.
  {
    const double sigma = levels[0].sigma * f.s;
    int m = static_cast<int>(std::ceil(sigma * 4));
    int x0 = std::max(0, bx0 - m), y0 = std::max(0, by0 - m);
    int x1 = std::min(w, bx1 + m), y1 = std::min(h, by1 + m);
    // blur a copy of just the rows involved (plus the kernel's reach)
    int r0 = std::max(0, y0 - m), r1 = std::min(h, y1 + m);
    std::vector<float> b(src.begin() + static_cast<std::ptrdiff_t>(r0) * w * 3,
                         src.begin() + static_cast<std::ptrdiff_t>(r1) * w * 3);
    Blur3(b, w, r1 - r0, sigma, x0, y0 - r0, x1, y1 - r0);
    float wt = levels[0].weight * static_cast<float>(shot.bloom);
    ParallelRows(y1 - y0, [&](int row) {
      for (int x = x0; x < x1; ++x)
        for (int c = 0; c < 3; ++c) {
          size_t i = (static_cast<size_t>(y0 + row) * w + x) * 3 + c;
          size_t j = (static_cast<size_t>(y0 - r0 + row) * w + x) * 3 + c;
          glow[i] += wt * b[j];
        }
    });
  }
  std::vector<float> cur = std::move(src);
  int cw = w, ch = h, scale = 1;
  for (size_t li = 1; li < std::size(levels); ++li) {
    const Level& lv = levels[li];
    const double sigma = lv.sigma * f.s;
    while (sigma / scale > 6.0) {
      int nw, nh;
      cur = Downsample2(cur, cw, ch, nw, nh);
      cw = nw;
      ch = nh;
      scale *= 2;
    }
    std::vector<float> b = cur;
    Blur3(b, cw, ch, sigma / scale, 0, 0, cw, ch);
    AddUpsampled(glow, w, h, b, cw, ch, scale, lv.weight * static_cast<float>(shot.bloom));
  }
  return glow;
}

// The scene lit as the shot says, before the lens and the sensor: moon and bulb light mixed
// and white-balanced, the glow added and, for the pulled frame, the chain moved.
std::vector<float> LinearImage(const Frame& f, const SceneBuffers& sb, const Shot& shot,
                               std::vector<float>* glowCache) {
  const size_t n = static_cast<size_t>(f.w) * f.h;
  std::vector<float> img(n * 3);
  float gm[3], gb[3];
  for (int c = 0; c < 3; ++c) {
    gm[c] = static_cast<float>(shot.moonGain * shot.white[c]);
    gb[c] = static_cast<float>(shot.bulbGain * shot.white[c]);
  }
  for (size_t i = 0; i < n * 3; ++i)
    img[i] = sb.moon[0].px[i] * gm[i % 3] + sb.bulb[0].px[i] * gb[i % 3];

  // The glow is taken from the frame with the chain at rest, so moving the chain never changes
  // pixels away from it.
  if (shot.bloom > 0) {
    std::vector<float> local;
    std::vector<float>& glow = glowCache ? *glowCache : local;
    if (glow.empty()) glow = ComputeGlow(f, img, shot);
    for (size_t i = 0; i < n * 3; ++i) img[i] += glow[i];
  }
  if (shot.chain == 1) {
    for (int y = f.boxY0; y < f.boxY1; ++y)
      for (int x = f.boxX0; x < f.boxX1; ++x) {
        const double wt = PulledWeight(f, x, y);
        const size_t i = (static_cast<size_t>(y) * f.w + x) * 3;
        for (int c = 0; c < 3; ++c) {
          const double rest = sb.moon[0].px[i + c] * gm[c] + sb.bulb[0].px[i + c] * gb[c];
          const double pulled = sb.moon[1].px[i + c] * gm[c] + sb.bulb[1].px[i + c] * gb[c];
          img[i + c] += static_cast<float>(wt * (pulled - rest));
        }
      }
  }
  return img;
}

// Low-frequency colour blotches of the noise, three photograph pixels apart.
struct Blotches {
  double step;
  int width, height;
  std::vector<float> values;

  Blotches(const Frame& f, uint32_t seed)
      : step(3.0 * f.s),
        width(static_cast<int>(f.w / step) + 2),
        height(static_cast<int>(f.h / step) + 2),
        values(static_cast<size_t>(width) * height * 3) {
    ParallelRows(height, [&](int y) {
      for (int x = 0; x < width; ++x)
        for (int ch = 0; ch < 3; ++ch)
          values[(static_cast<size_t>(y) * width + x) * 3 + ch] =
              static_cast<float>(Gnoise(x * 3 / 2.7, y * 3 / 2.7, seed + 31u * ch) * 1.6);
    });
  }

  // Bilinear between the blotches around render pixel (x, y).
  double At(int x, int y, int ch) const {
    double fx = x / step, fy = y / step;
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    double tx = fx - ix, ty = fy - iy;
    auto at = [&](int xx, int yy) {
      return static_cast<double>(values[(static_cast<size_t>(yy) * width + xx) * 3 + ch]);
    };
    return (at(ix, iy) * (1 - tx) + at(ix + 1, iy) * tx) * (1 - ty) +
           (at(ix, iy + 1) * (1 - tx) + at(ix + 1, iy + 1) * tx) * ty;
  }
};

// How far the diffraction spikes reach, in photograph pixels: at this distance they are down to
// a third, at twice it to a fiftieth.
constexpr double kSpikeReach = 75.0;

// Diffraction spikes from a six-bladed aperture: the strength they add at offset (dx, dy),
// distance r, from the bulb, in photograph pixels.
struct Spikes {
  double cosines[6], sines[6];

  Spikes() {
    for (int k = 0; k < 6; ++k) {
      cosines[k] = std::cos(k * kPi / 3.0 - 0.21);
      sines[k] = std::sin(k * kPi / 3.0 - 0.21);
    }
  }

  double At(double dx, double dy, double r, double starburst) const {
    double spk = 0;
    double w = 1.0 + r * 0.004;
    for (int k = 0; k < 6; ++k) {
      if (dx * cosines[k] + dy * sines[k] < 0) continue;
      double perp = std::fabs(dy * cosines[k] - dx * sines[k]);
      if (perp > 5 * w) continue;
      spk += std::exp(-perp * perp / (w * w)) * (k % 2 == 0 ? 1.0 : 0.7);
    }
    // Real spikes are the bright source's own light spread by the blades' edges: they die out
    // within a hundred pixels or so, long before they could cross the room as lines.
    double fall =
        spk > 0 ? starburst / std::pow(1.0 + r / 40.0, 1.6) * std::exp(-Sq(r / kSpikeReach)) : 0.0;
    return spk * fall;
  }
};

// The light reaching pixel (x, y) through the lens: chromatic aberration, spikes and fall-off.
void LensPixel(const Frame& f, const std::vector<float>& img, const Shot& shot,
               const Spikes& spikes, double bx, double by, int x, int y, double c[3]) {
  const size_t i = static_cast<size_t>(y) * f.w + x;
  // Lateral chromatic aberration: red is imaged a touch larger than green, blue smaller.
  c[1] = img[i * 3 + 1];
  for (int ch = 0; ch < 3; ch += 2) {
    double k = ch == 0 ? 1.0 + kLateralCa : 1.0 - kLateralCa;
    double sx = f.w * 0.5 + (x + 0.5 - f.w * 0.5) * k - 0.5;
    double sy = f.h * 0.5 + (y + 0.5 - f.h * 0.5) * k - 0.5;
    c[ch] = SampleBilinear(img, f.w, f.h, sx, sy, ch);
  }
  double dx = (x + 0.5 - bx) / f.s, dy = (y + 0.5 - by) / f.s;
  double r = std::hypot(dx, dy);
  if (shot.starburst > 0 && r > 2.0 && r < 4 * kSpikeReach) {
    const double s = spikes.At(dx, dy, r, shot.starburst);
    c[0] += s * 1.0;
    c[1] += s * 0.82;
    c[2] += s * 0.6;
  }
  // Natural lens fall-off toward the corners.
  double rx = (x + 0.5 - f.w * 0.5) / (1700.0 * f.s), ry = (y + 0.5 - f.h * 0.5) / (1700.0 * f.s);
  double cos2 = 1.0 / (1.0 + rx * rx + ry * ry);
  double vig = 1.0 - shot.vignette * (1.0 - cos2 * cos2);
  for (int ch = 0; ch < 3; ++ch) c[ch] *= vig;
}

// More or less contrast about mid-grey, on the luminance so that the colours keep their hue.
void Contrast(double c[3], double contrast) {
  if (contrast == 1.0) return;
  const double y = 0.2126 * c[0] + 0.7152 * c[1] + 0.0722 * c[2];
  if (y <= 0) return;
  const double k = std::pow(y / 0.18, contrast - 1.0);
  for (int ch = 0; ch < 3; ++ch) c[ch] *= k;
}

}  // namespace

std::vector<uint8_t> Develop(const SceneBuffers& sb, const Shot& shot,
                             std::vector<float>* glowCache) {
  const Frame f(sb);
  const std::vector<float> img = LinearImage(f, sb, shot, glowCache);
  const Blotches blotches(f, shot.noiseSeed);
  const Spikes spikes;
  std::vector<uint8_t> out(static_cast<size_t>(f.w) * f.h * 3);
  ParallelRows(f.h, [&](int y) {
    for (int x = 0; x < f.w; ++x) {
      size_t i = static_cast<size_t>(y) * f.w + x;
      double c[3];
      LensPixel(f, img, shot, spikes, sb.bulbX, sb.bulbY, x, y, c);
      Contrast(c, shot.contrast);
      // Sensor noise: shot noise grows with the signal, plus a read-noise floor. Part of it is
      // shared by the three channels, part is coloured and a little blotchy as after demosaicing.
      // The variances are per photograph pixel: a render pixel of 1/s² the area gets s times the
      // deviation, so the photograph made from it by averaging is as noisy at any render size.
      uint64_t h = Hashp(static_cast<uint64_t>(x), static_cast<uint64_t>(y), 7, shot.noiseSeed);
      double gL = Gauss(h);
      for (int ch = 0; ch < 3; ++ch) {
        double v = std::max(0.0, c[ch]);
        double sigma = std::sqrt(shot.shotNoise * v + shot.readNoise);
        double gC = Gauss(Mix64(h + 0x100 * (ch + 1)));
        v += sigma * (f.s * (0.75 * gL + 0.35 * gC) + 0.45 * blotches.At(x, y, ch));
        double t = SrgbFast(Filmic(v));
        double dither = U01(Mix64(h ^ (0xD1 + ch))) - 0.5;
        // film-like grain that survives even where the highlights are clipped
        double grain = shot.grain * f.s * (0.8 * gL + 0.3 * gC);
        int q = static_cast<int>(std::floor(t * 255.0 + 0.5 + dither * 0.5 + grain));
        out[i * 3 + ch] = static_cast<uint8_t>(std::clamp(q, 0, 255));
      }
    }
  });
  return out;
}

}  // namespace mg
