// Waiting until a timer's deadline with a wait for input that counts whole milliseconds and may
// end late: the millisecond wait must always end before the deadline, leaving the last stretch
// to a precise sleep, and must not give up more of the wait than needed.

#include <gtest/gtest.h>

#include "host/deadline_wait.h"

namespace {

using host::kFinalStretch;
using host::kMillis;
using host::Micros;
using host::PlanWait;
using host::WaitStep;

// The kernel may let a poll() of T ms end up to T/1000 late.
Micros LatestEnd(int millis) { return millis * kMillis + millis; }

TEST(DeadlineWait, MillisecondWaitsEndBeforeTheDeadlineWithoutWastingIt) {
  for (Micros remaining = kFinalStretch; remaining <= 600 * 1000 * kMillis;
       remaining += remaining / 7 + 13) {
    const WaitStep step = PlanWait(1000, 1000 + remaining);
    ASSERT_EQ(step.kind, WaitStep::Kind::ForInputMillis) << remaining;
    EXPECT_LT(LatestEnd(step.millis), remaining) << remaining;
    // It gives up no more than a few milliseconds and a few per thousand.
    EXPECT_GE(step.millis * kMillis, remaining - 3 * kMillis - remaining / 250) << remaining;
  }
}

TEST(DeadlineWait, TheFinalStretchIsSleptExactlyAndNoDeadlineWaitsForInputAlone) {
  const WaitStep last = PlanWait(5000, 5000 + kFinalStretch - 1);
  EXPECT_EQ(last.kind, WaitStep::Kind::SleepThenPoll);
  EXPECT_EQ(last.sleep, kFinalStretch - 1);
  const WaitStep overdue = PlanWait(5000, 4000);
  EXPECT_EQ(overdue.kind, WaitStep::Kind::SleepThenPoll);
  EXPECT_EQ(overdue.sleep, 0);
  EXPECT_EQ(PlanWait(5000, -1).kind, WaitStep::Kind::ForInput);
}

}  // namespace
