#include "host/sdl/x_put.h"

#include <SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xutil.h>
#endif

#include <algorithm>

#include "host/sdl/x_library.h"

namespace host::sdl {

#if defined(SDL_VIDEO_DRIVER_X11)

namespace {

bool X11Window(SDL_Window* window, Display*& display, ::Window& xwindow) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
    return false;
  display = info.info.x11.display;
  xwindow = info.info.x11.window;
  return true;
}

}  // namespace

bool CanPutRows(SDL_Window* window) {
  Display* display = nullptr;
  ::Window xwindow = 0;
  if (!X11Window(window, display, xwindow)) return false;
  using GetAttributes = int (*)(Display*, ::Window, XWindowAttributes*);
  using ListFormats = XPixmapFormatValues* (*)(Display*, int*);
  using Free = int (*)(void*);
  static const auto attributes = XFunction<GetAttributes>("XGetWindowAttributes");
  static const auto formats = XFunction<ListFormats>("XListPixmapFormats");
  static const auto release = XFunction<Free>("XFree");
  XWindowAttributes a{};
  if (!attributes || !formats || !release || !attributes(display, xwindow, &a) || !a.visual ||
      a.depth != 24 || a.visual->c_class != TrueColor || a.visual->red_mask != 0xff0000 ||
      a.visual->green_mask != 0xff00 || a.visual->blue_mask != 0xff)
    return false;
  // And the server keeps such pixels in 32 bits, as our pictures do.
  int count = 0;
  XPixmapFormatValues* list = formats(display, &count);
  bool fits = false;
  for (int i = 0; list && i < count; ++i)
    if (list[i].depth == 24) fits = list[i].bits_per_pixel == 32;
  if (list) release(list);
  return fits;
}

void PutRows(SDL_Window* window, const std::function<const std::uint32_t*(int rows)>& rowsReady,
             int stride, int width, int rows) {
  Display* display = nullptr;
  ::Window xwindow = 0;
  if (!X11Window(window, display, xwindow) || width <= 0 || rows <= 0) return;
  using CreateGC = GC (*)(Display*, Drawable, unsigned long, XGCValues*);
  using FreeGC = int (*)(Display*, GC);
  using PutImage = int (*)(Display*, Drawable, GC, XImage*, int, int, int, int, unsigned, unsigned);
  using Flush = int (*)(Display*);
  using InitImage = Status (*)(XImage*);
  static const auto createGC = XFunction<CreateGC>("XCreateGC");
  static const auto freeGC = XFunction<FreeGC>("XFreeGC");
  static const auto put = XFunction<PutImage>("XPutImage");
  static const auto flush = XFunction<Flush>("XFlush");
  static const auto init = XFunction<InitImage>("XInitImage");
  if (!createGC || !freeGC || !put || !flush || !init) return;
  // The pixels as an image of their own layout; the image only borrows them.
  XImage image{};
  image.width = stride;
  image.height = rows;
  image.format = ZPixmap;
  image.byte_order = SDL_BYTEORDER == SDL_LIL_ENDIAN ? LSBFirst : MSBFirst;
  image.bitmap_unit = 32;
  image.bitmap_bit_order = image.byte_order;
  image.bitmap_pad = 32;
  image.depth = 24;
  image.bytes_per_line = stride * 4;
  image.bits_per_pixel = 32;
  image.red_mask = 0xff0000;
  image.green_mask = 0xff00;
  image.blue_mask = 0xff;
  image.data = reinterpret_cast<char*>(const_cast<std::uint32_t*>(rowsReady(0)));
  if (!init(&image)) return;
  XGCValues values{};
  values.graphics_exposures = False;
  GC gc = createGC(display, xwindow, GCGraphicsExposures, &values);
  if (!gc) return;
  // Strips that fit in one plain request each, so that the server's buffer for requests stays
  // as small as it is: one request of the whole picture would have it take megabytes of fresh
  // memory first.
  constexpr int kStripBytes = 240 * 1024;
  const int strip = std::max(1, kStripBytes / (stride * 4));
  for (int y = 0; y < rows; y += strip) {
    const int end = std::min(rows, y + strip);
    rowsReady(end);
    put(display, xwindow, gc, &image, 0, y, 0, y, static_cast<unsigned>(width),
        static_cast<unsigned>(end - y));
    flush(display);  // the server copies this strip while the next is decoded
  }
  freeGC(display, gc);
}

void SetBackground(SDL_Window* window, std::optional<Color> color) {
  Display* display = nullptr;
  ::Window xwindow = 0;
  if (!X11Window(window, display, xwindow)) return;
  using SetPixel = int (*)(Display*, ::Window, unsigned long);
  using SetPixmap = int (*)(Display*, ::Window, Pixmap);
  static const auto pixel = XFunction<SetPixel>("XSetWindowBackground");
  static const auto pixmap = XFunction<SetPixmap>("XSetWindowBackgroundPixmap");
  if (!pixel || !pixmap) return;
  if (color) {
    pixel(display, xwindow,
          static_cast<unsigned long>(color->red) << 16 | color->green << 8 | color->blue);
  } else {
    pixmap(display, xwindow, None);
  }
}

#else

bool CanPutRows(SDL_Window*) { return false; }
void PutRows(SDL_Window*, const std::function<const std::uint32_t*(int)>&, int, int, int) {}
void SetBackground(SDL_Window*, std::optional<Color>) {}

#endif

}  // namespace host::sdl
