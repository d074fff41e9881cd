#pragma once

#include "host/types.h"

namespace host {

// How a backend waits for input until a deadline when its own wait for input only counts whole
// milliseconds and may end late: the backend supplies the primitive waits, this decides which
// one to use and for how long, so every backend keeps timers to the same precision.
struct WaitStep {
  enum class Kind {
    ForInput,        // no deadline: wait for input alone
    ForInputMillis,  // wait for input at most `millis` whole milliseconds
    SleepThenPoll,   // sleep precisely for `sleep` microseconds, then take any waiting input
  };
  Kind kind = Kind::ForInput;
  int millis = 0;
  Micros sleep = 0;
};

// Below this a deadline is slept to exactly rather than waited for in whole milliseconds.
// Input that arrives meanwhile waits at most this long.
constexpr Micros kFinalStretch = 1500;

// The next wait at `now` towards `until` (negative: no deadline). A millisecond wait always
// ends before the final stretch, so the deadline itself is always met by the precise sleep.
WaitStep PlanWait(Micros now, Micros until);

// How many whole milliseconds to wait for input for `remaining` microseconds.
int WaitMillis(Micros remaining);

}  // namespace host
