#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/sdl/sdl_handles.h"
#include "host/sound.h"
#include "host/types.h"

namespace host::sdl {

// The mixer, opened only while sound is wanted. An open device wakes the program dozens of
// times a second even when silent, so the device is opened on the first Play and closed again
// once nothing has played for a while; the next Play opens it anew.
//
// Opening takes from a few to over a hundred milliseconds, so it happens on a thread of its
// own and never holds up a frame: what is played meanwhile starts once the device is open. A
// device that could not be opened, or that went away, is tried again at the next Play.
//
// Every sound owns one mixer channel, so starting one sound never cuts off another, and
// playing a sound again restarts it. A sound's samples are played in place, without a copy.
class AudioEngine {
 public:
  explicit AudioEngine(std::function<Micros()> clock);
  ~AudioEngine();
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
  // When the loop should wake to close the idle device (negative: no need).
  Micros CloseWakeup(Micros now, Micros next) const;
  // Closes the device if it has been idle long enough and there is time for it.
  void Service(Micros now, Micros next);

 private:
  struct Slot {
    bool inUse = false;
    ChunkPtr chunk;                     // valid only while the device that made it is open
    const SoundData* wanted = nullptr;  // played while the device was opening
  };

  void StartOpening();
  static int OpenDevice(void* engine);  // the opener thread's body
  void JoinOpener();
  void Start(int channel, const SoundData& data);
  void Close();
  void ArmIdleClose();
  void EnsureChannels(int count);

  std::function<Micros()> clock_;
  Uint32 finishedEvent_ = 0;
  bool open_ = false;
  // While an attempt to open is under way. An SDL thread rather than a standard one: SDL frees
  // what it keeps per thread (its error text) only when its own threads end.
  SDL_Thread* opener_ = nullptr;
  bool openSucceeded_ = false;  // written by the opener, read after joining it
  std::string openFailure_;     // likewise
  bool failureReported_ = false;
  Micros closeDeadline_ = -1;
  int mixerChannels_ = 0;
  std::vector<Slot> slots_;
};

}  // namespace host::sdl
