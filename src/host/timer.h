#pragma once

#include <cstdint>
#include <functional>

#include "host/controls.h"
#include "host/types.h"

namespace host {

// A timer placed on a window. Mode 0 is off; 1 fires one Action one Period after being set,
// then turns itself off; 2 fires an Action every Period until set to 0. A Period of 0 fires
// on the next pass of the event loop.
//
// Setting Mode 1 or 2 always re-arms the timer from now, also when it is already running:
// a pull on the chain that arms a timer again means "from this moment". Timers due at the
// same moment fire in the order they were armed.
class Timer : public Control {
 public:
  ~Timer() override;

  std::int32_t Period() const { return period_; }
  void SetPeriod(std::int32_t ms);
  int Mode() const { return mode_; }
  void SetMode(int mode);
  // When an armed timer fires next; meaningless while Mode is 0.
  Micros Deadline() const { return deadline_; }

  std::function<void(Timer&)> Action;

 private:
  friend class Runtime;
  std::int32_t period_ = 1000;
  int mode_ = 0;
  Micros deadline_ = 0;
  std::uint64_t armedSeq_ = 0;  // 0 while not queued
};

}  // namespace host
