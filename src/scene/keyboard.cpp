// The keyboard: the chain can be pulled without the pointer, and the keys full-screen viewers
// answer to end the show.

#include "scene/window1.h"

namespace lumorra {

bool Window1::Event_KeyDown(const host::InputEvent& key) {
  using Special = host::InputEvent::Special;
  if (key.repeat) return true;  // each press pulls once, however long the key is held
  if (key.special == Special::Escape ||
      (enditall && (key.key || key.special != Special::Nothing))) {
    host::Quit(0);
    return true;
  }
  const bool pull = key.special == Special::Space || key.special == Special::Return;
  if (!pull || key.command || key.option || key.other) return false;
  // One pull at a time, as a hand on a real chain: a press while the chain still moves from the
  // last pull is made once it has come to rest. Pulled at once, it would act on a picture that
  // is about to change (a switch-off on the way to the light) and start what the screen never
  // shows. Presses beyond that one are lost, as a chain pulled while it swings goes nowhere.
  if (ChainMoving()) {
    keyPullWaiting = true;
    return true;
  }
  KeyPull();
  return true;
}

void Window1::KeyPull() {
  if (!Canvas2->Visible()) return;  // the show is ending: the chain is gone
  // Only the pointer has to leave the chain before it pulls again; a key leaves the chain as
  // ready for the pointer as it found it.
  const bool enabled = Canvas2->Enabled();
  Canvas2_MouseUp(0, 0);
  Canvas2->SetEnabled(enabled);
}

bool Window1::ChainMoving() const {
  return AnyArmed(chaintimer1, Timer9, Timer1, TimerFried, Timershort, TimerTen);
}

void Window1::ChainSettled() {
  if (!keyPullWaiting || ChainMoving()) return;
  keyPullWaiting = false;
  KeyPull();
}

}  // namespace lumorra
