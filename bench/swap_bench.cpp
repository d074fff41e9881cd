// Cost of one backdrop swap on the SDL backend: a full-screen window presented alternately with
// the lit picture and the flash, as the flicker does every 25 ms. Each Present copies the
// picture into the window surface and hands it to the X server, which has the pixels when it
// returns.
//
//   lumorra_swap_bench [PRESENTS]        (default 300, after 20 unmeasured ones)
//
// CPU time is this process's (all threads) around each Present. With XVFB_PID set, the X
// server's CPU time over the measured presents is reported too: that is where the pixels are
// copied from shared memory to the screen.

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench_util.h"
#include "host/backend.h"
#include "host/codec.h"
#include "host/resources.h"
#include "host/sdl/sdl_backend.h"
#include "media/media.h"

int main(int argc, char** argv) {
  const int presents = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
  constexpr int kWarmUp = 20;
  const char* xvfb = std::getenv("XVFB_PID");
  const long xvfbPid = xvfb ? std::atol(xvfb) : 0;

  std::string error;
  auto backend = host::sdl::SdlBackend::Create(error);
  if (!backend) {
    std::fprintf(stderr, "swap_bench: %s\n", error.c_str());
    return 1;
  }
  const host::Size screen = backend->MainScreenSize();

  const host::ResourceTable& resources = lumorra::EmbeddedResources();
  // The flicker's pair: the lit room and the flash.
  std::shared_ptr<host::Picture> pictures[2] = {
      host::DecodePicture(resources.Find(host::ResourceKind::Picture, 168)),
      host::DecodePicture(resources.Find(host::ResourceKind::Picture, 170)),
  };
  for (auto& picture : pictures) {
    if (!picture) {
      std::fprintf(stderr, "swap_bench: a picture resource does not decode\n");
      return 1;
    }
    picture->Pixels();  // wait for the decoder: only the swap is measured
  }

  host::NativeWindowSpec wanted;
  wanted.title = "swap bench";
  wanted.rect = host::Rect{0, 0, screen.width, screen.height};
  wanted.fullScreen = true;
  const double create0 = bench::NowMs();
  auto window = backend->CreateNativeWindow(wanted);
  const double show0 = bench::NowMs();
  window->Show();
  const double show1 = bench::NowMs();

  host::WindowView views[2];
  for (int i = 0; i < 2; ++i) {
    views[i].size = screen;
    views[i].hasBackColor = true;
    views[i].backColor = host::Color{0, 0, 0};
    views[i].backdrop = pictures[i];
  }

  // The first frame of a new window also makes its shared-memory surface.
  std::vector<double> firstWall, firstCpu, firstServer;
  for (int i = 0; i < 2; ++i) {
    const double x0 = xvfbPid ? bench::OtherProcessCpuMs(xvfbPid) : 0;
    const double c0 = bench::ProcessCpuMs();
    const double w0 = bench::NowMs();
    window->Present(views[i]);
    firstWall.push_back(bench::NowMs() - w0);
    firstCpu.push_back(bench::ProcessCpuMs() - c0);
    firstServer.push_back(xvfbPid ? bench::OtherProcessCpuMs(xvfbPid) - x0 : NAN);
  }

  std::vector<double> cpu, wall;
  cpu.reserve(presents);
  wall.reserve(presents);
  double xvfbBefore = 0;
  double loopStart = 0;
  for (int i = 0; i < kWarmUp + presents; ++i) {
    host::InputEvent event;
    while (backend->PollEvent(event)) {
    }
    if (i == kWarmUp) {
      xvfbBefore = xvfbPid ? bench::OtherProcessCpuMs(xvfbPid) : 0;
      loopStart = bench::NowMs();
    }
    const double c0 = bench::ProcessCpuMs();
    const double w0 = bench::NowMs();
    window->Present(views[i % 2]);
    const double w1 = bench::NowMs();
    const double c1 = bench::ProcessCpuMs();
    if (i >= kWarmUp) {
      cpu.push_back(c1 - c0);
      wall.push_back(w1 - w0);
    }
  }
  const double loopMs = bench::NowMs() - loopStart;
  const double xvfbMs = xvfbPid ? bench::OtherProcessCpuMs(xvfbPid) - xvfbBefore : -1;

  std::printf("swap at %dx%d, %d presents (after %d warm-up), pictures %dx%d\n", screen.width,
              screen.height, presents, kWarmUp, pictures[0]->Width(), pictures[0]->Height());
  std::printf("| per Present | median | p90 | p99 | max |\n|---|---|---|---|---|\n");
  std::printf("| CPU ms (this process) | %.3f | %.3f | %.3f | %.3f |\n", bench::Median(cpu),
              bench::Percentile(cpu, 0.9), bench::Percentile(cpu, 0.99), bench::Max(cpu));
  std::printf("| wall ms | %.3f | %.3f | %.3f | %.3f |\n", bench::Median(wall),
              bench::Percentile(wall, 0.9), bench::Percentile(wall, 0.99), bench::Max(wall));
  std::printf(
      "new window: create %.1f ms, show %.1f ms; first Present %.1f ms wall / %.1f ms "
      "CPU here / %.1f ms CPU in the X server, second %.1f / %.1f / %.1f\n",
      show0 - create0, show1 - show0, firstWall[0], firstCpu[0], firstServer[0], firstWall[1],
      firstCpu[1], firstServer[1]);
  if (xvfbPid) {
    std::printf("X server CPU: %.3f ms per Present (mean over the loop of %.0f ms)\n",
                xvfbMs / presents, loopMs);
  }
  std::printf("goal: median CPU <= 1.5 ms -> %s\n", bench::Median(cpu) <= 1.5 ? "met" : "MISSED");
  return 0;
}
