#pragma once

// The credits box and any other small window kept above the full-screen one, drawn inside it.

#include <SDL.h>

#include <memory>

#include "host/backend.h"
#include "host/sdl/sdl_context.h"
#include "host/sdl/sdl_text.h"

namespace host::sdl {

// A small window drawn inside a full-screen window's own frame. A window of its own would be at
// the desktop's mercy: on Wayland the compositor puts it where it likes and hands the focus to
// nobody when it goes; X11 window managers each stack it their own way (KWin keeps the active
// full-screen window above it, so it never shows), and those that make it the active window
// lower the scene under their panels and take the keyboard from it (xfwm4, icewm). Drawn into
// the scene, centred on it, the box is above the scene on every desktop, the scene stays full
// screen and the keyboard stays with it. The host's pointer events over it are the overlay's, in
// its own coordinates (Context::Aim), so to the core it is a window like any other.
class OverlayWindow final : public NativeWindow {
 public:
  OverlayWindow(const std::shared_ptr<Context>& context, int host, Size size)
      : context_(context), id_(context->nextOverlayId++), host_(host), size_(size) {
    context->overlays.push_back(this);
  }

  ~OverlayWindow() override {
    if (auto context = context_.lock()) {
      if (shown_) Hide();
      std::erase(context->overlays, this);
      context->pointer.Forget(id_);
    }
  }

  int Id() const override { return id_; }
  int Host() const { return host_; }
  bool Shown() const { return shown_; }

  void Show() override {
    if (shown_) return;
    shown_ = true;
    auto context = context_.lock();
    if (!context) return;
    RequestHostDraw(*context);
    // Appearing under a still pointer is the pointer's entering it, as with a real window.
    if (context->pointer.PressedWindow() == 0 && context->hostPointerWindow == host_) {
      int x = context->hostPointerX, y = context->hostPointerY;
      if (context->Aim(host_, x, y) == id_)
        context->pointer.Motion(id_, x, y, false, context->pending);
    }
  }

  void Hide() override {
    if (!shown_) return;
    shown_ = false;
    auto context = context_.lock();
    if (!context) return;
    RequestHostDraw(*context);
    // The pointer is over the host again, as after a real window went from under it.
    const bool under = context->pointer.PointerWindow() == id_;
    context->pointer.Forget(id_);
    if (under && context->hostPointerWindow == host_)
      context->pointer.Motion(host_, context->hostPointerX, context->hostPointerY, false,
                              context->pending);
  }

  void Present(const WindowView& view) override {
    view_ = view;
    hasView_ = true;
    if (!shown_) return;
    if (auto context = context_.lock()) RequestHostDraw(*context);
  }

  void SetCursor(CursorKind cursor) override {
    if (auto context = context_.lock()) context->SetCursor(cursor);
  }

  // Its place in the host window: centred on the host as the host is now.
  Rect Bounds(const Context& context) const;
  // Draws it over the host's frame in `surface`, which has `scale` pixels a point and whose
  // top-left corner is at `origin` (pixels) in the host window.
  void DrawOn(SDL_Surface* surface, const Context& context, TextRenderer& text, double scale,
              SDL_Point origin = {0, 0}) const;

 private:
  void RequestHostDraw(const Context& context) const;

  std::weak_ptr<Context> context_;
  int id_;
  int host_;
  Size size_;
  bool shown_ = false;
  bool hasView_ = false;
  WindowView view_;
};

}  // namespace host::sdl
