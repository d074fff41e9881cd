#include "lamp.h"

#include <cmath>

#include "room.h"

namespace mg::rt {
namespace {

// ---- lamp geometry, in pixels at the lamp's depth -------------------------------------------

constexpr double kCordR = 6.0, kCordBottom = 16.0;
constexpr double kCapR = 13.5, kCapTop = 16.0, kCapBottom = 34.0;
constexpr double kBodyR = 32.0, kBodyTop = 34.0, kBodyBottom = 114.0, kFillet = 6.0;
constexpr double kBaseR = 19.0, kBaseBottom = 124.0;
constexpr double kNeckR = 15.0, kGlobeV = 198.0, kGlobeR = 47.0;
constexpr double kBossV = 44.0, kBossR = 10.0, kBossU0 = 110.0;
constexpr double kChainU = 118.0, kCollarR = 4.5, kCollarTop = 48.0, kCollarBottom = 60.0;
constexpr double kStemTopV = 160.0;

const V3 kGlobeCam{LX(kAxisU), LY(kGlobeV), kLampZ};

// What the lit globe looks like (radiance), and its filament.
const Col kGlobeL = Col{1.0, 0.74, 0.45} * 0.12;
const Col kFilamentL = Col{1.0, 0.78, 0.50} * 900.0;

// ---- intersection -------------------------------------------------------------------------

enum Part : int { kPNone = 0, kPCord, kPCap, kPBody, kPBase, kPGlass, kPBoss, kPCollar };

struct LampHit {
  double t = 1e30;
  V3 p, n;
  int part = kPNone;
};

// Bulb outline: a sphere and a cone tangent to it, flaring from the neck.
struct GlobeShape {
  double cy, r;   // sphere centre height and radius
  double ny, nr;  // neck top height and radius
  double ty, tr;  // tangent circle
};
const GlobeShape& globe() {
  static const GlobeShape g = [] {
    GlobeShape s;
    s.cy = LY(kGlobeV);
    s.r = kGlobeR * kPx;
    s.ny = LY(kBaseBottom);
    s.nr = kNeckR * kPx;
    double hgt = s.ny - s.cy;
    double rho = std::hypot(s.nr, hgt);
    double psi = std::atan2(hgt, s.nr);
    double phi = psi + std::acos(s.r / rho);
    if (std::cos(phi) < 0) phi = psi - std::acos(s.r / rho);
    s.tr = s.r * std::cos(phi);
    s.ty = s.cy + s.r * std::sin(phi);
    return s;
  }();
  return g;
}

bool hitGlobe(const V3& o, const V3& d, double tmax, double& t, V3& n) {
  const GlobeShape& g = globe();
  const double ax = LX(kAxisU), az = kLampZ;
  bool got = false;
  double best = tmax, tt;
  V3 c{ax, g.cy, az};
  if (hitSphere(o, d, c, g.r, best, tt)) {
    V3 p = o + d * tt;
    if (p.y <= g.ty) {
      best = tt;
      n = norm(p - c);
      got = true;
    }
  }
  V3 nn;
  if (hitVCone(o, d, ax, az, g.ny, g.nr, g.ty, g.tr, best, tt, nn)) {
    best = tt;
    n = nn;
    got = true;
  }
  if (got) t = best;
  return got;
}

LampHit traceLamp(const V3& o, const V3& d, bool includeGlass) {
  LampHit h;
  const V3 axis{LX(kAxisU), 0, kLampZ};
  double t;
  V3 n;
  auto take = [&](int part) {
    h.t = t;
    h.n = n;
    h.part = part;
  };
  if (hitAxisCyl(o, d, 1, axis, kCordR * kPx, LY(kCordBottom), LY(-400), h.t, t, n)) take(kPCord);
  if (hitAxisCyl(o, d, 1, axis, kCapR * kPx, LY(kCapBottom), LY(kCapTop), h.t, t, n)) take(kPCap);
  if (hitAxisCyl(o, d, 1, axis, kBodyR * kPx, LY(kBodyBottom), LY(kBodyTop), h.t, t, n))
    take(kPBody);
  if (hitAxisCyl(o, d, 1, axis, kBaseR * kPx, LY(kBaseBottom), LY(kBodyBottom), h.t, t, n))
    take(kPBase);
  if (hitAxisCyl(o, d, 0, V3{0, LY(kBossV), kLampZ}, kBossR * kPx, LX(kBossU0), LX(kAxisU), h.t, t,
                 n))
    take(kPBoss);
  if (hitAxisCyl(o, d, 1, V3{LX(kChainU), 0, kLampZ}, kCollarR * kPx, LY(kCollarBottom),
                 LY(kCollarTop), h.t, t, n))
    take(kPCollar);
  if (includeGlass && hitGlobe(o, d, h.t, t, n)) take(kPGlass);
  h.p = o + d * h.t;
  return h;
}

// Opaque parts of the holder that can shade the switch and chain from the filament.
bool lampBlocks(const V3& p, const V3& q) {
  V3 dv = q - p;
  double L = len(dv);
  V3 d = dv / L;
  double t;
  V3 n;
  const V3 axis{LX(kAxisU), 0, kLampZ};
  if (hitAxisCyl(p, d, 1, axis, kBodyR * kPx, LY(kBodyBottom), LY(kBodyTop), L, t, n)) return true;
  if (hitAxisCyl(p, d, 1, axis, kBaseR * kPx, LY(kBaseBottom), LY(kBodyBottom), L, t, n))
    return true;
  return false;
}

// What surrounds the lamp, as seen in reflections on glass, glaze and metal. `dir` is in
// camera space.
Col envMoon(const V3& dirCam, double rough) {
  V3 dir = toRoom(dirCam);
  Col c = Col{0.014, 0.018, 0.026} * (0.75 + 0.25 * dir.x) * (0.8 + 0.2 * (1 - std::fabs(dir.y)));
  if (dir.x > 0.05) {
    double tt = (kRight - kLightRoom.x) / dir.x;
    V3 q = kLightRoom + dir * tt;
    double pane = windowPane(q.y, q.z, 0.01 + rough * 0.6);
    double glow = 0.6 + 0.4 * smoothstep(kWinY1, kWinY0, q.y);  // brighter toward the horizon
    c += kSkyL * (pane * glow);
  }
  if (dir.z < -0.1) {
    // the bright patch on the back wall
    double tt = (kBack - kLightRoom.z) / dir.z;
    V3 q = kLightRoom + dir * tt;
    double sx = (q.x - 0.45) / 0.45, sy = (q.y + 0.5) / 0.55;
    c += kMoonE * (0.10 * std::exp(-(sx * sx + sy * sy)));
  }
  return c;
}

Col envBulb(const V3& dirCam) {
  V3 dir = toRoom(dirCam);
  // lit walls around the horizon, a dim ceiling, a darker floor, and the black night window
  double horizon = std::exp(-sq(dir.y / 0.45));
  double k = 0.018 + 0.014 * horizon + 0.006 * smoothstep(-0.2, -0.9, dir.y);
  // the ceiling close above the lamp is brightly lit around the holder's shadow
  k += 0.03 * smoothstep(0.3, 0.9, dir.y);
  if (dir.z < -0.2) k *= 1.0 + 0.3 * smoothstep(-0.2, -0.8, dir.z);
  Col c = kBulbI * Col{1.0, 0.94, 0.86} * k;
  if (dir.x > 0.05) {
    double tt = (kRight - kLightRoom.x) / dir.x;
    V3 q = kLightRoom + dir * tt;
    c = c * (1.0 - 0.9 * windowPane(q.y, q.z, 0.03));
  }
  return c;
}

// The lit globe as seen from point o along direction r (both camera space); `blur` widens it
// for rough surfaces while keeping its energy.
Col globeSeen(const V3& o, const V3& r, double blur) {
  V3 oc = kGlobeCam - o;
  double tc = dot(oc, r);
  if (tc <= 0) return {};
  double R = kGlobeR * kPx;
  double dperp = len(oc - r * tc);
  double soft = blur * tc + 2e-4;
  double cover = smoothstep(R + soft, R - soft, dperp) * sq(R / (R + soft));
  V3 of = kLightCam - o;
  double tf = dot(of, r);
  double df = len(of - r * tf);
  double rf = 0.0035;
  double core = smoothstep(rf + soft, 0.0, df) * sq(rf / (rf + soft));
  return kGlobeL * cover + kFilamentL * core;
}

// Cosine-weighted surroundings for matte parts of the lamp (camera-space normal).
Col ambientMoon(const V3& nCam) {
  V3 n = toRoom(nCam);
  V3 w = norm(V3{kRight - kLightRoom.x, 0.5 * (kWinY0 + kWinY1) - kLightRoom.y,
                 0.5 * (kWinZ0 + kWinZ1) - kLightRoom.z});
  return Col{0.020, 0.025, 0.037} * kPi * 0.5 + kSkyL * (0.12 * std::max(0.0, dot(n, w)));
}
Col ambientBulb(const V3& nCam) {
  V3 n = toRoom(nCam);
  return kBulbI * Col{1.0, 0.94, 0.86} *
         (kPi * (0.030 + 0.012 * std::max(0.0, -n.y) + 0.03 * std::max(0.0, n.y)));
}

// Direct light from the filament on a lamp or chain surface, softly shaded by the holder.
double filamentLight(const V3& p, const V3& n, uint64_t seed, V3& l, double& dist) {
  V3 tl = kLightCam - p;
  dist = len(tl);
  l = tl / dist;
  double c = dot(n, l);
  if (c <= 0) return 0;
  const int ns = 4;
  DiskSampler ds(kLightCam, p, kLightRadius, ns, u01(seed) * 2 * kPi);
  int vis = 0;
  for (int k = 0; k < ns; ++k)
    if (!lampBlocks(p + n * 2e-5, ds[k])) ++vis;
  return c / (dist * dist) * vis / ns;
}

struct Mtl {
  Col diffuse;
  Col f0;  // reflectance at normal incidence (coloured for metals)
  double rough;
};

// Shading shared by the lamp and the chain (camera space).
Rad shadeSolid(const V3& p, const V3& n, const V3& view, const Mtl& m, uint64_t seed) {
  Rad out;
  V3 l;
  double dist;
  double e = filamentLight(p, n, seed, l, dist);
  double nv = std::max(dot(n, view), 0.02);
  V3 r = reflect(-view, n);
  Col F = m.f0 + (Col{1, 1, 1} - m.f0) * std::pow(1 - clamp01(nv), 5);
  Col kd = m.diffuse * (1.0 - F.y);
  out.bulb = kd * (1.0 / kPi) * (kBulbI * e + ambientBulb(n));
  out.moon = kd * (1.0 / kPi) * ambientMoon(n);
  out.bulb += F * envBulb(r);
  out.moon += F * envMoon(r, m.rough);
  // the glowing globe reflected in the surface, unless the holder is in the way
  if (dot(r, kGlobeCam - p) > 0 && !lampBlocks(p + n * 2e-5, kGlobeCam)) {
    out.bulb += F * globeSeen(p, r, m.rough * 0.7);
  }
  return out;
}

Rad shadeLampPart(const LampHit& h, const V3& d, uint64_t seed) {
  V3 view = -d;
  const double ax = LX(kAxisU), az = kLampZ;
  V3 p = h.p, n = h.n;
  double v = kCy - p.y / kPx;  // pixel row at lamp depth
  switch (h.part) {
    case kPCord: {
      double ang = std::atan2(p.z - az, p.x - ax);
      double braid = std::sin(v * 2 * kPi / 5.0 + ang * 3.0);
      double braid2 = std::sin(v * 2 * kPi / 5.0 - ang * 3.0);
      double w = 0.5 + 0.25 * (braid + braid2);
      V3 tang{-std::sin(ang), 0, std::cos(ang)};
      V3 nn = norm(n + tang * (0.25 * braid) + V3{0, 0.3 * braid2, 0});
      Mtl m{Col{0.045, 0.035, 0.03} * (0.7 + 0.6 * w), Col{0.02, 0.02, 0.02}, 0.6};
      return shadeSolid(p + n * 1e-5, nn, view, m, seed);
    }
    case kPCap:
    case kPBody: {
      double r = (h.part == kPBody ? kBodyR : kCapR) * kPx;
      double bottom = LY(h.part == kPBody ? kBodyBottom : kCapBottom);
      double top = LY(h.part == kPBody ? kBodyTop : kCapTop);
      double fil = kFillet * kPx;
      V3 radial = norm(V3{p.x - ax, 0, p.z - az});
      if (std::fabs(n.y) < 0.5) {
        // side: round off the bottom and top edges
        double tb = 1 - clamp01((p.y - bottom) / fil);
        double tt = 1 - clamp01((top - p.y) / (fil * 0.7));
        double phi = tb * kPi / 4;
        n = norm(radial * std::cos(phi) + V3{0, -std::sin(phi), 0});
        double phi2 = tt * kPi / 4;
        n = norm(n * std::cos(phi2) + V3{0, std::sin(phi2), 0});
        if (h.part == kPBody) {
          // a moulded ring around the body
          double g = (v - 86.0) / 2.2;
          n = norm(n + V3{0, 0.5 * g * std::exp(-g * g), 0});
        }
      } else {
        double rr = std::hypot(p.x - ax, p.z - az);
        double s = clamp01((rr - (r - fil)) / fil);
        double phi = s * kPi / 4;
        n = norm(V3{0, n.y, 0} * std::cos(phi) + radial * std::sin(phi));
      }
      double dirt = fbm(p.x * 900, p.y * 900, 3, 1500);
      Col alb = Col{0.80, 0.78, 0.72} * (0.95 + 0.05 * dirt);
      double age = smoothstep(LY(70), LY(20), p.y);
      alb = alb * mix(Col{1, 1, 1}, Col{0.90, 0.84, 0.72}, age * 0.6);
      Mtl m{alb, Col{0.045, 0.045, 0.045}, 0.07};
      return shadeSolid(p + h.n * 1e-5, n, view, m, seed);
    }
    case kPBase: {
      // threaded aluminium shell of the lamp cap, a little of it showing below the holder
      double th = std::sin((v - kBodyBottom) * 2 * kPi / 3.2);
      V3 nn = norm(n + V3{0, 0.45 * th, 0});
      Mtl m{Col{0, 0, 0}, Col{0.60, 0.58, 0.55}, 0.28};
      return shadeSolid(p + h.n * 1e-5, nn, view, m, seed);
    }
    case kPBoss:
    case kPCollar: {
      // brass switch housing
      double tarn = fbm(p.x * 700, p.y * 700, 3, 1600);
      Col sp = Col{0.70, 0.53, 0.30} * (0.8 + 0.2 * tarn);
      V3 nn = n;
      if (h.part == kPBoss && std::fabs(n.x) > 0.5) {
        double rr = std::hypot(p.y - LY(kBossV), p.z - az) / (kBossR * kPx);
        double s = smoothstep(0.55, 1.0, rr);
        V3 rad = norm(V3{0, p.y - LY(kBossV), p.z - az});
        nn = norm(n * (1 - s * 0.7) + rad * (s * 0.9));
      }
      Mtl m{Col{0.03, 0.022, 0.012}, sp, 0.2};
      return shadeSolid(p + h.n * 1e-5, nn, view, m, seed);
    }
    default:
      return {};
  }
}

// The clear glass globe: reflections, the room behind it, and inside it the glass stem,
// lead-in wires and the coiled filament.
Rad shadeGlass(const LampHit& h, const V3& d, uint64_t seed) {
  Rad out;
  V3 view = -d;
  V3 n = h.n;
  double c = std::fabs(dot(n, view));
  double F = std::min(0.5, schlick(0.04, c));
  V3 r = reflect(d, n);
  out.moon = envMoon(r, 0.01) * F;
  out.bulb = envBulb(r) * F;
  // a faint second reflection from the far side of the globe
  out.moon += envMoon(V3{-r.x, r.y, r.z}, 0.08) * (F * 0.2);

  const double ax = LX(kAxisU), az = kLampZ;
  V3 o = h.p;
  double tmax = 0.2, t;
  V3 nn;
  int what = 0;
  V3 stemA{ax, LY(kBaseBottom), az}, stemB{ax, LY(kStemTopV), az};
  V3 fa{LX(kAxisU - 15), LY(kFilV), az}, fb{LX(kAxisU + 15), LY(kFilV), az};
  V3 la{LX(kAxisU - 2), LY(kStemTopV - 2), az}, lb{LX(kAxisU + 2), LY(kStemTopV - 2), az};
  V3 sup{ax, LY(kFilV + 3), az};
  double along = 0;
  if (hitWire(o, d, fa, fb, 1.6 * kPx, tmax, t, nn, &along)) {
    tmax = t;
    what = 1;
  }
  if (hitWire(o, d, la, fa + V3{0, 0.0004, 0}, 0.55 * kPx, tmax, t, nn)) {
    tmax = t;
    what = 2;
  }
  if (hitWire(o, d, lb, fb + V3{0, 0.0004, 0}, 0.55 * kPx, tmax, t, nn)) {
    tmax = t;
    what = 2;
  }
  if (hitWire(o, d, stemB, sup, 0.45 * kPx, tmax, t, nn)) {
    tmax = t;
    what = 2;
  }
  double trans = (1 - F) * 0.93;
  double st;
  V3 sn;
  bool stem = hitWire(o, d, stemA, stemB, 3.6 * kPx, tmax, st, sn);

  Rad behind;
  if (what == 1) {
    // tungsten coil: dark grey when cold, blinding when lit
    double coil = 0.5 + 0.5 * std::sin(along * 2 * kPi * 14.0);
    behind.moon = envMoon(reflect(d, nn), 0.3) * 0.25 + Col{0.004, 0.0045, 0.006};
    behind.bulb = kFilamentL * (0.6 + 0.4 * coil);
  } else if (what == 2) {
    behind.moon = envMoon(reflect(d, nn), 0.2) * 0.5;
    behind.bulb = kBulbI * 40.0;
  } else {
    Hit rh = traceRoom(toRoom(o), toRoom(d));
    behind = shadeRoom(rh, toRoom(view), seed);
  }
  if (stem) {
    double sc = std::fabs(dot(sn, view));
    behind.moon = behind.moon * 0.82 + envMoon(reflect(d, sn), 0.1) * (0.10 * (1 - sc));
    behind.bulb = behind.bulb * 0.82 + kBulbI * (6.0 * (1.2 - sc));
  }
  out.moon += behind.moon * trans;
  out.bulb += behind.bulb * trans;
  // Lit, the glass glows with scattered filament light, most toward the rim where the path
  // through the glass and the internal reflections are longest.
  double rim = std::pow(1 - c, 2.0);
  double dv = len(h.p - kLightCam) / (kGlobeR * kPx);
  out.bulb += Col{1.0, 0.74, 0.45} * (0.08 + 0.8 * rim + 0.5 * std::exp(-dv * dv * 3.0));
  // dust on the glass
  double dust = smoothstep(0.3, 0.7, fbm(h.p.x * 3000, h.p.y * 3000, 2, 1700));
  out.moon += Col{0.004, 0.0045, 0.006} * dust;
  return out;
}

// ---- the ball chain -----------------------------------------------------------------------

struct ChainHit {
  double t = 1e30;
  V3 p, n;
  int part = 0;  // 1 bead or link, 2 coupler, 3 pull body, 4 pull mouth
};

ChainHit traceChain(const ChainGeom& g, const V3& o, const V3& d) {
  ChainHit h;
  double t;
  V3 n;
  double pv = kCy - (d.y / -d.z) * kF;  // the pixel row this ray belongs to
  for (size_t i = 0; i < g.beads.size(); ++i) {
    const V3& c = g.beads[i];
    double bv = kCy - c.y / kPx;
    if (std::fabs(bv - pv) > 12.0) continue;
    if (hitSphere(o, d, c, g.beadR, h.t, t)) {
      h.t = t;
      h.p = o + d * t;
      h.n = norm(h.p - c);
      h.part = 1;
    }
    if (i + 1 < g.beads.size() && hitWire(o, d, c, g.beads[i + 1], 0.5 * kPx, h.t, t, n)) {
      h.t = t;
      h.p = o + d * t;
      h.n = n;
      h.part = 1;
    }
  }
  if (pv > kCy - g.beads.back().y / kPx - 4.0) {
    if (hitWire(o, d, g.beads.back(), g.couplerBottom, 2.3 * kPx, h.t, t, n)) {
      h.t = t;
      h.p = o + d * t;
      h.n = n;
      h.part = 2;
    }
    // the pull: a small brass bell, tilted about its top in the image plane
    double ct = std::cos(g.tilt), st = std::sin(g.tilt);
    auto toLocal = [&](const V3& v) { return V3{v.x * ct + v.y * st, -v.x * st + v.y * ct, v.z}; };
    auto toWorld = [&](const V3& v) { return V3{v.x * ct - v.y * st, v.x * st + v.y * ct, v.z}; };
    V3 lo = toLocal(o - g.pivot), ld = toLocal(d);
    V3 ln;
    const V3 knob{0, -1.5 * kPx, 0};
    if (hitSphere(lo, ld, knob, 3.6 * kPx, h.t, t)) {
      h.t = t;
      h.p = o + d * t;
      h.n = toWorld(norm(lo + ld * t - knob));
      h.part = 2;
    }
    if (hitVCone(lo, ld, 0, 0, -2.0 * kPx, g.pullR0, -g.pullLen, g.pullR1, h.t, t, ln)) {
      h.t = t;
      h.p = o + d * t;
      h.n = toWorld(ln);
      h.part = 3;
    }
    // rolled rim and open mouth
    if (hitAxisCyl(lo, ld, 1, V3{0, 0, 0}, g.pullR1 + 0.8 * kPx, -g.pullLen - 2.2 * kPx, -g.pullLen,
                   h.t, t, ln)) {
      h.t = t;
      h.p = o + d * t;
      h.n = toWorld(ln);
      h.part = ln.y < -0.5 ? 4 : 3;
    }
  }
  return h;
}

Rad shadeChain(const ChainHit& h, const V3& d, uint64_t seed) {
  V3 view = -d;
  switch (h.part) {
    case 1: {
      // nickel-plated beads, dulled with handling
      double grime = fbm(h.p.x * 4000, h.p.y * 4000, 2, 1800);
      Mtl m{Col{0.06, 0.057, 0.054}, Col{0.55, 0.53, 0.50} * (0.9 + 0.1 * grime), 0.3};
      return shadeSolid(h.p + h.n * 1e-6, h.n, view, m, seed);
    }
    case 2: {
      Mtl m{Col{0.03, 0.03, 0.03}, Col{0.60, 0.58, 0.54}, 0.15};
      return shadeSolid(h.p + h.n * 1e-6, h.n, view, m, seed);
    }
    case 3: {
      double tarn = fbm(h.p.x * 2500, h.p.y * 2500, 3, 1900);
      Mtl m{Col{0.05, 0.04, 0.025}, Col{0.58, 0.47, 0.30} * (0.75 + 0.25 * tarn), 0.14};
      return shadeSolid(h.p + h.n * 1e-6, h.n, view, m, seed);
    }
    case 4: {
      // looking up into the dark mouth of the bell
      Mtl m{Col{0.01, 0.008, 0.005}, Col{0.25, 0.19, 0.10}, 0.4};
      Rad r = shadeSolid(h.p + h.n * 1e-6, h.n, view, m, seed);
      r.moon = r.moon * 0.4;
      r.bulb = r.bulb * 0.4;
      return r;
    }
    default:
      return {};
  }
}

}  // namespace

Rad lampSample(double px, double py, uint64_t seed, bool& hit) {
  V3 d = cameraRay(px, py);
  LampHit h = traceLamp(V3{0, 0, 0}, d, true);
  hit = h.part != kPNone;
  if (!hit) return {};
  if (h.part == kPGlass) return shadeGlass(h, d, seed);
  return shadeLampPart(h, d, seed);
}

ChainGeom makeChain(int variant) {
  ChainGeom g;
  const double pitch = 9.0, r = 2.85;
  const double ext = variant == 1 ? 20.0 : 0.0;  // pulled: more chain drawn out of the switch
  const double firstV = 62.0 + ext - 4 * pitch;
  const double lastRestV = 430.0;
  const double hole = kCollarBottom;
  g.beadR = r * kPx;
  int count = static_cast<int>((lastRestV - 62.0) / pitch) + 5;
  double lastV = 0, lastU = kChainU;
  for (int i = 0; i < count; ++i) {
    double v = firstV + i * pitch;
    if (v < kBossV) continue;  // still inside the switch
    // At rest the chain keeps a slight bow and twist; pulled, it is straight and taut.
    double s = clamp01((v - hole) / (lastRestV + ext - hole));
    double du = variant == 1 ? 0.0 : 1.4 * std::sin(kPi * s) - 0.5 * std::sin(2.3 * kPi * s);
    double dz = variant == 1 ? 0.0 : 2.0 * std::sin(kPi * s);
    double u = kChainU + du;
    g.beads.push_back(V3{LX(u), LY(v), kLampZ + dz * kPx});
    lastV = v;
    lastU = u;
  }
  g.tilt = variant == 1 ? 0.0 : 0.045;
  g.couplerBottom = V3{LX(lastU + std::sin(g.tilt) * 7.0), LY(lastV + 10.0), g.beads.back().z};
  g.pivot = g.couplerBottom;
  g.pullLen = 30.0 * kPx;
  g.pullR0 = 3.4 * kPx;
  g.pullR1 = 8.4 * kPx;
  return g;
}

Rad chainSample(const ChainGeom& g, double px, double py, uint64_t seed, bool& hit) {
  V3 d = cameraRay(px, py);
  ChainHit ch = traceChain(g, V3{0, 0, 0}, d);
  hit = ch.part != 0;
  if (!hit) return {};
  if (py < kCollarBottom + 12) {
    // the chain disappears into the switch housing
    LampHit lh = traceLamp(V3{0, 0, 0}, d, false);
    if (lh.part != kPNone && lh.t < ch.t) {
      hit = false;
      return {};
    }
  }
  return shadeChain(ch, d, seed);
}

}  // namespace mg::rt
