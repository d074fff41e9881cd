#pragma once

// Picture memory the X server reads itself: System V shared memory, one segment a picture.

#include <SDL.h>

#include "host/picture.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>
#endif

namespace host::sdl {

#if defined(SDL_VIDEO_DRIVER_X11)

// Picture memory in System V shared memory segments, one a picture, which the X server maps
// too: XShmPutImage then has the server copy a picture straight from the memory it was decoded
// into. Each segment is marked for removal as soon as it is made, so that none outlives the
// program however it ends; Linux still lets the server attach to it while the program has it.
class SharedPixels final : public PixelAllocator {
 public:
  std::uint32_t* Allocate(std::size_t count, bool blank) override;
  void Release(std::uint32_t* pixels, std::size_t count) override;

  // The segment holding `pixels`, attached to the X server of `display` the first time; null
  // when they are not in shared memory or the server cannot read it (a remote server, or one
  // without MIT-SHM): then the picture is copied the plain way.
  XShmSegmentInfo* Attached(Display* display, const std::uint32_t* pixels);

  // Tells the server to let go of the pictures that are gone.
  void DetachReleased(Display* display);

  // Attaches every picture the server has not seen yet and hands each to `attached`, with its
  // size in bytes.
  void AttachAll(Display* display,
                 const std::function<void(XShmSegmentInfo&, std::size_t)>& attached);

  struct Library {
    Bool (*query)(Display*) = nullptr;
    Bool (*attach)(Display*, XShmSegmentInfo*) = nullptr;
    Bool (*detach)(Display*, XShmSegmentInfo*) = nullptr;
    Bool (*put)(Display*, Drawable, GC, XImage*, int, int, int, int, unsigned, unsigned,
                Bool) = nullptr;
    XImage* (*create)(Display*, Visual*, unsigned, int, char*, XShmSegmentInfo*, unsigned,
                      unsigned) = nullptr;
    bool Loaded() const { return query && attach && detach && put && create; }
  };
  static const Library& Xext();

 private:
  struct Segment {
    XShmSegmentInfo info{};
    std::size_t bytes = 0;
    bool attached = false;
  };
  bool Attach(Display* display, Segment& segment);
  std::mutex mutex_;
  std::map<const std::uint32_t*, Segment> segments_;
  std::vector<XShmSegmentInfo> released_;
  bool failed_ = false;
};

#endif

}  // namespace host::sdl
