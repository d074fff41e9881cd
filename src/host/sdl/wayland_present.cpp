#include "host/sdl/wayland_present.h"

#if defined(LUMORRA_WAYLAND_CURSOR)

#include <SDL_syswm.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "host/picture.h"
#include "host/sdl/sdl_handles.h"

namespace host::sdl {

namespace {

// Memory with no name in any directory, its size fixed once made: nothing is left behind
// however the program ends, and the compositor need not fear it shrinking under its reads.
// -1 when it cannot be had.
int MemoryFile(const char* name, std::size_t bytes) {
  const int fd = memfd_create(name, MFD_CLOEXEC | MFD_ALLOW_SEALING);
  if (fd < 0) return -1;
  if (ftruncate(fd, static_cast<off_t>(bytes)) != 0) {
    close(fd);
    return -1;
  }
  fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL);
  return fd;
}

}  // namespace

class WaylandPixels final : public PixelAllocator {
 public:
  std::uint32_t* Allocate(std::size_t count, bool /*blank: a new memory file is zeroed*/) override {
    // Small pictures (icons, the credits box's) are only ever composed; a file each would
    // only use up descriptors.
    constexpr std::size_t kSmallest = 256 * 1024;
    const std::size_t bytes = count * 4;
    if (bytes < kSmallest) return nullptr;
    const int fd = MemoryFile("lumorra-picture", bytes);
    if (fd < 0) return nullptr;
    void* address = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (address == MAP_FAILED) {
      close(fd);
      return nullptr;
    }
    auto* pixels = static_cast<std::uint32_t*>(address);
    const std::lock_guard lock(mutex_);
    files_[pixels] = Held{fd, bytes};
    return pixels;
  }

  void Release(std::uint32_t* pixels, std::size_t count) override {
    int fd = -1;
    {
      const std::lock_guard lock(mutex_);
      const auto found = files_.find(pixels);
      if (found == files_.end()) return;
      fd = found->second.fd;
      files_.erase(found);
    }
    // The compositor keeps a mapping of its own for as long as it holds a buffer of it.
    munmap(pixels, count * 4);
    close(fd);
  }

  // The memory file holding `pixels` (a picture's first row) and its size; -1 when they are on
  // the heap. Only while the picture is held: the file goes with it.
  int File(const std::uint32_t* pixels, std::size_t& bytes) {
    const std::lock_guard lock(mutex_);
    const auto found = files_.find(pixels);
    if (found == files_.end()) return -1;
    bytes = found->second.bytes;
    return found->second.fd;
  }

 private:
  struct Held {
    int fd = -1;
    std::size_t bytes = 0;
  };
  std::mutex mutex_;
  std::map<const std::uint32_t*, Held> files_;
};

std::shared_ptr<WaylandPixels> ShareThePicturesOnWayland() {
  // The compositor reads the pictures' words as they are: 0x00RRGGBB is its XRGB8888 only in
  // little-endian memory.
  if (SDL_BYTEORDER != SDL_LIL_ENDIAN ||
      SDL_strcmp(SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "", "wayland") != 0)
    return nullptr;
  auto pixels = std::make_shared<WaylandPixels>();
  SetPixelAllocator(pixels);
  return pixels;
}

namespace {

class WaylandPresenter final : public DirectPresenter {
 public:
  WaylandPresenter(SDL_Window* window, wl_display* display, wl_surface* surface,
                   std::shared_ptr<WaylandPixels> pixels)
      : window_(window), display_(display), surface_(surface), pixels_(std::move(pixels)) {}
  ~WaylandPresenter() override;
  WaylandPresenter(const WaylandPresenter&) = delete;
  WaylandPresenter& operator=(const WaylandPresenter&) = delete;

  // Binds the compositor's shared memory on a queue of the presenter's own, which SDL never
  // dispatches. False when there is none.
  bool Connect();

  bool Present(const WindowView& view, const std::vector<Rect>& patches, const ComposeArea& compose,
               bool whole) override;

 private:
  // A picture's own memory as a buffer of the window's size.
  struct Shown {
    std::weak_ptr<Picture> picture;
    wl_buffer* buffer = nullptr;
    int width = 0, height = 0;
  };
  // A buffer of the window's size that frames are composed in, and what it holds.
  struct Frame {
    int fd = -1;
    std::uint32_t* pixels = nullptr;
    std::size_t bytes = 0;
    wl_buffer* buffer = nullptr;
    int width = 0, height = 0;
    bool busy = false;  // the compositor may read it until it lets go
    bool holds = false;
    std::weak_ptr<Picture> picture;
    bool hasPicture = false;
    Color back;
    int brightness = 0;
    std::vector<Rect> patches;
  };

  wl_buffer* PictureBuffer(const std::shared_ptr<Picture>& picture, int width, int height);
  Frame* FrameFor(const WindowView& view, int width, int height);
  Frame* NewFrame(int width, int height);
  static void FreeFrame(Frame& frame);
  static bool SameBase(const Frame& frame, const WindowView& view);
  void Compose(Frame& frame, const std::vector<Rect>& areas, const ComposeArea& compose) const;

