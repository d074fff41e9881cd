#include "host/sdl/wayland_frames.h"

#if defined(LUMORRA_WAYLAND_CURSOR)

#include <SDL_syswm.h>
#include <wayland-client.h>

#include <cstdint>

namespace host::sdl {

namespace {

// After this long without the compositor's word the next frame goes out anyway.
constexpr Uint64 kGiveUpMs = 250;

}  // namespace

struct WaylandFrames::State {
  wl_display* display = nullptr;
  wl_event_queue* queue = nullptr;
  wl_surface* surface = nullptr;  // SDL's surface, wrapped to hand its callbacks to our queue
  wl_callback* pending = nullptr;
  Uint64 presentedMs = 0;

  ~State() {
    if (pending) wl_callback_destroy(pending);
    if (surface) wl_proxy_wrapper_destroy(surface);
    if (queue) wl_event_queue_destroy(queue);
  }
};

namespace {

void OnDone(void* data, wl_callback* callback, std::uint32_t) {
  auto* state = static_cast<WaylandFrames::State*>(data);
  wl_callback_destroy(callback);
  if (state->pending == callback) state->pending = nullptr;
}

const wl_callback_listener kFrameListener = {OnDone};

}  // namespace

std::unique_ptr<WaylandFrames> WaylandFrames::For(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WAYLAND ||
      !info.info.wl.display || !info.info.wl.surface)
    return nullptr;
  auto state = std::make_unique<State>();
  state->display = info.info.wl.display;
  state->queue = wl_display_create_queue(state->display);
  state->surface = static_cast<wl_surface*>(wl_proxy_create_wrapper(info.info.wl.surface));
  if (!state->queue || !state->surface) return nullptr;
  wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(state->surface), state->queue);
  return std::unique_ptr<WaylandFrames>(new WaylandFrames(std::move(state)));
}

WaylandFrames::WaylandFrames(std::unique_ptr<State> state) : state_(std::move(state)) {}

WaylandFrames::~WaylandFrames() = default;

bool WaylandFrames::Ready(Uint64 nowMs) {
  Dispatch();
  return !state_->pending || nowMs >= state_->presentedMs + kGiveUpMs;
}

void WaylandFrames::Presenting(Uint64 nowMs) {
  if (state_->pending) wl_callback_destroy(state_->pending);
  // Goes with the commit the present makes.
  state_->pending = wl_surface_frame(state_->surface);
  wl_callback_add_listener(state_->pending, &kFrameListener, state_.get());
  state_->presentedMs = nowMs;
}

Uint64 WaylandFrames::GiveUpAt() const {
  return state_->pending ? state_->presentedMs + kGiveUpMs : 0;
}

void WaylandFrames::Dispatch() {
  wl_display_dispatch_queue_pending(state_->display, state_->queue);
}

}  // namespace host::sdl

#else

namespace host::sdl {

struct WaylandFrames::State {};
std::unique_ptr<WaylandFrames> WaylandFrames::For(SDL_Window*) { return nullptr; }
WaylandFrames::WaylandFrames(std::unique_ptr<State> state) : state_(std::move(state)) {}
WaylandFrames::~WaylandFrames() = default;
bool WaylandFrames::Ready(Uint64) { return true; }
void WaylandFrames::Presenting(Uint64) {}
Uint64 WaylandFrames::GiveUpAt() const { return 0; }
void WaylandFrames::Dispatch() {}

}  // namespace host::sdl

#endif
