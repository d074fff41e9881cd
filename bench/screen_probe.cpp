// lumorra_screen_probe PICTURE X,Y SETTLE_MS COMMAND...: prints the ms from spawning COMMAND to
// PICTURE (at X,Y) on the screen and, with SETTLE_MS > 0, the command's VmHWM (kB) SETTLE_MS later.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stb_image.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "bench_util.h"

extern char** environ;

namespace {

constexpr int kRows = 16, kTimeoutMs = 10000;
Display* display = nullptr;
int left = 0, width = 0;  // the columns the picture covers

using Rows = std::vector<std::pair<int, std::vector<std::uint8_t>>>;  // y, what it should hold

int ShiftOf(unsigned long mask) { return mask ? __builtin_ctzl(mask) : 0; }

// The worst row's mean absolute difference per channel, stopping past `limit`; 1e9 if unreadable.
double Diff(const Rows& rows, double limit) {
  double worst = 0;
  for (const auto& [y, rgb] : rows) {
    XImage* image = XGetImage(display, DefaultRootWindow(display), left, y,
                              static_cast<unsigned>(width), 1, AllPlanes, ZPixmap);
    if (!image) return 1e9;
    const int rs = ShiftOf(image->red_mask), gs = ShiftOf(image->green_mask),
              bs = ShiftOf(image->blue_mask);
    const bool fast = image->bits_per_pixel == 32 && image->byte_order == LSBFirst;
    std::uint64_t sum = 0;
    const std::uint8_t* want = rgb.data();
    for (int x = 0; x < width; ++x, want += 3) {
      std::uint32_t v = 0;
      if (fast) std::memcpy(&v, image->data + 4 * x, 4);
      const unsigned long p = fast ? v : XGetPixel(image, x, 0);
      sum += std::abs(static_cast<int>((p & image->red_mask) >> rs) - want[0]) +
             std::abs(static_cast<int>((p & image->green_mask) >> gs) - want[1]) +
             std::abs(static_cast<int>((p & image->blue_mask) >> bs) - want[2]);
    }
    XDestroyImage(image);
    worst = std::max(worst, static_cast<double>(sum) / (3.0 * width));
    if (worst > limit) break;
  }
  return worst;
}

void EndChild(pid_t pid) {
  kill(pid, SIGTERM);
  for (int i = 0; waitpid(pid, nullptr, WNOHANG) == 0; ++i, usleep(10'000))
    if (i == 300) kill(pid, SIGKILL);  // 3 s
}

int Fail(const std::string& why) {
  return std::fprintf(stderr, "screen_probe: %s\n", why.c_str()), 1;
}

}  // namespace

int main(int argc, char** argv) {
  int atX = 0, atY = 0;
  if (argc < 5 || std::sscanf(argv[2], "%d,%d", &atX, &atY) != 2)
    return Fail("usage: lumorra_screen_probe PICTURE X,Y SETTLE_MS COMMAND...");
  const int settleMs = std::atoi(argv[3]);
  char** command = argv + 4;  // ends with argv's null pointer

  display = XOpenDisplay(nullptr);
  if (!display) return Fail("cannot open the X display");
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  int pw = 0, ph = 0, channels = 0;
  stbi_uc* picture = stbi_load(argv[1], &pw, &ph, &channels, 3);
  if (!picture) return Fail(std::string("cannot read ") + argv[1] + ": " + stbi_failure_reason());

  const int screen = DefaultScreen(display);
  const int top = std::max(0, atY), bottom = std::min(DisplayHeight(display, screen), atY + ph);
  left = std::max(0, atX);
  width = std::min(DisplayWidth(display, screen), atX + pw) - left;
  if (bottom <= top || width <= 0) return Fail("the picture does not cover the screen");
  Rows rows;
  double blackDiff = 0;
  for (int r = 0; r < kRows; ++r) {
    const int y = top + static_cast<int>((r + 0.5) * (bottom - top) / kRows);
    const stbi_uc* src = picture + (static_cast<std::size_t>(y - atY) * pw + (left - atX)) * 3;
    rows.push_back({y, {src, src + static_cast<std::size_t>(width) * 3}});
    const auto& rgb = rows.back().second;
    blackDiff += std::accumulate(rgb.begin(), rgb.end(), 0.0) / rgb.size() / kRows;
  }
  stbi_image_free(picture);

  const double threshold = std::min(4.0, blackDiff / 3);  // or a black window would match
  int n = 0;  // the previous run's picture must be gone, or it would be timed
  while (Diff(rows, threshold) <= threshold && n++ < 100) usleep(30'000);
  if (n > 100) return Fail("the screen already shows the picture");

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  const double t0 = bench::NowMs();
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, command[0], &actions, nullptr, command, environ);
  if (rc != 0) return Fail(std::string("cannot start ") + command[0] + ": " + std::strerror(rc));

  for (; Diff(rows, threshold) > threshold; usleep(1000))
    if (waitpid(pid, nullptr, WNOHANG) == pid)
      return Fail("the command ended before the picture");
    else if (bench::NowMs() - t0 > kTimeoutMs)
      return EndChild(pid), Fail("no match within 10 s");
  const double matchMs = bench::NowMs() - t0;

  std::printf("%.1f", matchMs);
  if (settleMs > 0) {
    usleep(settleMs * 1000);
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
      if (line.rfind("VmHWM:", 0) == 0) std::printf(" %ld", std::atol(&line[6]));
  }
  EndChild(pid);
  std::printf("\n");
}
