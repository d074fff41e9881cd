#include "host/deadline_wait.h"

#include <algorithm>
#include <climits>

namespace host {

// Short waits end between 0.5 and 1.5 ms early and the final stretch is slept precisely.
// Long waits are cut shorter still: the kernel lets a poll() of T ms end up to T/1000 late,
// which a 5 s timer would feel, so the wait stops a little before the end and a short wait
// covers the rest.
int WaitMillis(Micros remaining) {
  if (remaining <= 0) return 0;
  constexpr Micros kSplitAbove = 50 * kMillis;
  if (remaining > kSplitAbove) {
    const Micros early = std::max<Micros>(kMillis, remaining * 3 / 1000);
    return static_cast<int>(std::min<Micros>((remaining - early) / kMillis, INT_MAX));
  }
  return static_cast<int>((remaining - kMillis / 2) / kMillis);
}

WaitStep PlanWait(Micros now, Micros until) {
  WaitStep step;
  if (until < 0) return step;
  if (until - now < kFinalStretch) {
    step.kind = WaitStep::Kind::SleepThenPoll;
    step.sleep = std::max<Micros>(0, until - now);
    return step;
  }
  step.kind = WaitStep::Kind::ForInputMillis;
  step.millis = WaitMillis(until - now);
  return step;
}

}  // namespace host
