#pragma once

// A window of the platform's own, and how its frames reach the screen.

#include <SDL.h>

#include <memory>
#include <optional>
#include <thread>

#include "host/backend.h"
#include "host/sdl/sdl_context.h"
#include "host/sdl/sdl_desktop.h"
#include "host/sdl/sdl_handles.h"
#include "host/sdl/sdl_present.h"
#include "host/sdl/wayland_frames.h"
#include "host/sdl/x_put.h"

namespace host::sdl {

// The window's size as the window system has it. On X11 the server is asked: SDL 2 over SDL 3
// gives a full-screen window its display's size, even where the window covers one monitor of a
// display split in several. Elsewhere SDL's answer.
void WindowSize(SDL_Window* window, int& width, int& height);

// How long the program must have had nothing to present before the window system reads ahead
// the pictures it has not seen yet.
constexpr Micros kReadAheadDelay = 300 * kMillis;

class SdlWindow final : public NativeWindow {
 public:
  SdlWindow(const std::shared_ptr<Context>& context, WindowPtr window, bool fullScreen)
      : context_(context),
        window_(std::move(window)),
        id_(window_ ? static_cast<int>(SDL_GetWindowID(window_.get())) : 0),
        fullScreen_(fullScreen) {
    if (window_) context->windows.push_back(this);
    // On X11, with the surface in shared memory, a full-screen window's first frames go to the
    // server directly (see x_put.h); elsewhere the surface is used from the first frame on.
    drawDirect_ = window_ && fullScreen_ &&
                  !SDL_GetHintBoolean(SDL_HINT_FRAMEBUFFER_ACCELERATION, SDL_TRUE) &&
                  CanPutRows(window_.get());
    if (window_ && fullScreen_ && !drawDirect_) StartFirstTouch();
  }

  ~SdlWindow() override {
    if (firstTouch_.joinable()) firstTouch_.join();
    if (auto context = context_.lock()) {
      std::erase(context->windows, this);
      context->pointer.Forget(id_);
    }
  }

  int Id() const override { return id_; }

  void Show() override {
    if (!window_) return;
    // Mapped, the window shows its back colour at once, painted by the server.
    if (drawDirect_) SetBackground(window_.get(), background_ = BackColor());
    // A renderer made for a window SDL has already shown makes SDL make the window again, and
    // some compositors (sway) then show it as an ordinary window, not full screen.
    if (auto context = context_.lock()) MakePresenter(*context);
    SDL_ShowWindow(window_.get());
    if (fullScreen_) AskFullScreenWhenShown(window_.get());
    shown_ = true;
    // The window is mapped when SDL returns; draw now rather than wait for its first expose.
    Draw();
  }

  void Hide() override {
    if (!window_) return;
    SDL_HideWindow(window_.get());
    shown_ = false;
  }

  void Present(const WindowView& view) override {
    view_ = view;  // assignment reuses the label strings' storage from the last frame
    hasView_ = true;
    // A hidden window keeps nothing it is given; showing it draws the last view.
    if (shown_) Draw();
  }

  void SetCursor(CursorKind cursor) override {
    if (auto context = context_.lock()) context->SetCursor(cursor);
  }

  void Focus() override {
    // Without a window manager nobody else hands the focus back once another client took it.
    if (window_ && shown_ && SDL_GetKeyboardFocus() != window_.get())
      GiveKeyboardFocus(window_.get());
  }

  // The window lost its pixels.
  void Redraw() {
    whole_ = true;
    if (shown_) Draw();
  }

  // On Wayland a configure from the desktop (full screen, active, a size) takes effect with the
  // surface's next commit, and SDL acknowledges it without one. A window that commits only when
  // its picture changes could stay unmapped or in its old state for as long as the picture
  // holds (mutter, busy, sent the activating configure after the first frame and showed
  // nothing until the next). So the last frame goes out again after each configure SDL tells
  // of; elsewhere the window system needs nothing.
  void Configured() {
    if (frames_) Redraw();
  }

  // An overlay on it changed: it is drawn again before the loop next waits.
  void RequestDraw() { drawPending_ = shown_; }
  bool DrawPending() const { return drawPending_; }
  // When a frame held back for the compositor goes out anyway; -1 for none.
  Micros FrameGiveUpAt() const {
    const Uint64 at = drawPending_ && frames_ ? frames_->GiveUpAt() : 0;
    return at ? static_cast<Micros>(at) * kMillis : -1;
  }
  void DispatchFrames() {
    if (frames_) frames_->Dispatch();
  }
  Micros ReadAheadAt() const { return readAheadAt_; }
  // Pictures made since are read too, in turn, until there are no new ones.
  void ReadAhead(Micros now) {
    readAheadAt_ = direct_ && direct_->ReadAhead() ? now + kReadAheadDelay : -1;
  }

  // The backend is going away: the native window must go before SDL does.
  void Detach() {
    frames_.reset();
    direct_.reset();
    window_.reset();
    shown_ = false;
  }

  SDL_Window* Native() const { return window_.get(); }
  bool FullScreen() const { return fullScreen_; }

 private:
  void Draw();
  void MakePresenter(Context& context);  // once, before the window is first shown
  bool DrawDirect(Context& context);
  bool PutFirstFrame();
  void TakeOverFromServer(const Context& context);
  void StartFirstTouch();
  Color BackColor() const { return view_.hasBackColor ? view_.backColor : Color{}; }

  std::weak_ptr<Context> context_;
  WindowPtr window_;
  int id_;
  bool fullScreen_;
  bool shown_ = false;
  bool hasView_ = false;
  bool drawPending_ = false;
  bool drawDirect_ = false;          // the next frame may go to the server without the surface
  std::optional<Color> background_;  // what the server paints where nothing is drawn
  WindowView view_;
  std::thread firstTouch_;
  std::unique_ptr<DirectPresenter> direct_;
  std::unique_ptr<WaylandFrames> frames_;  // on Wayland: frames at the compositor's pace
  bool directTried_ = false;
  Micros readAheadAt_ = -1;
  bool whole_ = true;  // the next frame must be drawn whole, not just what changed
};

}  // namespace host::sdl
