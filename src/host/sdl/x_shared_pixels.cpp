// Pictures in shared memory segments, attached to the X server as it first shows each.
#include "host/sdl/sdl_present.h"

#include "host/sdl/x_shared_pixels.h"

#include <cstring>
#include <memory>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <sys/ipc.h>
#include <sys/shm.h>
#endif

#include "host/sdl/x_library.h"

namespace host::sdl {

#if defined(SDL_VIDEO_DRIVER_X11)

std::uint32_t* SharedPixels::Allocate(std::size_t count, bool /*blank: new segments are zeroed*/) {
  // Small pictures (icons, the credits box's) are drawn the plain way; a segment each would
  // only use up the server's attachments.
  constexpr std::size_t kSmallest = 256 * 1024;
  const std::size_t bytes = count * 4;
  if (bytes < kSmallest || failed_) return nullptr;
  const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (id < 0) return nullptr;
  void* address = shmat(id, nullptr, 0);
  shmctl(id, IPC_RMID, nullptr);
  if (reinterpret_cast<std::intptr_t>(address) == -1) return nullptr;
  auto* pixels = static_cast<std::uint32_t*>(address);
  const std::lock_guard lock(mutex_);
  Segment& segment = segments_[pixels];
  segment.info.shmid = id;
  segment.info.shmaddr = static_cast<char*>(address);
  segment.info.readOnly = True;
  segment.bytes = bytes;
  return pixels;
}

void SharedPixels::Release(std::uint32_t* pixels, std::size_t /*count*/) {
  {
    const std::lock_guard lock(mutex_);
    const auto found = segments_.find(pixels);
    if (found != segments_.end()) {
      // The server lets go on the main thread, at the next present; its mapping is its own.
      if (found->second.attached) released_.push_back(found->second.info);
      segments_.erase(found);
    }
  }
  shmdt(pixels);
}

const SharedPixels::Library& SharedPixels::Xext() {
  static const Library library = [] {
    Library l;
    // The MIT-SHM calls live in the X extension library, which SDL's X11 driver loads too.
    void* xext = SDL_LoadObject("libXext.so.6");
    if (!xext) return l;
    l.query = reinterpret_cast<decltype(l.query)>(SDL_LoadFunction(xext, "XShmQueryExtension"));
    l.attach = reinterpret_cast<decltype(l.attach)>(SDL_LoadFunction(xext, "XShmAttach"));
    l.detach = reinterpret_cast<decltype(l.detach)>(SDL_LoadFunction(xext, "XShmDetach"));
    l.put = reinterpret_cast<decltype(l.put)>(SDL_LoadFunction(xext, "XShmPutImage"));
    l.create = reinterpret_cast<decltype(l.create)>(SDL_LoadFunction(xext, "XShmCreateImage"));
    return l;
  }();
  return library;
}

namespace {

using ErrorHandler = int (*)(Display*, XErrorEvent*);
bool attachRefused = false;
int NoteRefusal(Display*, XErrorEvent*) {
  attachRefused = true;
  return 0;
}

}  // namespace

bool SharedPixels::Attach(Display* display, Segment& segment) {
  if (failed_) return false;
  if (segment.attached) return true;
  // A refusal comes back as an X error; it is caught here rather than ending the program.
  using SetErrorHandler = ErrorHandler (*)(ErrorHandler);
  using Sync = int (*)(Display*, Bool);
  static const auto setHandler = XFunction<SetErrorHandler>("XSetErrorHandler");
  static const auto sync = XFunction<Sync>("XSync");
  if (!setHandler || !sync) return false;
  sync(display, False);
  attachRefused = false;
  const ErrorHandler previous = setHandler(&NoteRefusal);
  const bool sent = Xext().attach(display, &segment.info);
  sync(display, False);
  setHandler(previous);
  if (!sent || attachRefused) {
    failed_ = true;
    return false;
  }
  segment.attached = true;
  return true;
}

XShmSegmentInfo* SharedPixels::Attached(Display* display, const std::uint32_t* pixels) {
  const std::lock_guard lock(mutex_);
  const auto found = segments_.find(pixels);
  if (found == segments_.end() || !Attach(display, found->second)) return nullptr;
  return &found->second.info;
}

void SharedPixels::AttachAll(Display* display,
                             const std::function<void(XShmSegmentInfo&, std::size_t)>& attached) {
  const std::lock_guard lock(mutex_);
  for (auto& [pixels, segment] : segments_) {
    if (segment.attached) continue;
    if (!Attach(display, segment)) return;
    attached(segment.info, segment.bytes);
  }
}

void SharedPixels::DetachReleased(Display* display) {
  const std::lock_guard lock(mutex_);
  for (XShmSegmentInfo& info : released_) Xext().detach(display, &info);
  released_.clear();
}

std::shared_ptr<SharedPixels> ShareThePictures() {
  // Only a server on this machine can map the program's memory; SDL decides the same way.
  const char* name = SDL_getenv("DISPLAY");
  if (!name || !(name[0] == ':' || std::strncmp(name, "unix:", 5) == 0)) return nullptr;
  if (!SharedPixels::Xext().Loaded() || !XLibrary()) return nullptr;
  auto pixels = std::make_shared<SharedPixels>();
  SetPixelAllocator(pixels);
  return pixels;
}

#else

class SharedPixels {};
std::shared_ptr<SharedPixels> ShareThePictures() { return nullptr; }

#endif

}  // namespace host::sdl
