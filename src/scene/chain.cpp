// The pull chain: an invisible canvas over the photographed chain. A click is a pull; what
// it does depends on the picture showing and on whether the light was ever lit or has died.

#include "media/media.h"
#include "scene/window1.h"

namespace lumorra {

void Window1::Canvas2_MouseEnter() { SetMouseCursor(host::CursorKind::HandOpen); }

// Leaving the chain is the only thing that lets it be pulled again: one pull per visit.
void Window1::Canvas2_MouseExit() {
  SetMouseCursor(host::CursorKind::Arrow);
  Canvas2->SetEnabled(true);
}

bool Window1::Canvas2_MouseDown(int, int) { return true; }

void Window1::Canvas2_MouseUp(int, int) {
  // The light is out when the very dark picture object is the backdrop.
  const bool lightIsOut = Backdrop() == darker;
  if (lightIsOut && !fried && !lit) {
    SetBackdrop(lighter2);
    chaintimer1->SetMode(host::TimerMode::Single);
    lit = true;
  } else if (lightIsOut && !fried) {
    Timer9->SetMode(host::TimerMode::Single);
    Timer1->SetMode(host::TimerMode::Single);
  } else if (lightIsOut) {
    Timer9->SetMode(host::TimerMode::Single);
    TimerFried->SetMode(host::TimerMode::Single);
  } else {
    Timershort->SetMode(host::TimerMode::Single);
    // The first switch-on finishing after this would light the room the screen shows going
    // dark, and start the show behind it: it is stopped with the show's own timers.
    SwitchOff(chaintimer1, Timer1, Timer2, Timer3, Timer4, Timer5, Timer6, Timer7, Timer8);
  }
  host::Deref(chain()).Play();
  Canvas2->SetEnabled(false);
}

void Window1::chaintimer1_Action() {
  SetBackdrop(lighter);
  Timer8->SetMode(host::TimerMode::Single);
  Timer2->SetMode(host::TimerMode::Single);
  ChainSettled();
}

}  // namespace lumorra
