// The room: walls, door, shelf, chair and floor, lit by the bulb and by moonlight through a
// window off to the right. Everything here is in room space (see trace.h).
#pragma once

#include <cstdint>

#include "trace.h"

namespace mg::rt {

// ---- room (room space) --------------------------------------------------------------------

constexpr double kFloor = -1.40, kCeil = 1.10, kBack = -3.0, kRight = 1.75, kLeft = -2.4;
constexpr double kNear = 1.0;

// Door in the back wall: opening, recessed panel, painted casing.
constexpr double kDoorX0 = 0.80, kDoorX1 = 1.55, kDoorTop = kFloor + 2.0, kDoorZ = kBack - 0.045;
constexpr double kCasingW = 0.07;
// Window in the right wall, out of frame; only its light is seen.
constexpr double kWinZ0 = -2.05, kWinZ1 = -0.80, kWinY0 = kFloor + 0.85, kWinY1 = kFloor + 2.12;

// Shelf with books and a tin.
constexpr double kShelfX0 = -1.02, kShelfX1 = -0.06, kShelfY = -0.12, kShelfT = 0.026;
constexpr double kShelfZ1 = kBack + 0.21;
constexpr double kCanX = -0.24, kCanZ = kBack + 0.085, kCanR = 0.046, kCanH = 0.138;
// Old bakelite switch with its conduit running up to the ceiling.
constexpr double kSwX = 0.56, kSwY = kFloor + 1.38, kSwR = 0.037, kSwD = 0.026;
constexpr double kConduitX = kSwX - 0.009, kConduitW = 0.018;
// Pale patch where a picture used to hang, and its nail.
constexpr double kGhostX0 = -0.78, kGhostX1 = -0.30, kGhostY0 = 0.16, kGhostY1 = 0.56;
inline const V3 kNail{-0.54, 0.612, kBack + 0.004};

inline const V3 kKnobC{1.47, kFloor + 0.96, kDoorZ + 0.062};
constexpr double kKnobR = 0.027;

struct Hit {
  double t = 1e30;
  V3 p, n;
  int mat = 0;
  int sub = 0;
};

// Nearest surface of the room along a ray.
Hit traceRoom(const V3& o, const V3& d);
// Light leaving a room surface toward `view` (unit vector from the surface to the eye).
Rad shadeRoom(const Hit& h, const V3& view, uint64_t seed);
// One camera ray through pixel position (px, py); `id` (optional) names the surface hit so that
// edges between surfaces can be found.
Rad roomSample(double px, double py, uint64_t seed, int* id);
// How much of the window is open glass at (y, z) in its plane.
double windowPane(double y, double z, double soft);

}  // namespace mg::rt
