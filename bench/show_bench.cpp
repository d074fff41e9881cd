// The whole show on the SDL backend, start-up to one pull to black; run with SDL_AUDIODRIVER=disk.

#include <SDL_mixer.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "app/app.h"
#include "bench_util.h"
#include "host/codec.h"
#include "host/runtime.h"
#include "host/sdl/sdl_backend.h"
#include "host/sound.h"
#include "media/media.h"
#include "scene/window1.h"

namespace {

constexpr int kLoud = 64;  // -54 dBFS: a sample above this counts as heard

// When the mixer finished each buffer (audio thread).
constexpr int kMaxMixes = 1 << 16;
double mixedAtMs[kMaxMixes];
std::atomic<int> mixes{0};

void NoteMix(void*, Uint8*, int) {
  const int i = mixes.load(std::memory_order_relaxed);
  if (i >= kMaxMixes) return;
  mixedAtMs[i] = bench::NowMs();
  mixes.store(i + 1, std::memory_order_release);
}

}  // namespace

int main() {
  const host::ResourceTable& resources = lumorra::EmbeddedResources();
  long lead = -1;  // how far into the showers sound (stereo frames) its first loud sample lies
  if (auto sound = host::DecodeSound(170, resources.Find(host::ResourceKind::Sound, 170)))
    for (std::size_t i = 0; i < sound->Samples().size() && lead < 0; ++i)
      if (std::abs(sound->Samples()[i]) > kLoud) lead = static_cast<long>(i / 2);
  Mix_SetPostMix(&NoteMix, nullptr);  // kept by the mixer across opening and closing the device

  std::string error;
  auto backend = host::sdl::SdlBackend::Create(error);
  if (!backend) return std::fprintf(stderr, "show_bench: %s\n", error.c_str()), 1;
  double pullMs = -1, litMs = -1, lastFlashMs = -1, blackMs = -1, showersPlayMs = -1;
  bool quitOk = false;
  std::vector<double> late, lateWaited;
  std::map<std::string, double> worst;  // per timer
  {
    host::Runtime runtime(*backend, &resources);
    lumorra::PrefetchMedia(runtime);  // the same early start on decoding
    const double startMs = bench::NowMs();
    lumorra::InitFileTypes();
    lumorra::NewAppInstance();
    lumorra::ApplicationAddMenuHandlers();
    lumorra::MakeDefaultView();
    lumorra::Window1* scene = lumorra::Window1::Instance().get();
    if (!scene->Native()) return std::fprintf(stderr, "show_bench: no native window\n"), 1;

    runtime.presentObserver = [&](const host::Window& window) {
      if (&window != scene) return;
      const double now = bench::NowMs();
      const auto& backdrop = window.Backdrop();
      if (!backdrop && blackMs < 0) blackMs = now;
      if (backdrop && backdrop == scene->lighter && litMs < 0) litMs = now;
      if (backdrop && backdrop == scene->flash && blackMs < 0) lastFlashMs = now;
    };
    runtime.timerObserver = [&](const host::Timer& timer, host::Micros due, host::Micros ran) {
      const double l = (ran - due) / 1000.0;
      late.push_back(l);
      if (timer.Period() > 0) lateWaited.push_back(l);
      worst[timer.Name()] = std::max(worst[timer.Name()], l);
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
    lastFlashMs = blackMs = -1;
    const auto chain = scene->Find<host::RectControl>("Canvas2");
    const int x = chain->Left() + chain->Width() / 2, y = chain->Top() + chain->Height() / 2;
    const int id = scene->Native()->Id();
    using Type = host::InputEvent::Type;
    runtime.Dispatch({Type::MouseMove, id, x, y});
    runtime.Dispatch({Type::MouseDown, id, x, y});
    pullMs = bench::NowMs();
    runtime.Dispatch({Type::MouseUp, id, x, y});
    runtime.Run();
    scene = nullptr;
    lumorra::Finalise();
  }
  backend.reset();  // closes the audio device
  if (!quitOk) return std::fprintf(stderr, "show_bench: the show did not end\n"), 1;

  // Lateness (Action started minus deadline): show.sh pools the runs.
  for (const auto& [label, v] : {std::pair{"lateness", &late}, {"lateness_waited", &lateWaited}}) {
    std::printf("%s_ms:", label);
    for (double l : *v) std::printf(" %.3f", l);
    std::printf("\n");
  }
  for (const auto& [name, w] : worst) std::printf("%s worst %.3f ms; ", name.c_str(), w);
  std::printf(
      "\npresented late by: lit picture %.1f ms (due +50), last flash %.1f (+32625), black "
      "%.1f (+32675)\n",
      litMs - pullMs - 50, lastFlashMs - pullMs - 32625, blackMs - pullMs - 32675);

  // The mixer takes a sound up at its next buffer: the first one mixed after Play() holds showers.
  double firstMixMs = -1;
  for (int i = 0; i < mixes.load() && firstMixMs < 0; ++i)
    if (mixedAtMs[i] >= showersPlayMs) firstMixMs = mixedAtMs[i];
  if (showersPlayMs < 0 || firstMixMs < 0 || lead < 0)
    return std::printf("showers was not played or not mixed (no audio device?)\n"), 0;
  std::printf("lit picture to showers' first samples mixed %.2f ms, first above -54 dBFS %.2f ms\n",
              firstMixMs - litMs, firstMixMs + lead * 1000.0 / host::SoundData::kRate - litMs);
  std::printf("goal: <= 30 ms -> %s\n", firstMixMs - litMs <= 30 ? "met" : "MISSED");
}