  SDL_Window* window_;
  wl_display* display_;
  wl_surface* surface_;  // SDL's
  std::shared_ptr<WaylandPixels> pixels_;
  wl_event_queue* queue_ = nullptr;
  wl_display* wrapper_ = nullptr;  // the display on that queue, for the registry
  wl_registry* registry_ = nullptr;
  wl_shm* shm_ = nullptr;
  std::vector<Shown> shown_;
  std::vector<std::unique_ptr<Frame>> frames_;
};

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t /*version*/) {
  auto** shm = static_cast<wl_shm**>(data);
  if (!*shm && std::strcmp(interface, wl_shm_interface.name) == 0)
    *shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
}

void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

void OnRelease(void* data, wl_buffer*) { *static_cast<bool*>(data) = false; }

const wl_buffer_listener kBufferListener = {OnRelease};

bool WaylandPresenter::Connect() {
  queue_ = wl_display_create_queue(display_);
  wrapper_ = static_cast<wl_display*>(wl_proxy_create_wrapper(display_));
  if (!queue_ || !wrapper_) return false;
  wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper_), queue_);
  registry_ = wl_display_get_registry(wrapper_);
  wl_registry_add_listener(registry_, &kRegistryListener, &shm_);
  return wl_display_roundtrip_queue(display_, queue_) >= 0 && shm_;
}

WaylandPresenter::~WaylandPresenter() {
  // The window goes right after: its buffer goes first, or mutter would look for the buffers'
  // damage after they were gone.
  wl_surface_attach(surface_, nullptr, 0, 0);
  wl_surface_commit(surface_);
  for (const Shown& shown : shown_) wl_buffer_destroy(shown.buffer);
  for (auto& frame : frames_) FreeFrame(*frame);
  if (shm_) wl_shm_destroy(shm_);
  if (registry_) wl_registry_destroy(registry_);
  if (wrapper_) wl_proxy_wrapper_destroy(wrapper_);
  if (queue_) wl_event_queue_destroy(queue_);
  wl_display_flush(display_);
}

void WaylandPresenter::FreeFrame(Frame& frame) {
  if (frame.buffer) wl_buffer_destroy(frame.buffer);
  if (frame.pixels) munmap(frame.pixels, frame.bytes);
  if (frame.fd >= 0) close(frame.fd);
  frame = Frame{};
}

wl_buffer* WaylandPresenter::PictureBuffer(const std::shared_ptr<Picture>& picture, int width,
                                           int height) {
  std::erase_if(shown_, [](const Shown& shown) {
    if (!shown.picture.expired()) return false;
    wl_buffer_destroy(shown.buffer);
    return true;
  });
  for (const Shown& shown : shown_) {
    if (shown.picture.lock() == picture && shown.width == width && shown.height == height)
      return shown.buffer;
  }
  // The compositor reads the rows as soon as it has the buffer: they must all be there.
  const std::uint32_t* rows = picture->TopRows(height);
  std::size_t bytes = 0;
  const int fd = rows ? pixels_->File(rows, bytes) : -1;
  if (fd < 0) return nullptr;
  wl_shm_pool* pool = wl_shm_create_pool(shm_, fd, static_cast<std::int32_t>(bytes));
  wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, width, height, picture->Width() * 4,
                                                WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);  // it lasts as long as its buffer
  if (!buffer) return nullptr;
  // A window of another size later gets a buffer of its own; this one goes with the picture.
  shown_.push_back(Shown{picture, buffer, width, height});
  return buffer;
}

bool WaylandPresenter::SameBase(const Frame& frame, const WindowView& view) {
  return frame.holds && frame.hasPicture == (view.backdrop != nullptr) &&
         frame.picture.lock() == view.backdrop &&
         frame.back == (view.hasBackColor ? view.backColor : Color{}) &&
         frame.brightness == view.brightness;
}

