// How a picture reaches an X screen: copied by the server from shared memory, or from a pixmap.
#include "host/sdl/sdl_present.h"

#include <SDL_syswm.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrender.h>
#endif

#include "host/sdl/sdl_handles.h"
#include "host/sdl/x_library.h"
#include "host/sdl/x_shared_pixels.h"

namespace host::sdl {

#if defined(SDL_VIDEO_DRIVER_X11)

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
// machine the pages of a large picture add up to a wait that the first present of each picture
// would make in the middle of the show, where a frame is late. So every picture
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

std::unique_ptr<DirectPresenter> NewSharedMemoryPresenter(SDL_Window*,
                                                          std::shared_ptr<SharedPixels>) {
  return nullptr;
}
std::unique_ptr<DirectPresenter> NewPixmapPresenter(SDL_Window*) { return nullptr; }

#endif

}  // namespace host::sdl
