// The backend's face to the core: screens, the wait for input, windows, sounds, addresses.
#include "host/sdl/sdl_backend.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <deque>
#include <thread>
#include <utility>

#include "host/deadline_wait.h"
#include "host/sdl/sdl_context.h"
#include "host/sdl/sdl_desktop.h"
#include "host/sdl/sdl_events.h"
#include "host/sdl/sdl_icon.h"
#include "host/sdl/sdl_overlay.h"
#include "host/sdl/sdl_window.h"
#include "host/sdl/sdl_xsettings.h"
#include "host/sdl/wayland_cursor.h"

namespace host::sdl {

namespace {

class SdlSound final : public NativeSound {
 public:
  SdlSound(const std::shared_ptr<Context>& context, std::shared_ptr<const SoundData> data)
      : context_(context), data_(std::move(data)), channel_(context->audio.AcquireChannel()) {}

  ~SdlSound() override {
    if (auto context = context_.lock()) context->audio.ReleaseChannel(channel_);
  }

  void Play() override {
    auto context = context_.lock();
    if (context && data_) context->audio.Play(channel_, *data_);
  }

  void Stop() override {
    if (auto context = context_.lock()) context->audio.Stop(channel_);
  }

 private:
  std::weak_ptr<Context> context_;
  std::shared_ptr<const SoundData> data_;
  int channel_;
};

}  // namespace

SdlBackend::SdlBackend() : context_(std::make_shared<Context>()) {
  SDL_SetEventFilter(&FilterEvents, context_.get());
}

SdlBackend::~SdlBackend() {
  SDL_SetEventFilter(nullptr, nullptr);
  SetPixelAllocator(nullptr);  // the pictures made in shared memory keep it until they go
  // Windows still held by the core lose their native window now; everything SDL made goes
  // before SDL itself.
  for (SdlWindow* window : context_->windows) window->Detach();
  context_->windows.clear();
  const bool soundReleased = context_->audio.Shutdown();
  context_.reset();
  // A sound device that did not close in time is abandoned with the thread that is closing it,
  // still inside SDL: SDL is left as it is, and the end of the process takes it all away.
  if (soundReleased) SDL_Quit();
}

Size SdlBackend::MainScreenSize() {
  const Rect bounds = MainScreenBounds();
  return {bounds.width, bounds.height};
}

Rect SdlBackend::MainScreenBounds() {
  // Display 0 is the main screen: on X11, SDL puts the primary output first. Once the screens
  // are watched, the X server's own answer is the current one.
  context_->screens.Start();
  SDL_Rect bounds{};
  if (!context_->screens.MainScreen(bounds) && SDL_GetDisplayBounds(0, &bounds) != 0) return {};
  return {bounds.x, bounds.y, bounds.w, bounds.h};
}

Size SdlBackend::MainScreenPixels() {
  const Size size = MainScreenSize();
  // SDL gives a scaled screen's size in points, and its pixels only through a window on it.
  const SdlWindow* window = MadeWindow(*context_, true);
  if (!window) return size;
  int width = 0, height = 0, pixelWidth = 0, pixelHeight = 0;
  SDL_GetWindowSize(window->Native(), &width, &height);
  SDL_GetWindowSizeInPixels(window->Native(), &pixelWidth, &pixelHeight);
  if (width <= 0 || height <= 0 || (pixelWidth == width && pixelHeight == height)) return size;
  return {static_cast<int>(std::lround(static_cast<double>(size.width) * pixelWidth / width)),
          static_cast<int>(std::lround(static_cast<double>(size.height) * pixelHeight / height))};
}

Micros SdlBackend::Now() { return Clock(); }

bool SdlBackend::WaitEvent(Micros deadline, InputEvent& event) {
  // What the core presented to overlays in the last pass goes out in one frame of their host.
  context_->DrawPending();
  std::deque<InputEvent>& pending = context_->pending;
  for (;;) {
    if (!pending.empty()) {
      event = pending.front();
      pending.pop_front();
      return true;
    }
    context_->audio.Service(Clock(), deadline);
    const Micros now = Clock();  // closing the device may have taken a while
    const Micros until = context_->WakeFor(now, deadline);

    SDL_Event sdl;
    int got = 0;
    const WaitStep step = PlanWait(now, until);
    switch (step.kind) {
      case WaitStep::Kind::ForInput:
        got = SDL_WaitEvent(&sdl);
        if (!got) SDL_Delay(1);  // an error, not a timeout: don't spin on it
        break;
      case WaitStep::Kind::SleepThenPoll:
        if (step.sleep > 0) std::this_thread::sleep_for(std::chrono::microseconds(step.sleep));
        got = SDL_PollEvent(&sdl);
        break;
      case WaitStep::Kind::ForInputMillis:
        got = SDL_WaitEventTimeout(&sdl, step.millis);
        break;
    }
    context_->DispatchWayland();
    // A frame held back goes out as soon as the compositor has shown the one before.
    context_->DrawPending();
    if (got) {
      // Events the core has no use for add nothing; the loop then waits on, against the same
      // deadline.
      Translate(*context_, sdl);
      continue;
    }
    if (deadline >= 0 && Clock() >= deadline) return false;
  }
}

bool SdlBackend::PollEvent(InputEvent& event) {
  // The idle sound device is closed only while waiting, when the loop's next deadline is known.
  context_->DrawPending();
  std::deque<InputEvent>& pending = context_->pending;
  SDL_Event sdl;
  while (pending.empty() && SDL_PollEvent(&sdl)) Translate(*context_, sdl);
  context_->DispatchWayland();
  if (pending.empty()) return false;
  event = pending.front();
  pending.pop_front();
  return true;
}

std::unique_ptr<NativeWindow> SdlBackend::CreateNativeWindow(const NativeWindowSpec& spec) {
  if (SdlWindow* scene = MadeWindow(*context_, true); spec.keepAbove && scene) {
    // No desktop keeps a window of its own above the full-screen one as it should (see
    // OverlayWindow): the box is drawn inside the full-screen window instead.
    return std::make_unique<OverlayWindow>(context_, scene->Id(),
                                           Size{spec.rect.width, spec.rect.height});
  }
  SDL_Rect rect{spec.rect.left, spec.rect.top, spec.rect.width, spec.rect.height};
  // The window's pixels, where a desktop scales its screens, rather than its points enlarged.
  // Every window here is a plain box.
  const Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_BORDERLESS;
  if (spec.fullScreen) {
    // Made at the main screen's bounds, which covers the screen by itself where no window
    // manager runs; the desktop's full-screen state is asked for below.
    if (rect.w <= 0 && SDL_GetDisplayBounds(0, &rect) != 0) rect = SDL_Rect{0, 0, 640, 480};
    context_->screens.Start();  // to follow the screen's changes of size
  }
  // A window for SDL's renderer is made for it from the start: SDL would otherwise make it
  // again, as a new native window, when the renderer comes.
  WindowPtr window;
  if (context_->textures)
    window.reset(SDL_CreateWindow(spec.title.c_str(), rect.x, rect.y, std::max(1, rect.w),
                                  std::max(1, rect.h), flags | SDL_WINDOW_OPENGL));
  if (!window)
    window.reset(SDL_CreateWindow(spec.title.c_str(), rect.x, rect.y, std::max(1, rect.w),
                                  std::max(1, rect.h), flags));
  if (window) context_->screens.Listen();
  // Made with the first window, before the window shows and the pointer can enter it.
  if (window && !context_->waylandCursor)
    context_->waylandCursor = WaylandCursor::For(window.get());
  if (!window) {
    std::fprintf(stderr, "lumorra: cannot open a window: %s\n", SDL_GetError());
  } else if (spec.fullScreen) {
    // Only the full-screen state keeps taskbars and panels off the scene and lets the
    // desktop follow changes of the screen's size. It is the desktop's full-screen state, not a
    // video mode of its own, so the window stays up when another program takes the focus: SDL
    // minimises only windows that changed the video mode.
    if (!MarkFullScreenBeforeShowing(window.get())) {
      SDL_SetWindowFullscreen(window.get(), SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
  }
  if (window && spec.icon) SetWindowIcon(window.get(), *spec.icon);
  // The core's windows start with the arrow; the desktop is told so from the first window on.
  if (window) context_->SetCursor(CursorKind::Arrow);
  // A window the platform refused still exists for the core; it just shows nothing.
  return std::make_unique<SdlWindow>(context_, std::move(window), spec.fullScreen);
}

std::unique_ptr<NativeSound> SdlBackend::CreateSound(std::shared_ptr<const SoundData> data) {
  return std::make_unique<SdlSound>(context_, std::move(data));
}

bool SdlBackend::PrefersReducedMotion() {
  // The settings are read over the X connection of a window; the scene asks once it has one.
  for (const SdlWindow* window : context_->windows) {
    if (window->Native()) return DesktopDisablesAnimations(window->Native());
  }
  return false;
}

void SdlBackend::OpenURL(const std::string& url) {
  // SDL hands the address to the desktop's opener without a shell and cannot tell whether it
  // worked, so there is nothing to check.
  SDL_OpenURL(url.c_str());
}

}  // namespace host::sdl
