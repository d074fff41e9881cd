#pragma once
// The clocks the benchmark programs read; the statistics are taken by the scripts (lib.sh).
#include <time.h>

namespace bench {

inline double ClockMs(clockid_t clock) {
  timespec ts{};
  clock_gettime(clock, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}
inline double NowMs() { return ClockMs(CLOCK_MONOTONIC); }

}  // namespace bench
