// Gentle mode draws the show's pictures differently and leaves everything else alone: the
// timers, the backdrop they set and read, the chain and the clicks are those of the normal show.
// The flash is never shown (its moments keep the lit picture, so the flicker changes nothing on
// the screen), and instead of the last flash the lit picture dims to black over the final stretch
// before the blackout, which comes when it always does.

#include <algorithm>

#include "scene/window1.h"

namespace lumorra {

namespace {

// The fade starts this long before the blackout: long enough to be slow, short enough to leave
// more than a second of darkness after the dying flicker's last change.
constexpr host::Micros kFade = 1200 * host::kMillis;
// One step every 40 ms: smooth to the eye, and each step dims by a thirtieth.
constexpr int kFadeSteps = 30;

}  // namespace

host::Micros Window1::AdjustView(host::WindowView& view, host::Micros now) const {
  if (view.backdrop && view.backdrop == flash) view.backdrop = lighter;
  const host::Micros black = BlackoutDue();
  if (black < 0) return -1;
  const host::Micros start = black - kFade;
  if (now < start) return start;
  // The bulb's last glow. Whatever the chain shows meanwhile, the room goes dark evenly.
  const host::Micros step = kFade / kFadeSteps;
  const host::Micros done = std::min<host::Micros>((now - start) / step, kFadeSteps - 1);
  view.backdrop = lighter;
  view.brightness =
      static_cast<int>(host::WindowView::kFullBrightness * (kFadeSteps - done) / kFadeSteps);
  return start + (done + 1) * step;
}

}  // namespace lumorra
