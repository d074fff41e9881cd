// lumorra_wake_floor [SECONDS]: how late the machine wakes a thread sleeping to a deadline (for
// 30 s by default) with nothing of ours running: the floor under the show's timer lateness. The
// sleeps follow the show's waits (25, 50, 100 ms, each with the short precise stretch after).

#include <cstdio>
#include <cstdlib>

#include "bench_util.h"

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 30;
  if (seconds <= 0) return std::fprintf(stderr, "usage: lumorra_wake_floor [SECONDS]\n"), 2;
  const long pattern[] = {25'000, 1'000, 50'000, 1'000, 100'000, 1'000};
  std::vector<double> late;
  std::size_t over1 = 0, over2 = 0;
  const double end = bench::NowMs() + seconds * 1e3;
  for (std::size_t i = 0; bench::NowMs() < end; ++i) {
    timespec due{};
    clock_gettime(CLOCK_MONOTONIC, &due);
    due.tv_nsec += pattern[i % std::size(pattern)] * 1000;
    due.tv_sec += due.tv_nsec / 1'000'000'000;
    due.tv_nsec %= 1'000'000'000;
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) != 0) {
    }
    late.push_back(bench::NowMs() - (due.tv_sec * 1e3 + due.tv_nsec / 1e6));
    over1 += late.back() > 1;
    over2 += late.back() > 2;
  }
  const double n = static_cast<double>(late.size());
  std::printf("| wakes | median ms | p99 ms | max ms | later than 1 ms | later than 2 ms |\n");
  std::printf(
      "|---|---|---|---|---|---|\n| %zu | %.3f | %.3f | %.3f | %zu (%.2f %%) | %zu (%.2f %%) |\n",
      late.size(), bench::Median(late), bench::Percentile(late, 0.99), bench::Percentile(late, 1),
      over1, 100 * over1 / n, over2, 100 * over2 / n);
}
