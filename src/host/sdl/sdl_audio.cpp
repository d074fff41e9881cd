#include "host/sdl/sdl_audio.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <limits>
#include <mutex>
#include <string>

namespace host::sdl {

namespace {

// How long the device stays open after the last sound ended.
constexpr Micros kIdleBeforeClose = 1500 * kMillis;
// Closing waits for the mixer thread, which lets two buffers drain first. It is put off while
// the loop has something due sooner than this.
constexpr Micros kCloseStall = 150 * kMillis;
// A device that asked for nothing for this long while a sound plays has lost its server. A
// running device asks every buffer (23 ms); a new Play looks with less patience, since the sound
// it starts would be lost on a dead device, and opening anew is quick.
constexpr Micros kSilentDevice = 1000 * kMillis;
constexpr Micros kSilentBeforePlay = 300 * kMillis;
// How long the end of the program waits for the device to open or close: well above what a
// healthy server takes, and a server that has not answered by then may never answer.
constexpr Micros kShutdownWait = 100 * kMillis;

// The format the sounds are decoded to, so the mixer plays them as they are.
constexpr int kRate = SoundData::kRate;
constexpr int kChannels = SoundData::kChannels;
constexpr int kBufferFrames = 1024;

std::atomic<Uint32> finishedEventType{0};

// A stopped channel fades out, on the mixer's thread: the mixer hands the fade a copy of the
// channel's samples, in the device's format, which is the sounds' own. The fade owns the count
// of frames it has faded, and the mixer ends it when the channel halts.
void SDLCALL FadeStopped(int, void* stream, int bytes, void* faded) {
  auto& count = *static_cast<int*>(faded);
  count = FadeOutStopped(static_cast<std::int16_t*>(stream),
                         bytes / static_cast<int>(sizeof(std::int16_t) * kChannels), count);
}
void SDLCALL FadeEnded(int, void* faded) { delete static_cast<int*>(faded); }
// The faded channel is halted once its fade has gone out through the device: the fade lies in
// the next buffer (23 ms) mixed after the stop, and halting waits a few buffers more.
constexpr int kHaltAfterStopMs = 100;

// Runs with the mixer's lock held, often on the audio thread: it only posts an event, which
// the main loop turns into a wake-up.
void PostChannelFinished(int channel) {
  SDL_Event event{};
  event.type = finishedEventType.load();
  event.user.code = channel;
  SDL_PushEvent(&event);
}

// libasound reports a failed open on stderr in several lines of its own before SDL reports it
// again; while the device is being opened its reports are dropped, so that a machine without
// sound gets the one line below. The handler has the C library's variadic signature.
extern "C" void IgnoreAlsaReport(const char*, int, const char*, int, const char*, ...) {}

class QuietAlsa {
 public:
  QuietAlsa() {
    const char* driver = SDL_GetCurrentAudioDriver();
    if (!driver || SDL_strcmp(driver, "alsa") != 0) return;
    library_ = SDL_LoadObject("libasound.so.2");  // already loaded by SDL: found, not loaded
    if (!library_) return;
    setHandler_ =
        reinterpret_cast<SetHandler>(SDL_LoadFunction(library_, "snd_lib_error_set_handler"));
    if (setHandler_) setHandler_(&IgnoreAlsaReport);
  }
  ~QuietAlsa() {
    if (setHandler_) setHandler_(nullptr);  // back to the library's own reporting
    if (library_) SDL_UnloadObject(library_);
  }
  QuietAlsa(const QuietAlsa&) = delete;
  QuietAlsa& operator=(const QuietAlsa&) = delete;

 private:
  using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
  using SetHandler = int (*)(Handler);
  void* library_ = nullptr;
  SetHandler setHandler_ = nullptr;
};

}  // namespace

// One opening or closing of the device, done on a thread of its own. The thread and the engine
// share it, so that it stays alive for whichever lets go last: when the engine stops waiting for
// a server that does not answer, the thread is left behind with it.
struct DeviceJob {
  DeviceJob(std::function<Micros()> clock, AudioEngine::MixerSource source,
            const MixerLibrary* mixer)
      : clock(std::move(clock)), source(source), mixer(mixer) {}

  const std::function<Micros()> clock;
  const AudioEngine::MixerSource source;  // for an opening
  const MixerLibrary* mixer;              // the mixer found by an opening, or the one to close
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
  Micros doneAt = 0;
  bool abandoned = false;  // nobody waits for it any more
  bool succeeded = false;
  std::string failure;
  Uint32 endedEvent = 0;  // pushed when an opening ends, unless abandoned

