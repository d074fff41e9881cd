#include "host/timer.h"

#include <algorithm>
#include <vector>

#include "host/backend.h"
#include "host/window.h"

namespace host {

Timer::~Timer() {
  if (armedSeq_ != 0 && queue_) queue_->Disarm(*this);
}

void Timer::SetPeriod(std::int32_t ms) { period_ = ms < 0 ? 0 : ms; }

void Timer::SetMode(TimerMode mode) {
  TimerQueue& queue = Deref(queue_);
  mode_ = mode;
  queue.Disarm(*this);
  if (mode_ == TimerMode::Off) return;
  deadline_ = queue.clock_.Now() + static_cast<Micros>(period_) * kMillis;
  queue.Arm(*this);
}

// Due together, the timer armed first fires first.
bool TimerQueue::Key::operator<(const Key& o) const {
  return deadline != o.deadline ? deadline < o.deadline : seq < o.seq;
}

TimerQueue::~TimerQueue() {
  for (const Key& key : armed_) key.timer->armedSeq_ = 0;
}

void TimerQueue::Arm(Timer& timer) {
  timer.armedSeq_ = nextSeq_++;
  armed_.insert(Key{timer.deadline_, timer.armedSeq_, &timer});
}

void TimerQueue::Disarm(Timer& timer) {
  if (timer.armedSeq_ == 0) return;
  armed_.erase(Key{timer.deadline_, timer.armedSeq_, &timer});
  timer.armedSeq_ = 0;
}

void TimerQueue::FireDue(
    const std::function<bool()>& stop,
    const std::function<void(const Timer&, Micros due, Micros ran)>& observer) {
  // Every timer that is due fires, each at most once a pass, in deadline and arming order. A
  // period-0 timer armed by a handler here is due at once and fires in this same pass, before
  // the frame is presented, so what it starts goes out together with that frame; a repeating
  // period-0 timer still gives the loop back after each tick.
  std::vector<const Timer*> fired;
  for (;;) {
    if (stop()) return;
    const Micros now = clock_.Now();
    auto next = std::find_if(armed_.begin(), armed_.end(), [&](const Key& key) {
      return key.deadline > now || std::find(fired.begin(), fired.end(), key.timer) == fired.end();
    });
    if (next == armed_.end() || next->deadline > now) return;
    const Key key = *next;
    Timer& timer = *key.timer;
    fired.push_back(&timer);
    Disarm(timer);
    if (timer.mode_ == TimerMode::Multiple) {
      // A fixed rate keeps a repeating timer on its schedule; after a stall it starts afresh
      // from now rather than firing a burst of late ticks.
      const Micros period = static_cast<Micros>(timer.period_) * kMillis;
      timer.deadline_ = key.deadline + period;
      if (timer.deadline_ <= now) timer.deadline_ = now + period;
      if (timer.period_ == 0) timer.deadline_ = now + 1;
      Arm(timer);
    } else {
      timer.mode_ = TimerMode::Off;
    }
    const Micros started = clock_.Now();
    if (timer.Action) {
      const Window* window = timer.OwnerWindow();
      RunHandler(errors_, (window ? window->ClassName() + "." : "") + timer.Name() + "_Action",
                 [&] { timer.Action(timer); });
    }
    if (observer) observer(timer, key.deadline, started);
  }
}

}  // namespace host
