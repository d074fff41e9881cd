#include "host/sdl/wayland_cursor.h"

#if defined(LUMORRA_WAYLAND_CURSOR)

#include <SDL_syswm.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>

#include "host/sdl/hand_cursor.h"
#include "host/sdl/sdl_handles.h"

namespace host::sdl {

namespace {

// One image for one scale, in a buffer the compositor reads from memory of its own mapping.
struct Image {
  wl_buffer* buffer = nullptr;
  int scale = 1;
  int hotX = 0, hotY = 0;  // in points
};

}  // namespace

struct WaylandCursor::State {
  wl_display* display = nullptr;
  wl_event_queue* queue = nullptr;
  wl_display* wrapper = nullptr;  // the display on this queue, for the registry
  wl_registry* registry = nullptr;
  wl_compositor* compositor = nullptr;
  wl_shm* shm = nullptr;
  wl_seat* seat = nullptr;
  wl_pointer* pointer = nullptr;
  wl_surface* surface = nullptr;
  std::map<int, Image> images;  // by scale
  bool hasPointer = false;
  bool inside = false;  // the pointer is over one of the program's windows
  std::uint32_t enterSerial = 0;
  int handScale = 0;  // 0: SDL's cursor shows

  ~State() {
    if (pointer) wl_pointer_destroy(pointer);
    if (seat) wl_seat_destroy(seat);
    if (surface) wl_surface_destroy(surface);
    for (auto& [scale, image] : images) wl_buffer_destroy(image.buffer);
    if (shm) wl_shm_destroy(shm);
    if (compositor) wl_compositor_destroy(compositor);
    if (registry) wl_registry_destroy(registry);
    if (wrapper) wl_proxy_wrapper_destroy(wrapper);
    if (queue) wl_event_queue_destroy(queue);
    if (display) wl_display_flush(display);
  }

  const Image* ImageFor(int scale);
};

namespace {

using State = WaylandCursor::State;

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t version) {
  auto* state = static_cast<State*>(data);
  const auto is = [interface](const wl_interface& wanted) {
    return std::strcmp(interface, wanted.name) == 0;
  };
  // Version 3 of the compositor makes surfaces that take a buffer scale; version 1 of the seat
  // and its pointer is all that is needed to hear of the pointer's entering.
  if (is(wl_compositor_interface) && version >= 3 && !state->compositor) {
    state->compositor =
        static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 3));
  } else if (is(wl_shm_interface) && !state->shm) {
    state->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
  } else if (is(wl_seat_interface) && !state->seat) {
    state->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  }
}

void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

void OnCapabilities(void* data, wl_seat*, std::uint32_t capabilities) {
  static_cast<State*>(data)->hasPointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
}

// Bound at version 1, the seat and its pointer hear only the events of version 1; the listeners'
// other members stay empty, whatever this version of the library lists after them.
const wl_seat_listener& SeatListener() {
  static const wl_seat_listener listener = [] {
    wl_seat_listener l{};
    l.capabilities = OnCapabilities;
    return l;
  }();
  return listener;
}

void Apply(State& state);

void OnEnter(void* data, wl_pointer*, std::uint32_t serial, wl_surface*, wl_fixed_t, wl_fixed_t) {
  auto* state = static_cast<State*>(data);
  state->enterSerial = serial;
  state->inside = true;
  // SDL has just set its own cursor for this entry; the hand goes over it.
  if (state->handScale > 0) Apply(*state);
}

void OnLeave(void* data, wl_pointer*, std::uint32_t, wl_surface*) {
  static_cast<State*>(data)->inside = false;
}