  // Records the outcome; tells the main thread, unless it has stopped listening.
  void Finish(bool success, std::string why) {
    std::unique_lock lock(mutex);
    succeeded = success;
    failure = std::move(why);
    done = true;
    doneAt = clock();
    const bool tell = !abandoned && endedEvent != 0;
    lock.unlock();
    ended.notify_all();
    if (tell) {
      SDL_Event event{};
      event.type = endedEvent;
      SDL_PushEvent(&event);
    }
  }

  // Whether the job ended by `deadline` on its clock; if not, it is abandoned.
  bool WaitUntil(Micros deadline) {
    std::unique_lock lock(mutex);
    for (Micros left = deadline - clock(); !done && left > 0; left = deadline - clock())
      ended.wait_for(lock, std::chrono::microseconds(left));
    if (done && doneAt <= deadline) return true;
    abandoned = true;
    return false;
  }
};

namespace {

using Job = std::shared_ptr<DeviceJob>;

// Runs `body` with the job on a new SDL thread, which shares the job. Null when no thread could
// be made; the job has then not run.
SDL_Thread* StartJob(SDL_ThreadFunction body, const char* name, const Job& job) {
  auto* shared = new Job(job);
  SDL_Thread* thread = SDL_CreateThread(body, name, shared);
  if (!thread) delete shared;
  return thread;
}

// Takes the job that StartJob handed to a thread.
Job TakeJob(void* data) {
  auto* shared = static_cast<Job*>(data);
  Job job = std::move(*shared);
  delete shared;
  return job;
}

// Starts SDL's audio. SDL 2 over SDL 3 turns the window system's events off whenever a
// subsystem starts, and the backend reads key presses and the screen's changes from them: they
// are turned on again at once if they were on.
int StartAudio() {
  const bool windowEvents = SDL_EventState(SDL_SYSWMEVENT, SDL_QUERY) == SDL_ENABLE;
  const int started = SDL_InitSubSystem(SDL_INIT_AUDIO);
  if (windowEvents) SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  return started;
}

int OpenDevice(void* data) {
  const Job job = TakeJob(data);
  // Opening the device is never what the screen waits for: while the program starts, the
  // cores go to drawing the first frame and decoding its picture first. With no sound card an
  // opening at the usual priority made the slowest starts markedly slower.
  SDL_SetThreadPriority(SDL_THREAD_PRIORITY_LOW);
  std::string failure;
  const MixerLibrary* mixer = job->source(failure);
  if (!mixer) {
    job->Finish(false, "cannot load SDL_mixer: " + failure);
  } else if (StartAudio() != 0) {
    job->Finish(false, SDL_GetError());
  } else if (QuietAlsa quiet; mixer->OpenAudioDevice(kRate, AUDIO_S16SYS, kChannels, kBufferFrames,
                                                     nullptr, 0) != 0) {
    failure = SDL_GetError();
    // With ALSA and no card this waits for SDL's device-watching thread, up to 100 ms: one
    // more reason to be off the main thread.
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    job->Finish(false, failure);
  } else {
    job->mixer = mixer;
    job->Finish(true, {});
  }
  return 0;
}

int CloseDevice(void* data) {
  const Job job = TakeJob(data);
  job->mixer->CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  job->Finish(true, {});
  return 0;
}

}  // namespace

AudioEngine::AudioEngine(std::function<Micros()> clock, MixerSource mixer)
    : clock_(std::move(clock)), source_(mixer) {
  Uint32 type = SDL_RegisterEvents(2);  // a channel finished; an attempt to open ended
  if (type == std::numeric_limits<Uint32>::max()) type = SDL_USEREVENT;
  finishedEvent_ = type;
  finishedEventType.store(type);
  // The default device is the one opened, so a new one is of no interest. Under SDL 2 over SDL 3
  // each device event takes a lock that an opening holds for as long as the sound server keeps
  // it waiting (for ever, for PipeWire without its session manager), so an event of that kind
  // would stop the main loop, quitting included, for as long as the opening waits.
  SDL_EventState(SDL_AUDIODEVICEADDED, SDL_IGNORE);
}

AudioEngine::~AudioEngine() { Shutdown(); }

bool AudioEngine::Shutdown() {
  if (shutDown_) return true;
  shutDown_ = true;
  // One budget for all of it: for an opening under way and for the closing after it.
  const Micros deadline = clock_() + kShutdownWait;
  if (opener_) {
    if (!opening_->WaitUntil(deadline)) {
      // Still opening: whatever it opens stays open until the process ends.
      SDL_DetachThread(opener_);
      opener_ = nullptr;
      return false;
    }
    JoinOpener();
    open_ = opening_->succeeded;
    if (open_) mixer_ = opening_->mixer;
    opening_.reset();
  }
  if (!open_) return true;
  mixer_->ChannelFinished(nullptr);  // no events from a closing mixer
  mixer_->SetPostMix(nullptr, nullptr);
  for (Slot& slot : slots_) slot.chunk.reset();
  open_ = false;
  auto job = std::make_shared<DeviceJob>(clock_, nullptr, mixer_);
  SDL_Thread* closer = StartJob(&CloseDevice, "lumorra-audio-close", job);
  if (!closer) {
    // No thread to spare: close here, unbounded, rather than leave the device open.
    mixer_->CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return true;
  }
  if (!job->WaitUntil(deadline)) {
    SDL_DetachThread(closer);
    return false;
  }
  SDL_WaitThread(closer, nullptr);
  return true;
}

int AudioEngine::AcquireChannel() {
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    if (!slots_[i].inUse) {
      slots_[i].inUse = true;
      return static_cast<int>(i);
    }
  }
  slots_.emplace_back().inUse = true;
  return static_cast<int>(slots_.size() - 1);
}