WaylandPresenter::Frame* WaylandPresenter::NewFrame(int width, int height) {
  auto frame = std::make_unique<Frame>();
  frame->width = width;
  frame->height = height;
  frame->bytes = static_cast<std::size_t>(width) * height * 4;
  frame->fd = MemoryFile("lumorra-frame", frame->bytes);
  if (frame->fd < 0) return nullptr;
  void* address = mmap(nullptr, frame->bytes, PROT_READ | PROT_WRITE, MAP_SHARED, frame->fd, 0);
  if (address == MAP_FAILED) {
    FreeFrame(*frame);
    return nullptr;
  }
  frame->pixels = static_cast<std::uint32_t*>(address);
  wl_shm_pool* pool = wl_shm_create_pool(shm_, frame->fd, static_cast<std::int32_t>(frame->bytes));
  frame->buffer =
      wl_shm_pool_create_buffer(pool, 0, width, height, width * 4, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  if (!frame->buffer) {
    FreeFrame(*frame);
    return nullptr;
  }
  wl_buffer_add_listener(frame->buffer, &kBufferListener, &frame->busy);
  frames_.push_back(std::move(frame));
  return frames_.back().get();
}

// A buffer the compositor has let go of, preferably one that already holds this view's picture,
// so that only the labels' areas need composing again.
WaylandPresenter::Frame* WaylandPresenter::FrameFor(const WindowView& view, int width, int height) {
  std::erase_if(frames_, [&](const std::unique_ptr<Frame>& frame) {
    if (frame->busy || (frame->width == width && frame->height == height)) return false;
    FreeFrame(*frame);
    return true;
  });
  Frame* free = nullptr;
  for (auto& frame : frames_) {
    if (frame->busy || frame->width != width || frame->height != height) continue;
    if (SameBase(*frame, view)) return frame.get();
    if (!free) free = frame.get();
  }
  if (free) return free;
  // One on the screen, one on its way there, one being composed; more only while the compositor
  // is slow to let go.
  constexpr std::size_t kMostFrames = 6;
  return frames_.size() < kMostFrames ? NewFrame(width, height) : nullptr;
}

void WaylandPresenter::Compose(Frame& frame, const std::vector<Rect>& areas,
                               const ComposeArea& compose) const {
  const int pitch = frame.width * 4;
  for (const Rect& area : areas) {
    if (area.width <= 0 || area.height <= 0) continue;
    std::uint8_t* corner = reinterpret_cast<std::uint8_t*>(frame.pixels) +
                           static_cast<std::size_t>(area.top) * pitch +
                           static_cast<std::size_t>(area.left) * 4;
    SurfacePtr surface(SDL_CreateRGBSurfaceWithFormatFrom(corner, area.width, area.height, 32,
                                                          pitch, SDL_PIXELFORMAT_RGB888));
    if (surface) compose(surface.get(), area);
  }
}

bool WaylandPresenter::Present(const WindowView& view, const std::vector<Rect>& patches,
                               const ComposeArea& compose, bool /*whole: frames are whole*/) {
  wl_display_dispatch_queue_pending(display_, queue_);  // the buffers let go of
  int width = 0, height = 0;
  SDL_GetWindowSizeInPixels(window_, &width, &height);
  if (width <= 0 || height <= 0) return false;
  std::vector<Rect> areas;
  for (const Rect& patch : patches) {
    const int left = std::max(patch.left, 0), top = std::max(patch.top, 0);
    const int right = std::min(patch.left + patch.width, width);
    const int bottom = std::min(patch.top + patch.height, height);
    if (right > left && bottom > top) areas.push_back(Rect{left, top, right - left, bottom - top});
  }
  wl_buffer* buffer = nullptr;
  // The picture alone, covering the window: its own memory is the frame.
  if (areas.empty() && view.backdrop && view.brightness == WindowView::kFullBrightness &&
      view.backdrop->Width() >= width && view.backdrop->Height() >= height)
    buffer = PictureBuffer(view.backdrop, width, height);
  if (!buffer) {
    Frame* frame = FrameFor(view, width, height);
    if (!frame) return false;
    if (SameBase(*frame, view)) {
      // What the old labels covered and what the new ones cover; the rest is there already.
      std::vector<Rect> changed = frame->patches;
      changed.insert(changed.end(), areas.begin(), areas.end());
      Compose(*frame, changed, compose);
    } else {
      Compose(*frame, {Rect{0, 0, width, height}}, compose);
    }
    frame->holds = true;
    frame->picture = view.backdrop;
    frame->hasPicture = view.backdrop != nullptr;
    frame->back = view.hasBackColor ? view.backColor : Color{};
    frame->brightness = view.brightness;
    frame->patches = std::move(areas);
    frame->busy = true;
    buffer = frame->buffer;
  }
  wl_surface_attach(surface_, buffer, 0, 0);
  wl_surface_damage(surface_, 0, 0, INT32_MAX, INT32_MAX);
  wl_surface_commit(surface_);
  wl_display_flush(display_);
  return true;
}

}  // namespace

std::unique_ptr<DirectPresenter> NewWaylandPresenter(SDL_Window* window,
                                                     std::shared_ptr<WaylandPixels> pixels) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !pixels || !SDL_GetWindowWMInfo(window, &info) ||
      info.subsystem != SDL_SYSWM_WAYLAND || !info.info.wl.display || !info.info.wl.surface)
    return nullptr;
  auto presenter = std::make_unique<WaylandPresenter>(window, info.info.wl.display,
                                                      info.info.wl.surface, std::move(pixels));
  if (!presenter->Connect()) return nullptr;
  return presenter;
}

}  // namespace host::sdl

#else

namespace host::sdl {

class WaylandPixels {};
std::shared_ptr<WaylandPixels> ShareThePicturesOnWayland() { return nullptr; }
std::unique_ptr<DirectPresenter> NewWaylandPresenter(SDL_Window*, std::shared_ptr<WaylandPixels>) {
  return nullptr;
}

}  // namespace host::sdl

#endif
