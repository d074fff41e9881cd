#pragma once
// Clocks and order statistics shared by the benchmark programs.
#include <time.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace bench {

inline double ClockMs(clockid_t clock) {
  timespec ts{};
  clock_gettime(clock, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}
inline double NowMs() { return ClockMs(CLOCK_MONOTONIC); }

// The value below which `p` (0..1) of the samples lie, nearest rank; p = 1 is the maximum.
inline double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return NAN;
  std::sort(v.begin(), v.end());
  const double rank = std::ceil(p * static_cast<double>(v.size()));
  return v[std::min(rank < 1 ? 0 : static_cast<std::size_t>(rank) - 1, v.size() - 1)];
}

inline double Median(std::vector<double> v) {
  if (v.empty()) return NAN;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace bench
