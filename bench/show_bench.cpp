// The whole show on the SDL backend, start-up to one pull to black; run with SDL_AUDIODRIVER=disk.

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "bench_util.h"
#include "host/runtime.h"
#include "host/sdl/sdl_audio.h"
#include "host/sdl/sdl_backend.h"
#include "media/media.h"
#include "scene/window1.h"

namespace {

// When the mixer finished each buffer (audio thread).
constexpr int kMaxMixes = 1 << 16;
double mixedAtMs[kMaxMixes];
std::atomic<int> mixes{0};

void NoteMix() {
  const int i = mixes.load(std::memory_order_relaxed);
  if (i >= kMaxMixes) return;
  mixedAtMs[i] = bench::NowMs();
  mixes.store(i + 1, std::memory_order_release);
}

// How long this thread has waited to run while it could (the kernel's run_delay), in ms.
double RunDelayMs() {
  std::ifstream stat("/proc/thread-self/schedstat");
  double onCpuNs = 0, waitedNs = 0;
  stat >> onCpuNs >> waitedNs;
  return waitedNs / 1e6;
}

// SHOW_TRACE=1: a line per Action on stderr, to tell the program's own delays from the
// machine's: its lateness, the present before the wait that ended in it (timed from the end of
// the Action before), how long the wait lasted and how much of it the thread was ready but not
// run.
struct Trace {
  bool on = false;
  double actionEndMs = 0, presentEndMs = 0, presentMs = 0, delayAtMs = 0;

  void Presented() {
    if (!on) return;
    const double now = bench::NowMs();
    presentMs = now - std::max(actionEndMs, presentEndMs), presentEndMs = now;
    delayAtMs = RunDelayMs();
  }
  void Fired(const std::string& name, double dueMs, double ranMs) {
    if (!on) return;
    const double now = bench::NowMs(), delay = RunDelayMs();
    std::fprintf(stderr,
                 "trace: %-11s late %7.3f ms  present %7.3f ms  wait %8.3f ms  "
                 "run_delay %7.3f ms  at %.3f\n",
                 name.c_str(), ranMs - dueMs, presentMs, ranMs - presentEndMs, delay - delayAtMs,
                 ranMs);
    delayAtMs = delay, presentMs = 0, presentEndMs = ranMs;
    actionEndMs = now;
  }
};

}  // namespace

int main() {
  Trace trace;
  trace.on = std::getenv("SHOW_TRACE") && *std::getenv("SHOW_TRACE") == '1';
  host::sdl::SetMixObserver(&NoteMix);  // across opening and closing the device

  std::string error;
  auto backend = host::sdl::SdlBackend::Create(error);
  if (!backend) return std::fprintf(stderr, "show_bench: %s\n", error.c_str()), 1;
  double litMs = -1, showersPlayMs = -1;
  bool quitOk = false;
  std::vector<double> late;
  {
    host::Runtime runtime(*backend, &lumorra::EmbeddedResources());
    lumorra::PrefetchMedia(runtime);  // the same early start on decoding
    const double startMs = bench::NowMs();
    lumorra::InitFileTypes();
    lumorra::NewAppInstance();
    lumorra::ApplicationAddMenuHandlers();
    lumorra::MakeDefaultView();
    lumorra::Window1* scene = lumorra::Window1::Instance().get();
    if (!scene->Native()) return std::fprintf(stderr, "show_bench: no native window\n"), 1;

    runtime.presentObserver = [&](const host::Window& window) {
      if (&window == scene && litMs < 0 && window.Backdrop() && window.Backdrop() == scene->lighter)
        litMs = bench::NowMs();
      trace.Presented();
    };
    runtime.timerObserver = [&](const host::Timer& timer, host::Micros due, host::Micros ran) {
      late.push_back((ran - due) / 1000.0);
      trace.Fired(timer.Name(), due / 1000.0, ran / 1000.0);
      if (timer.Name() == "Timer8") showersPlayMs = ran / 1000.0;
      if (scene->enditall && runtime.NextDeadline() < 0) quitOk = true, runtime.Quit();
    };

    runtime.RunPass();  // then wait for the opening sound's device to close
    for (;;) {
      const double now = bench::NowMs();
      const int n = mixes.load(std::memory_order_acquire);
      // Closed, silent, or stuck.
      if ((n ? now - mixedAtMs[n - 1] > 300 : now - startMs >= 5000) || now - startMs > 20000)
        break;
      // A 1 s wake notices the close; a nearer deadline would hold it off, as in the program.
      host::InputEvent event;
      if (backend->WaitEvent(backend->Now() + 1000 * host::kMillis, event)) runtime.Dispatch(event);
      runtime.RunPass();
    }
    const auto chain = scene->Find<host::RectControl>("Canvas2");
    const int x = chain->Left() + chain->Width() / 2, y = chain->Top() + chain->Height() / 2;
    const int id = scene->Native()->Id();
    using Type = host::InputEvent::Type;
    runtime.Dispatch({Type::MouseMove, id, x, y});
    runtime.Dispatch({Type::MouseDown, id, x, y});
    runtime.Dispatch({Type::MouseUp, id, x, y});
    trace.actionEndMs = bench::NowMs();  // the pull's present is timed from here
    runtime.Run();
    scene = nullptr;
    lumorra::Finalise();
  }
  backend.reset();  // closes the audio device
  if (!quitOk) return std::fprintf(stderr, "show_bench: the show did not end\n"), 1;

  // Lateness (Action started minus deadline): show.sh pools the runs.
  std::printf("lateness_ms:");
  for (double l : late) std::printf(" %.3f", l);

  // The mixer takes a sound up at its next buffer: the first one mixed after Play() holds showers.
  double firstMixMs = -1;
  for (int i = 0; i < mixes.load() && firstMixMs < 0; ++i)
    if (mixedAtMs[i] >= showersPlayMs) firstMixMs = mixedAtMs[i];
  if (showersPlayMs < 0 || firstMixMs < 0)
    return std::printf("\nshowers was not played or not mixed (no audio device?)\n"), 0;
  std::printf("\nlit picture to showers' first samples mixed: %.2f ms (goal <= 30 ms: %s)\n",
              firstMixMs - litMs, firstMixMs - litMs <= 30 ? "met" : "MISSED");
}
