// How late this machine wakes a thread that sleeps to a deadline, with nothing of ours running:
// the floor under the show's timer lateness. It sleeps to absolute deadlines with the pattern of
// the show's waits (25, 50 and 100 ms, and the short precise stretch that ends each of the
// program's waits) and reports how late each wake came.
//
//   lumorra_wake_floor [SECONDS]        (default 30)

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_util.h"

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 30;
  if (seconds <= 0) {
    std::fprintf(stderr, "usage: lumorra_wake_floor [SECONDS]\n");
    return 2;
  }
  const long pattern[] = {25'000, 1'000, 50'000, 1'000, 100'000, 1'000};
  std::vector<double> late;
  const double end = bench::NowMs() + seconds * 1e3;
  for (std::size_t i = 0; bench::NowMs() < end; ++i) {
    timespec due{};
    clock_gettime(CLOCK_MONOTONIC, &due);
    due.tv_nsec += pattern[i % std::size(pattern)] * 1000;
    due.tv_sec += due.tv_nsec / 1'000'000'000;
    due.tv_nsec %= 1'000'000'000;
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) != 0) {
    }
    const double dueMs = due.tv_sec * 1e3 + due.tv_nsec / 1e6;
    late.push_back(bench::NowMs() - dueMs);
  }
  std::size_t over1 = 0, over2 = 0;
  for (double l : late) {
    over1 += l > 1;
    over2 += l > 2;
  }
  std::printf("| wakes | median ms | p99 ms | max ms | later than 1 ms | later than 2 ms |\n");
  std::printf("|---|---|---|---|---|---|\n");
  std::printf("| %zu | %.3f | %.3f | %.3f | %zu (%.2f %%) | %zu (%.2f %%) |\n", late.size(),
              bench::Median(late), bench::Percentile(late, 0.99), bench::Max(late), over1,
              100.0 * over1 / late.size(), over2, 100.0 * over2 / late.size());
  return 0;
}