void AudioEngine::ReleaseChannel(int channel) {
  if (channel < 0 || channel >= static_cast<int>(slots_.size())) return;
  Slot& slot = slots_[channel];
  if (open_ && channel < mixerChannels_) mixer_->HaltChannel(channel);
  slot.chunk.reset();  // after the halt: the mixer must be done with the samples
  slot.wanted = nullptr;
  slot.inUse = false;
}

void AudioEngine::StartOpening() {
  if (open_ || opener_ || shutDown_) return;
  opening_ = std::make_shared<DeviceJob>(clock_, source_, nullptr);
  opening_->endedEvent = OpenedEventType();
  // For the same reason no device may be reported lost while a device is opening; with none open
  // there is nothing to lose.
  SDL_EventState(SDL_AUDIODEVICEREMOVED, SDL_IGNORE);
  opener_ = StartJob(&OpenDevice, "lumorra-audio-open", opening_);
  if (!opener_) {
    // No thread to spare: open here rather than not at all. The event it pushed finds the
    // outcome waiting.
    OpenDevice(new Job(opening_));
  }
}

void AudioEngine::JoinOpener() {
  if (!opener_) return;
  SDL_WaitThread(opener_, nullptr);
  opener_ = nullptr;
}

void AudioEngine::OnOpenAttemptEnded() {
  if (open_ || !opening_) return;
  JoinOpener();
  SDL_EventState(SDL_AUDIODEVICEREMOVED, SDL_ENABLE);
  const Job attempt = std::move(opening_);
  if (!attempt->succeeded) {
    // Said once: a machine without sound would otherwise hear about it at every Play. A silent
    // device instead would keep waking the program for nothing, so it stays quiet.
    if (!failureReported_) {
      std::fprintf(stderr, "lumorra: no audio device (%s); running silently\n",
                   attempt->failure.c_str());
      failureReported_ = true;
    }
    for (Slot& slot : slots_) slot.wanted = nullptr;
    return;
  }
  open_ = true;
  mixer_ = attempt->mixer;
  mixerChannels_ = mixer_->AllocateChannels(-1);
  mixer_->ChannelFinished(&PostChannelFinished);
  lastMix_ = -1;
  mixer_->SetPostMix(&AudioEngine::NoteMix, this);
  bool started = false;
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    if (const SoundData* data = slots_[i].wanted) {
      slots_[i].wanted = nullptr;
      Start(static_cast<int>(i), *data);
      started = true;
    }
  }
  if (!started) ArmIdleClose();
}

void AudioEngine::OnDeviceLost() {
  if (!open_) return;
  mixer_->ChannelFinished(nullptr);
  Close();
}

namespace {
std::atomic<void (*)()> mixObserver{nullptr};
}  // namespace

void SetMixObserver(void (*observer)()) { mixObserver.store(observer); }

void AudioEngine::NoteMix(void* engine, Uint8*, int) {
  auto& self = *static_cast<AudioEngine*>(engine);
  self.lastMix_.store(self.clock_(), std::memory_order_relaxed);
  if (const auto observer = mixObserver.load(std::memory_order_relaxed)) observer();
}

// Only a device that has played and then stopped: one that never started may belong to a server
// that is still setting up, and closing it could wait on that server for a long time.
bool AudioEngine::Stalled(Micros now, Micros silence) const {
  const Micros last = lastMix_.load(std::memory_order_relaxed);
  return open_ && last >= 0 && now - last >= silence;
}

