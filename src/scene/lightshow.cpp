// The light show: a chain of timers, each arming the next. The light burns 20 s, flickers,
// burns 9 s more, dies, and 3 s later gives one last flash before the screen goes black.

#include "media/media.h"
#include "scene/window1.h"

namespace lumorra {

void Window1::Timer1_Action() {
  SetBackdrop(lighter);
  Timer8->SetMode(host::TimerMode::Single);
  Timer2->SetMode(host::TimerMode::Single);
  ChainSettled();
}

void Window1::Timer2_Action() { Timer3->SetMode(host::TimerMode::Multiple); }

// The flicker: four steps between the lit picture and the flash, then steady light again.
void Window1::Timer3_Action(host::Timer& sender) {
  if (counter < 4) {
    SetBackdrop(Backdrop() == lighter ? flash : lighter);
    counter = counter + 1;
  } else {
    sender.SetMode(host::TimerMode::Off);
    counter = 0;
    Timer4->SetMode(host::TimerMode::Single);
  }
}

void Window1::Timer4_Action() { Timer5->SetMode(host::TimerMode::Multiple); }

// The dying flicker: three steps between lit and dark; the light is dead afterwards.
void Window1::Timer5_Action(host::Timer& sender) {
  if (counter < 3) {
    SetBackdrop(Backdrop() == lighter ? darker : lighter);
    counter = counter + 1;
  } else {
    sender.SetMode(host::TimerMode::Off);
    counter = 0;
    fried = true;
    Timer6->SetMode(host::TimerMode::Single);
  }
}

void Window1::Timer6_Action() { Timer7->SetMode(host::TimerMode::Multiple); }

// The last flash, then black for good. The chain can no longer be pulled from the first tick.
void Window1::Timer7_Action(host::Timer& sender) {
  if (counter < 2) {
    if (Backdrop() == darker) {
      SetBackdrop(flash);
    } else {
      SetBackdrop(nullptr);
      SetHasBackColor(true);
      SetBackColor(host::RGB(0, 0, 0));
      enditall = true;
      // Black is for good: a pull just before the end may have set a relight or a chain
      // movement going, and nothing may put a picture back on the black screen.
      SwitchOff(chaintimer1, Timer1, Timer2, Timer3, Timer4, Timer5, Timer6, Timer8, Timer9,
                TimerFried, Timershort, TimerTen);
    }
    counter = counter + 1;
  } else {
    sender.SetMode(host::TimerMode::Off);
    counter = 0;
  }
  Canvas2->SetVisible(false);
}

// Counts the steps of Timer7_Action above: the final flash takes one tick, the black step the
// next.
host::Micros Window1::BlackoutDue() const {
  if (enditall) return -1;
  const host::Micros tick = static_cast<host::Micros>(Timer7->Period()) * host::kMillis;
  if (Timer6->Mode() != host::TimerMode::Off) return Timer6->Deadline() + 2 * tick;
  if (Timer7->Mode() != host::TimerMode::Off) return Timer7->Deadline() + (counter == 0 ? tick : 0);
  return -1;
}

void Window1::Timer8_Action() { host::Deref(showers()).Play(); }

void Window1::Timershort_Action() {
  SetBackdrop(lighter2);
  TimerTen->SetMode(host::TimerMode::Single);
}

void Window1::TimerTen_Action() {
  SetBackdrop(darker);
  host::Deref(showers()).Stop();
  ChainSettled();
}

void Window1::Timer9_Action() {
  SetBackdrop(darker2);
  ChainSettled();
}

void Window1::TimerFried_Action() {
  SetBackdrop(darker);
  ChainSettled();
}

}  // namespace lumorra
