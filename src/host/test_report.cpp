#include "host/test_report.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace host::test_report {

namespace {
// The monotonic clock, which the SDL backend's Now() reads too. The backend's own clock is not
// asked: a figure may end after the backend is gone, and a manual test clock would say nothing.
using Clock = std::chrono::steady_clock;
const Clock::time_point started = Clock::now();
std::optional<Clock::time_point> quitAt;

void Report(const char* name, Clock::time_point since) {
  if (!std::getenv("LUMORRA_TEST_REPORT")) return;
  const std::chrono::duration<double, std::milli> elapsed = Clock::now() - since;
  std::fprintf(stderr, "lumorra: report: %s: %.1f ms\n", name, elapsed.count());
}
}  // namespace

void QuitRequested() {
  if (!quitAt) quitAt = Clock::now();
}

void SinceQuit(const char* name) {
  if (quitAt) Report(name, *quitAt);
}

void SinceStart(const char* name) { Report(name, started); }

}  // namespace host::test_report
