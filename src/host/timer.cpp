#include "host/timer.h"

#include "host/runtime.h"

namespace host {

Timer::~Timer() {
  if (armedSeq_ != 0 && Runtime::Exists()) Runtime::Current().Disarm(*this);
}

void Timer::SetPeriod(std::int32_t ms) { period_ = ms < 0 ? 0 : ms; }

void Timer::SetMode(int mode) {
  Runtime& runtime = Runtime::Current();
  mode_ = (mode == 1 || mode == 2) ? mode : 0;
  if (mode_ == 0) {
    runtime.Disarm(*this);
  } else {
    runtime.Disarm(*this);
    deadline_ = runtime.Now() + static_cast<Micros>(period_) * kMillis;
    runtime.Arm(*this);
  }
}

}  // namespace host
