// Second-order IIR filters (the audio cookbook's low-, high- and band-pass), used to shape the
// synthesised sounds and by the media tests to hear them as a small loudspeaker would.
#pragma once

#include <cmath>
#include <numbers>
#include <vector>

namespace mg {

// Direct form II transposed.
struct Biquad {
  double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0, z1 = 0, z2 = 0;
  double Run(double x) {
    const double y = b0 * x + z1;
    z1 = b1 * x - a1 * y + z2;
    z2 = b2 * x - a2 * y;
    return y;
  }
};

namespace biquad_detail {
inline Biquad Make(double b0, double b1, double b2, double a0, double a1, double a2) {
  Biquad f;
  f.b0 = b0 / a0;
  f.b1 = b1 / a0;
  f.b2 = b2 / a0;
  f.a1 = a1 / a0;
  f.a2 = a2 / a0;
  return f;
}
struct Angle {
  double c, alpha;
  Angle(double fc, double q, double rate) {
    const double w = 2 * std::numbers::pi * fc / rate;
    c = std::cos(w);
    alpha = std::sin(w) / (2 * q);
  }
};
}  // namespace biquad_detail

inline Biquad Lowpass(double fc, double q, double rate) {
  const biquad_detail::Angle a(fc, q, rate);
  return biquad_detail::Make((1 - a.c) / 2, 1 - a.c, (1 - a.c) / 2, 1 + a.alpha, -2 * a.c,
                             1 - a.alpha);
}
inline Biquad Highpass(double fc, double q, double rate) {
  const biquad_detail::Angle a(fc, q, rate);
  return biquad_detail::Make((1 + a.c) / 2, -(1 + a.c), (1 + a.c) / 2, 1 + a.alpha, -2 * a.c,
                             1 - a.alpha);
}
// Unity gain at the centre frequency.
inline Biquad Bandpass(double fc, double q, double rate) {
  const biquad_detail::Angle a(fc, q, rate);
  return biquad_detail::Make(a.alpha, 0, -a.alpha, 1 + a.alpha, -2 * a.c, 1 - a.alpha);
}

// Runs `f` over every `stride`-th sample of `x` from `first`: one channel of interleaved frames.
template <typename T>
void Filter(std::vector<T>& x, Biquad f, std::size_t first = 0, std::size_t stride = 1) {
  for (std::size_t i = first; i < x.size(); i += stride) x[i] = static_cast<T>(f.Run(x[i]));
}

}  // namespace mg
