// Start-up probe: starts a command and measures the time until the X screen shows a reference
// picture. The same probe times any program, so two programs that show the same photograph
// can be compared fairly.
//
//   lumorra_screen_probe --ref PICTURE [--at X,Y] [--settle-ms S] [--log FILE] -- COMMAND...
//
// The clock starts just before the command is spawned. The root window is then read 16 rows at
// a time (spread evenly over the screen) about every millisecond and compared with the same rows
// of the picture placed with its top-left corner at X,Y; the screen matches when every row's
// mean absolute difference per channel is at most 4 levels. After the match the probe
// optionally waits S ms and reads the child's resident sizes, then ends the child.
//
// Output, one line of key=value pairs:
//   match_ms   time from spawn to the first matching poll
//   polls      how many polls that took
//   diff       the largest row difference of the matching poll
//   baseline   the difference before the command started (the screen must not match then)
//   vmhwm_kb, vmrss_kb   the child's peak and current resident size, with --settle-ms, and
//   rss_anon_kb, rss_file_kb, rss_shmem_kb   what the current one is made of

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stb_image.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRows = 16;
constexpr double kThreshold = 4.0;
constexpr int kTimeoutMs = 10000;

double MillisSince(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

struct Options {
  const char* reference = nullptr;
  int atX = 0, atY = 0;
  int settleMs = 0;
  const char* log = "/dev/null";
  std::vector<char*> command;
};

[[noreturn]] void Usage(const char* why) {
  std::fprintf(stderr,
               "screen_probe: %s\nusage: lumorra_screen_probe --ref PICTURE [--at X,Y] "
               "[--settle-ms S] [--log FILE] -- COMMAND...\n",
               why);
  std::exit(2);
}

Options Parse(int argc, char** argv) {
  Options o;
  int i = 1;
  auto value = [&](const char* name) -> const char* {
    if (i + 1 >= argc) Usage((std::string(name) + " needs a value").c_str());
    return argv[++i];
  };
  for (; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") {
      for (++i; i < argc; ++i) o.command.push_back(argv[i]);
      break;
    } else if (arg == "--ref") {
      o.reference = value("--ref");
    } else if (arg == "--at") {
      if (std::sscanf(value("--at"), "%d,%d", &o.atX, &o.atY) != 2) Usage("--at takes X,Y");
    } else if (arg == "--settle-ms") {
      o.settleMs = std::atoi(value("--settle-ms"));
    } else if (arg == "--log") {
      o.log = value("--log");
    } else {
      Usage(("unknown argument " + arg).c_str());
    }
  }
  if (!o.reference) Usage("--ref is required");
  if (o.command.empty()) Usage("no command given");
  o.command.push_back(nullptr);
  return o;
}

// One screen row and what the reference says it should hold from x0 to x1.
struct Row {
  int y = 0, x0 = 0, x1 = 0;
  std::vector<std::uint8_t> rgb;
};

int ShiftOf(unsigned long mask) {
  int shift = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

class XScreen {
 public:
  bool Open() {
    display_ = XOpenDisplay(nullptr);
    if (!display_) return false;
    XSetErrorHandler(&IgnoreXErrors);
    root_ = DefaultRootWindow(display_);
    width_ = DisplayWidth(display_, DefaultScreen(display_));
    height_ = DisplayHeight(display_, DefaultScreen(display_));
    return true;
  }
  ~XScreen() {
    if (display_) XCloseDisplay(display_);
  }
  int Width() const { return width_; }
  int Height() const { return height_; }

  // Mean absolute difference per channel between the screen and the row, or a negative value
  // when the row could not be read.
  double RowDiff(const Row& row) {
    const int w = row.x1 - row.x0;
    XImage* image =
        XGetImage(display_, root_, row.x0, row.y, static_cast<unsigned>(w), 1, AllPlanes, ZPixmap);
    if (!image) return -1;
    const int rs = ShiftOf(image->red_mask), gs = ShiftOf(image->green_mask),
              bs = ShiftOf(image->blue_mask);
    std::uint64_t sum = 0;
    const std::uint8_t* want = row.rgb.data();
    for (int x = 0; x < w; ++x, want += 3) {
      unsigned long p;
      if (image->bits_per_pixel == 32 && image->byte_order == LSBFirst) {
        std::uint32_t v;
        std::memcpy(&v, image->data + 4 * x, 4);
        p = v;
      } else {
        p = XGetPixel(image, x, 0);
      }
      const int r = static_cast<int>((p & image->red_mask) >> rs);
      const int g = static_cast<int>((p & image->green_mask) >> gs);
      const int b = static_cast<int>((p & image->blue_mask) >> bs);
      sum += std::abs(r - want[0]) + std::abs(g - want[1]) + std::abs(b - want[2]);
    }
    XDestroyImage(image);
    return static_cast<double>(sum) / (3.0 * w);
  }

  // The largest row difference, stopping at the first row over `limit` (a poll that already
  // failed need not read the rest of the screen).
  double Diff(const std::vector<Row>& rows, double limit) {
    double worst = 0;
    for (const Row& row : rows) {
      const double d = RowDiff(row);
      if (d < 0) return 1e9;
      worst = std::max(worst, d);
      if (worst > limit) break;
    }
    return worst;
  }

 private:
  Display* display_ = nullptr;
  Window root_ = 0;
  int width_ = 0, height_ = 0;
};

long StatusField(pid_t pid, const char* key) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  const std::string prefix = std::string(key) + ":";
  while (std::getline(in, line)) {
    if (line.rfind(prefix, 0) == 0) return std::atol(line.c_str() + prefix.size());
  }
  return -1;
}

