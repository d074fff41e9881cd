// The context's own work: the cursor, following the screen, finding windows, when to wake.
#include "host/sdl/sdl_context.h"

#include <algorithm>
#include <chrono>

#include "host/sdl/hand_cursor.h"
#include "host/sdl/sdl_screen_pointer.h"
#include "host/sdl/sdl_window.h"

namespace host::sdl {

Micros Clock() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

SdlWindow* MadeWindow(const Context& context, bool fullScreen) {
  for (SdlWindow* window : context.windows)
    if (window->Native() && (!fullScreen || window->FullScreen())) return window;
  return nullptr;
}

void Context::SetCursor(CursorKind kind) {
  if (kind == cursor) return;
  if (waylandCursor) {
    cursor = kind;
    if (kind != CursorKind::HandOpen) {
      waylandCursor->ShowSdlCursor();
      return;
    }
    // The pixels of the full-screen window a point: the output's scale, as SDL draws for it.
    int scale = 1;
    if (const SdlWindow* scene = MadeWindow(*this, true)) {
      int points = 0, pixels = 0, unused = 0;
      SDL_GetWindowSize(scene->Native(), &points, &unused);
      SDL_GetWindowSizeInPixels(scene->Native(), &pixels, &unused);
      if (points > 0) scale = std::max(1, (pixels + points - 1) / points);
    }
    waylandCursor->ShowHand(scale);
    return;
  }
  SDL_Cursor* native = nullptr;
  if (kind == CursorKind::HandOpen) {
    if (!hand && !handUnavailable) {
      hand = CreateHandCursor();
      handUnavailable = !hand;
    }
    native = hand.get();
  } else {
    // SDL's default cursor on X11 is no cursor of the window's own, which shows whatever the
    // desktop has under it. KWin puts none on its root window, so through XWayland the last
    // cursor any window set stays: the hand, after the pointer left the chain. An arrow of our
    // own is the arrow everywhere.
    if (!arrow && !arrowUnavailable) {
      arrow.reset(SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW));
      arrowUnavailable = !arrow;
    }
    native = arrow.get();
  }
  SDL_SetCursor(native ? native : SDL_GetDefaultCursor());
  cursor = kind;
}

void Context::FollowScreen(bool again) {
  SDL_Rect screen{};
  if (!screens.MainScreen(screen)) return;
  for (SdlWindow* window : windows) {
    if (!window->FullScreen() || !window->Native()) continue;
    SDL_Rect now{};
    SDL_GetWindowPosition(window->Native(), &now.x, &now.y);
    WindowSize(window->Native(), now.w, now.h);
    if (SDL_RectEquals(&now, &screen)) continue;
    // The pictures chosen at the start stay; the window's resize brings a new, larger or
    // smaller, surface and a redraw with black beyond them. While the full-screen state is
    // taken away and given back, SDL 2 over SDL 3 may see the window leave full screen, pin its
    // limits to the old size again and put it back there. So from now on a size that comes out
    // other than the screen's gets the new limits once more, without the state, which would
    // start it all over; a window manager that holds the window elsewhere sends no new size.
    if (again) {
      screens.Fit(window->Native(), screen);
    } else {
      screens.Cover(window->Native(), screen);
      refitting = true;
    }
  }
}

SdlWindow* Context::Find(int id) const {
  for (SdlWindow* window : windows) {
    if (window->Id() == id) return window;
  }
  return nullptr;
}

Micros Context::WakeFor(Micros now, Micros deadline) {
  const auto sooner = [](Micros a, Micros b) { return b >= 0 && (a < 0 || b < a) ? b : a; };
  ReadAhead(now);  // what is due
  Micros frames = -1;
  for (const SdlWindow* window : windows) frames = sooner(frames, window->FrameGiveUpAt());
  return sooner(sooner(sooner(deadline, audio.CloseWakeup(now, deadline)), ReadAheadDue()), frames);
}

Micros Context::ReadAheadDue() const {
  Micros due = -1;
  for (const SdlWindow* window : windows) {
    const Micros at = window->ReadAheadAt();
    if (at >= 0 && (due < 0 || at < due)) due = at;
  }
  return due;
}

void Context::ReadAhead(Micros now) {
  for (SdlWindow* window : windows) {
    if (window->ReadAheadAt() >= 0 && window->ReadAheadAt() <= now) window->ReadAhead(now);
  }
}

void Context::DrawPending() {
  for (SdlWindow* window : windows) {
    if (window->DrawPending()) window->Redraw();
  }
}

void Context::DispatchWayland() {
  if (waylandCursor) waylandCursor->Dispatch();
  for (SdlWindow* window : windows) window->DispatchFrames();
}

bool Context::Pointer(int& x, int& y) const {
  SDL_Window* any = nullptr;
  for (const SdlWindow* window : windows) {
    if ((any = window->Native())) break;
  }
  return QueryScreenPointer(any, x, y);
}

}  // namespace host::sdl
