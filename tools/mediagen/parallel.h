// Row-parallel loop. Each row is computed independently and written to its own place, so the
// result never depends on how the rows happen to be scheduled across threads.
#pragma once

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>
#include <vector>

namespace mg {

inline int WorkerCount() {
  unsigned n = std::thread::hardware_concurrency();
  if (n == 0) n = 2;
  return static_cast<int>(std::min(n, 8u));
}

// Calls fn(row) for every row in [0, rows); rows are handed out dynamically.
inline void ParallelRows(int rows, const std::function<void(int)>& fn) {
  int n = std::min(WorkerCount(), std::max(rows, 1));
  std::atomic<int> next{0};
  auto work = [&] {
    for (int r = next.fetch_add(1); r < rows; r = next.fetch_add(1)) fn(r);
  };
  std::vector<std::thread> pool;
  for (int i = 1; i < n; ++i) pool.emplace_back(work);
  work();
  for (auto& t : pool) t.join();
}

}  // namespace mg
