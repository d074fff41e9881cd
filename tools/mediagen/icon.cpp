#include "icon.h"

#include <cmath>

#include "mathx.h"

namespace mg {
namespace {

// Icon space: unit square, y down.
constexpr double kCx = 0.5, kGy = 0.40, kGr = 0.30;
constexpr double kNeckY = 0.75, kNeckHw = 0.125;

struct Outline {
  double ty, thw;  // where the neck meets the globe tangentially
};
const Outline& TheOutline() {
  static const Outline o = [] {
    double h = kNeckY - kGy;  // below the centre
    double rho = std::hypot(kNeckHw, h);
    double psi = std::atan2(h, kNeckHw);
    double phi = psi - std::acos(kGr / rho);
    Outline r;
    r.thw = kGr * std::cos(phi);
    r.ty = kGy + kGr * std::sin(phi);
    return r;
  }();
  return o;
}

// Signed distance-like value: negative inside the glass.
double GlassDist(double x, double y) {
  const Outline& o = TheOutline();
  double dc = std::hypot(x - kCx, y - kGy) - kGr;
  if (y > o.ty && y < kNeckY + 0.01) {
    double t = (y - o.ty) / (kNeckY - o.ty);
    double hw = Mix(o.thw, kNeckHw, t);
    double dn = std::fabs(x - kCx) - hw;
    dc = std::min(dc, dn);
  }
  return dc;
}

struct Px {
  Col c;  // premultiplied linear colour
  double a = 0;
};
void Over(Px& dst, Col c, double a) {
  dst.c = c * a + dst.c * (1 - a);
  dst.a = a + dst.a * (1 - a);
}

double SegDist(double px, double py, double ax, double ay, double bx, double by) {
  double vx = bx - ax, vy = by - ay;
  double t = Clamp01(((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy));
  return std::hypot(px - ax - vx * t, py - ay - vy * t);
}

// The colour of the lit glass at a point inside it.
Col GlassColour(double x, double y, int size) {
  double rho = std::min(1.0, std::hypot(x - kCx, (y - kGy) * 1.05) / kGr);
  // toward the neck the glass narrows, so its edge colour comes closer to the axis
  double neck = Smoothstep(kGy + kGr * 0.55, kGy + kGr * 1.0, y);
  rho = Mix(rho, std::max(rho, std::fabs(x - kCx) / kNeckHw * 0.9), neck);
  Col core{1.0, 0.97, 0.80}, mid{1.0, 0.80, 0.36}, edge{0.95, 0.48, 0.10};
  Col c = rho < 0.55 ? Mix(core, mid, Smoothstep(0.0, 0.55, rho))
                     : Mix(mid, edge, Smoothstep(0.55, 1.0, rho));
  // glossy reflection on the upper left of the glass
  double hx = (x - (kCx - 0.11)) / 0.075, hy = (y - (kGy - 0.14)) / 0.05;
  double hl = std::exp(-(hx * hx + hy * hy));
  c = Mix(c, Col{1, 1, 1}, 0.75 * hl);
  // filament, drawn where the icon is big enough to show it
  {
    double w = 0.010 + 0.5 / size;
    double fy = kGy + 0.04;
    double d = std::min(
        {SegDist(x, y, 0.40, fy, 0.45, fy - 0.05), SegDist(x, y, 0.45, fy - 0.05, 0.50, fy),
         SegDist(x, y, 0.50, fy, 0.55, fy - 0.05), SegDist(x, y, 0.55, fy - 0.05, 0.60, fy)});
    double lead =
        std::min(SegDist(x, y, 0.40, fy, 0.44, kNeckY), SegDist(x, y, 0.60, fy, 0.56, kNeckY));
    c = Mix(c, Col{1.0, 1.0, 0.95}, Smoothstep(w, w * 0.4, d));
    c = Mix(c, Col{0.85, 0.55, 0.20}, 0.6 * Smoothstep(w * 0.6, w * 0.2, lead));
  }
  return c;
}

// The screw cap, with its outline, over whatever `p` holds at (x, y).
void DrawCap(Px& p, double x, double y, double ow, const Col& outlineCol) {
  const double capTop = kNeckY - 0.01, capBot = 0.875;
  if (y >= capTop && y <= capBot + 0.055 + ow) {
    double hw;
    bool thread = false, insul = false, tip = false;
    if (y < capTop + 0.03) {
      hw = kNeckHw + 0.012;
    } else if (y < capBot) {
      double s = std::sin((y - capTop) * 2 * kPi / 0.034);
      hw = kNeckHw + 0.006 * s;
      thread = true;
    } else if (y < capBot + 0.028) {
      hw = 0.085 - (y - capBot) * 0.6;
      insul = true;
    } else {
      hw = 0.045;
      tip = true;
    }
    double dx = std::fabs(x - kCx);
    if (y > capBot + 0.055 || (dx > hw && dx <= hw + ow)) {
      if (dx <= hw + ow) Over(p, outlineCol, 1.0);
    } else if (dx <= hw) {
      double u = dx / hw;
      double shade = 0.30 + 0.65 * std::sqrt(std::max(0.0, 1 - u * u));
      Col c = Col{0.62, 0.60, 0.58} * shade;
      if (thread) {
        double s = std::sin((y - capTop + 0.25 * (x - kCx)) * 2 * kPi / 0.034);
        c = c * (0.75 + 0.25 * s);
      }
      if (insul) c = Col{0.05, 0.045, 0.04} * (0.6 + 0.6 * shade);
      if (tip) c = Col{0.55, 0.45, 0.30} * shade;
      // warm light spilling from the glass onto the cap
      c += Col{0.30, 0.16, 0.04} * (1 - Smoothstep(capTop, capTop + 0.06, y));
      double edgeAa = 1.0;
      Over(p, c, edgeAa);
    }
  }
}

Px SampleIcon(double x, double y, int size) {
  Px p;
  double gd = GlassDist(x, y);
  // A dark outline about a pixel wide keeps the bulb legible on any panel, light or dark.
  const double ow = std::max(0.018, 1.1 / size);
  const Col outlineCol{0.10, 0.06, 0.03};
  // warm halo around the glass, where the icon is big enough for it to read as light
  if (gd > 0 && size >= 48) {
    double halo = 0.55 * std::exp(-gd / 0.055) * Smoothstep(kNeckY + 0.06, kNeckY - 0.12, y);
    Over(p, Col{1.0, 0.62, 0.18}, halo);
  }
  if (gd <= 0) {
    const Col c = GlassColour(x, y, size);
    Over(p, c, 1.0);
  } else if (gd <= ow && y < kNeckY) {
    Over(p, outlineCol, 1.0);
  }
  DrawCap(p, x, y, ow, outlineCol);
  return p;
}

}  // namespace

std::vector<uint8_t> RenderIcon(int size) {
  std::vector<uint8_t> out(static_cast<size_t>(size) * size * 4);
  const int g = size <= 64 ? 16 : 8;
  for (int py = 0; py < size; ++py)
    for (int px = 0; px < size; ++px) {
      Col c;
      double a = 0;
      for (int sy = 0; sy < g; ++sy)
        for (int sx = 0; sx < g; ++sx) {
          double x = (px + (sx + 0.5) / g) / size, y = (py + (sy + 0.5) / g) / size;
          // The bulb, outline included, spans the whole height of the square.
          y += 0.015;
          Px s = SampleIcon(x, y, size);
          c += s.c;
          a += s.a;
        }
      c *= 1.0 / (g * g);
      a /= g * g;
      size_t i = (static_cast<size_t>(py) * size + px) * 4;
      auto enc = [](double v) {
        v = Clamp01(v);
        double s = v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1.0 / 2.4) - 0.055;
        return static_cast<uint8_t>(std::lround(s * 255.0));
      };
      if (a > 1e-6) {
        out[i] = enc(c.x / a);
        out[i + 1] = enc(c.y / a);
        out[i + 2] = enc(c.z / a);
      }
      out[i + 3] = static_cast<uint8_t>(std::lround(Clamp01(a) * 255.0));
    }
  return out;
}

}  // namespace mg
