// lumorra_cursor_shape: prints the cursor the X server shows now as "WIDTHxHEIGHT+HOTX+HOTY:HASH",
// the hash over its pixels, so that the end-to-end tests can tell one cursor from another (the
// desktop's own, the program's arrow, its hand) without knowing what any of them looks like.

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cstdint>
#include <cstdio>

int main() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return std::fprintf(stderr, "cursor_shape: no display\n"), 1;
  XFixesCursorImage* cursor = XFixesGetCursorImage(display);
  if (!cursor) return std::fprintf(stderr, "cursor_shape: no cursor image\n"), 1;
  std::uint64_t hash = 1469598103934665603ULL;  // FNV-1a
  for (int i = 0; i < cursor->width * cursor->height; ++i) {
    hash ^= static_cast<std::uint32_t>(cursor->pixels[i]);
    hash *= 1099511628211ULL;
  }
  std::printf("%dx%d+%d+%d:%016llx\n", cursor->width, cursor->height, cursor->xhot, cursor->yhot,
              static_cast<unsigned long long>(hash));
  XFree(cursor);
  XCloseDisplay(display);
  return 0;
}
