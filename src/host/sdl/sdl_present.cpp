#include "host/sdl/sdl_present.h"

#include <SDL_opengles2.h>
#include <SDL_syswm.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <type_traits>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrender.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#endif

#include "host/sdl/sdl_handles.h"
#include "host/sdl/x_library.h"

namespace host::sdl {

namespace {

Rect Clipped(const Rect& rect, int width, int height) {
  const int left = std::max(rect.left, 0), top = std::max(rect.top, 0);
  const int right = std::min(rect.left + rect.width, width);
  const int bottom = std::min(rect.top + rect.height, height);
  if (right <= left || bottom <= top) return Rect{};
  return Rect{left, top, right - left, bottom - top};
}

// A surface of `area`'s size on `scratch`'s pixels, made larger first when it is too small.
SurfacePtr PatchSurface(SurfacePtr& scratch, const Rect& area) {
  if (!scratch || scratch->w < area.width || scratch->h < area.height) {
    scratch.reset(SDL_CreateRGBSurfaceWithFormat(0, std::max(area.width, scratch ? scratch->w : 0),
                                                 std::max(area.height, scratch ? scratch->h : 0),
                                                 32, SDL_PIXELFORMAT_RGB888));
    if (!scratch) return nullptr;
  }
  return SurfacePtr(SDL_CreateRGBSurfaceWithFormatFrom(scratch->pixels, area.width, area.height, 32,
                                                       scratch->pitch, SDL_PIXELFORMAT_RGB888));
}

// Each patch clipped to the window, composed on `scratch`'s pixels and handed to `put` with the
// window area it covers; patches wholly outside the window, or with no memory, are passed over.
void ComposePatches(const std::vector<Rect>& patches, int width, int height, SurfacePtr& scratch,
                    const ComposeArea& compose, const ComposeArea& put) {
  for (const Rect& area : patches) {
    const Rect clipped = Clipped(area, width, height);
    if (clipped.width == 0) continue;
    SurfacePtr patch = PatchSurface(scratch, clipped);
    if (!patch) continue;
    compose(patch.get(), clipped);
    put(patch.get(), clipped);
  }
}

}  // namespace

#if defined(SDL_VIDEO_DRIVER_X11)

// Picture memory in System V shared memory segments, one a picture, which the X server maps
// too: XShmPutImage then has the server copy a picture straight from the memory it was decoded
// into. Each segment is marked for removal as soon as it is made, so that none outlives the
// program however it ends; Linux still lets the server attach to it while the program has it.
class SharedPixels final : public PixelAllocator {
 public:
  std::uint32_t* Allocate(std::size_t count, bool /*blank: new segments are zeroed*/) override {
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

  void Release(std::uint32_t* pixels, std::size_t /*count*/) override {
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

namespace {

// On a screen of another pixel layout (30-bit colour) the server cannot show the pictures' own
// memory: each is converted once, as it is first shown, into a pixmap of the server's, which a
// present then copies from. The layout's value of each 8-bit level, for red, green and blue.
struct PixelLayout {
  int depth = 24;
  std::uint32_t red[256]{}, green[256]{}, blue[256]{};
  std::uint32_t Pixel(std::uint32_t rgb) const {
    return red[(rgb >> 16) & 0xff] | green[(rgb >> 8) & 0xff] | blue[rgb & 0xff];
  }
};

class SharedMemoryPresenter final : public DirectPresenter {
 public:
  // With `pixels` the pictures are shown from their own shared memory; without, from pixmaps
  // made in `layout`.
  SharedMemoryPresenter(std::shared_ptr<SharedPixels> pixels, SDL_Window* window, Display* display,
                        Window native, Visual* visual, GC gc,
                        std::unique_ptr<PixelLayout> layout = nullptr)
      : pixels_(std::move(pixels)),
        window_(window),
        display_(display),
        native_(native),
        visual_(visual),
        gc_(gc),
        layout_(std::move(layout)),
        depth_(layout_ ? layout_->depth : 24) {}

  ~SharedMemoryPresenter() override;
  bool ReadAhead() override;

  bool Present(const WindowView& view, const std::vector<Rect>& patches, const ComposeArea& compose,
               bool whole) override;

  static bool Loaded();
  struct Calls;
  static const Calls& X();

 private:
  struct RenderCalls;
  static const RenderCalls& Render();
  Drawable Offscreen(int width, int height);
  void Warm(XShmSegmentInfo& segment, std::size_t bytes);
  void FreeOffscreen();
  bool PutWhole(const WindowView& view, XShmSegmentInfo* segment, Pixmap stored,
                const std::vector<Rect>& patches, int width, int height);
  Pixmap StoredFor(const std::shared_ptr<Picture>& picture, int width, int height);
  unsigned long PixelOf(const Color& color) const;
  void PutPatches(const std::vector<Rect>& areas, const ComposeArea& compose, int width,
                  int height);

  std::shared_ptr<SharedPixels> pixels_;
  SDL_Window* window_;
  Display* display_;
  Window native_;
  Visual* visual_;
  GC gc_;
  std::unique_ptr<PixelLayout> layout_;
  int depth_;
  struct Stored {
    std::weak_ptr<Picture> picture;
    Pixmap pixmap = 0;
    int width = 0, height = 0;
  };
  std::vector<Stored> stored_;
  SurfacePtr scratch_;
  // The frame last shown, to tell what changed.
  bool shown_ = false;
  std::weak_ptr<Picture> picture_;
  Color back_;
  int brightness_ = 0;
  int width_ = 0, height_ = 0;
  std::vector<Rect> patches_;
  // Where dimmed frames are made, with its picture for the X rendering extension.
  Pixmap offscreen_ = 0;
  Pixmap warmed_ = 0;  // a column the server reads new pictures into
  ::Picture offscreenPicture_ = 0;
  int offscreenWidth_ = 0, offscreenHeight_ = 0;
};

struct SharedMemoryPresenter::Calls {
  Region (*createRegion)() = nullptr;
  int (*destroyRegion)(Region) = nullptr;
  int (*unionRect)(XRectangle*, Region, Region) = nullptr;
  int (*subtract)(Region, Region, Region) = nullptr;
  int (*setRegion)(Display*, GC, Region) = nullptr;
  int (*setClipMask)(Display*, GC, Pixmap) = nullptr;
  int (*setForeground)(Display*, GC, unsigned long) = nullptr;
  int (*fill)(Display*, Drawable, GC, int, int, unsigned, unsigned) = nullptr;
  XImage* (*createImage)(Display*, Visual*, unsigned, int, int, char*, unsigned, unsigned, int,
                         int) = nullptr;
  int (*putImage)(Display*, Drawable, GC, XImage*, int, int, int, int, unsigned,
                  unsigned) = nullptr;
  int (*sync)(Display*, Bool) = nullptr;
  int (*flush)(Display*) = nullptr;
  int (*free)(void*) = nullptr;
  int (*copy)(Display*, Drawable, Drawable, GC, int, int, unsigned, unsigned, int, int) = nullptr;
  Pixmap (*createPixmap)(Display*, Drawable, unsigned, unsigned, unsigned) = nullptr;
  int (*freePixmap)(Display*, Pixmap) = nullptr;
  bool Loaded() const {
    return createRegion && destroyRegion && unionRect && subtract && setRegion && setClipMask &&
           setForeground && fill && createImage && putImage && sync && flush && free && copy &&
           createPixmap && freePixmap;
  }
};

// The X rendering extension's library, which SDL's X11 driver loads too. Without it a dimmed
// frame is drawn the plain way.
struct SharedMemoryPresenter::RenderCalls {
  XRenderPictFormat* (*findFormat)(Display*, const Visual*) = nullptr;
  ::Picture (*create)(Display*, Drawable, const XRenderPictFormat*, unsigned long,
                      const XRenderPictureAttributes*) = nullptr;
  void (*free)(Display*, ::Picture) = nullptr;
  void (*fill)(Display*, int, ::Picture, const XRenderColor*, int, int, unsigned,
               unsigned) = nullptr;
  bool Loaded() const { return findFormat && create && free && fill; }
};

const SharedMemoryPresenter::RenderCalls& SharedMemoryPresenter::Render() {
  static const RenderCalls calls = [] {
    RenderCalls c;
    void* library = SDL_LoadObject("libXrender.so.1");
    if (!library) return c;
    const auto load = [library](auto& f, const char* name) {
      f = reinterpret_cast<std::remove_reference_t<decltype(f)>>(SDL_LoadFunction(library, name));
    };
    load(c.findFormat, "XRenderFindVisualFormat");
    load(c.create, "XRenderCreatePicture");
    load(c.free, "XRenderFreePicture");
    load(c.fill, "XRenderFillRectangle");
    return c;
  }();
  return calls;
}

Drawable SharedMemoryPresenter::Offscreen(int width, int height) {
  if (offscreen_ && offscreenWidth_ == width && offscreenHeight_ == height) return offscreen_;
  FreeOffscreen();
  const XRenderPictFormat* format = Render().findFormat(display_, visual_);
  if (!format) return 0;
  offscreen_ = X().createPixmap(display_, native_, width, height, depth_);
  offscreenPicture_ = Render().create(display_, offscreen_, format, 0, nullptr);
  offscreenWidth_ = width;
  offscreenHeight_ = height;
  return offscreen_;
}

// The server maps a picture's memory page by page as it first reads it, and on a virtual
// machine each page costs it some microseconds: 100 ms and more for a picture of 3840x2160, which
// the first present of each picture would wait for in the middle of the show. So every picture
// is read once ahead, when the program has been idle a moment (see ReadAhead's caller): one
// pixel from each 4 KiB page, a column of a 1024-pixel-wide image, into a pixmap of one
// column. It is not waited for.
void SharedMemoryPresenter::Warm(XShmSegmentInfo& segment, std::size_t bytes) {
  constexpr int kMaxRows = 32767;
  const int rows = static_cast<int>(std::min<std::size_t>(bytes / 4096, kMaxRows));
  if (rows <= 0) return;
  if (!warmed_) warmed_ = X().createPixmap(display_, native_, 1, kMaxRows, 24);
  const auto& xext = SharedPixels::Xext();
  XImage* image =
      xext.create(display_, visual_, 24, ZPixmap, segment.shmaddr, &segment, 1024, rows);
  if (!image) return;
  xext.put(display_, warmed_, gc_, image, 0, 0, 0, 0, 1, rows, False);
  X().free(image);
  X().flush(display_);
}

bool SharedMemoryPresenter::ReadAhead() {
  if (!pixels_) return false;
  bool any = false;
  pixels_->AttachAll(display_, [this, &any](XShmSegmentInfo& segment, std::size_t bytes) {
    Warm(segment, bytes);
    any = true;
  });
  return any;
}

SharedMemoryPresenter::~SharedMemoryPresenter() {
  FreeOffscreen();
  if (warmed_) X().freePixmap(display_, warmed_);
  for (const Stored& stored : stored_) X().freePixmap(display_, stored.pixmap);
  using FreeGc = int (*)(Display*, GC);
  if (const auto free = XFunction<FreeGc>("XFreeGC")) free(display_, gc_);
}

void SharedMemoryPresenter::FreeOffscreen() {
  if (offscreenPicture_) Render().free(display_, offscreenPicture_);
  if (offscreen_) X().freePixmap(display_, offscreen_);
  offscreen_ = 0;
  offscreenPicture_ = 0;
}

const SharedMemoryPresenter::Calls& SharedMemoryPresenter::X() {
  static const Calls calls = [] {
    Calls c;
    c.createRegion = XFunction<decltype(c.createRegion)>("XCreateRegion");
    c.destroyRegion = XFunction<decltype(c.destroyRegion)>("XDestroyRegion");
    c.unionRect = XFunction<decltype(c.unionRect)>("XUnionRectWithRegion");
    c.subtract = XFunction<decltype(c.subtract)>("XSubtractRegion");
    c.setRegion = XFunction<decltype(c.setRegion)>("XSetRegion");
    c.setClipMask = XFunction<decltype(c.setClipMask)>("XSetClipMask");
    c.setForeground = XFunction<decltype(c.setForeground)>("XSetForeground");
    c.fill = XFunction<decltype(c.fill)>("XFillRectangle");
    c.createImage = XFunction<decltype(c.createImage)>("XCreateImage");
    c.putImage = XFunction<decltype(c.putImage)>("XPutImage");
    c.sync = XFunction<decltype(c.sync)>("XSync");
    c.flush = XFunction<decltype(c.flush)>("XFlush");
    c.free = XFunction<decltype(c.free)>("XFree");
    c.copy = XFunction<decltype(c.copy)>("XCopyArea");
    c.createPixmap = XFunction<decltype(c.createPixmap)>("XCreatePixmap");
    c.freePixmap = XFunction<decltype(c.freePixmap)>("XFreePixmap");
    return c;
  }();
  return calls;
}

bool SharedMemoryPresenter::Loaded() { return X().Loaded(); }

// The small areas go as plain images: composing and sending a few label-sized rectangles costs
// far less than the picture would.
void SharedMemoryPresenter::PutPatches(const std::vector<Rect>& areas, const ComposeArea& compose,
                                       int width, int height) {
  const Calls& x = X();
  ComposePatches(areas, width, height, scratch_, compose, [&](SDL_Surface* patch, const Rect& at) {
    if (layout_) {
      for (int y = 0; y < at.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(patch->pixels) +
                                                     static_cast<std::size_t>(y) * patch->pitch);
        for (int i = 0; i < at.width; ++i) row[i] = layout_->Pixel(row[i]);
      }
    }
    XImage* image =
        x.createImage(display_, visual_, depth_, ZPixmap, 0, static_cast<char*>(patch->pixels),
                      at.width, at.height, 32, patch->pitch);
    if (!image) return;
    x.putImage(display_, native_, gc_, image, 0, 0, at.left, at.top, at.width, at.height);
    x.free(image);  // the pixels are the patch's
  });
}

// The picture everywhere but under the patches, so that a label never blinks; the back colour
// where the picture does not reach. False when a dimmed frame has nowhere to be made.
bool SharedMemoryPresenter::PutWhole(const WindowView& view, XShmSegmentInfo* segment,
                                     Pixmap stored, const std::vector<Rect>& patches, int width,
                                     int height) {
  const Calls& x = X();
  const auto& xext = SharedPixels::Xext();
  const bool dimmed = view.brightness < WindowView::kFullBrightness;
  const Color back = view.hasBackColor ? view.backColor : Color{};
  Region all = x.createRegion(), covered = x.createRegion();
  XRectangle screen{0, 0, static_cast<unsigned short>(width), static_cast<unsigned short>(height)};
  x.unionRect(&screen, all, all);
  for (const Rect& patch : patches) {
    const Rect c = Clipped(patch, width, height);
    if (c.width == 0) continue;
    XRectangle r{static_cast<short>(c.left), static_cast<short>(c.top),
                 static_cast<unsigned short>(c.width), static_cast<unsigned short>(c.height)};
    x.unionRect(&r, covered, covered);
  }
  x.subtract(all, covered, all);
  // A dimmed frame is made in a pixmap first and copied over at once: dimmed on the window,
  // the full-bright picture could be seen for a moment.
  const Drawable target = dimmed ? Offscreen(width, height) : native_;
  if (!target) {
    x.destroyRegion(all);
    x.destroyRegion(covered);
    return false;
  }
  if (!dimmed) x.setRegion(display_, gc_, all);
  int coveredWidth = 0, coveredHeight = 0;
  if (view.backdrop) {
    const Picture& picture = *view.backdrop;
    coveredWidth = std::min(picture.Width(), width);
    coveredHeight = std::min(picture.Height(), height);
    if (stored) {
      x.copy(display_, stored, target, gc_, 0, 0, coveredWidth, coveredHeight, 0, 0);
    } else if (XImage* image = xext.create(display_, visual_, 24, ZPixmap, segment->shmaddr,
                                           segment, picture.Width(), picture.Height())) {
      xext.put(display_, target, gc_, image, 0, 0, 0, 0, coveredWidth, coveredHeight, False);
      x.free(image);  // the pixels and the segment are the picture's
    }
  }
  // Only what the picture leaves uncovered gets the back colour.
  x.setForeground(display_, gc_, PixelOf(back));
  if (coveredWidth < width && coveredHeight > 0)
    x.fill(display_, target, gc_, coveredWidth, 0, width - coveredWidth, coveredHeight);
  if (coveredHeight < height)
    x.fill(display_, target, gc_, 0, coveredHeight, width, height - coveredHeight);
  if (dimmed) {
    // Black laid over the picture with the opacity that leaves `brightness` of it.
    const auto opacity = static_cast<unsigned short>(
        (WindowView::kFullBrightness - std::clamp(view.brightness, 0, 255)) * 257);
    const XRenderColor black{0, 0, 0, opacity};
    Render().fill(display_, PictOpOver, offscreenPicture_, &black, 0, 0, coveredWidth,
                  coveredHeight);
    x.setRegion(display_, gc_, all);
    x.copy(display_, target, native_, gc_, 0, 0, width, height, 0, 0);
  }
  x.setClipMask(display_, gc_, None);
  x.destroyRegion(all);
  x.destroyRegion(covered);
  return true;
}

unsigned long SharedMemoryPresenter::PixelOf(const Color& color) const {
  const std::uint32_t rgb = (static_cast<std::uint32_t>(color.red) << 16) |
                            (static_cast<std::uint32_t>(color.green) << 8) | color.blue;
  return layout_ ? layout_->Pixel(rgb) : rgb;
}

// The part of `picture` a window of `width` x `height` shows, in a pixmap of the server's; made
// the first time, and again should the window grow to show more of it. 0 when it cannot be had.
Pixmap SharedMemoryPresenter::StoredFor(const std::shared_ptr<Picture>& picture, int width,
                                        int height) {
  const Calls& x = X();
  std::erase_if(stored_, [this, &x](const Stored& stored) {
    if (!stored.picture.expired()) return false;
    x.freePixmap(display_, stored.pixmap);
    return true;
  });
  const int shownWidth = std::min(width, picture->Width());
  const int shownHeight = std::min(height, picture->Height());
  if (shownWidth <= 0 || shownHeight <= 0) return 0;
  const auto found = std::find_if(stored_.begin(), stored_.end(), [&](const Stored& stored) {
    return stored.picture.lock() == picture;
  });
  if (found != stored_.end()) {
    if (found->width >= shownWidth && found->height >= shownHeight) return found->pixmap;
    x.freePixmap(display_, found->pixmap);
    stored_.erase(found);
  }
  const std::uint32_t* pixels = picture->TopRows(shownHeight);
  if (!pixels || !layout_) return 0;
  const Pixmap pixmap = x.createPixmap(display_, native_, shownWidth, shownHeight, depth_);
  // Converted and sent a band of rows at a time, through one small buffer.
  constexpr int kBand = 64;
  std::vector<std::uint32_t> band(static_cast<std::size_t>(shownWidth) * kBand);
  for (int top = 0; top < shownHeight; top += kBand) {
    const int rows = std::min(kBand, shownHeight - top);
    for (int y = 0; y < rows; ++y) {
      const std::uint32_t* from = pixels + static_cast<std::size_t>(top + y) * picture->Width();
      std::uint32_t* to = band.data() + static_cast<std::size_t>(y) * shownWidth;
      for (int i = 0; i < shownWidth; ++i) to[i] = layout_->Pixel(from[i]);
    }
    XImage* image =
        x.createImage(display_, visual_, depth_, ZPixmap, 0, reinterpret_cast<char*>(band.data()),
                      shownWidth, rows, 32, shownWidth * 4);
    if (!image) continue;
    x.putImage(display_, pixmap, gc_, image, 0, 0, 0, top, shownWidth, rows);
    x.free(image);  // the pixels are the band's
  }
  stored_.push_back({picture, pixmap, shownWidth, shownHeight});
  return pixmap;
}

bool SharedMemoryPresenter::Present(const WindowView& view, const std::vector<Rect>& patches,
                                    const ComposeArea& compose, bool whole) {
  XShmSegmentInfo* segment = nullptr;
  const bool dimmed = view.brightness < WindowView::kFullBrightness;
  if (dimmed && !Render().Loaded()) {
    shown_ = false;
    return false;
  }
  if (pixels_) pixels_->DetachReleased(display_);
  int width = 0, height = 0;
  SDL_GetWindowSize(window_, &width, &height);
  Pixmap stored = 0;
  if (view.backdrop) {
    // Only the rows the window shows need be there: a photograph taller than the screen has the
    // rest decoded only if something reads them.
    const Picture& picture = *view.backdrop;
    if (pixels_) {
      segment = pixels_->Attached(display_, picture.TopRows(std::min(height, picture.Height())));
    } else {
      stored = StoredFor(view.backdrop, width, height);
    }
    if (!segment && !stored) {
      shown_ = false;
      return false;
    }
  }
  const Color back = view.hasBackColor ? view.backColor : Color{};

  const bool same = shown_ && !whole && picture_.lock() == view.backdrop && back == back_ &&
                    view.brightness == brightness_ && width == width_ && height == height_;
  if (same) {
    // The picture is on the screen already: only what the labels covered, then and now.
    std::vector<Rect> areas = patches_;
    areas.insert(areas.end(), patches.begin(), patches.end());
    PutPatches(areas, compose, width, height);
  } else {
    if (!PutWhole(view, segment, stored, patches, width, height)) {
      shown_ = false;
      return false;
    }
    PutPatches(patches, compose, width, height);
  }
  // As SDL does after its own put: the frame is on the server when the present returns.
  X().sync(display_, False);
  shown_ = true;
  picture_ = view.backdrop;
  brightness_ = view.brightness;
  back_ = back;
  width_ = width;
  height_ = height;
  patches_ = patches;
  return true;
}

}  // namespace

std::unique_ptr<DirectPresenter> NewSharedMemoryPresenter(SDL_Window* window,
                                                          std::shared_ptr<SharedPixels> pixels) {
  if (!pixels || !window) return nullptr;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
  Display* display = info.info.x11.display;
  const Window native = info.info.x11.window;
  const auto& xext = SharedPixels::Xext();
  if (!xext.Loaded() || !xext.query(display)) return nullptr;
  using GetAttributes = Status (*)(Display*, Window, XWindowAttributes*);
  using CreateGc = GC (*)(Display*, Drawable, unsigned long, XGCValues*);
  using ByteOrder = int (*)(Display*);
  using Free = int (*)(void*);
  const auto attributes = XFunction<GetAttributes>("XGetWindowAttributes");
  const auto createGc = XFunction<CreateGc>("XCreateGC");
  const auto byteOrder = XFunction<ByteOrder>("XImageByteOrder");
  const auto free = XFunction<Free>("XFree");
  XWindowAttributes attrs{};
  if (!attributes || !createGc || !byteOrder || !free || !attributes(display, native, &attrs))
    return nullptr;
  // The pictures' own layout, 0x00RRGGBB in a 32-bit word, is shown as it is or not at all.
  const Visual* visual = attrs.visual;
  if (attrs.depth != 24 || !visual || visual->red_mask != 0xff0000 ||
      visual->green_mask != 0xff00 || visual->blue_mask != 0xff ||
      byteOrder(display) != (SDL_BYTEORDER == SDL_LIL_ENDIAN ? LSBFirst : MSBFirst))
    return nullptr;
  XShmSegmentInfo probe{};
  XImage* image = xext.create(display, attrs.visual, 24, ZPixmap, nullptr, &probe, 1, 1);
  const bool wordPixels = image && image->bits_per_pixel == 32;
  if (image) free(image);
  if (!wordPixels || !SharedMemoryPresenter::Loaded()) return nullptr;
  // Copies between drawables of ours never need exposures reported back.
  XGCValues values{};
  values.graphics_exposures = False;
  GC gc = createGc(display, native, GCGraphicsExposures, &values);
  if (!gc) return nullptr;
  return std::make_unique<SharedMemoryPresenter>(std::move(pixels), window, display, native,
                                                 attrs.visual, gc);
}

std::unique_ptr<DirectPresenter> NewPixmapPresenter(SDL_Window* window) {
  SDL_SysWMinfo info;
  if (!window || !OnX11(window, info) || !SharedMemoryPresenter::Loaded()) return nullptr;
  Display* display = info.info.x11.display;
  const Window native = info.info.x11.window;
  const auto attributes = XFunction<decltype(&XGetWindowAttributes)>("XGetWindowAttributes");
  const auto createGc = XFunction<decltype(&XCreateGC)>("XCreateGC");
  const auto byteOrder = XFunction<decltype(&XImageByteOrder)>("XImageByteOrder");
  XWindowAttributes attrs{};
  if (!attributes || !createGc || !byteOrder || !attributes(display, native, &attrs) ||
      !attrs.visual ||
      // SDL gives a DirectColor window a colour map of even steps: it shows pixels as TrueColor.
      (attrs.visual->c_class != TrueColor && attrs.visual->c_class != DirectColor) ||
      byteOrder(display) != (SDL_BYTEORDER == SDL_LIL_ENDIAN ? LSBFirst : MSBFirst))
    return nullptr;
  // Pixels in 32-bit words, 8 to 16 bits a colour: each 8-bit level is spread over its bits.
  auto layout = std::make_unique<PixelLayout>();
  layout->depth = attrs.depth;
  for (auto [mask, levels] : {std::pair{attrs.visual->red_mask, layout->red},
                              {attrs.visual->green_mask, layout->green},
                              {attrs.visual->blue_mask, layout->blue}}) {
    if (mask == 0) return nullptr;
    const int shift = __builtin_ctzl(mask), bits = __builtin_popcountl(mask);
    if (bits < 8 || bits > 16 || (mask >> shift) != (1UL << bits) - 1) return nullptr;
    for (std::uint32_t level = 0; level < 256; ++level)
      levels[level] = ((level << (bits - 8)) | (level >> (16 - bits))) << shift;
  }
  const auto& x = SharedMemoryPresenter::X();
  XImage* probe =
      x.createImage(display, attrs.visual, attrs.depth, ZPixmap, 0, nullptr, 1, 1, 32, 0);
  const bool wordPixels = probe && probe->bits_per_pixel == 32;
  if (probe) x.free(probe);
  if (!wordPixels) return nullptr;
  XGCValues values{};
  values.graphics_exposures = False;
  GC gc = createGc(display, native, GCGraphicsExposures, &values);
  if (!gc) return nullptr;
  return std::make_unique<SharedMemoryPresenter>(nullptr, window, display, native, attrs.visual, gc,
                                                 std::move(layout));
}

#else

class SharedPixels {};
std::shared_ptr<SharedPixels> ShareThePictures() { return nullptr; }
std::unique_ptr<DirectPresenter> NewSharedMemoryPresenter(SDL_Window*,
                                                          std::shared_ptr<SharedPixels>) {
  return nullptr;
}
std::unique_ptr<DirectPresenter> NewPixmapPresenter(SDL_Window*) { return nullptr; }

#endif

namespace {

// On software GL (llvmpipe) drawing a texture over the window runs a shader for each pixel: some
// 11 ms a frame at 1920x1080. A framebuffer blit between buffers of one pixel layout, unscaled, is
// a plain copy of rows instead, well under a millisecond. It takes an OpenGL ES context (desktop
// GL makes its 8-bit window buffers sRGB, which no texture blits into as a copy) and textures in
// the window's own BGRA layout, which SDL's renderer does not make: so here the pictures'
// textures are made with calls of our own, on the renderer's context, and copied to the window
// before SDL draws the labels over them.
class Blitter {
 public:
  // Null unless the renderer is on such a context, with a window buffer without alpha (the
  // pictures' unused byte would become its alpha).
  static std::unique_ptr<Blitter> For(SDL_Window* window, SDL_Renderer* renderer);
  ~Blitter();
  // The top-left `width` x `height` of `picture` in a new texture; 0 when it cannot be made.
  GLuint Upload(const Picture& picture, int width, int height);
  void Delete(GLuint texture);
  // The texture's top-left `width` x `height` to the window's top-left.
  void Copy(GLuint texture, int width, int height, int windowHeight);

 private:
  struct Calls {
    PFNGLGETINTEGERVPROC getIntegerv = nullptr;
    PFNGLGENTEXTURESPROC genTextures = nullptr;
    PFNGLDELETETEXTURESPROC deleteTextures = nullptr;
    PFNGLBINDTEXTUREPROC bindTexture = nullptr;
    PFNGLTEXPARAMETERIPROC texParameteri = nullptr;
    PFNGLPIXELSTOREIPROC pixelStorei = nullptr;
    PFNGLTEXIMAGE2DPROC texImage2D = nullptr;
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DPROC framebufferTexture2D = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLISENABLEDPROC isEnabled = nullptr;
    PFNGLENABLEPROC enable = nullptr;
    PFNGLDISABLEPROC disable = nullptr;
    void(GL_APIENTRYP blitFramebuffer)(GLint, GLint, GLint, GLint, GLint, GLint, GLint, GLint,
                                       GLbitfield, GLenum) = nullptr;
  };
  // Taken from OpenGL ES 3, which SDL's headers for ES 2 lack.
  static constexpr GLenum kReadFramebuffer = 0x8CA8, kDrawFramebuffer = 0x8CA9;
  static constexpr GLenum kReadFramebufferBinding = 0x8CAA, kUnpackRowLength = 0x0CF2;

  bool Current() const;
  Calls gl_;
  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
  GLuint framebuffer_ = 0;
};

std::unique_ptr<Blitter> Blitter::For(SDL_Window* window, SDL_Renderer* renderer) {
  SDL_RendererInfo info{};
  if (SDL_GetRendererInfo(renderer, &info) != 0 || SDL_strcmp(info.name, "opengles2") != 0)
    return nullptr;
  auto blitter = std::make_unique<Blitter>();
  blitter->window_ = window;
  blitter->context_ = SDL_GL_GetCurrentContext();  // the renderer's, just made
  Calls& gl = blitter->gl_;
  const auto load = [](auto& f, const char* name) {
    f = reinterpret_cast<std::remove_reference_t<decltype(f)>>(SDL_GL_GetProcAddress(name));
    return f != nullptr;
  };
  const auto getString = reinterpret_cast<PFNGLGETSTRINGPROC>(SDL_GL_GetProcAddress("glGetString"));
  if (!blitter->context_ || !getString || !load(gl.getIntegerv, "glGetIntegerv") ||
      !load(gl.genTextures, "glGenTextures") || !load(gl.deleteTextures, "glDeleteTextures") ||
      !load(gl.bindTexture, "glBindTexture") || !load(gl.texParameteri, "glTexParameteri") ||
      !load(gl.pixelStorei, "glPixelStorei") || !load(gl.texImage2D, "glTexImage2D") ||
      !load(gl.genFramebuffers, "glGenFramebuffers") ||
      !load(gl.deleteFramebuffers, "glDeleteFramebuffers") ||
      !load(gl.bindFramebuffer, "glBindFramebuffer") ||
      !load(gl.framebufferTexture2D, "glFramebufferTexture2D") ||
      !load(gl.checkFramebufferStatus, "glCheckFramebufferStatus") ||
      !load(gl.isEnabled, "glIsEnabled") || !load(gl.enable, "glEnable") ||
      !load(gl.disable, "glDisable") || !load(gl.blitFramebuffer, "glBlitFramebuffer"))
    return nullptr;
  // Blits and row lengths came with version 3; SDL asks for 2, and gets 3 where there is one.
  const auto* version = reinterpret_cast<const char*>(getString(GL_VERSION));
  int major = 0;
  if (!version || SDL_sscanf(version, "OpenGL ES %d", &major) != 1 || major < 3 ||
      !SDL_GL_ExtensionSupported("GL_EXT_texture_format_BGRA8888"))
    return nullptr;
  GLint alpha = -1;
  gl.getIntegerv(GL_ALPHA_BITS, &alpha);
  if (alpha != 0) return nullptr;
  gl.genFramebuffers(1, &blitter->framebuffer_);
  if (!blitter->framebuffer_) return nullptr;
  return blitter;
}

Blitter::~Blitter() {
  if (framebuffer_ && Current()) gl_.deleteFramebuffers(1, &framebuffer_);
}

// SDL's renderer makes its context current only as it draws; another window's could be.
bool Blitter::Current() const {
  return SDL_GL_GetCurrentContext() == context_ || SDL_GL_MakeCurrent(window_, context_) == 0;
}

GLuint Blitter::Upload(const Picture& picture, int width, int height) {
  if (!Current()) return 0;
  GLint bound = 0;  // SDL's renderer remembers what it bound
  gl_.getIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  GLuint texture = 0;
  gl_.genTextures(1, &texture);
  gl_.bindTexture(GL_TEXTURE_2D, texture);
  gl_.texParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  gl_.texParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  gl_.pixelStorei(kUnpackRowLength, picture.Width());
  // 0x00RRGGBB words are B, G, R, 0 bytes in memory on this machine's byte order.
  gl_.texImage2D(GL_TEXTURE_2D, 0, GL_BGRA_EXT, width, height, 0, GL_BGRA_EXT, GL_UNSIGNED_BYTE,
                 picture.TopRows(height));
  gl_.pixelStorei(kUnpackRowLength, 0);
  gl_.bindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
  // A texture the context cannot read a blit from is drawn SDL's way instead.
  GLint read = 0;
  gl_.getIntegerv(kReadFramebufferBinding, &read);
  gl_.bindFramebuffer(kReadFramebuffer, framebuffer_);
  gl_.framebufferTexture2D(kReadFramebuffer, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  const bool readable = gl_.checkFramebufferStatus(kReadFramebuffer) == GL_FRAMEBUFFER_COMPLETE;
  gl_.bindFramebuffer(kReadFramebuffer, static_cast<GLuint>(read));
  if (!readable) Delete(texture);
  return readable ? texture : 0;
}

void Blitter::Delete(GLuint texture) {
  if (texture && Current()) gl_.deleteTextures(1, &texture);
}

void Blitter::Copy(GLuint texture, int width, int height, int windowHeight) {
  if (!Current()) return;
  GLint read = 0, draw = 0;
  gl_.getIntegerv(kReadFramebufferBinding, &read);
  gl_.getIntegerv(GL_FRAMEBUFFER_BINDING, &draw);  // the window's, as SDL left it
  const bool scissor = gl_.isEnabled(GL_SCISSOR_TEST);
  if (scissor) gl_.disable(GL_SCISSOR_TEST);
  gl_.bindFramebuffer(kReadFramebuffer, framebuffer_);
  gl_.framebufferTexture2D(kReadFramebuffer, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  // The texture's first row is the picture's top; the window's rows count up from its bottom.
  gl_.blitFramebuffer(0, 0, width, height, 0, windowHeight, width, windowHeight - height,
                      GL_COLOR_BUFFER_BIT, GL_NEAREST);
  gl_.bindFramebuffer(kReadFramebuffer, static_cast<GLuint>(read));
  gl_.bindFramebuffer(kDrawFramebuffer, static_cast<GLuint>(draw));
  if (scissor) gl_.enable(GL_SCISSOR_TEST);
}

// On SDL's renderer (native Wayland, screens SDL's window surfaces do not know) each picture is
// uploaded to a texture once; a present is then a copy the renderer makes on its own side.
class TexturePresenter final : public DirectPresenter {
 public:
  TexturePresenter(RendererPtr renderer, std::unique_ptr<Blitter> blitter)
      : renderer_(std::move(renderer)), blitter_(std::move(blitter)) {
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer_.get(), &info) == 0)
      maxWidth_ = info.max_texture_width, maxHeight_ = info.max_texture_height;
  }

  ~TexturePresenter() override {
    for (const Cached& cached : textures_)
      if (blitter_) blitter_->Delete(cached.copied);
  }

  bool Present(const WindowView& view, const std::vector<Rect>& patches, const ComposeArea& compose,
               bool /*whole: every frame is drawn whole*/) override {
    SDL_Renderer* renderer = renderer_.get();
    int width = 0, height = 0;
    SDL_GetRendererOutputSize(renderer, &width, &height);
    const Color back = view.hasBackColor ? view.backColor : Color{};
    const Cached* texture = TextureFor(view.backdrop, width, height);
    const int textureWidth = texture ? texture->width : 0;
    const int textureHeight = texture ? texture->height : 0;
    // On software GL a clear costs a pass over the screen: only where the picture leaves some.
    if (textureWidth < width || textureHeight < height) {
      SDL_SetRenderDrawColor(renderer, back.red, back.green, back.blue, 255);
      SDL_RenderClear(renderer);
    }
    if (texture) {
      const SDL_Rect area{0, 0, std::min(textureWidth, width), std::min(textureHeight, height)};
      const auto level = static_cast<Uint8>(std::clamp(view.brightness, 0, 255));
      if (texture->copied) {
        SDL_RenderFlush(renderer);  // the clear goes first
        blitter_->Copy(texture->copied, area.w, area.h, height);
        if (level < 255) {
          // A fade's step: black over the picture, letting `level` of it through.
          SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
          SDL_SetRenderDrawColor(renderer, 0, 0, 0, static_cast<Uint8>(255 - level));
          SDL_RenderFillRect(renderer, &area);
          SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
        }
      } else {
        // A fade's steps differ only in this: the renderer dims as it copies.
        SDL_SetTextureColorMod(texture->drawn.get(), level, level, level);
        SDL_RenderCopy(renderer, texture->drawn.get(), &area, &area);
      }
    }
    std::vector<TexturePtr> drawn;  // alive until the frame is presented
    ComposePatches(patches, width, height, scratch_, compose,
                   [&](SDL_Surface* patch, const Rect& at) {
                     TexturePtr texture(SDL_CreateTextureFromSurface(renderer, patch));
                     if (!texture) return;
                     const SDL_Rect where{at.left, at.top, at.width, at.height};
                     SDL_RenderCopy(renderer, texture.get(), nullptr, &where);
                     drawn.push_back(std::move(texture));
                   });
    SDL_RenderPresent(renderer);
    return true;
  }

  // Uploading a picture costs some 60 ms on software GL at 1920x1080, which its first present
  // would wait for in the middle of the light show: so the pictures the program holds are
  // uploaded ahead, one at each of the idle program's wakes. While one is still being made none
  // is, because the pictures a large screen's copies are scaled from are held only until then.
  bool ReadAhead() override {
    int width = 0, height = 0;
    SDL_GetRendererOutputSize(renderer_.get(), &width, &height);
    Forget(nullptr);
    std::shared_ptr<Picture> next;
    for (const std::shared_ptr<Picture>& picture : LivePictures()) {
      // Icons and the like go in a moment when they are first shown.
      constexpr long kSmallest = 64 * 1024;
      if (static_cast<long>(picture->Width()) * picture->Height() < kSmallest ||
          Find(*picture, width, height))
        continue;
      if (!picture->Made()) return true;  // again at the next wake
      if (!next) next = picture;
    }
    return next && TextureFor(next, width, height);
  }

 private:
  struct Cached {
    std::weak_ptr<Picture> picture;
    TexturePtr drawn;   // SDL's texture, or
    GLuint copied = 0;  // the blitter's
    int width = 0, height = 0;
  };

  // Lets go of the textures of the pictures that are gone, and of `replaced`'s.
  void Forget(const Picture* replaced) {
    std::erase_if(textures_, [this, replaced](const Cached& cached) {
      const std::shared_ptr<Picture> held = cached.picture.lock();
      if (held && held.get() != replaced) return false;
      if (blitter_) blitter_->Delete(cached.copied);
      return true;
    });
  }

  // How much of the picture a window of `width` x `height` shows, in the texture it needs.
  Size Shown(const Picture& picture, int width, int height) const {
    const auto fit = [](int size, int window, int most) {
      return std::min(size, most > 0 ? std::min(window, most) : window);
    };
    return {fit(picture.Width(), width, maxWidth_), fit(picture.Height(), height, maxHeight_)};
  }

  // The picture's texture, if it has one large enough for the window.
  const Cached* Find(const Picture& picture, int width, int height) const {
    const Size shown = Shown(picture, width, height);
    for (const Cached& cached : textures_)
      if (cached.picture.lock().get() == &picture && cached.width >= shown.width &&
          cached.height >= shown.height)
        return &cached;
    return nullptr;
  }

  // Only the part the window shows is uploaded; a window grown since gets it again, larger.
  const Cached* TextureFor(const std::shared_ptr<Picture>& picture, int width, int height) {
    if (!picture) return nullptr;
    if (const Cached* found = Find(*picture, width, height)) return found;
    Forget(picture.get());
    Cached made;
    made.picture = picture;
    const Size shown = Shown(*picture, width, height);
    made.width = shown.width;
    made.height = shown.height;
    if (made.width <= 0 || made.height <= 0) return nullptr;
    if (blitter_) made.copied = blitter_->Upload(*picture, made.width, made.height);
    if (!made.copied) {
      made.drawn.reset(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_RGB888,
                                         SDL_TEXTUREACCESS_STATIC, made.width, made.height));
      if (!made.drawn) return nullptr;
      SDL_SetTextureBlendMode(made.drawn.get(), SDL_BLENDMODE_NONE);
      SDL_UpdateTexture(made.drawn.get(), nullptr, picture->TopRows(made.height),
                        picture->Width() * 4);
    }
    textures_.push_back(std::move(made));
    return &textures_.back();
  }

  RendererPtr renderer_;
  std::unique_ptr<Blitter> blitter_;  // goes before the renderer, whose context it uses
  int maxWidth_ = 0, maxHeight_ = 0;
  std::vector<Cached> textures_;
  SurfacePtr scratch_;
};

// The index of SDL's render driver `name`, or -1 for SDL's own choice.
int RenderDriver(const char* name) {
  for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
    SDL_RendererInfo info{};
    if (SDL_GetRenderDriverInfo(i, &info) == 0 && SDL_strcmp(info.name, name) == 0) return i;
  }
  return -1;
}

}  // namespace

std::unique_ptr<DirectPresenter> NewTexturePresenter(SDL_Window* window) {
  if (!window) return nullptr;
  // On Wayland OpenGL ES lets pictures be copied rather than drawn (see Blitter); on X11 its window
  // buffers are those of desktop GL, where it only costs more. One named in the environment wins.
  const char* asked = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
  const bool wayland = SDL_strcmp(SDL_GetCurrentVideoDriver(), "wayland") == 0;
  RendererPtr renderer;
  if (wayland && (!asked || !*asked))
    renderer.reset(SDL_CreateRenderer(window, RenderDriver("opengles2"), 0));
  if (!renderer) renderer.reset(SDL_CreateRenderer(window, -1, 0));
  if (!renderer) return nullptr;
  auto blitter = Blitter::For(window, renderer.get());
  return std::make_unique<TexturePresenter>(std::move(renderer), std::move(blitter));
}

}  // namespace host::sdl
