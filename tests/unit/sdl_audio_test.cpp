// How long quitting may wait for the sound device: a tenth of a second in all, for an opening
// still under way and the closing after it together; a device that has not answered by then is
// left behind, and SDL with it. The sound engine runs here on a mixer of the test's own, whose
// device takes as long to open and to close as the test says, on a clock only the device moves.

#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <future>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "host/sdl/sdl_audio.h"
#include "host/sdl/sdl_mixer_library.h"

namespace {

using host::kMillis;
using host::Micros;

// The device's script and what happened to it. The engine's threads read and write it.
struct Device {
  std::atomic<Micros> now{0};
  std::atomic<Micros> opening{0};  // how long opening takes
  std::atomic<Micros> closing{0};  // how long closing takes
  std::atomic<bool> opens{true};
  // The device answers the opening only once the program has begun to quit, that is once the
  // clock has been read after `quitting` was set.
  std::atomic<bool> answersWhenQuitting{false};
  std::atomic<bool> quitting{false};
  std::atomic<int> closes{0};
  std::mutex mutex;
  std::condition_variable quitBegun;
  bool clockReadWhileQuitting = false;
};
Device* device = nullptr;

// What the device is busy with on this thread. Its time passes when the thread next reads the
// clock, which is as it reports back: the clock never shows the time past while the report is
// still to come.
thread_local Micros working = 0;

Micros Now() {
  if (working) device->now += std::exchange(working, 0);
  // Read before the device may answer: the reading is from before the answer.
  const Micros now = device->now;
  if (device->quitting) {
    const std::lock_guard lock(device->mutex);
    device->clockReadWhileQuitting = true;
    device->quitBegun.notify_all();
  }
  return now;
}

int OpenAudioDevice(int, Uint16, int, int, const char*, int) {
  if (device->answersWhenQuitting) {
    std::unique_lock lock(device->mutex);
    device->quitBegun.wait(lock, [] { return device->clockReadWhileQuitting; });
  }
  working = device->opening;
  return device->opens ? 0 : -1;
}
void CloseAudio() {
  ++device->closes;
  working = device->closing;
}
int AllocateChannels(int count) { return count < 0 ? 0 : count; }
void ChannelFinished(void (*)(int)) {}
Mix_Chunk* QuickLoadRaw(Uint8*, Uint32) { return nullptr; }  // nothing to play, nor to free
void FreeChunk(Mix_Chunk*) {}
int PlayChannelTimed(int, Mix_Chunk*, int, int) { return -1; }
int HaltChannel(int) { return 0; }
int Playing(int) { return 0; }
void SetPostMix(void (*)(void*, Uint8*, int), void*) {}
int RegisterEffect(int, Mix_EffectFunc_t, Mix_EffectDone_t, void*) { return 0; }
int UnregisterAllEffects(int) { return 0; }
int ExpireChannel(int, int) { return 0; }

const host::sdl::MixerLibrary* TestMixer(std::string&) {
  static const host::sdl::MixerLibrary mixer{
      &OpenAudioDevice, &CloseAudio,           &AllocateChannels, &ChannelFinished, &QuickLoadRaw,
      &FreeChunk,       &PlayChannelTimed,     &HaltChannel,      &Playing,         &SetPostMix,
      &RegisterEffect,  &UnregisterAllEffects, &ExpireChannel};
  return &mixer;
}

class QuitBudget : public ::testing::Test {
 protected:
  void SetUp() override {
    // The engine starts SDL's audio before it opens the device: on a driver that needs no card.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    device = &script;
  }
  void TearDown() override { unsetenv("SDL_AUDIODRIVER"); }

  // A sound is played, so that the device opens, and let go; then the program quits. Returns
  // whether quitting saw the device released, and the time quitting took on the device's clock.
  // With `openAtQuit` the device is still opening when quitting begins.
  bool Quit(Micros opening, Micros closing, bool openAtQuit, Micros* took = nullptr) {
    script.opening = opening;
    script.closing = closing;
    script.answersWhenQuitting = openAtQuit;
    script.quitting = false;
    script.clockReadWhileQuitting = false;
    host::sdl::AudioEngine engine(&Now, &TestMixer);
    std::promise<std::vector<std::int16_t>> samples;
    samples.set_value(std::vector<std::int16_t>(64));
    const host::SoundData sound(1, samples.get_future().share());
    const int channel = engine.AcquireChannel();
    engine.Play(channel, sound);
    if (!openAtQuit) engine.OnOpenAttemptEnded();  // the loop heard that the opening ended
    engine.ReleaseChannel(channel);
    const Micros start = script.now;
    script.quitting = true;
    const bool released = engine.Shutdown();
    if (took) *took = script.now - start;
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    return released;
  }

  Device script;
};

TEST_F(QuitBudget, ADeviceThatClosesWithinATenthOfASecondIsReleasedALaterOneIsLeft) {
  Micros took = 0;
  EXPECT_TRUE(Quit(20 * kMillis, 90 * kMillis, false, &took));
  EXPECT_EQ(took, 90 * kMillis);
  EXPECT_EQ(script.closes, 1);
  EXPECT_FALSE(Quit(20 * kMillis, 110 * kMillis, false)) << "closing outlasted the budget";
}

TEST_F(QuitBudget, AnOpeningUnderWayAndTheClosingAfterItShareTheTenth) {
  EXPECT_TRUE(Quit(60 * kMillis, 30 * kMillis, true));
  EXPECT_EQ(script.closes, 1);
  EXPECT_FALSE(Quit(60 * kMillis, 60 * kMillis, true)) << "120 ms in all";
  EXPECT_EQ(script.closes, 2) << "the device was being closed when quitting stopped waiting";
}

TEST_F(QuitBudget, AnOpeningThatOutlastsTheTenthIsLeftBehindAndADeviceNeverOpenedCostsNothing) {
  EXPECT_FALSE(Quit(10'000 * kMillis, 10 * kMillis, true));
  EXPECT_EQ(script.closes, 0) << "a device still opening is not closed";
  script.opens = false;
  EXPECT_FALSE(Quit(10'000 * kMillis, 10 * kMillis, true)) << "left, however it ends";
  Micros took = -1;
  EXPECT_TRUE(Quit(10 * kMillis, 10 * kMillis, false, &took)) << "no device: nothing to let go";
  EXPECT_EQ(took, 0);
  EXPECT_EQ(script.closes, 0);
}

}  // namespace
