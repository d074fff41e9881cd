#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>

#include "host/controls.h"
#include "host/timer.h"
#include "host/window.h"

namespace host {

// The mouse handlers of one control, as member functions of the window class that owns it.
// A null member leaves that event unhandled.
template <class W>
struct MouseHandlers {
  void (W::*enter)() = nullptr;
  void (W::*exit)() = nullptr;
  bool (W::*down)(int x, int y) = nullptr;
  void (W::*up)(int x, int y) = nullptr;
};

// Connects each non-null handler to the matching event of `control`. The window owns the
// control, so the control never outlives the window its handlers call into.
template <class W>
void BindMouse(W& window, RectControl& control, const MouseHandlers<W>& h) {
  if (h.enter) control.MouseEnter = [&window, f = h.enter] { (window.*f)(); };
  if (h.exit) control.MouseExit = [&window, f = h.exit] { (window.*f)(); };
  if (h.down) control.MouseDown = [&window, f = h.down](int x, int y) { return (window.*f)(x, y); };
  if (h.up) control.MouseUp = [&window, f = h.up](int x, int y) { (window.*f)(x, y); };
}

// Where a canvas or label sits: rectangle, parent (a control added earlier, or none), whether
// it starts shown, and whether it keeps its left, top and right edges when the window resizes.
struct Spot {
  Rect bounds;
  RectControl* parent = nullptr;
  bool visible = true;
  bool lockLeftTopRight = false;
};

// How a label writes its text.
struct LabelStyle {
  int size = 12;
  int align = 0;  // 0 left, 1 centre, 2 right
  bool multiLine = false;
};

// Adds a window class's canvas or label under `name` with the defaults every one of them starts
// from (enabled, no index, white system font for labels) and the given place, text and style.
// The name is what the window's failures and the tests call it by; the window's own code reaches
// the control through its member.
Canvas& AddCanvas(Window& window, const char* name, const std::shared_ptr<Canvas>& canvas,
                  const Spot& spot);
StaticText& AddLabel(Window& window, const char* name, const std::shared_ptr<StaticText>& label,
                     const Spot& spot, const LabelStyle& style, const char* text);

// Adds a window class's timer under `name`, off, with its period, its Action calling `action`
// (which may take the timer that fired, for one that switches itself off).
template <class W, class Action>
void AddTimer(W& window, const char* name, const std::shared_ptr<Timer>& timer, std::int32_t period,
              Action action) {
  window.AddControl(name, timer);
  timer->SetPeriod(period);
  if constexpr (std::is_invocable_v<Action, W&, Timer&>)
    timer->Action = [&window, action](Timer& sender) { (window.*action)(sender); };
  else
    timer->Action = [&window, action](Timer&) { (window.*action)(); };
}

// The window properties both windows share: black, and shown when made.
void SetFixedBlackBox(Window& window);

}  // namespace host
