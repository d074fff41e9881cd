// Delay from a picture reaching the screen to the sound started right after it, on the SDL
// backend with the disk audio driver, repeated to cover every phase of the mixer's buffer.
//
//   SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=FILE lumorra_audio_bench [REPETITIONS]
//
// A silent sound keeps the device open, as the chain sound does in the show. Each repetition
// presents the lit picture on a full-screen window, plays the showers sound at once (as the
// show does on the next pass of its loop), lets it run 0.4 s and stops it. Afterwards the
// file tells when each showers start was mixed and written.
//
// The figure covers the Present returning, Play, and the wait for the mixer's next buffer
// (1024 frames, 23 ms). It does not include a sound card's own output latency, which a real
// device adds after the buffer has been handed over.

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <future>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench_util.h"
#include "disk_audio.h"
#include "host/backend.h"
#include "host/codec.h"
#include "host/resources.h"
#include "host/sdl/sdl_backend.h"
#include "media/media.h"

namespace {

constexpr int kLoud = 64;  // -54 dBFS: a sample above this counts as heard

void Pump(host::Backend& backend, double ms) {
  const double end = bench::NowMs() + ms;
  host::InputEvent event;
  while (bench::NowMs() < end) {
    while (backend.PollEvent(event)) {
    }
    const timespec pause{0, 1000000};
    nanosleep(&pause, nullptr);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 12;
  const char* driver = std::getenv("SDL_AUDIODRIVER");
  const char* diskFile = std::getenv("SDL_DISKAUDIOFILE");
  if (!driver || std::strcmp(driver, "disk") != 0 || !diskFile) {
    std::fprintf(stderr, "audio_bench: needs SDL_AUDIODRIVER=disk and SDL_DISKAUDIOFILE\n");
    return 2;
  }
  bench::DiskAudioMonitor monitor(diskFile);

  std::string error;
  auto backend = host::sdl::SdlBackend::Create(error);
  if (!backend) {
    std::fprintf(stderr, "audio_bench: %s\n", error.c_str());
    return 1;
  }
  const host::Size screen = backend->MainScreenSize();
  const host::ResourceTable& resources = lumorra::EmbeddedResources();
  auto dark = host::DecodePicture(resources.Find(host::ResourceKind::Picture, 171));
  auto lit = host::DecodePicture(resources.Find(host::ResourceKind::Picture, 168));
  auto showersData = host::DecodeSound(170, resources.Find(host::ResourceKind::Sound, 170));
  if (!dark || !lit || !showersData) {
    std::fprintf(stderr, "audio_bench: the media do not decode\n");
    return 1;
  }
  dark->Pixels();
  lit->Pixels();
  const auto& showersPcm = showersData->Samples();

  // Silence long enough for every repetition keeps the device open throughout.
  const double totalS = 1.0 + repetitions * 0.75;
  std::promise<std::vector<std::int16_t>> silence;
  silence.set_value(std::vector<std::int16_t>(static_cast<std::size_t>(totalS * 44100) * 2, 0));
  auto silentData = std::make_shared<host::SoundData>(0, silence.get_future().share());

  host::NativeWindowSpec wanted;
  wanted.title = "audio bench";
  wanted.rect = host::Rect{0, 0, screen.width, screen.height};
  wanted.fullScreen = true;
  auto window = backend->CreateNativeWindow(wanted);
  window->Show();
  host::WindowView darkView, litView;
  darkView.size = litView.size = screen;
  darkView.hasBackColor = litView.hasBackColor = true;
  darkView.backdrop = dark;
  litView.backdrop = lit;
  window->Present(darkView);

  auto silent = backend->CreateSound(silentData);
  auto showers = backend->CreateSound(showersData);
  silent->Play();  // opens the device
  Pump(*backend, 300);

  std::mt19937 random(12345);
  std::uniform_real_distribution<double> phase(0, 60);
  std::vector<double> presentedMs, playedMs, stoppedMs;
  for (int r = 0; r < repetitions; ++r) {
    window->Present(darkView);
    Pump(*backend, 50 + phase(random));  // a different place in the mixer's buffer each time
    window->Present(litView);
    presentedMs.push_back(bench::NowMs());
    showers->Play();
    playedMs.push_back(bench::NowMs());
    Pump(*backend, 400);
    showers->Stop();
    stoppedMs.push_back(bench::NowMs());
    Pump(*backend, 150);
  }
  silent->Stop();
  Pump(*backend, 50);
  showers.reset();
  silent.reset();
  window.reset();
  backend.reset();
  monitor.Stop();

  bench::AudioTimeline file(monitor.Records(), bench::ReadPcm(diskFile));
  const long lead = bench::FirstLoud(showersPcm, kLoud);
  std::printf(
      "sound after a present, %d repetitions (disk driver, one buffer = %ld bytes, "
      "writes mostly %ld; showers' first loud sample is %.1f ms into it)\n",
      repetitions, file.BufferBytes(), file.TypicalWriteBytes(), lead * 1000.0 / bench::kRate);
  std::printf(
      "| rep | Play after present ms | first sample mixed ms | first > -54 dBFS ms | "
      "mixed after Play ms | match error |\n|---|---|---|---|---|---|\n");
  std::vector<double> starts, onsets, afterPlay;
  for (int r = 0; r < repetitions; ++r) {
    const long from = file.FramesWrittenBy(presentedMs[r]);
    const long to = file.FramesWrittenBy(stoppedMs[r] + 30);
    const long onset = file.FirstLoud(from, to, kLoud);
    if (onset < 0 || lead < 0) {
      std::printf("| %d | %.2f | not found | not found | |\n", r + 1, playedMs[r] - presentedMs[r]);
      continue;
    }
    const long at = onset - lead;
    const double start = file.FrameMs(at) - presentedMs[r];
    const double heard = file.FrameMs(onset) - presentedMs[r];
    starts.push_back(start);
    onsets.push_back(heard);
    afterPlay.push_back(file.FrameMs(at) - playedMs[r]);
    if (std::getenv("BENCH_AUDIO_TRACE")) {
      std::printf("  rep %d: Play at %+.2f, showers from frame %ld\n", r + 1,
                  playedMs[r] - presentedMs[r], at);
      file.Dump(presentedMs[r] - 60, presentedMs[r] + 80, presentedMs[r]);
    }
    std::printf("| %d | %.2f | %.2f | %.2f | %.2f | %.2f |\n", r + 1, playedMs[r] - presentedMs[r],
                start, heard, afterPlay.back(), bench::MatchError(file, at, showersPcm, 2000));
  }
  // The mixer takes a new sound at its next buffer, so the start must come 0 to one buffer's
  // time after Play; anything else means the file's timing was misread.
  const double period = file.BufferFrames() * 1000.0 / bench::kRate;
  const double early =
      afterPlay.empty() ? 0 : *std::min_element(afterPlay.begin(), afterPlay.end());
  const double late = bench::Max(afterPlay);
  std::printf("check: start - Play between %.2f and %.2f ms (expected 0 .. %.1f): %s\n", early,
              late, period, early > -1.5 && late < period + 3 ? "consistent" : "INCONSISTENT");
  std::printf("\n| present to showers | median ms | max ms |\n|---|---|---|\n");
  std::printf("| first sample mixed | %.2f | %.2f |\n", bench::Median(starts), bench::Max(starts));
  std::printf("| first sample louder than -54 dBFS | %.2f | %.2f |\n", bench::Median(onsets),
              bench::Max(onsets));
  std::printf("goal: <= 30 ms -> %s\n",
              !starts.empty() && bench::Max(starts) <= 30 ? "met" : "MISSED");
  return 0;
}
