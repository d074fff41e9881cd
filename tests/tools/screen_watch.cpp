// lumorra_screen_watch SECONDS X,Y,WIDTHxHEIGHT: reads that part of the screen every 4 ms or so,
// for SECONDS, and prints "ms level" whenever its mean level (0..255, the mean of the three
// channels) moved by a level or more: a timeline of what the screen showed, fine enough to see a
// 25 ms flash, for the end-to-end tests. The pause between reads keeps it from taking a whole CPU
// from the program it watches.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

int ShiftOf(unsigned long mask) { return mask ? __builtin_ctzl(mask) : 0; }

double Level(XImage* image) {
  const int rs = ShiftOf(image->red_mask), gs = ShiftOf(image->green_mask),
            bs = ShiftOf(image->blue_mask);
  std::uint64_t sum = 0;
  for (int y = 0; y < image->height; ++y)
    for (int x = 0; x < image->width; ++x) {
      const unsigned long p = XGetPixel(image, x, y);
      sum += ((p & image->red_mask) >> rs) + ((p & image->green_mask) >> gs) +
             ((p & image->blue_mask) >> bs);
    }
  return static_cast<double>(sum) / (3.0 * image->width * image->height);
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 0;
  int x = 0, y = 0;
  unsigned width = 0, height = 0;
  if (argc != 3 || std::sscanf(argv[1], "%lf", &seconds) != 1 ||
      std::sscanf(argv[2], "%d,%d,%ux%u", &x, &y, &width, &height) != 4) {
    std::fprintf(stderr, "usage: lumorra_screen_watch SECONDS X,Y,WIDTHxHEIGHT\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) return std::fprintf(stderr, "screen_watch: no display\n"), 1;
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  double printed = -1000;
  for (;;) {
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (ms > seconds * 1000) break;
    XImage* image =
        XGetImage(display, DefaultRootWindow(display), x, y, width, height, AllPlanes, ZPixmap);
    if (!image) return std::fprintf(stderr, "screen_watch: cannot read the screen\n"), 1;
    const double level = Level(image);
    XDestroyImage(image);
    if (std::fabs(level - printed) >= 1) {
      std::printf("%.1f %.1f\n", ms, level);
      std::fflush(stdout);
      printed = level;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(4));
  }
  XCloseDisplay(display);
  return 0;
}
