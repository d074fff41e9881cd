// lumorra_swap_bench [PRESENTS]: the lit picture and the flash presented in turn, timed.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_util.h"
#include "host/codec.h"
#include "host/resources.h"
#include "host/sdl/sdl_backend.h"
#include "media/media.h"

int main(int argc, char** argv) {
  const int presents = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
  constexpr int kWarmUp = 20;
  const char* xvfb = std::getenv("XVFB_PID");
  clockid_t serverClock{};
  if (xvfb && clock_getcpuclockid(std::atoi(xvfb), &serverClock) != 0) xvfb = nullptr;
  auto CpuMs = [] { return bench::ClockMs(CLOCK_PROCESS_CPUTIME_ID); };
  auto ServerCpuMs = [&] { return xvfb ? bench::ClockMs(serverClock) : NAN; };

  std::string error;
  auto backend = host::sdl::SdlBackend::Create(error);
  if (!backend) return std::fprintf(stderr, "swap_bench: %s\n", error.c_str()), 1;
  const host::Size screen = backend->MainScreenSize();
  host::WindowView views[2];  // decoded before anything is timed
  for (int i = 0; i < 2; ++i) {
    views[i].size = screen;
    views[i].hasBackColor = true;  // black
    views[i].backdrop = host::DecodePicture(
        lumorra::EmbeddedResources().Find(host::ResourceKind::Picture, 168 + 2 * i));
    if (!views[i].backdrop) return std::fprintf(stderr, "swap_bench: bad picture\n"), 1;
    views[i].backdrop->Pixels();
  }
  auto window = backend->CreateNativeWindow(
      {"swap bench", {0, 0, screen.width, screen.height}, /*fullScreen=*/true, false, nullptr});
  window->Show();

  // Two first Presents of the new window (the first makes its surface), warm-up, measured ones.
  std::vector<double> cpu, wall, first;
  double serverBefore = 0;
  for (int i = -2; i < kWarmUp + presents; ++i) {
    host::InputEvent event;
    while (i >= 0 && backend->PollEvent(event)) {
    }
    if (i == kWarmUp) serverBefore = ServerCpuMs();
    const double x0 = ServerCpuMs(), c0 = CpuMs(), w0 = bench::NowMs();
    window->Present(views[(i + 2) % 2]);
    const double w1 = bench::NowMs(), c1 = CpuMs();
    if (i < 0) first.insert(first.end(), {w1 - w0, c1 - c0, ServerCpuMs() - x0});
    if (i >= kWarmUp) cpu.push_back(c1 - c0), wall.push_back(w1 - w0);
  }
  const double serverMs = ServerCpuMs() - serverBefore;

  std::printf(
      "swap at %dx%d, %d presents\n| per Present | median | p99 | max |\n|---|---|---|---|\n",
      screen.width, screen.height, presents);
  for (const auto& [name, v] : {std::pair{"CPU ms (this process)", &cpu}, {"wall ms", &wall}})
    std::printf("| %s | %.3f | %.3f | %.3f |\n", name, bench::Median(*v),
                bench::Percentile(*v, 0.99), bench::Percentile(*v, 1));
  std::printf(
      "new window, wall / CPU here / X server CPU: first Present %.1f / %.1f / %.1f ms, "
      "second %.1f / %.1f / %.1f\n",
      first[0], first[1], first[2], first[3], first[4], first[5]);
  std::printf("X server CPU: %.3f ms per Present\n", serverMs / presents);
  std::printf("goal: median CPU <= 1.5 ms -> %s\n", bench::Median(cpu) <= 1.5 ? "met" : "MISSED");
}
