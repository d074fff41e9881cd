// lumorra_swap_bench [PRESENTS]: the lit picture and the flash presented in turn; prints the CPU
// time of this process and the wall time of each Present, in ms, for swap.sh. On a screen larger
// than the photographs they are first scaled to cover it, as the scene does. With SERVER_PID set
// (the display server's process) it prints that process's CPU time per Present too.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_util.h"
#include "host/codec.h"
#include "host/resources.h"
#include "host/sdl/sdl_backend.h"
#include "media/media.h"

namespace {

// The CPU time all threads of process `pid` have run, in ms (the scheduler's own count, in ns);
// -1 when there is no such process.
double ProcessCpuMs(const char* pid) {
  if (!pid || !*pid) return -1;
  double ns = 0;
  std::error_code error;
  for (const auto& task :
       std::filesystem::directory_iterator(std::filesystem::path("/proc") / pid / "task", error)) {
    std::ifstream stat(task.path() / "schedstat");
    double run = 0;
    if (stat >> run) ns += run;
  }
  return error ? -1 : ns / 1e6;
}

}  // namespace

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
    const int width = views[i].backdrop->Width(), height = views[i].backdrop->Height();
    if (screen.width > width || screen.height > height) {
      // Scaled by the larger factor and cut at the screen's edges, as the scene covers a screen.
      const double scale = std::max(static_cast<double>(screen.width) / width,
                                    static_cast<double>(screen.height) / height);
      views[i].backdrop = host::NewScaledPicture(views[i].backdrop, screen.width, screen.height,
                                                 static_cast<int>(width * scale + 0.999),
                                                 static_cast<int>(height * scale + 0.999));
    }
    views[i].backdrop->Pixels();
  }
  auto window = backend->CreateNativeWindow(
      {"swap bench", {0, 0, screen.width, screen.height}, /*fullScreen=*/true, false, nullptr});
  window->Show();

  const char* server = std::getenv("SERVER_PID");
  std::vector<double> cpu, wall, serverCpu;
  for (int i = -kWarmUp; i < presents; ++i) {
    host::InputEvent event;
    while (backend->PollEvent(event)) {
    }
    const double s0 = ProcessCpuMs(server);
    const double c0 = bench::ClockMs(CLOCK_PROCESS_CPUTIME_ID), w0 = bench::NowMs();
    window->Present(views[(i + kWarmUp) % 2]);
    const double w1 = bench::NowMs(), c1 = bench::ClockMs(CLOCK_PROCESS_CPUTIME_ID);
    const double s1 = ProcessCpuMs(server);
    if (i < 0) continue;
    cpu.push_back(c1 - c0), wall.push_back(w1 - w0);
    if (s0 >= 0 && s1 >= 0) serverCpu.push_back(s1 - s0);
  }
  for (const auto& [name, v] :
       {std::pair{"cpu", &cpu}, {"wall", &wall}, {"server_cpu", &serverCpu}}) {
    if (v->empty()) continue;
    std::printf("%s_ms:", name);
    for (double ms : *v) std::printf(" %.3f", ms);
    std::printf("\n");
  }
}
