#pragma once

// What the SDL backend's windows, overlays, sounds and event reading share: the context.

#include <SDL.h>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "host/backend.h"
#include "host/pointer_router.h"
#include "host/sdl/sdl_audio.h"
#include "host/sdl/sdl_desktop.h"
#include "host/sdl/sdl_handles.h"
#include "host/sdl/sdl_keys.h"
#include "host/sdl/sdl_present.h"
#include "host/sdl/sdl_text.h"
#include "host/sdl/wayland_cursor.h"
#include "host/sdl/wayland_present.h"

namespace host::sdl {

// The same clock the kernel measures poll() timeouts against, in microseconds.
Micros Clock();

class SdlWindow;
class OverlayWindow;

// Overlays are numbered apart from SDL's windows, which count up from 1.
constexpr int kFirstOverlayId = 1 << 24;

// What the backend, its windows and its sounds share. Windows and sounds hold it weakly, so
// they turn inert once the backend is gone.
struct Context final : PointerRouter::Geometry {
  void SetCursor(CursorKind kind);
  // When a window next has the window system read ahead the pictures it has not seen; -1 for
  // never.
  Micros ReadAheadDue() const;
  void ReadAhead(Micros now);
  // When a wait for input must end at the latest, for `deadline`, the sound device or the
  // read-ahead; the read-ahead that is due is done first.
  Micros WakeFor(Micros now, Micros deadline);
  SdlWindow* Find(int id) const;
  OverlayWindow* FindOverlay(int id) const;
  // Puts every full-screen window over the main screen as it is now. `again` after a window's
  // size changed while it was being moved: only limits and place are given once more.
  void FollowScreen(bool again = false);
  bool WindowRect(int window, Rect& rect) const override;
  bool Pointer(int& x, int& y) const override;
  // The window a pointer event on SDL's `window` belongs to, with (x, y) turned into its
  // coordinates: an overlay when the event lies over one, or when the overlay holds the press.
  int Aim(int window, int& x, int& y);
  // The window that the pointer leaving or entering SDL's `window` concerns.
  int Crossed(int window) const;
  // Draws the windows whose overlays changed since they were last drawn, or whose frames waited
  // for the compositor.
  void DrawPending();
  // Hands what the Wayland compositor said to the program's own objects (cursor, frames).
  void DispatchWayland();

  std::vector<SdlWindow*> windows;       // in creation order
  std::vector<OverlayWindow*> overlays;  // in creation order, so the last one is on top
  int nextOverlayId = kFirstOverlayId;
  int hostPointerWindow = 0;  // where the pointer last was on a host window
  int hostPointerX = 0, hostPointerY = 0;
  std::deque<InputEvent> pending;  // translated, not yet handed out
  PointerRouter pointer{*this};
  // None until the first window is made: until then SDL's own default is set.
  std::optional<CursorKind> cursor;
  bool handUnavailable = false;
  bool arrowUnavailable = false;
  CursorPtr hand;
  CursorPtr arrow;
  // On Wayland the hand is set by the program itself, sharp at the screen's scale.
  std::unique_ptr<WaylandCursor> waylandCursor;
  TextRenderer text;
  KeyReader keys;
  ScreenWatch screens;
  bool screenChanged = false;  // the event filter heard of it; the loop has not followed it yet
  bool refitting = false;      // a window was moved to follow the screen: sizes are watched since
  // Where pictures are held so that the window system copies them itself: shared memory the X
  // server reads, or else (SDL's renderer) textures uploaded once.
  std::shared_ptr<SharedPixels> sharedPixels;
  std::shared_ptr<WaylandPixels> waylandPixels;  // memory files the Wayland compositor maps
  bool textures = false;
  // Declared last so that it goes first: the mixer runs on a thread of its own.
  AudioEngine audio{&Clock};
};

// The first window the platform made, or the first full-screen one; null when there is none.
SdlWindow* MadeWindow(const Context& context, bool fullScreen);

}  // namespace host::sdl