void EndChild(pid_t pid) {
  kill(pid, SIGTERM);
  for (int i = 0; i < 300; ++i) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

}  // namespace

int main(int argc, char** argv) {
  const Options o = Parse(argc, argv);

  XScreen screen;
  if (!screen.Open()) {
    std::fprintf(stderr, "screen_probe: cannot open the X display\n");
    return 1;
  }

  int pw = 0, ph = 0, channels = 0;
  stbi_uc* picture = stbi_load(o.reference, &pw, &ph, &channels, 3);
  if (!picture) {
    std::fprintf(stderr, "screen_probe: cannot read %s: %s\n", o.reference, stbi_failure_reason());
    return 1;
  }

  // Rows spread evenly over the part of the screen the picture covers.
  const int top = std::max(0, o.atY), bottom = std::min(screen.Height(), o.atY + ph);
  const int left = std::max(0, o.atX), right = std::min(screen.Width(), o.atX + pw);
  if (bottom <= top || right <= left) {
    std::fprintf(stderr, "screen_probe: the picture does not cover the screen at %d,%d\n", o.atX,
                 o.atY);
    return 1;
  }
  std::vector<Row> rows;
  double blackDiff = 0;
  for (int i = 0; i < kRows; ++i) {
    Row row;
    row.y = top + static_cast<int>((i + 0.5) * (bottom - top) / kRows);
    row.x0 = left;
    row.x1 = right;
    const stbi_uc* src =
        picture +
        (static_cast<std::size_t>(row.y - o.atY) * pw + static_cast<std::size_t>(left - o.atX)) * 3;
    row.rgb.assign(src, src + static_cast<std::size_t>(right - left) * 3);
    double sum = 0;
    for (std::uint8_t v : row.rgb) sum += v;
    blackDiff += sum / row.rgb.size() / kRows;
    rows.push_back(std::move(row));
  }
  stbi_image_free(picture);

  // A dark photograph is close to a black screen: the threshold must stay well below that
  // distance, or a black window would count as the picture.
  const double threshold = std::min(kThreshold, blackDiff / 3);

  // The screen must not match yet, or the previous run's picture would be timed.
  double baseline = screen.Diff(rows, 1e9);
  for (int i = 0; i < 100 && baseline <= threshold; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    baseline = screen.Diff(rows, 1e9);
  }
  if (baseline <= threshold) {
    std::fprintf(stderr, "screen_probe: the screen already shows the picture\n");
    return 1;
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, o.log, O_WRONLY | O_CREAT | O_APPEND,
                                   0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);

  const Clock::time_point t0 = Clock::now();
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, o.command[0], &actions, nullptr, o.command.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    std::fprintf(stderr, "screen_probe: cannot start %s: %s\n", o.command[0], std::strerror(rc));
    return 1;
  }

  int polls = 0;
  double diff = 0, matchMs = -1;
  for (;;) {
    diff = screen.Diff(rows, threshold);
    ++polls;
    if (diff <= threshold) {
      matchMs = MillisSince(t0);
      break;
    }
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      std::fprintf(stderr, "screen_probe: %s ended before the picture appeared (status %d)\n",
                   o.command[0], status);
      return 1;
    }
    if (MillisSince(t0) > kTimeoutMs) {
      std::fprintf(stderr, "screen_probe: no match within %d ms (last difference %.2f)\n",
                   kTimeoutMs, diff);
      EndChild(pid);
      return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }

  long hwm = -1, rss = -1, anon = -1, file = -1, shmem = -1;
  if (o.settleMs > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(o.settleMs));
    hwm = StatusField(pid, "VmHWM");
    rss = StatusField(pid, "VmRSS");
    anon = StatusField(pid, "RssAnon");
    file = StatusField(pid, "RssFile");
    shmem = StatusField(pid, "RssShmem");
  }
  EndChild(pid);

  std::printf("match_ms=%.1f polls=%d diff=%.2f threshold=%.2f baseline=%.2f", matchMs, polls, diff,
              threshold, baseline);
  if (o.settleMs > 0) {
    std::printf(" vmhwm_kb=%ld vmrss_kb=%ld rss_anon_kb=%ld rss_file_kb=%ld rss_shmem_kb=%ld", hwm,
                rss, anon, file, shmem);
  }
  std::printf("\n");
  return 0;
}
