// Figures a person would check the media by: the colour of a lit wall, how bright and how large
// the bulb's parts come out, how far lens flare reaches, how rain and the chain are textured.
// Shared by the media tests, which measure the pictures and sounds as the program decodes them,
// and by mediameasure, which measures the files.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <vector>

#include "biquad.h"

namespace mg::measure {

// ---- pictures: `px(x, y)` gives a pixel as 0xRRGGBB, 8-bit sRGB --------------------------

struct Box {
  int left, top, width, height;
};

inline double Luma8(std::uint32_t px) {
  return 0.2126 * ((px >> 16) & 255) + 0.7152 * ((px >> 8) & 255) + 0.0722 * (px & 255);
}

inline double SrgbToLinear(int v) {
  const double c = v / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

struct Tint {
  double cct;  // correlated colour temperature, K (McCamy)
  double duv;  // distance from the black-body locus in CIE 1960 uv; positive: greener
};

// The Planckian locus in CIE 1960 uv (Krystek's fit, 1,000 to 15,000 K).
inline void PlanckUv(double t, double& u, double& v) {
  u = (0.860117757 + 1.54118254e-4 * t + 1.28641212e-7 * t * t) /
      (1 + 8.42420235e-4 * t + 7.08145163e-7 * t * t);
  v = (0.317398726 + 4.22806245e-5 * t + 4.20481691e-8 * t * t) /
      (1 - 2.89741816e-5 * t + 1.61456053e-7 * t * t);
}

// The tint of the mean linear colour inside `b`.
template <typename Px>
Tint TintOf(Px px, Box b) {
  double r = 0, g = 0, bl = 0;
  for (int y = b.top; y < b.top + b.height; ++y)
    for (int x = b.left; x < b.left + b.width; ++x) {
      const std::uint32_t p = px(x, y);
      r += SrgbToLinear((p >> 16) & 255);
      g += SrgbToLinear((p >> 8) & 255);
      bl += SrgbToLinear(p & 255);
    }
  const double X = 0.4124 * r + 0.3576 * g + 0.1805 * bl;
  const double Y = 0.2126 * r + 0.7152 * g + 0.0722 * bl;
  const double Z = 0.0193 * r + 0.1192 * g + 0.9505 * bl;
  const double s = X + Y + Z, cx = X / s, cy = Y / s;
  const double n = (cx - 0.3320) / (0.1858 - cy);
  Tint t;
  t.cct = 449 * n * n * n + 3525 * n * n + 6823.3 * n + 5520.33;
  const double u = 4 * X / (X + 15 * Y + 3 * Z), v = 6 * Y / (X + 15 * Y + 3 * Z);
  double best = 1e9, bestV = 0;
  for (double k = 1000; k <= 15000; k += 1) {
    double pu, pv;
    PlanckUv(k, pu, pv);
    const double d = std::hypot(u - pu, v - pv);
    if (d < best) {
      best = d;
      bestV = pv;
    }
  }
  t.duv = v >= bestV ? best : -best;
  return t;
}

// How many pixels inside `b` have a luma of at least `level`.
template <typename Px>
int CountAtLeast(Px px, Box b, double level) {
  int n = 0;
  for (int y = b.top; y < b.top + b.height; ++y)
    for (int x = b.left; x < b.left + b.width; ++x) n += Luma8(px(x, y)) >= level;
  return n;
}

// The height of the region of pixels of at least `level` inside `b`: from its first to its last
// row, in the column where that is longest.
template <typename Px>
int BrightHeight(Px px, Box b, double level) {
  int tallest = 0;
  for (int x = b.left; x < b.left + b.width; ++x) {
    int first = -1, last = -1;
    for (int y = b.top; y < b.top + b.height; ++y)
      if (Luma8(px(x, y)) >= level) {
        if (first < 0) first = y;
        last = y;
      }
    if (first >= 0) tallest = std::max(tallest, last - first + 1);
  }
  return tallest;
}

// Lens flare drawn as lines out from (cx, cy): for every direction between `fromDeg` and `toDeg`
// (degrees, y pointing down), the mean luma along the ray from `r0` to `r1` pixels, less the mean
// of the rays 1.5 to 3 degrees to either side. A line the ray follows stands out; the room's own
// edges cross the rays and average away. The largest excess, in 8-bit levels.
template <typename Px>
double RayExcess(Px px, int width, int height, double cx, double cy, double r0, double r1,
                 double fromDeg, double toDeg) {
  const auto along = [&](double deg) {
    const double a = deg * std::numbers::pi / 180, c = std::cos(a), s = std::sin(a);
    double sum = 0;
    int n = 0;
    for (double r = r0; r <= r1; r += 0.5) {
      const int x = static_cast<int>(std::lround(cx + r * c)),
                y = static_cast<int>(std::lround(cy + r * s));
      if (x < 0 || y < 0 || x >= width || y >= height) continue;
      sum += Luma8(px(x, y));
      ++n;
    }
    return n ? sum / n : 0.0;
  };
  double worst = -1e9;
  for (double d = fromDeg; d <= toDeg; d += 0.25) {
    double side = 0;
    for (double o : {1.5, 2.0, 2.5, 3.0}) side += along(d - o) + along(d + o);
    worst = std::max(worst, along(d) - side / 8);
  }
  return worst;
}

// ---- sounds: interleaved samples in [-1, 1] -------------------------------------------------

inline std::vector<double> Channel(const std::vector<float>& x, int channels, int ch) {
  std::vector<double> out(x.size() / channels);
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = x[i * channels + ch];
  return out;
}

// In-place radix-2 FFT; the size must be a power of two.
inline void Fft(std::vector<std::complex<double>>& a, bool inverse = false) {
  const std::size_t n = a.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (std::size_t len = 2; len <= n; len <<= 1) {
    const double ang = 2 * std::numbers::pi / static_cast<double>(len) * (inverse ? 1 : -1);
    const std::complex<double> wl(std::cos(ang), std::sin(ang));
    for (std::size_t i = 0; i < n; i += len) {
      std::complex<double> w(1);
      for (std::size_t k = 0; k < len / 2; ++k) {
        const auto u = a[i + k], v = a[i + k + len / 2] * w;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
        w *= wl;
      }
    }
  }
  if (inverse)
    for (auto& v : a) v /= static_cast<double>(n);
}

// Power spectrum of `x` from sample `from` for `count` samples, averaged over Hann-windowed
// blocks of `block` samples overlapping by half (a single zero-padded block when `count` is
// shorter). Bin k is k * rate / block Hz.
inline std::vector<double> Spectrum(const std::vector<double>& x, std::size_t from,
                                    std::size_t count, std::size_t block) {
  std::vector<double> power(block / 2 + 1);
  count = std::min(count, x.size() - std::min(from, x.size()));
  const auto add = [&](std::size_t at, std::size_t len, bool window) {
    std::vector<std::complex<double>> a(block);
    for (std::size_t i = 0; i < len; ++i) {
      const double w =
          window ? 0.5 - 0.5 * std::cos(2 * std::numbers::pi * static_cast<double>(i) / len) : 1.0;
      a[i] = x[at + i] * w;
    }
    Fft(a);
    for (std::size_t k = 0; k < power.size(); ++k) power[k] += std::norm(a[k]);
  };
  if (count < block) {
    add(from, count, false);
  } else {
    for (std::size_t at = from; at + block <= from + count; at += block / 2) add(at, block, true);
  }
  return power;
}

// Share of the spectrum's power between `lo` and `hi` Hz.
inline double BandShare(const std::vector<double>& power, double rate, double lo, double hi) {
  const double binHz = rate / (2.0 * static_cast<double>(power.size() - 1));
  double in = 0, all = 0;
  for (std::size_t k = 1; k < power.size(); ++k) {
    all += power[k];
    const double f = static_cast<double>(k) * binHz;
    if (f >= lo && f < hi) in += power[k];
  }
  return in / all;
}

// The largest share of the power in any band `width` Hz wide.
inline double WidestBandShare(const std::vector<double>& power, double rate, double width,
                              double* where = nullptr) {
  const double binHz = rate / (2.0 * static_cast<double>(power.size() - 1));
  const std::size_t w = static_cast<std::size_t>(width / binHz);
  double all = 0;
  for (std::size_t k = 1; k < power.size(); ++k) all += power[k];
  double sum = 0, best = 0;
  for (std::size_t k = 1; k < power.size(); ++k) {
    sum += power[k];
    if (k > w) sum -= power[k - w];
    if (sum > best) {
      best = sum;
      if (where) *where = static_cast<double>(k - std::min(k - 1, w - 1)) * binHz;
    }
  }
  return best / all;
}

// Octave band level in dB, centred on `hz`.
inline double OctaveDb(const std::vector<double>& power, double rate, double hz) {
  return 10 *
         std::log10(BandShare(power, rate, hz / std::numbers::sqrt2, hz * std::numbers::sqrt2));
}

// The same spectrum with every phase drawn at random: noise as bright and as dark as `x`, with
// none of its texture in time. Uses the largest power-of-two stretch from the start.
inline std::vector<double> Surrogate(const std::vector<double>& x, std::uint64_t seed) {
  std::size_t n = 1;
  while (n * 2 <= x.size()) n *= 2;
  std::vector<std::complex<double>> a(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(n));
  Fft(a);
  for (std::size_t k = 1; k < n / 2; ++k) {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    const double phase =
        2 * std::numbers::pi * static_cast<double>(seed >> 11) / 9007199254740992.0;
    a[k] = std::polar(std::abs(a[k]), phase);
    a[n - k] = std::conj(a[k]);
  }
  Fft(a, true);
  std::vector<double> out(n);
  for (std::size_t i = 0; i < n; ++i) out[i] = a[i].real();
  return out;
}

// Texture of a wash of sound: its level above `hz` in 1 ms windows, against the median of the
// 200 ms around each; the spread between the 10th and the 90th percentile, in dB. Steady noise
// keeps close to its median; separate impacts swing far above and below it.
inline double LevelSpread(std::vector<double> x, double rate, double hz = 1000) {
  for (int i = 0; i < 2; ++i) Filter(x, Highpass(hz, std::numbers::sqrt2 / 2, rate));
  const std::size_t win = static_cast<std::size_t>(rate / 1000);
  std::vector<double> db;
  for (std::size_t at = 0; at + win <= x.size(); at += win) {
    double e = 1e-20;
    for (std::size_t i = 0; i < win; ++i) e += x[at + i] * x[at + i];
    db.push_back(10 * std::log10(e / static_cast<double>(win)));
  }
  std::vector<double> dev;
  for (std::size_t i = 100; i + 100 < db.size(); ++i) {
    std::vector<double> around(db.begin() + static_cast<std::ptrdiff_t>(i - 100),
                               db.begin() + static_cast<std::ptrdiff_t>(i + 100));
    std::nth_element(around.begin(), around.begin() + 100, around.end());
    dev.push_back(db[i] - around[100]);
  }
  std::sort(dev.begin(), dev.end());
  const auto pct = [&](double p) { return dev[static_cast<std::size_t>(p * (dev.size() - 1))]; };
  return pct(0.9) - pct(0.1);
}

// The largest step from one sample to the next.
inline double LargestStep(const std::vector<double>& x) {
  double m = 0;
  for (std::size_t i = 1; i < x.size(); ++i) m = std::max(m, std::fabs(x[i] - x[i - 1]));
  return m;
}

}  // namespace mg::measure

namespace mg::measure {

// Where the figures are taken in a 1920x1280 photograph (twice as far in a master).
// The bulb's glass neck, from just below the rim of the screw cap (which the coil lights from
// below, as it would a real cap) down to the coil, clear of the chain beside it.
inline constexpr Box kNeck{120, 158, 50, 70};
// The coil and the glass just above and below it, clear of the chain.
inline constexpr Box kCoil{120, 205, 50, 70};
// The filament's centre: the flare is drawn around it.
inline constexpr double kBulbX = 144, kBulbY = 237;
// Where flare lines would cross plain wall and ceiling: from 160 to 320 px out, up and to the
// right of the bulb, short of straight up, where the lamp itself hangs.
inline constexpr double kFlareFrom = 160, kFlareTo = 320, kFlareFromDeg = -75, kFlareToDeg = -8;
// Plain back wall: above the shelf, between the shelf and the door, below the shelf.
inline constexpr Box kWalls[] = {{700, 300, 120, 120}, {950, 450, 100, 150}, {480, 650, 100, 100}};

// The largest excess of flare lines in a picture `k` times the photograph's size (RayExcess).
template <typename Px>
double FlareBeyond(Px px, int width, int height, int k) {
  return RayExcess(px, width, height, kBulbX * k, kBulbY * k, kFlareFrom * k, kFlareTo * k,
                   kFlareFromDeg, kFlareToDeg);
}

inline Box Scaled(Box b, int k) { return {b.left * k, b.top * k, b.width * k, b.height * k}; }

}  // namespace mg::measure
