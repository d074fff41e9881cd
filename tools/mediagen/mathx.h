// Small vector maths, hashing and noise shared by the picture and sound generators.
//
// Everything here is deterministic: randomness comes from integer hashes of coordinates and
// fixed seeds, never from global state, so any pixel or sample can be computed on any thread in
// any order and still come out identical.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace mg {

constexpr double kPi = 3.14159265358979323846;

struct V3 {
  double x = 0, y = 0, z = 0;
  constexpr V3() = default;
  constexpr V3(double a, double b, double c) : x(a), y(b), z(c) {}
  constexpr V3 operator+(const V3& o) const { return {x + o.x, y + o.y, z + o.z}; }
  constexpr V3 operator-(const V3& o) const { return {x - o.x, y - o.y, z - o.z}; }
  constexpr V3 operator-() const { return {-x, -y, -z}; }
  constexpr V3 operator*(double s) const { return {x * s, y * s, z * s}; }
  constexpr V3 operator*(const V3& o) const { return {x * o.x, y * o.y, z * o.z}; }
  constexpr V3 operator/(double s) const { return {x / s, y / s, z / s}; }
  V3& operator+=(const V3& o) {
    x += o.x;
    y += o.y;
    z += o.z;
    return *this;
  }
  V3& operator*=(double s) {
    x *= s;
    y *= s;
    z *= s;
    return *this;
  }
};
inline constexpr V3 operator*(double s, const V3& v) { return v * s; }

using Col = V3;

inline double Clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline double Mix(double a, double b, double t) { return a + (b - a) * t; }
inline V3 Mix(const V3& a, const V3& b, double t) { return a + (b - a) * t; }
inline double Smoothstep(double e0, double e1, double x) {
  double t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}
inline double Sq(double v) { return v * v; }

// ---- hashing ------------------------------------------------------------------------------

inline uint64_t Mix64(uint64_t z) {
  z += 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}
inline uint32_t Hash32(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7FEB352Du;
  x ^= x >> 15;
  x *= 0x846CA68Bu;
  x ^= x >> 16;
  return x;
}
inline uint32_t Hash2i(int32_t x, int32_t y, uint32_t seed) {
  return Hash32(static_cast<uint32_t>(x) * 0x8DA6B343u ^
                Hash32(static_cast<uint32_t>(y) * 0xD8163841u + seed));
}
inline uint64_t Hashp(uint64_t a, uint64_t b, uint64_t c, uint64_t seed) {
  return Mix64(Mix64(Mix64(seed ^ a) ^ b) ^ c);
}
// Uniform in [0,1) from the top 53 bits.
inline double U01(uint64_t h) { return static_cast<double>(h >> 11) * (1.0 / 9007199254740992.0); }
inline double U01(uint32_t h) { return static_cast<double>(h) * (1.0 / 4294967296.0); }

// Cheap approximately normal variate (Irwin-Hall of four uniforms) from one 64-bit hash.
inline double Gauss(uint64_t h) {
  double s = 0;
  for (int i = 0; i < 4; ++i) s += static_cast<double>((h >> (16 * i)) & 0xFFFF) * (1.0 / 65536.0);
  return (s - 2.0) * 1.7320508075688772;
}

// Small sequential generator for the sound synthesiser (splitmix64).
struct Rng {
  uint64_t s;
  explicit Rng(uint64_t seed) : s(seed) {}
  uint64_t Next() {
    s += 0x9E3779B97F4A7C15ull;
    uint64_t z = s;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  double Uni() { return U01(Next()); }
  double Range(double a, double b) { return a + (b - a) * Uni(); }
  double Normal() { return Gauss(Next()); }
};

// ---- gradient noise -----------------------------------------------------------------------

// Sixteen fixed unit gradients; literal constants keep results independent of libm.
inline const double* GradTable() {
  static const double g[32] = {
      1.0,  0.0,  0.9238795,  0.3826834,  0.7071068,  0.7071068,  0.3826834,  0.9238795,
      0.0,  1.0,  -0.3826834, 0.9238795,  -0.7071068, 0.7071068,  -0.9238795, 0.3826834,
      -1.0, 0.0,  -0.9238795, -0.3826834, -0.7071068, -0.7071068, -0.3826834, -0.9238795,
      0.0,  -1.0, 0.3826834,  -0.9238795, 0.7071068,  -0.7071068, 0.9238795,  -0.3826834};
  return g;
}

// 2D gradient noise, roughly in [-0.7, 0.7].
inline double Gnoise(double x, double y, uint32_t seed) {
  double fx0 = std::floor(x), fy0 = std::floor(y);
  int xi = static_cast<int>(fx0), yi = static_cast<int>(fy0);
  double fx = x - fx0, fy = y - fy0;
  const double* g = GradTable();
  auto corner = [&](int ix, int iy, double dx, double dy) {
    uint32_t h = Hash2i(ix, iy, seed) & 15u;
    return g[2 * h] * dx + g[2 * h + 1] * dy;
  };
  double u = fx * fx * fx * (fx * (fx * 6 - 15) + 10);
  double v = fy * fy * fy * (fy * (fy * 6 - 15) + 10);
  double a = corner(xi, yi, fx, fy), b = corner(xi + 1, yi, fx - 1, fy);
  double c = corner(xi, yi + 1, fx, fy - 1), d = corner(xi + 1, yi + 1, fx - 1, fy - 1);
  return Mix(Mix(a, b, u), Mix(c, d, u), v);
}

}  // namespace mg
