// Where start-up time goes: the program's own start-up steps, in its order, on the SDL backend,
// each timed, up to the first frame of the dark scene. Run it under lumorra_screen_probe, which
// also confirms when the frame is on the screen and passes the spawn moment, so the time before
// main (loading and linking the shared libraries) is counted too.
//
//   lumorra_screen_probe --ref .../lowlight1.jpg --log OUT -- lumorra_startup_bench
//
// The steps are printed (to the probe's log) once the first frame has been presented; the
// program then idles like the real one until it is told to end.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "bench_util.h"
#include "host/application.h"
#include "host/sdl/sdl_backend.h"
#include "media/media.h"
#include "scene/window1.h"

namespace {

struct Step {
  const char* name;
  double endMs;
};

}  // namespace

int main() {
  const double mainMs = bench::NowMs();
  const char* spawn = std::getenv("LUMORRA_PROBE_SPAWN_NS");
  const double spawnMs = spawn ? static_cast<double>(std::atoll(spawn)) / 1e6 : mainMs;
  std::vector<Step> steps;
  steps.push_back({"exec, shared libraries, static init (before main)", mainMs});

  std::string error;
  auto backend = host::sdl::SdlBackend::Create(error);
  if (!backend) {
    std::fprintf(stderr, "startup_bench: %s\n", error.c_str());
    return 1;
  }
  steps.push_back({"SdlBackend::Create (SDL video, X connection)", bench::NowMs()});

  int status = 0;
  {
    host::Runtime runtime(*backend, &lumorra::EmbeddedResources());
    steps.push_back({"Runtime", bench::NowMs()});
    lumorra::PrefetchMedia(runtime);  // the same early start on decoding
    steps.push_back({"PrefetchMedia (main thread's part)", bench::NowMs()});

    bool firstFrame = false;
    runtime.presentObserver = [&](const host::Window&) {
      if (!firstFrame) steps.push_back({"first Present of the dark scene", bench::NowMs()});
      firstFrame = true;
    };
    try {
      lumorra::InitFileTypes();
      lumorra::NewAppInstance();
      lumorra::ApplicationAddMenuHandlers();
      steps.push_back({"InitFileTypes, NewAppInstance, menu handlers", bench::NowMs()});
      lumorra::MakeDefaultView();
      steps.push_back({"MakeDefaultView (window, Open: opening sound, backdrop)", bench::NowMs()});
      runtime.RunPass();
    } catch (...) {
      runtime.HandleUnhandledException(std::current_exception());
    }

    std::printf("| start-up step | ms | ends at ms after spawn |\n|---|---|---|\n");
    double previous = spawnMs;
    for (const Step& step : steps) {
      std::printf("| %s | %.1f | %.1f |\n", step.name, step.endMs - previous, step.endMs - spawnMs);
      previous = step.endMs;
    }
    if (!spawn) std::printf("(not run under the probe: the time before main is not known)\n");
    // For comparison: what one fresh, zero-filled buffer of a whole photograph costs here.
    const double z0 = bench::NowMs();
    auto zeroed = std::unique_ptr<std::uint32_t[]>(new std::uint32_t[1920 * 1280]());
    const double z1 = bench::NowMs();
    std::printf("one fresh zero-filled 1920x1280 XRGB buffer: %.1f ms (value %u)\n", z1 - z0,
                zeroed[1920 * 640]);
    zeroed.reset();
    std::fflush(stdout);

    runtime.presentObserver = nullptr;
    runtime.Run();
    lumorra::Finalise();
    status = runtime.ExitStatus();
  }
  return status;
}