const wl_pointer_listener& PointerListener() {
  static const wl_pointer_listener listener = [] {
    wl_pointer_listener l{};
    l.enter = OnEnter;
    l.leave = OnLeave;
    l.motion = [](void*, wl_pointer*, std::uint32_t, wl_fixed_t, wl_fixed_t) {};
    l.button = [](void*, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {
    };
    l.axis = [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {};
    return l;
  }();
  return listener;
}

void Apply(State& state) {
  if (!state.pointer || !state.inside) return;
  const Image* image = state.handScale > 0 ? state.ImageFor(state.handScale) : nullptr;
  if (!image) return;
  wl_pointer_set_cursor(state.pointer, state.enterSerial, state.surface, image->hotX, image->hotY);
  wl_surface_set_buffer_scale(state.surface, image->scale);
  wl_surface_attach(state.surface, image->buffer, 0, 0);
  wl_surface_damage(state.surface, 0, 0, INT32_MAX, INT32_MAX);
  wl_surface_commit(state.surface);
  wl_display_flush(state.display);
}

}  // namespace

const Image* WaylandCursor::State::ImageFor(int scale) {
  if (auto found = images.find(scale); found != images.end()) return &found->second;
  int hotX = 0, hotY = 0;
  SurfacePtr hand = HandCursorImage(scale, hotX, hotY);
  if (!hand) return nullptr;
  const int stride = hand->w * 4;
  const auto bytes = static_cast<std::size_t>(stride) * hand->h;
  // Memory with no name in any directory: nothing is left behind, whatever way the program ends.
  const int fd = memfd_create("lumorra-cursor", MFD_CLOEXEC);
  if (fd < 0) return nullptr;
  void* pixels = MAP_FAILED;
  if (ftruncate(fd, static_cast<off_t>(bytes)) == 0)
    pixels = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (pixels == MAP_FAILED) {
    close(fd);
    return nullptr;
  }
  // Wayland takes premultiplied alpha; the hand's pixels are opaque or clear, so that is the
  // image as it is.
  SDL_ConvertPixels(hand->w, hand->h, hand->format->format, hand->pixels, hand->pitch,
                    SDL_PIXELFORMAT_ARGB8888, pixels, stride);
  munmap(pixels, bytes);
  wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(bytes));
  close(fd);
  wl_buffer* buffer =
      wl_shm_pool_create_buffer(pool, 0, hand->w, hand->h, stride, WL_SHM_FORMAT_ARGB8888);
  wl_shm_pool_destroy(pool);
  if (!buffer) return nullptr;
  return &(images[scale] = Image{buffer, scale, hotX / scale, hotY / scale});
}

std::unique_ptr<WaylandCursor> WaylandCursor::For(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WAYLAND ||
      !info.info.wl.display)
    return nullptr;
  auto state = std::make_unique<State>();
  state->display = info.info.wl.display;
  // Its own queue: SDL dispatches only its own, and these events wait here until Dispatch.
  state->queue = wl_display_create_queue(state->display);
  state->wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(state->display));
  if (!state->queue || !state->wrapper) return nullptr;
  wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(state->wrapper), state->queue);
  state->registry = wl_display_get_registry(state->wrapper);
  wl_registry_add_listener(state->registry, &kRegistryListener, state.get());
  if (wl_display_roundtrip_queue(state->display, state->queue) < 0 || !state->compositor ||
      !state->shm || !state->seat)
    return nullptr;
  wl_seat_add_listener(state->seat, &SeatListener(), state.get());
  if (wl_display_roundtrip_queue(state->display, state->queue) < 0 || !state->hasPointer)
    return nullptr;
  state->pointer = wl_seat_get_pointer(state->seat);
  wl_pointer_add_listener(state->pointer, &PointerListener(), state.get());
  state->surface = wl_compositor_create_surface(state->compositor);
  wl_display_flush(state->display);
  return std::unique_ptr<WaylandCursor>(new WaylandCursor(std::move(state)));
}

WaylandCursor::WaylandCursor(std::unique_ptr<State> state) : state_(std::move(state)) {}

WaylandCursor::~WaylandCursor() = default;

void WaylandCursor::ShowHand(int scale) {
  Dispatch();  // the latest entry's serial
  state_->handScale = std::max(1, scale);
  Apply(*state_);
}

void WaylandCursor::ShowSdlCursor() {
  state_->handScale = 0;
  // SDL sets its current cursor again, over the hand.
  SDL_SetCursor(nullptr);
}

void WaylandCursor::Dispatch() {
  wl_display_dispatch_queue_pending(state_->display, state_->queue);
}

}  // namespace host::sdl

#else

namespace host::sdl {

struct WaylandCursor::State {};
std::unique_ptr<WaylandCursor> WaylandCursor::For(SDL_Window*) { return nullptr; }
WaylandCursor::WaylandCursor(std::unique_ptr<State> state) : state_(std::move(state)) {}
WaylandCursor::~WaylandCursor() = default;
void WaylandCursor::ShowHand(int) {}
void WaylandCursor::ShowSdlCursor() {}
void WaylandCursor::Dispatch() {}

}  // namespace host::sdl

#endif
