// lumorra_swap_bench [PRESENTS]: a full-screen window presented PRESENTS times (300, after 20
// unmeasured) alternately with the lit picture and the flash, as the flicker does, timed; with
// XVFB_PID set, the X server's CPU time too. Present returns once the server has the pixels.

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

  // The flicker's pair, decoded before anything is timed: the lit room and the flash.
  host::WindowView views[2];
  for (int i = 0; i < 2; ++i) {
    const auto& media = lumorra::EmbeddedResources();
    views[i].size = screen;
    views[i].hasBackColor = true;  // black
    views[i].backdrop = host::DecodePicture(media.Find(host::ResourceKind::Picture, 168 + 2 * i));
    if (!views[i].backdrop)
      return std::fprintf(stderr, "swap_bench: a picture does not decode\n"), 1;
    views[i].backdrop->Pixels();
  }

  const double create0 = bench::NowMs();
  auto window = backend->CreateNativeWindow(
      {"swap bench", {0, 0, screen.width, screen.height}, /*fullScreen=*/true, false, nullptr});
  const double show0 = bench::NowMs();
  window->Show();
  const double show1 = bench::NowMs();

  // The first frame of a new window also makes its shared-memory surface.
  double firstWall[2], firstCpu[2], firstServer[2];
  for (int i = 0; i < 2; ++i) {
    const double x0 = ServerCpuMs(), c0 = CpuMs(), w0 = bench::NowMs();
    window->Present(views[i]);
    firstWall[i] = bench::NowMs() - w0;
    firstCpu[i] = CpuMs() - c0;
    firstServer[i] = ServerCpuMs() - x0;
  }

  std::vector<double> cpu, wall;
  cpu.reserve(presents), wall.reserve(presents);
  double serverBefore = 0, loopStart = 0;
  for (int i = 0; i < kWarmUp + presents; ++i) {
    host::InputEvent event;
    while (backend->PollEvent(event)) {
    }
    if (i == kWarmUp) serverBefore = ServerCpuMs(), loopStart = bench::NowMs();
    const double c0 = CpuMs(), w0 = bench::NowMs();
    window->Present(views[i % 2]);
    const double w1 = bench::NowMs(), c1 = CpuMs();
    if (i >= kWarmUp) cpu.push_back(c1 - c0), wall.push_back(w1 - w0);
  }
  const double loopMs = bench::NowMs() - loopStart;
  const double serverMs = ServerCpuMs() - serverBefore;

  std::printf("swap at %dx%d, %d presents (after %d warm-up), pictures %dx%d\n", screen.width,
              screen.height, presents, kWarmUp, views[0].backdrop->Width(),
              views[0].backdrop->Height());
  std::printf("| per Present | median | p90 | p99 | max |\n|---|---|---|---|---|\n");
  for (const auto& [name, v] : {std::pair{"CPU ms (this process)", &cpu}, {"wall ms", &wall}})
    std::printf("| %s | %.3f | %.3f | %.3f | %.3f |\n", name, bench::Median(*v),
                bench::Percentile(*v, 0.9), bench::Percentile(*v, 0.99), bench::Percentile(*v, 1));
  std::printf(
      "new window: create %.1f ms, show %.1f ms; first Present %.1f ms wall / %.1f ms "
      "CPU here / %.1f ms CPU in the X server, second %.1f / %.1f / %.1f\n",
      show0 - create0, show1 - show0, firstWall[0], firstCpu[0], firstServer[0], firstWall[1],
      firstCpu[1], firstServer[1]);
  if (xvfb)
    std::printf("X server CPU: %.3f ms per Present (mean over the loop of %.0f ms)\n",
                serverMs / presents, loopMs);
  std::printf("goal: median CPU <= 1.5 ms -> %s\n", bench::Median(cpu) <= 1.5 ? "met" : "MISSED");
}
