// Ray-tracing basics shared by the room and the lamp: the camera, the two light sources,
// ray/primitive intersections and small shading helpers.
//
// Two coordinate frames, both in metres with the camera at the origin:
//  - camera space: looking down -z, y up. The lamp, cord, switch and chain are authored here in
//    pixels at the lamp's distance, which keeps the chain exactly where clicks are expected.
//  - room space: y is true up. The camera is hand-held, pointed slightly down and not quite
//    level, so the room is rotated a little relative to the camera.
#pragma once

#include <array>
#include <cmath>

#include "mathx.h"
#include "scene.h"

namespace mg::rt {

// ---- camera -------------------------------------------------------------------------------

constexpr double kF = 1350.0;  // focal length in pixels (a 25 mm lens on full frame)
constexpr double kCx = kWidth * 0.5;
constexpr double kCy = kHeight * 0.5;

inline V3 cameraRay(double px, double py) {
  return norm(V3{(px - kCx) / kF, (kCy - py) / kF, -1.0});
}

struct Mat3 {
  double m[3][3];
  V3 operator*(const V3& v) const {
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
            m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
  }
};

// camera -> room: tilt down by 5 degrees, roll by half a degree.
inline const Mat3& camToRoom() {
  static const Mat3 M = [] {
    const double p = -5.0 * kPi / 180.0, r = 0.5 * kPi / 180.0;
    const double cp = std::cos(p), sp = std::sin(p), cr = std::cos(r), sr = std::sin(r);
    // Rx(p) * Rz(r)
    Mat3 a{{{cr, -sr, 0}, {cp * sr, cp * cr, -sp}, {sp * sr, sp * cr, cp}}};
    return a;
  }();
  return M;
}
inline V3 toRoom(const V3& v) { return camToRoom() * v; }

// ---- lamp placement (camera space, authored in pixels at kLampDepth) ---------------------

constexpr double kLampDepth = 0.9;
constexpr double kPx = kLampDepth / kF;  // metres per pixel at the lamp
constexpr double LX(double u) { return (u - kCx) * kPx; }
constexpr double LY(double v) { return (kCy - v) * kPx; }
constexpr double kAxisU = 190.0;  // holder axis
constexpr double kLampZ = -kLampDepth;
constexpr double kFilV = 190.0;  // filament centre
constexpr double kLightRadius = 0.02;

constexpr V3 kLightCam{LX(kAxisU), LY(kFilV), kLampZ};
inline const V3 kLightRoom = toRoom(kLightCam);

// Light sources, in relative linear units. The bulb is a ~2700 K filament seen by a camera
// balanced a little cooler, so it stays amber rather than going fully orange.
inline const Col kBulbI{1.0, 0.63, 0.31};
// Street/moon light through the window: a nearly parallel beam plus the glow of the night sky.
inline const V3 kMoonDir = norm(V3{-0.80, -0.35, -1.0});  // direction the light travels
inline const Col kMoonE{0.50, 0.66, 1.0};
inline const Col kSkyL = Col{0.30, 0.42, 0.80} * 0.9;

// ---- shared helpers -----------------------------------------------------------------------

inline double ggx(double nh, double a) {
  double a2 = a * a;
  double dd = nh * nh * (a2 - 1) + 1;
  return a2 / (kPi * dd * dd);
}
inline double schlick(double f0, double c) { return f0 + (1 - f0) * std::pow(1 - clamp01(c), 5); }

inline bool hitSphere(const V3& o, const V3& d, const V3& c, double r, double tmax, double& t) {
  V3 oc = o - c;
  double b = dot(oc, d), cc = dot(oc, oc) - r * r;
  double disc = b * b - cc;
  if (disc < 0) return false;
  double tt = -b - std::sqrt(disc);
  if (tt <= 1e-7 || tt >= tmax) return false;
  t = tt;
  return true;
}

// Capped cylinder whose axis is the coordinate axis `ax` (0 = x, 1 = y, 2 = z) through point c,
// spanning [lo, hi] along that axis.
inline bool hitAxisCyl(const V3& o, const V3& d, int ax, const V3& c, double r, double lo,
                       double hi, double tmax, double& t, V3& n) {
  auto comp = [](const V3& v, int i) { return i == 0 ? v.x : (i == 1 ? v.y : v.z); };
  int a1 = (ax + 1) % 3, a2 = (ax + 2) % 3;
  double o1 = comp(o, a1) - comp(c, a1), o2 = comp(o, a2) - comp(c, a2);
  double d1 = comp(d, a1), d2 = comp(d, a2), oa = comp(o, ax), da = comp(d, ax);
  double best = tmax;
  bool got = false;
  double qa = d1 * d1 + d2 * d2;
  auto setN = [&](double x1, double x2, double xa) {
    double v[3];
    v[a1] = x1;
    v[a2] = x2;
    v[ax] = xa;
    n = V3{v[0], v[1], v[2]};
  };
  if (qa > 1e-14) {
    double qb = o1 * d1 + o2 * d2, qc = o1 * o1 + o2 * o2 - r * r;
    double disc = qb * qb - qa * qc;
    if (disc >= 0) {
      double tt = (-qb - std::sqrt(disc)) / qa;
      double s = oa + da * tt;
      if (tt > 1e-7 && tt < best && s >= lo && s <= hi) {
        best = tt;
        setN((o1 + d1 * tt) / r, (o2 + d2 * tt) / r, 0);
        got = true;
      }
    }
  }
  if (std::fabs(da) > 1e-14) {
    for (int k = 0; k < 2; ++k) {
      double pc = k == 0 ? lo : hi, sgn = k == 0 ? -1.0 : 1.0;
      if (da * sgn >= 0) continue;
      double tt = (pc - oa) / da;
      if (tt <= 1e-7 || tt >= best) continue;
      double x1 = o1 + d1 * tt, x2 = o2 + d2 * tt;
      if (x1 * x1 + x2 * x2 <= r * r) {
        best = tt;
        setN(0, 0, sgn);
        got = true;
      }
    }
  }
  if (got) t = best;
  return got;
}

// Vertical cone frustum: radius r0 at height y0 changing linearly to r1 at y1.
inline bool hitVCone(const V3& o, const V3& d, double cx, double cz, double y0, double r0,
                     double y1, double r1, double tmax, double& t, V3& n) {
  double k = (r1 - r0) / (y1 - y0);
  double ox = o.x - cx, oz = o.z - cz;
  double w0 = r0 + k * (o.y - y0), w1 = k * d.y;
  double a = d.x * d.x + d.z * d.z - w1 * w1;
  double b = ox * d.x + oz * d.z - w0 * w1;
  double c = ox * ox + oz * oz - w0 * w0;
  if (std::fabs(a) < 1e-14) return false;
  double disc = b * b - a * c;
  if (disc < 0) return false;
  double sq0 = std::sqrt(disc);
  double cands[2] = {(-b - sq0) / a, (-b + sq0) / a};
  if (cands[0] > cands[1]) std::swap(cands[0], cands[1]);
  double ylo = std::min(y0, y1), yhi = std::max(y0, y1);
  for (double tt : cands) {
    if (tt <= 1e-7 || tt >= tmax) continue;
    double y = o.y + d.y * tt;
    if (y < ylo || y > yhi) continue;
    if (w0 + w1 * tt <= 0) continue;
    double px = ox + d.x * tt, pz = oz + d.z * tt;
    double rr = std::sqrt(px * px + pz * pz);
    n = norm(V3{px, -k * rr, pz});
    t = tt;
    return true;
  }
  return false;
}

// Thin wire: capsule test by closest approach between the ray and a segment.
inline bool hitWire(const V3& o, const V3& d, const V3& a, const V3& b, double r, double tmax,
                    double& t, V3& n, double* along = nullptr) {
  V3 u = b - a, w = o - a;
  double bb = dot(d, u), cc = dot(u, u), dd = dot(d, w), ee = dot(u, w);
  double den = cc - bb * bb;
  double sc = den > 1e-18 ? std::clamp((ee - bb * dd) / den, 0.0, 1.0) : 0.0;
  V3 q = a + u * sc;
  double s = dot(q - o, d);
  if (s <= 0) return false;
  V3 c = o + d * s;
  double dist = len(c - q);
  if (dist >= r) return false;
  double tt = s - std::sqrt(r * r - dist * dist);
  if (tt <= 1e-7 || tt >= tmax) return false;
  t = tt;
  n = norm(o + d * tt - q);
  if (along) *along = sc;
  return true;
}

// Stratified points (a sunflower pattern, turned per pixel) on a disk facing a point.
class DiskSampler {
 public:
  DiskSampler(const V3& centre, const V3& from, double radius, int n, double rot)
      : c_(centre), n_(n) {
    V3 w = norm(from - centre);
    V3 a = std::fabs(w.x) < 0.9 ? V3{1, 0, 0} : V3{0, 1, 0};
    V3 u = norm(cross(a, w)), v = cross(w, u);
    double cr = std::cos(rot), sr = std::sin(rot);
    u_ = (u * cr + v * sr) * radius;
    v_ = (v * cr - u * sr) * radius;
  }
  V3 operator[](int k) const {
    // unit sunflower points, precomputed for the sample counts in use
    static const std::array<std::array<double, 2>, 16> p4 = table(4), p6 = table(6);
    const auto& t = n_ == 4 ? p4 : p6;
    return c_ + u_ * t[static_cast<size_t>(k)][0] + v_ * t[static_cast<size_t>(k)][1];
  }

 private:
  static std::array<std::array<double, 2>, 16> table(int n) {
    std::array<std::array<double, 2>, 16> t{};
    for (int k = 0; k < n; ++k) {
      double r = std::sqrt((k + 0.5) / n), ang = k * 2.39996322972865332;
      t[static_cast<size_t>(k)] = {r * std::cos(ang), r * std::sin(ang)};
    }
    return t;
  }
  V3 c_, u_, v_;
  int n_;
};

struct Rad {
  Col moon, bulb;
};

}  // namespace mg::rt
