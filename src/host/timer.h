#pragma once

#include <cstdint>
#include <functional>
#include <set>

#include "host/controls.h"
#include "host/guard.h"
#include "host/types.h"

namespace host {

class Backend;
class TimerQueue;

// What an armed timer does: Single fires one Action one Period after being set, then turns
// itself off; Multiple fires an Action every Period until set to Off.
enum class TimerMode { Off = 0, Single = 1, Multiple = 2 };

// A timer placed on a window. A Period of 0 fires on the next pass of the event loop.
//
// Setting Mode Single or Multiple always re-arms the timer from now, also when it is already
// running: a pull on the chain that arms a timer again means "from this moment". Timers due at the
// same moment fire in the order they were armed. A timer runs on the queue of the window it
// is placed on; one on no made window cannot be started.
class Timer : public Control {
 public:
  ~Timer() override;

  std::int32_t Period() const { return period_; }
  void SetPeriod(std::int32_t ms);
  TimerMode Mode() const { return mode_; }
  void SetMode(TimerMode mode);
  // When an armed timer fires next; meaningless while Mode is Off.
  Micros Deadline() const { return deadline_; }

  std::function<void(Timer&)> Action;

 private:
  friend class TimerQueue;
  friend class Window;
  TimerQueue* queue_ = nullptr;
  std::int32_t period_ = 1000;
  TimerMode mode_ = TimerMode::Off;
  Micros deadline_ = 0;
  std::uint64_t armedSeq_ = 0;  // 0 while not queued
};

// The armed timers of a program, ordered by deadline and then by arming order, on the
// backend's clock.
class TimerQueue {
 public:
  TimerQueue(Backend& clock, ErrorLog& errors) : clock_(clock), errors_(errors) {}
  ~TimerQueue();  // lets go of the timers still armed
  TimerQueue(const TimerQueue&) = delete;
  TimerQueue& operator=(const TimerQueue&) = delete;

  // The earliest deadline, or a negative value when no timer is armed.
  Micros NextDeadline() const { return armed_.empty() ? -1 : armed_.begin()->deadline; }

  // Fires every timer that is due, each at most once, until `stop` says so. `observer` hears
  // of every Action with its due time and the time it started.
  void FireDue(const std::function<bool()>& stop,
               const std::function<void(const Timer&, Micros due, Micros ran)>& observer);

 private:
  friend class Timer;
  void Arm(Timer& timer);
  void Disarm(Timer& timer);

  struct Key {
    Micros deadline;
    std::uint64_t seq;
    Timer* timer;
    bool operator<(const Key& o) const;
  };

  Backend& clock_;
  ErrorLog& errors_;
  std::set<Key> armed_;
  std::uint64_t nextSeq_ = 1;
};

}  // namespace host
