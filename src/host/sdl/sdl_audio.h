#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/sdl/sdl_handles.h"
#include "host/sdl/sdl_mixer_library.h"
#include "host/sound.h"
#include "host/types.h"

namespace host::sdl {

struct DeviceJob;  // an opening or closing of the device on a thread of its own

// The mixer, opened only while sound is wanted. An open device wakes the program dozens of
// times a second even when silent, so the device is opened on the first Play and closed again
// once nothing has played for a while; the next Play opens it anew.
//
// Opening can take longer than a frame, so it happens on a thread of its own and never holds
// up a frame: what is played meanwhile starts once the device is open. A
// device that could not be opened, or that went away, is tried again at the next Play.
//
// Every sound owns one mixer channel, so starting one sound never cuts off another, and
// playing a sound again restarts it. A sound's samples are played in place, without a copy.
//
// At the end the device is let go within a bounded time, whatever the sound server does: a
// server without its session manager can keep a closing device waiting for a long time or for
// ever, and quitting must not wait with it.
class AudioEngine {
 public:
  // Where the engine gets its mixer, on the thread that opens the device: SDL_mixer, loaded then.
  // Null, with `error` saying why, when there is none.
  using MixerSource = const MixerLibrary* (*)(std::string& error);

  // `clock` tells the time, also on the threads that open and close the device.
  explicit AudioEngine(std::function<Micros()> clock, MixerSource mixer = &LoadMixerLibrary);
  ~AudioEngine();  // Shutdown(), if it was not called
  AudioEngine(const AudioEngine&) = delete;
  AudioEngine& operator=(const AudioEngine&) = delete;

  // A channel of its own for a new sound, and its return when the sound goes.
  int AcquireChannel();
  void ReleaseChannel(int channel);

  // `data` must stay alive until the channel is released.
  void Play(int channel, const SoundData& data);
  void Stop(int channel);

  // The SDL event type pushed when a channel stops playing.
  Uint32 FinishedEventType() const { return finishedEvent_; }
  // Called for each such event, on the main thread.
  void OnChannelFinished();
  // The SDL event type pushed when an attempt to open the device has ended.
  Uint32 OpenedEventType() const { return finishedEvent_ + 1; }
  // Called for each such event, on the main thread: starts what was played meanwhile.
  void OnOpenAttemptEnded();
  // The device went away (its sound server ended, say): the next Play opens a new one.
  void OnDeviceLost();

  // Closing the device stalls the caller for a few buffers' time while the mixer thread
  // drains, so it is done only when the loop has nothing due for a while. `next` is the loop's
  // own next deadline (negative: none).
  //
  // When the loop should wake to close the idle device or to look whether the device still
  // plays (negative: no need).
  Micros CloseWakeup(Micros now, Micros next) const;
  // Closes the device if it has been idle long enough and there is time for it, or if it
  // stopped asking for sound while something plays: SDL's PipeWire driver does not report a
  // server that went away, its device just falls silent.
  void Service(Micros now, Micros next);

  // Lets the device go for good: waits for an attempt to open it, then closes it on a thread of
  // its own, waiting at most a tenth of a second in all, by the engine's clock. False when that
  // time ran out and the device was abandoned: a thread is then still inside SDL's sound code, so
  // SDL must not be shut down, and the process should end without waiting for anything more. Every
  // sound must have been released first (their samples go with them).
  bool Shutdown();

 private:
  struct Slot {
    bool inUse = false;
    ChunkPtr chunk;                     // valid only while the device that made it is open
    const SoundData* wanted = nullptr;  // played while the device was opening
  };

  void StartOpening();
  void JoinOpener();
  void Start(int channel, const SoundData& data);
  void Close();
  void ArmIdleClose();
  void EnsureChannels(int count);

  static void NoteMix(void* engine, Uint8* stream, int bytes);  // on the mixer's thread
  // Whether the device has asked for no sound for `silence`, after it had asked before.
  bool Stalled(Micros now, Micros silence) const;

  std::function<Micros()> clock_;
  MixerSource source_;
  const MixerLibrary* mixer_ = nullptr;  // the open device's
  // When the device last asked for sound; negative until it first did. Written by the mixer.
  std::atomic<Micros> lastMix_{-1};
  Uint32 finishedEvent_ = 0;
  bool open_ = false;
  // While an attempt to open is under way. An SDL thread rather than a standard one: SDL frees
  // what it keeps per thread (its error text) only when its own threads end.
  SDL_Thread* opener_ = nullptr;
  std::shared_ptr<DeviceJob> opening_;  // what the opener reports to
  bool failureReported_ = false;
  bool shutDown_ = false;
  Micros closeDeadline_ = -1;
  int mixerChannels_ = 0;
  std::vector<Slot> slots_;
};

// Called on the mixer's thread each time it has mixed a buffer, for measuring what is heard
// when; the device's own post-mix hook belongs to the engine.
void SetMixObserver(void (*observer)());

}  // namespace host::sdl
