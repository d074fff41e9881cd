#include "room.h"

#include <array>
#include <cmath>
#include <utility>
#include <vector>

namespace mg::rt {
namespace {

// ---- room geometry ------------------------------------------------------------------------

enum Mat : int {
  kNone = 0,
  kBackWall,
  kRightWall,
  kOtherWall,
  kCeiling,
  kFloorM,
  kTrim,
  kDoor,
  kShelf,
  kBracket,
  kBook,
  kCan,
  kKnob,
  kSwitch,
  kConduit,
  kChair,
};

struct Box {
  V3 lo, hi;
  int mat;
  int sub;
  int group = 0;  // 0 skirting, 1 door, 2 shelf, 3 switch; lets shadow rays skip far clusters
};
constexpr int kGroups = 4;

// A plain wooden chair standing near the wall, turned a little: boxes rotated about the
// vertical axis through the chair's centre.
constexpr double kChairX = 0.36, kChairZ = kBack + 0.42, kChairYaw = 0.38;
struct ChairPart {
  V3 c, half;  // centre and half-size in the chair's own frame (y from the floor)
};
const std::vector<ChairPart>& chairParts() {
  static const std::vector<ChairPart> p = [] {
    std::vector<ChairPart> v;
    const double s = 0.19, lw = 0.018;
    for (int i = 0; i < 2; ++i) {
      double x = i == 0 ? -s : s;
      v.push_back({{x, 0.22, s}, {lw, 0.22, lw}});     // front leg
      v.push_back({{x, 0.46, -s}, {lw, 0.46, lw}});    // back leg and post
      v.push_back({{x, 0.16, 0}, {0.010, 0.012, s}});  // side stretcher
    }
    v.push_back({{0, 0.455, 0.0}, {0.225, 0.016, 0.215}});  // seat
    v.push_back({{0, 0.13, s}, {s, 0.010, 0.010}});         // front stretcher
    v.push_back({{0, 0.85, -s}, {s, 0.040, 0.012}});        // top rail
    v.push_back({{0, 0.64, -s}, {s, 0.022, 0.010}});        // middle rail
    return v;
  }();
  return p;
}
V3 chairToRoom(const V3& v) {
  double c = std::cos(kChairYaw), s = std::sin(kChairYaw);
  return {c * v.x + s * v.z, v.y, -s * v.x + c * v.z};
}
V3 roomToChair(const V3& v) {
  double c = std::cos(kChairYaw), s = std::sin(kChairYaw);
  return {c * v.x - s * v.z, v.y, s * v.x + c * v.z};
}
const V3 kChairOrigin{kChairX, kFloor, kChairZ};
// Bounds of the chair, which stands on its own.
const std::pair<V3, V3> kChairBounds{V3{kChairX - 0.33, kFloor, kChairZ - 0.33},
                                     V3{kChairX + 0.33, kFloor + 0.93, kChairZ + 0.33}};

struct Book {
  double x0, w, h, d;
  Col c;
};

const std::vector<Book>& books() {
  static const std::vector<Book> b = [] {
    std::vector<Book> v;
    const double w[] = {0.036, 0.027, 0.046, 0.031, 0.041, 0.024, 0.038, 0.030};
    const double h[] = {0.212, 0.236, 0.188, 0.226, 0.201, 0.172, 0.243, 0.218};
    const double d[] = {0.152, 0.163, 0.141, 0.156, 0.171, 0.132, 0.150, 0.158};
    const Col c[] = {{0.26, 0.065, 0.05}, {0.07, 0.09, 0.17}, {0.40, 0.31, 0.15},
                     {0.09, 0.16, 0.10},  {0.24, 0.25, 0.27}, {0.50, 0.46, 0.37},
                     {0.22, 0.14, 0.085}, {0.32, 0.11, 0.085}};
    double x = kShelfX0 + 0.09;
    for (int i = 0; i < 8; ++i) {
      v.push_back({x, w[i], h[i], d[i], c[i]});
      x += w[i] + 0.0025;
    }
    return v;
  }();
  return b;
}

const std::vector<Box>& boxes() {
  static const std::vector<Box> b = [] {
    std::vector<Box> v;
    const double sk = kFloor + 0.12;
    const double c0 = kDoorX0 - kCasingW, c1 = kDoorX1 + kCasingW;
    // skirting (sub 0: back wall, sub 1: right wall)
    v.push_back({{kLeft, kFloor, kBack}, {c0, sk, kBack + 0.018}, kTrim, 0});
    v.push_back({{c1, kFloor, kBack}, {kRight, sk, kBack + 0.018}, kTrim, 0});
    v.push_back({{kRight - 0.018, kFloor, kBack}, {kRight, sk, kNear}, kTrim, 1});
    // door casing
    v.push_back({{c0, kFloor, kBack}, {kDoorX0, kDoorTop + kCasingW, kBack + 0.022}, kTrim, 2});
    v.push_back({{kDoorX1, kFloor, kBack}, {c1, kDoorTop + kCasingW, kBack + 0.022}, kTrim, 3});
    v.push_back(
        {{kDoorX0, kDoorTop, kBack}, {kDoorX1, kDoorTop + kCasingW, kBack + 0.022}, kTrim, 4});
    // shelf and its iron brackets
    v.push_back({{kShelfX0, kShelfY - kShelfT, kBack}, {kShelfX1, kShelfY, kShelfZ1}, kShelf, 0});
    for (int i = 0; i < 2; ++i) {
      double bx = i == 0 ? kShelfX0 + 0.14 : kShelfX1 - 0.16;
      v.push_back({{bx, kShelfY - 0.19, kBack},
                   {bx + 0.016, kShelfY - kShelfT, kBack + 0.012},
                   kBracket,
                   2 * i});
      v.push_back({{bx, kShelfY - kShelfT - 0.012, kBack},
                   {bx + 0.016, kShelfY - kShelfT, kShelfZ1 - 0.02},
                   kBracket,
                   2 * i + 1});
    }
    int i = 0;
    for (const Book& bk : books()) {
      v.push_back({{bk.x0, kShelfY, kBack + 0.012},
                   {bk.x0 + bk.w, kShelfY + bk.h, kBack + 0.012 + bk.d},
                   kBook,
                   i++});
    }
    // two books lying flat
    v.push_back(
        {{-0.62, kShelfY, kBack + 0.02}, {-0.39, kShelfY + 0.034, kBack + 0.185}, kBook, 8});
    v.push_back({{-0.60, kShelfY + 0.034, kBack + 0.03},
                 {-0.405, kShelfY + 0.061, kBack + 0.175},
                 kBook,
                 9});
    // conduit from the switch up to the ceiling, and the switch toggle
    v.push_back({{kConduitX, kSwY + kSwR * 0.6, kBack},
                 {kConduitX + kConduitW, kCeil, kBack + 0.016},
                 kConduit,
                 0});
    v.push_back({{kSwX - 0.005, kSwY - 0.004, kBack + kSwD},
                 {kSwX + 0.005, kSwY + 0.016, kBack + kSwD + 0.013},
                 kSwitch,
                 1});
    for (Box& x : v) {
      if (x.mat == kTrim) x.group = x.sub <= 1 ? 0 : 1;
      if (x.mat == kShelf || x.mat == kBracket || x.mat == kBook) x.group = 2;
      if (x.mat == kConduit || x.mat == kSwitch) x.group = 3;
    }
    return v;
  }();
  return b;
}

Col bookColour(int sub) {
  if (sub < 8) return books()[static_cast<size_t>(sub)].c;
  return sub == 8 ? Col{0.16, 0.19, 0.15} : Col{0.45, 0.38, 0.27};
}

bool hitBox(const Box& b, const V3& o, const V3& inv, double tmax, double& t, V3& n) {
  double t0 = 1e-7, t1 = tmax;
  int axis = -1;
  bool negSide = false;
  const double lo[3] = {b.lo.x, b.lo.y, b.lo.z}, hi[3] = {b.hi.x, b.hi.y, b.hi.z};
  const double oo[3] = {o.x, o.y, o.z}, id[3] = {inv.x, inv.y, inv.z};
  for (int a = 0; a < 3; ++a) {
    double ta = (lo[a] - oo[a]) * id[a], tb = (hi[a] - oo[a]) * id[a];
    bool neg = true;
    if (ta > tb) {
      std::swap(ta, tb);
      neg = false;
    }
    if (ta > t0) {
      t0 = ta;
      axis = a;
      negSide = neg;
    }
    t1 = std::min(t1, tb);
    if (t0 > t1) return false;
  }
  if (axis < 0) return false;
  t = t0;
  double s = negSide ? -1.0 : 1.0;
  n = axis == 0 ? V3{s, 0, 0} : (axis == 1 ? V3{0, s, 0} : V3{0, 0, s});
  return true;
}

bool inDoorOpening(double x, double y) {
  return x > kDoorX0 && x < kDoorX1 && y > kFloor && y < kDoorTop;
}

// Small round things: the tin, the switch, the knob.
template <typename F>
void roundThings(const V3& o, const V3& d, double tmax, F&& take) {
  double t;
  V3 n;
  if (hitAxisCyl(o, d, 1, V3{kCanX, 0, kCanZ}, kCanR, kShelfY, kShelfY + kCanH, tmax, t, n))
    take(t, n, kCan, 0);
  if (hitAxisCyl(o, d, 2, V3{kSwX, kSwY, 0}, kSwR, kBack, kBack + kSwD, tmax, t, n))
    take(t, n, kSwitch, 0);
  if (hitSphere(o, d, kKnobC, kKnobR, tmax, t)) take(t, norm(o + d * t - kKnobC), kKnob, 0);
  if (hitAxisCyl(o, d, 2, kKnobC, 0.009, kDoorZ, kKnobC.z, tmax, t, n)) take(t, n, kKnob, 1);
  if (hitAxisCyl(o, d, 2, kKnobC, 0.032, kDoorZ, kDoorZ + 0.006, tmax, t, n)) take(t, n, kKnob, 2);
}

// Does the segment o + t d, t in [0, tmax], touch the box at all (starting inside counts)?
bool segTouchesBox(const V3& lo, const V3& hi, const V3& o, const V3& inv, double tmax) {
  double t0 = 0, t1 = tmax;
  const double l[3] = {lo.x, lo.y, lo.z}, h[3] = {hi.x, hi.y, hi.z};
  const double oo[3] = {o.x, o.y, o.z}, id[3] = {inv.x, inv.y, inv.z};
  for (int a = 0; a < 3; ++a) {
    double ta = (l[a] - oo[a]) * id[a], tb = (h[a] - oo[a]) * id[a];
    if (ta > tb) std::swap(ta, tb);
    t0 = std::max(t0, ta);
    t1 = std::min(t1, tb);
    if (t0 > t1) return false;
  }
  return true;
}

// Bounds of each cluster of furniture, round things included, slightly padded.
const std::array<std::pair<V3, V3>, kGroups>& groupBounds() {
  static const std::array<std::pair<V3, V3>, kGroups> g = [] {
    std::array<std::pair<V3, V3>, kGroups> r;
    for (auto& x : r) x = {V3{1e9, 1e9, 1e9}, V3{-1e9, -1e9, -1e9}};
    auto grow = [&](int gi, const V3& lo, const V3& hi) {
      r[gi].first = V3{std::min(r[gi].first.x, lo.x), std::min(r[gi].first.y, lo.y),
                       std::min(r[gi].first.z, lo.z)};
      r[gi].second = V3{std::max(r[gi].second.x, hi.x), std::max(r[gi].second.y, hi.y),
                        std::max(r[gi].second.z, hi.z)};
    };
    for (const Box& b : boxes()) grow(b.group, b.lo, b.hi);
    grow(2, V3{kCanX - kCanR, kShelfY, kCanZ - kCanR},
         V3{kCanX + kCanR, kShelfY + kCanH, kCanZ + kCanR});
    grow(3, V3{kSwX - kSwR, kSwY - kSwR, kBack}, V3{kSwX + kSwR, kSwY + kSwR, kBack + kSwD});
    grow(1, kKnobC - V3{0.035, 0.035, 0.08}, kKnobC + V3{0.035, 0.035, 0.03});
    for (auto& x : r) {
      x.first = x.first - V3{1e-3, 1e-3, 1e-3};
      x.second = x.second + V3{1e-3, 1e-3, 1e-3};
    }
    return r;
  }();
  return g;
}

// Could anything lie within `pad` of the segment p -> q? False means no ray from p to a point
// within `pad` of q can be blocked, which lets whole bundles of shadow rays be skipped.
bool mayOcclude(const V3& p, const V3& q, double pad) {
  V3 dv = q - p;
  double L = len(dv);
  V3 d = dv / L;
  V3 inv{1.0 / d.x, 1.0 / d.y, 1.0 / d.z};
  V3 e{pad, pad, pad};
  const auto& gb = groupBounds();
  for (int g = 0; g < kGroups; ++g)
    if (segTouchesBox(gb[g].first - e, gb[g].second + e, p, inv, L)) return true;
  return segTouchesBox(kChairBounds.first - e, kChairBounds.second + e, p, inv, L);
}

// True if anything in the room blocks the open segment p -> q.
bool occluded(const V3& p, const V3& q) {
  V3 dv = q - p;
  double L = len(dv);
  V3 d = dv / L;
  V3 inv{1.0 / d.x, 1.0 / d.y, 1.0 / d.z};
  double tmax = L - 1e-5;
  bool near[kGroups];
  bool any = false;
  const auto& gb = groupBounds();
  for (int g = 0; g < kGroups; ++g) {
    near[g] = segTouchesBox(gb[g].first, gb[g].second, p, inv, tmax);
    any = any || near[g];
  }
  {
    if (segTouchesBox(kChairBounds.first, kChairBounds.second, p, inv, tmax)) {
      V3 lo = roomToChair(p - kChairOrigin), ld = roomToChair(d);
      V3 linv{1.0 / ld.x, 1.0 / ld.y, 1.0 / ld.z};
      for (const ChairPart& pt : chairParts()) {
        double t;
        V3 n;
        Box b{pt.c - pt.half, pt.c + pt.half, kChair, 0};
        if (hitBox(b, lo, linv, tmax, t, n)) return true;
      }
    }
  }
  if (!any) return false;
  for (const Box& b : boxes()) {
    if (!near[b.group]) continue;
    double t;
    V3 n;
    if (hitBox(b, p, inv, tmax, t, n)) return true;
  }
  if (!near[1] && !near[2] && !near[3]) return false;
  bool hit = false;
  roundThings(p, d, tmax, [&](double, const V3&, int, int) { hit = true; });
  return hit;
}

// ---- room lighting ------------------------------------------------------------------------

// Irradiance factor of the window as a uniform area light (Lambert's polygon formula); multiply
// by the sky radiance to get irradiance.
double windowFormFactor(const V3& p, const V3& n) {
  const V3 q[4] = {{kRight, kWinY0, kWinZ0},
                   {kRight, kWinY0, kWinZ1},
                   {kRight, kWinY1, kWinZ1},
                   {kRight, kWinY1, kWinZ0}};
  V3 u[4];
  for (int i = 0; i < 4; ++i) u[i] = norm(q[i] - p);
  double s = 0;
  for (int i = 0; i < 4; ++i) {
    const V3& a = u[i];
    const V3& b = u[(i + 1) % 4];
    double c = std::clamp(dot(a, b), -1.0, 1.0);
    s += std::acos(c) * dot(norm(cross(a, b)), n);
  }
  return std::max(0.0, std::fabs(s) * 0.5 * 0.82);  // glazing bars take ~18%
}

// Soft darkening in inside corners and under the shelf.
double ambientOcclusion(const V3& p) {
  auto edge = [](double dist, double k, double w) { return 1 - k * std::exp(-dist / w); };
  double ao = 1;
  ao *= edge(std::hypot(p.y - kFloor, p.z - kBack), 0.5, 0.14);
  ao *= edge(std::hypot(p.y - kCeil, p.z - kBack), 0.45, 0.18);
  ao *= edge(std::hypot(p.x - kRight, p.y - kFloor), 0.5, 0.14);
  ao *= edge(std::hypot(p.x - kRight, p.y - kCeil), 0.45, 0.18);
  ao *= edge(std::hypot(p.x - kRight, p.z - kBack), 0.45, 0.2);
  if (p.x > kShelfX0 - 0.06 && p.x < kShelfX1 + 0.06) {
    double fade = smoothstep(kShelfX0 - 0.06, kShelfX0 + 0.06, p.x) *
                  (1 - smoothstep(kShelfX1 - 0.06, kShelfX1 + 0.06, p.x));
    if (p.y < kShelfY) {
      double under = std::hypot(p.y - (kShelfY - kShelfT), p.z - kBack);
      ao *= 1 - fade * 0.4 * std::exp(-under / 0.06);
    } else {
      ao *= 1 - fade * 0.35 * std::exp(-std::hypot(p.y - kShelfY, p.z - kBack) / 0.05);
    }
  }
  // around the door casing and the switch
  if (p.z < kBack + 0.03) {
    double dc =
        std::min(std::fabs(p.x - (kDoorX0 - kCasingW)), std::fabs(p.x - (kDoorX1 + kCasingW)));
    if (p.y < kDoorTop + kCasingW) ao *= edge(dc, 0.25, 0.02);
    double ds = std::hypot(p.x - kSwX, p.y - kSwY) - kSwR;
    ao *= edge(std::max(ds, 0.0), 0.3, 0.015);
  }
  return ao;
}

struct Surface {
  Col albedo;
  V3 n;              // shading normal
  double f0 = 0;     // gloss: reflectance at normal incidence (0 = matte)
  double rough = 1;  // GGX alpha
  Col glossTint{1, 1, 1};
};

// Old distempered plaster: stains, trowel marks, fine grain, scuffs; with a bump normal.
void plaster(double a, double b, const V3& tu, const V3& tv, const V3& n, Col base, uint32_t seed,
             double aboveFloor, double belowCeil, Surface& s) {
  double stain = fbm(a * 0.8, b * 0.8, 3, seed + 1);
  double mottle = fbm(a * 6.0, b * 6.0, 3, seed + 2);
  double grain = fbm(a * 60.0, b * 60.0, 2, seed + 3);
  Col c = base * (1 + 0.09 * stain + 0.045 * mottle + 0.03 * grain);
  // yellowed, smoky patches, heavier toward the ceiling
  double y = smoothstep(0.05, 0.5, fbm(a * 0.5 + 3.1, b * 0.5, 2, seed + 4));
  double smoke = smoothstep(0.9, 0.0, belowCeil);
  c = c * mix(Col{1, 1, 1}, Col{0.94, 0.88, 0.76}, clamp01(y * 0.55 + smoke * 0.5));
  // an old water stain with a darker tide line
  double ws =
      fbm(a * 1.3 + 7.7, b * 1.3 - 2.0, 3, seed + 9) + 0.5 * smoothstep(0.7, 0.1, belowCeil) - 0.55;
  double tide = smoothstep(0.0, 0.03, ws) * (1 - smoothstep(0.03, 0.12, ws));
  c = c * mix(Col{1, 1, 1}, Col{0.93, 0.88, 0.78}, smoothstep(-0.05, 0.1, ws) * 0.35);
  c = c * (1 - 0.05 * tide);
  // grime and scuffs rising from the floor
  if (aboveFloor < 0.6) {
    double dirt = smoothstep(0.6, 0.0, aboveFloor) * (0.5 + 0.5 * fbm(a * 3, b * 3, 2, seed + 5));
    double scuff = aboveFloor < 0.45 ? smoothstep(0.35, 0.6, fbm(a * 9, b * 30, 2, seed + 6)) *
                                           smoothstep(0.45, 0.15, aboveFloor)
                                     : 0.0;
    c = c * (1 - 0.25 * clamp01(dirt) - 0.25 * scuff);
  }
  s.albedo = c;
  auto hgt = [&](double x, double z) {
    return 0.6 * fbm(x * 11, z * 11, 2, seed + 10) + 0.22 * fbm(x * 80, z * 80, 2, seed + 11);
  };
  const double e = 0.0015;
  double h0 = hgt(a, b);
  double ha = (hgt(a + e, b) - h0) / e, hb = (hgt(a, b + e) - h0) / e;
  const double k = 0.0045;
  s.n = norm(n - tu * (ha * k) - tv * (hb * k));
}

// Wood: growth rings distorted by noise, fibres running along `along`.
Col woodGrain(double across, double along, double ringScale, uint32_t seed, Col dark, Col light) {
  double warp = fbm(across * 3, along * 0.35, 3, seed + 11) * 1.6;
  double rings = across * ringScale + warp * 3.0 + seed % 7;
  double f = rings - std::floor(rings);
  double ring = smoothstep(0.0, 0.25, f) * (1 - smoothstep(0.55, 1.0, f));
  double fib = fbm(across * 260, along * 6, 2, seed + 12);
  double t = clamp01(0.35 + 0.4 * ring + 0.25 * fib + 0.15 * fbm(across * 8, along * 1.2, 2, seed));
  return mix(dark, light, t);
}

void floorSurface(const V3& p, Surface& s, int& sub) {
  const double pw = 0.135;
  double xs = p.x + 10.0;
  int plank = static_cast<int>(std::floor(xs / pw));
  double u = xs / pw - plank;
  double r1 = cellRand(plank, 0, 77), r2 = cellRand(plank, 1, 77);
  double plen = 1.3 + 1.3 * r2;
  double zz = p.z + r1 * plen + 20.0;
  int seg = static_cast<int>(std::floor(zz / plen));
  double v = zz / plen - seg;
  sub = (plank & 0xFFF) * 64 + (seg & 63);
  double r3 = cellRand(plank, seg, 91);
  Col c = woodGrain(u * pw + r3 * 5, p.z, 40.0, 200u + static_cast<uint32_t>(plank * 13 + seg),
                    Col{0.075, 0.050, 0.032}, Col{0.20, 0.14, 0.085});
  c = c * (0.75 + 0.5 * r3);
  // dust and wear
  double dust = smoothstep(0.1, 0.6, fbm(p.x * 2.0, p.z * 2.0, 3, 4242));
  c = mix(c, Col{0.22, 0.20, 0.17}, dust * 0.35);
  double gapU = std::min(u, 1 - u) * pw, gapV = std::min(v, 1 - v) * plen;
  double gap = smoothstep(0.0025, 0.0008, gapU) + smoothstep(0.002, 0.0006, gapV);
  c = c * (1 - 0.85 * clamp01(gap));
  s.albedo = c;
  double cup = (u - 0.5) * 0.06;
  s.n = norm(V3{cup, 1, 0.01 * gnoise(p.x * 30, p.z * 2, 5)});
  s.f0 = 0.03 * (1 - 0.6 * clamp01(gap)) * (1 - 0.6 * dust);
  s.rough = 0.25 + 0.12 * fbm(p.x * 5, p.z * 5, 2, 17);
}

// Woodwork painted in old grey-green gloss, worn through to a pale undercoat at the edges.
void paint(double a, double b, const V3& n, uint32_t seed, double edgeDist, Surface& s) {
  Col base{0.20, 0.235, 0.205};
  double brush = fbm(a * 4, b * 120, 2, seed + 1);
  Col c = base * (1 + 0.08 * brush + 0.06 * fbm(a * 2, b * 2, 3, seed + 2));
  double wear = fbm(a * 25, b * 25, 3, seed + 3) + smoothstep(0.015, 0.0, edgeDist) * 0.45;
  double chip = smoothstep(0.55, 0.62, wear);
  c = mix(c, Col{0.45, 0.43, 0.37}, chip * 0.6);
  s.albedo = c;
  s.n = norm(n + V3{0.01 * brush, 0, 0});
  s.f0 = 0.04 * (1 - chip);
  s.rough = 0.28;
}

void doorSurface(const V3& p, Surface& s, int& sub) {
  const double bw = (kDoorX1 - kDoorX0) / 5.0;
  double x = p.x - kDoorX0;
  int board = std::clamp(static_cast<int>(x / bw), 0, 4);
  double u = x / bw - board;
  sub = board;
  double edge = std::min({std::min(u, 1 - u) * bw, p.x - kDoorX0, kDoorX1 - p.x});
  paint(p.y * 0.1 + board, p.x * 3 + p.y * 0.02, V3{0, 0, 1}, 300u + board, edge, s);
  // vertical V-grooves between boards and the gap around the door
  double groove = std::min(u, 1 - u) * bw;
  double g = smoothstep(0.004, 0.0012, groove);
  double gapEdge = std::min({p.x - kDoorX0, kDoorX1 - p.x, kDoorTop - p.y});
  g = std::max(g, smoothstep(0.005, 0.002, gapEdge));
  s.albedo = s.albedo * (1 - 0.8 * g);
  // grime around the knob where hands go
  double hand = std::exp(-sq((p.x - kKnobC.x) / 0.12) - sq((p.y - kKnobC.y) / 0.18));
  s.albedo = s.albedo * (1 - 0.3 * hand * (0.6 + 0.4 * fbm(p.x * 20, p.y * 20, 2, 333)));
  s.n = norm(V3{(u - 0.5) * 0.03, 0, 1});
}

Surface surfaceAt(const Hit& h, int& sub) {
  Surface s;
  s.n = h.n;
  sub = h.sub;
  const V3& p = h.p;
  const Col wall{0.66, 0.63, 0.56};
  switch (h.mat) {
    case kBackWall: {
      plaster(p.x, p.y, {1, 0, 0}, {0, 1, 0}, h.n, wall, 1000, p.y - kFloor, kCeil - p.y, s);
      // where a picture hung: cleaner paint with a dusty outline, and its nail
      double gx = std::min(p.x - kGhostX0, kGhostX1 - p.x),
             gy = std::min(p.y - kGhostY0, kGhostY1 - p.y);
      double inside = smoothstep(-0.004, 0.004, std::min(gx, gy));
      double rim = std::exp(-sq(std::min(gx, gy) / 0.006)) * (std::min(gx, gy) > -0.02 ? 1.0 : 0.0);
      s.albedo = s.albedo * (1 + 0.035 * inside) * (1 - 0.05 * rim);
      double dn = std::hypot(p.x - kNail.x, p.y - kNail.y);
      s.albedo = s.albedo * (1 - 0.85 * smoothstep(0.0035, 0.002, dn));
      // a faint shadowy streak of dust below the nail
      break;
    }
    case kRightWall:
      plaster(p.z, p.y, {0, 0, 1}, {0, 1, 0}, h.n, wall, 2000, p.y - kFloor, kCeil - p.y, s);
      break;
    case kOtherWall:
      plaster(p.z + p.x, p.y, {0, 0, 1}, {0, 1, 0}, h.n, wall, 2500, 1, 1, s);
      break;
    case kCeiling:
      plaster(p.x, p.z, {1, 0, 0}, {0, 0, 1}, h.n, {0.70, 0.68, 0.63}, 3000, 2, 0.3, s);
      break;
    case kFloorM:
      floorSurface(p, s, sub);
      break;
    case kTrim: {
      // distance to the nearest edge of the moulding for wear
      double along = (h.sub == 1) ? p.z : ((h.sub == 2 || h.sub == 3 || h.sub == 5) ? p.y : p.x);
      double across =
          (h.sub == 1) ? p.y : ((h.sub == 2 || h.sub == 3 || h.sub == 5) ? p.x + p.z : p.y + p.z);
      double ed = 1.0;
      if (h.sub == 0 || h.sub == 1) ed = std::fabs(p.y - (kFloor + 0.12));
      if (h.sub == 2)
        ed = std::min(std::fabs(p.x - (kDoorX0 - kCasingW)), std::fabs(p.x - kDoorX0));
      if (h.sub == 3)
        ed = std::min(std::fabs(p.x - (kDoorX1 + kCasingW)), std::fabs(p.x - kDoorX1));
      paint(across, along * 0.05 + across, h.n, 400u + static_cast<uint32_t>(h.sub), ed, s);
      // boot scuffs on the skirting
      if (h.sub <= 1)
        s.albedo = s.albedo * (1 - 0.35 * smoothstep(0.45, 0.7, fbm(along * 6, p.y * 40, 3, 450)));
      break;
    }
    case kDoor:
      doorSurface(p, s, sub);
      break;
    case kShelf: {
      s.albedo = woodGrain(p.y * 3 + p.z, p.x, 40.0, 500, {0.13, 0.08, 0.045}, {0.30, 0.20, 0.11});
      s.f0 = 0.03;
      s.rough = 0.4;
      break;
    }
    case kBracket:
      s.albedo = Col{0.035, 0.033, 0.03} * (1 + 0.3 * fbm(p.y * 80, p.z * 80, 2, 600));
      s.f0 = 0.05;
      s.rough = 0.35;
      break;
    case kBook: {
      // old cloth bindings, faded by years of light
      Col c = bookColour(h.sub);
      c = mix(c, Col{1, 1, 1} * luma(c), 0.35) * 0.85;
      double wear = fbm(p.x * 60 + h.sub, p.y * 60, 3, 700 + static_cast<uint32_t>(h.sub));
      c = c * (1 + 0.2 * wear);
      if (h.n.z > 0.5 && h.sub < 8) {
        const Book& bk = books()[static_cast<size_t>(h.sub)];
        double rel = (p.y - kShelfY) / bk.h;
        double band = smoothstep(0.012, 0.004, std::fabs(rel - 0.88)) +
                      smoothstep(0.012, 0.004, std::fabs(rel - 0.12));
        if (h.sub % 3 != 1) band += smoothstep(0.008, 0.003, std::fabs(rel - 0.82));
        c = mix(c, Col{0.45, 0.37, 0.18}, clamp01(band) * 0.6);
        double xr = (p.x - bk.x0) / bk.w;
        double label = smoothstep(0.2, 0.25, xr) * smoothstep(0.8, 0.75, xr) *
                       smoothstep(0.55, 0.57, rel) * smoothstep(0.72, 0.70, rel);
        if (h.sub % 2 == 0) c = mix(c, Col{0.45, 0.41, 0.33}, label * 0.35);
        // worn spine corners
        c = c * (1 + 0.25 * smoothstep(0.2, 0.0, std::min(xr, 1 - xr)) * wear);
      } else if (h.sub >= 8 && std::fabs(h.n.x) > 0.5) {
        double lines = 0.5 + 0.5 * std::sin(p.y * 2400.0);
        c = Col{0.55, 0.51, 0.42} * (0.9 + 0.1 * lines);
      }
      s.albedo = c;
      s.f0 = 0.025;
      s.rough = 0.5;
      break;
    }
    case kCan: {
      double ang = std::atan2(p.z - kCanZ, p.x - kCanX);
      double hh = p.y - kShelfY;
      Col c{0.09, 0.15, 0.12};
      double rim = smoothstep(0.012, 0.009, std::fabs(hh - kCanH + 0.02));
      c = mix(c, Col{0.38, 0.34, 0.26}, rim);
      double lab = smoothstep(0.04, 0.045, hh) * smoothstep(0.1, 0.095, hh);
      c = mix(c, Col{0.36, 0.27, 0.15}, lab * 0.6);
      c = c * (1 + 0.15 * fbm(ang * 3, hh * 40, 2, 800));
      s.albedo = c;
      s.f0 = 0.06;
      s.rough = 0.18;
      break;
    }
    case kKnob:
      s.albedo = Col{0.05, 0.04, 0.02};
      s.f0 = 0.6;
      s.glossTint = Col{0.95, 0.75, 0.42};
      s.rough = h.sub == 2 ? 0.3 : 0.2;
      break;
    case kSwitch:
      s.albedo = Col{0.06, 0.04, 0.03} * (1 + 0.2 * fbm(p.x * 300, p.y * 300, 2, 900));
      s.f0 = 0.05;
      s.rough = 0.15;
      break;
    case kChair: {
      // dark-stained beech, grain along each part's long side, worn lighter on the edges
      V3 q = roomToChair(p - kChairOrigin);
      const ChairPart& pt = chairParts()[static_cast<size_t>(h.sub)];
      V3 rel = q - pt.c;
      double along, across;
      if (pt.half.y >= std::max(pt.half.x, pt.half.z)) {
        along = rel.y;
        across = rel.x + rel.z;
      } else if (pt.half.x >= pt.half.z) {
        along = rel.x;
        across = rel.y + rel.z;
      } else {
        along = rel.z;
        across = rel.x + rel.y;
      }
      s.albedo = woodGrain(across + h.sub * 0.31, along, 60.0, 1200u + static_cast<uint32_t>(h.sub),
                           Col{0.045, 0.030, 0.020}, Col{0.135, 0.090, 0.055});
      double edge = std::min({pt.half.x - std::fabs(rel.x), pt.half.y - std::fabs(rel.y),
                              pt.half.z - std::fabs(rel.z)});
      // handled edges are rubbed through the dark stain
      s.albedo = mix(s.albedo, s.albedo * 1.8, smoothstep(0.005, 0.0, edge) * 0.6);
      s.f0 = 0.04;
      s.rough = 0.25;
      break;
    }
    case kConduit:
      s.albedo = Col{0.50, 0.48, 0.43} * (1 + 0.1 * fbm(p.x * 50, p.y * 20, 2, 950));
      s.f0 = 0.03;
      s.rough = 0.4;
      break;
    default:
      s.albedo = {0.5, 0.5, 0.5};
      break;
  }
  return s;
}

// Moonlight reaching p through the window (fraction of the small source that is visible).
double moonVisibility(const V3& p, uint64_t seed) {
  V3 s = -kMoonDir;
  const int n = 6;
  double vis = 0;
  double t0 = (kRight - p.x) / s.x;
  if (t0 <= 0) return 0;
  // The rays of the bundle stay within about 0.06 * t0 of the central one; if nothing is that
  // close to it, none of them can be blocked.
  bool mayBlock = mayOcclude(p, p + s * t0, 0.06 * t0 + 0.01);
  DiskSampler ds(s, V3{0, 0, 0}, 0.02, n, u01(seed) * 2 * kPi);
  for (int k = 0; k < n; ++k) {
    V3 dir = norm(ds[k]);
    if (dir.x <= 0) continue;
    double tt = (kRight - p.x) / dir.x;
    if (tt <= 0) continue;
    V3 q = p + dir * tt;
    double pane = windowPane(q.y, q.z, 0.004);
    if (pane <= 0) continue;
    if (mayBlock && occluded(p + dir * 1e-4, q)) continue;
    vis += pane;
  }
  return vis / n;
}

int roomId(const Hit& h) {
  int sub = h.sub;
  if (h.mat == kFloorM) {
    Surface s;
    floorSurface(h.p, s, sub);
  } else if (h.mat == kDoor) {
    double bw = (kDoorX1 - kDoorX0) / 5.0;
    sub = std::clamp(static_cast<int>((h.p.x - kDoorX0) / bw), 0, 4);
  }
  return h.mat * 1000003 + sub;
}

}  // namespace

Hit traceRoom(const V3& o, const V3& d) {
  Hit h;
  auto plane = [&](double t, V3 n, int mat) {
    if (t > 1e-7 && t < h.t) {
      h.t = t;
      h.n = n;
      h.mat = mat;
    }
  };
  if (d.z < 0) plane((kBack - o.z) / d.z, {0, 0, 1}, kBackWall);
  if (d.z > 0) plane((kNear - o.z) / d.z, {0, 0, -1}, kOtherWall);
  if (d.x > 0) plane((kRight - o.x) / d.x, {-1, 0, 0}, kRightWall);
  if (d.x < 0) plane((kLeft - o.x) / d.x, {1, 0, 0}, kOtherWall);
  if (d.y > 0) plane((kCeil - o.y) / d.y, {0, -1, 0}, kCeiling);
  if (d.y < 0) plane((kFloor - o.y) / d.y, {0, 1, 0}, kFloorM);
  h.p = o + d * h.t;
  if (h.mat == kBackWall && inDoorOpening(h.p.x, h.p.y)) {
    // continue into the shallow recess that holds the door
    double t0 = h.t;
    h.t = 1e30;
    plane((kDoorZ - o.z) / d.z, {0, 0, 1}, kDoor);
    if (d.x < 0) plane((kDoorX0 - o.x) / d.x, {1, 0, 0}, kTrim);
    if (d.x > 0) plane((kDoorX1 - o.x) / d.x, {-1, 0, 0}, kTrim);
    if (d.y > 0) plane((kDoorTop - o.y) / d.y, {0, -1, 0}, kTrim);
    if (d.y < 0) plane((kFloor - o.y) / d.y, {0, 1, 0}, kFloorM);
    if (h.t < t0) h.t = t0;
    if (h.mat == kTrim) h.sub = 5;
  }
  V3 inv{1.0 / d.x, 1.0 / d.y, 1.0 / d.z};
  bool near[kGroups];
  const auto& gb = groupBounds();
  for (int g = 0; g < kGroups; ++g) near[g] = segTouchesBox(gb[g].first, gb[g].second, o, inv, h.t);
  for (const Box& b : boxes()) {
    if (!near[b.group]) continue;
    double t;
    V3 n;
    if (hitBox(b, o, inv, h.t, t, n)) {
      h.t = t;
      h.n = n;
      h.mat = b.mat;
      h.sub = b.sub;
    }
  }
  if (segTouchesBox(kChairBounds.first, kChairBounds.second, o, inv, h.t)) {
    V3 lo = roomToChair(o - kChairOrigin), ld = roomToChair(d);
    V3 linv{1.0 / ld.x, 1.0 / ld.y, 1.0 / ld.z};
    int k = 0;
    for (const ChairPart& pt : chairParts()) {
      double t;
      V3 n;
      Box b{pt.c - pt.half, pt.c + pt.half, kChair, k};
      if (hitBox(b, lo, linv, h.t, t, n)) {
        h.t = t;
        h.n = chairToRoom(n);
        h.mat = kChair;
        h.sub = k;
      }
      ++k;
    }
  }
  if (near[1] || near[2] || near[3]) {
    roundThings(o, d, h.t, [&](double t, const V3& n, int mat, int sub) {
      if (t < h.t) {
        h.t = t;
        h.n = n;
        h.mat = mat;
        h.sub = sub;
      }
    });
  }
  h.p = o + d * h.t;
  return h;
}

// How much of the window is open glass (not frame or glazing bar) at (y, z) in its plane.
double windowPane(double y, double z, double soft) {
  auto box = [&](double a, double lo, double hi) {
    return smoothstep(lo - soft, lo + soft, a) * (1 - smoothstep(hi - soft, hi + soft, a));
  };
  const double fr = 0.05;
  double inside = box(z, kWinZ0 + fr, kWinZ1 - fr) * box(y, kWinY0 + fr, kWinY1 - fr);
  if (inside <= 0) return 0;
  double zm = 0.5 * (kWinZ0 + kWinZ1);
  double bar = 1 - box(z, zm - 0.028, zm + 0.028);
  double h = kWinY1 - kWinY0;
  for (int k = 1; k < 3; ++k) {
    double yb = kWinY0 + h * k / 3.0;
    bar *= 1 - box(y, yb - 0.014, yb + 0.014);
  }
  return inside * bar;
}

Rad shadeRoom(const Hit& h, const V3& view, uint64_t seed) {
  Rad out;
  if (h.mat == kNone) return out;
  int sub = 0;
  Surface s = surfaceAt(h, sub);
  V3 p = h.p + h.n * 1e-5;
  V3 n = s.n;
  double ao = ambientOcclusion(h.p);

  // --- the bulb
  V3 tl = kLightRoom - p;
  double r2 = dot(tl, tl);
  double dl = std::sqrt(r2);
  V3 l = tl / dl;
  double cosg = dot(h.n, l);
  double direct = 0;
  if (cosg > 0) {
    const int nl = 6;
    int vis = nl;
    if (mayOcclude(p, kLightRoom, kLightRadius)) {
      DiskSampler ds(kLightRoom, p, kLightRadius, nl, u01(mix64(seed ^ 0xB0B)) * 2 * kPi);
      vis = 0;
      for (int k = 0; k < nl; ++k)
        if (!occluded(p, ds[k])) ++vis;
    }
    direct = std::max(0.0, dot(n, l)) / r2 * vis / nl;
  }
  // light bounced around the room: stronger near the bulb, weaker in the corners
  double indirect = (0.011 + 0.04 / (1.0 + 2.0 * r2)) * ao;
  Col bounce = kBulbI * Col{1.0, 0.93, 0.82};
  out.bulb = s.albedo * (1.0 / kPi) * (kBulbI * direct + bounce * indirect);
  if (s.f0 > 0 && direct > 0) {
    V3 hv = norm(l + view);
    double a = std::max(s.rough, 0.5 * kLightRadius / dl + 0.02);
    double nv = std::max(dot(n, view), 0.05);
    double f = schlick(s.f0, dot(hv, view));
    out.bulb += kBulbI * s.glossTint * (ggx(std::max(dot(n, hv), 0.0), a) * f / (4 * nv) * direct);
  }
  if (s.f0 > 0) out.bulb += kBulbI * s.glossTint * (schlick(s.f0, dot(n, view)) * 0.01);

  // --- moon beam and the sky glow from the window
  double cm = dot(n, -kMoonDir);
  double mv = 0;
  if (cm > 0 && dot(h.n, -kMoonDir) > 0) mv = moonVisibility(p, seed) * cm;
  double ff = windowFormFactor(p, n);
  double skyVis = 1.0;
  if (ff > 0) {
    int blocked = 0;
    for (int k = 0; k < 2; ++k) {
      uint64_t hh = mix64(seed + 31 * k + 7);
      V3 q{kRight, mix(kWinY0, kWinY1, u01(hh)), mix(kWinZ0, kWinZ1, u01(mix64(hh)))};
      if (occluded(p, q)) ++blocked;
    }
    skyVis = 1.0 - blocked / 2.0 * 0.8;
  }
  // light scattered off the bright patch and the window reveals into the rest of the room;
  // more on the window side
  double side = smoothstep(-2.4, 1.75, p.x);
  Col moonBounce = Col{0.46, 0.58, 0.85} * ((0.030 + 0.030 * side) * ao);
  out.moon = s.albedo * (1.0 / kPi) * (kMoonE * mv + kSkyL * (ff * skyVis) + moonBounce);
  if (s.f0 > 0 && mv > 0) {
    V3 hv = norm(-kMoonDir + view);
    double nv = std::max(dot(n, view), 0.05);
    out.moon += kMoonE * s.glossTint *
                (ggx(std::max(dot(n, hv), 0.0), std::max(s.rough, 0.05)) *
                 schlick(s.f0, dot(hv, view)) / (4 * nv) * mv);
  }
  return out;
}

Rad roomSample(double px, double py, uint64_t seed, int* id) {
  V3 d = toRoom(cameraRay(px, py));
  Hit h = traceRoom(V3{0, 0, 0}, d);
  if (id) *id = roomId(h);
  return shadeRoom(h, -d, seed);
}

}  // namespace mg::rt
