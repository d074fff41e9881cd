// The keyboard: the chain can be pulled without the pointer, and the keys full-screen viewers
// answer to end the show.

#include "scene/window1.h"

namespace lumorra {

void Window1::Event_KeyDown(const host::InputEvent& key) {
  using Special = host::InputEvent::Special;
  if (key.repeat) return;  // each press pulls once, however long the key is held
  if (key.special == Special::Escape ||
      (enditall && (key.key || key.special != Special::Nothing))) {
    host::Quit(0);
    return;
  }
  const bool pull = key.special == Special::Space || key.special == Special::Return;
  if (!pull || key.command || key.option || key.other) return;
  auto& chain = ControlRect("Canvas2");
  if (!chain.Visible()) return;  // the show is ending: the chain is gone
  // Only the pointer has to leave the chain before it pulls again; a key leaves the chain as
  // ready for the pointer as it found it.
  const bool enabled = chain.Enabled();
  Canvas2_MouseUp(0, 0);
  chain.SetEnabled(enabled);
}

}  // namespace lumorra
