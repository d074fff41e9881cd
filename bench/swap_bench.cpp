// lumorra_swap_bench [PRESENTS]: the lit picture and the flash presented in turn; prints the CPU
// time of this process and the wall time of each Present, in ms, for swap.sh.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_util.h"
#include "host/codec.h"
#include "host/resources.h"
#include "host/sdl/sdl_backend.h"
#include "media/media.h"

int main(int argc, char** argv) {
  const int presents = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
  constexpr int kWarmUp = 20;  // the first Present also makes the window's surface
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

  std::vector<double> cpu, wall;
  for (int i = -kWarmUp; i < presents; ++i) {
    host::InputEvent event;
    while (backend->PollEvent(event)) {
    }
    const double c0 = bench::ClockMs(CLOCK_PROCESS_CPUTIME_ID), w0 = bench::NowMs();
    window->Present(views[(i + kWarmUp) % 2]);
    const double w1 = bench::NowMs(), c1 = bench::ClockMs(CLOCK_PROCESS_CPUTIME_ID);
    if (i >= 0) cpu.push_back(c1 - c0), wall.push_back(w1 - w0);
  }
  for (const auto& [name, v] : {std::pair{"cpu", &cpu}, {"wall", &wall}}) {
    std::printf("%s_ms:", name);
    for (double ms : *v) std::printf(" %.3f", ms);
    std::printf("\n");
  }
}