void AudioEngine::Close() {
  if (!open_) return;
  mixer_->SetPostMix(nullptr, nullptr);
  for (Slot& slot : slots_) slot.chunk.reset();
  mixer_->CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  open_ = false;
  mixerChannels_ = 0;
  closeDeadline_ = -1;
}

void AudioEngine::EnsureChannels(int count) {
  if (count <= mixerChannels_) return;
  mixerChannels_ = mixer_->AllocateChannels(count);
}

void AudioEngine::ArmIdleClose() {
  if (open_ && mixer_->Playing(-1) == 0) closeDeadline_ = clock_() + kIdleBeforeClose;
}

void AudioEngine::Play(int channel, const SoundData& data) {
  if (channel < 0 || channel >= static_cast<int>(slots_.size())) return;
  if (Stalled(clock_(), kSilentBeforePlay)) OnDeviceLost();  // this sound goes to a new device
  if (!open_) {
    slots_[channel].wanted = &data;
    StartOpening();
    return;
  }
  Start(channel, data);
}

void AudioEngine::Start(int channel, const SoundData& data) {
  EnsureChannels(static_cast<int>(slots_.size()));
  if (channel >= mixerChannels_) return;
  Slot& slot = slots_[channel];
  if (!slot.chunk) {
    const std::vector<std::int16_t>& samples = data.Samples();  // may wait for the decoder
    // Whole frames only, and never more than the mixer can count.
    const std::size_t frameBytes = sizeof(std::int16_t) * kChannels;
    std::size_t bytes = samples.size() * sizeof(std::int16_t);
    bytes = std::min<std::size_t>(bytes, std::numeric_limits<Uint32>::max());
    bytes -= bytes % frameBytes;
    if (bytes > 0) {
      // The mixer only reads these samples; the pointer is non-const in its interface alone.
      auto* pcm = reinterpret_cast<Uint8*>(const_cast<std::int16_t*>(samples.data()));
      slot.chunk.reset(mixer_->QuickLoadRaw(pcm, static_cast<Uint32>(bytes)));
    }
  }
  if (!slot.chunk) {
    // Nothing to play: still cut off the previous play, as a restart would.
    mixer_->HaltChannel(channel);
    ArmIdleClose();
    return;
  }
  // On a busy channel this restarts the sound, at full level if it was fading out.
  mixer_->UnregisterAllEffects(channel);
  if (mixer_->PlayChannelTimed(channel, slot.chunk.get(), 0, -1) < 0) {
    ArmIdleClose();
    return;
  }
  closeDeadline_ = -1;  // the end of this play arms it again
}

void AudioEngine::Stop(int channel) {
  if (channel < 0 || channel >= static_cast<int>(slots_.size())) return;
  slots_[channel].wanted = nullptr;
  if (!open_ || channel >= mixerChannels_ || mixer_->Playing(channel) == 0) return;
  // Faded out, then halted: a play that was cut short reports its end like any other.
  auto* faded = new int(0);
  if (mixer_->RegisterEffect(channel, &FadeStopped, &FadeEnded, faded) == 0) {
    delete faded;
    mixer_->HaltChannel(channel);
    return;
  }
  mixer_->ExpireChannel(channel, kHaltAfterStopMs);
}

void AudioEngine::OnChannelFinished() { ArmIdleClose(); }

Micros AudioEngine::CloseWakeup(Micros now, Micros next) const {
  if (!open_) return -1;
  Micros at = -1;
  if (closeDeadline_ >= 0) {
    at = std::max(closeDeadline_, now);
    if (next >= 0 && next - at < kCloseStall) at = -1;  // would make the loop late
  }
  // While something plays, a look now and then whether the device still asks for it.
  const Micros last = lastMix_.load(std::memory_order_relaxed);
  if (last >= 0 && closeDeadline_ < 0) {
    const Micros look = std::max(last + kSilentDevice, now);
    if (at < 0 || look < at) at = look;
  }
  return at;
}

void AudioEngine::Service(Micros now, Micros next) {
  if (Stalled(now, kSilentDevice) && mixer_->Playing(-1) > 0) {
    OnDeviceLost();  // the next Play opens a new device
    return;
  }
  if (!open_ || closeDeadline_ < 0 || now < closeDeadline_) return;
  if (next >= 0 && next - now < kCloseStall) return;  // later, when the loop has time
  if (mixer_->Playing(-1) == 0) {
    Close();
  } else {
    // Still busy: look again later rather than trusting that every end was reported.
    closeDeadline_ = now + kIdleBeforeClose;
  }
}

}  // namespace host::sdl
