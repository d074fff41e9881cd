#include "host/sdl/sdl_audio.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <limits>
#include <string>

namespace host::sdl {

namespace {

// How long the device stays open after the last sound ended.
constexpr Micros kIdleBeforeClose = 1500 * kMillis;
// Closing waits for the mixer thread, which lets two buffers drain first: about 55 ms here.
// It is put off while the loop has something due sooner than this.
constexpr Micros kCloseStall = 150 * kMillis;

// The format the sounds are decoded to, so the mixer plays them as they are.
constexpr int kRate = SoundData::kRate;
constexpr int kChannels = SoundData::kChannels;
constexpr int kBufferFrames = 1024;

std::atomic<Uint32> finishedEventType{0};

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

AudioEngine::AudioEngine(std::function<Micros()> clock) : clock_(std::move(clock)) {
  Uint32 type = SDL_RegisterEvents(2);  // a channel finished; an attempt to open ended
  if (type == std::numeric_limits<Uint32>::max()) type = SDL_USEREVENT;
  finishedEvent_ = type;
  finishedEventType.store(type);
}

AudioEngine::~AudioEngine() {
  if (opener_) {
    JoinOpener();
    open_ = openSucceeded_;
  }
  if (open_) {
    Mixer().ChannelFinished(nullptr);  // no events from a closing mixer
    Close();
  }
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
  if (open_ && channel < mixerChannels_) Mixer().HaltChannel(channel);
  slot.chunk.reset();  // after the halt: the mixer must be done with the samples
  slot.wanted = nullptr;
  slot.inUse = false;
}

void AudioEngine::StartOpening() {
  if (open_ || opener_) return;
  opener_ = SDL_CreateThread(&AudioEngine::OpenDevice, "lumorra-audio-open", this);
  if (!opener_) {
    // No thread to spare: open here rather than not at all.
    OpenDevice(this);
    opener_ = nullptr;
  }
}

int AudioEngine::OpenDevice(void* data) {
  auto& engine = *static_cast<AudioEngine*>(data);
  // Opening the device is never what the screen waits for: while the program starts, the
  // cores go to drawing the first frame and decoding its picture first. With no sound card this
  // took the slowest of a series of starts from 1.75 to 1.31 times their median.
  SDL_SetThreadPriority(SDL_THREAD_PRIORITY_LOW);
  // The main thread touches none of these until it has joined this one.
  engine.openSucceeded_ = false;
  engine.openFailure_.clear();
  const MixerLibrary* mixer = LoadMixerLibrary(engine.openFailure_);
  if (!mixer) {
    engine.openFailure_ = "cannot load SDL_mixer: " + engine.openFailure_;
  } else if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    engine.openFailure_ = SDL_GetError();
  } else if (QuietAlsa quiet; mixer->OpenAudioDevice(kRate, AUDIO_S16SYS, kChannels, kBufferFrames,
                                                     nullptr, 0) != 0) {
    engine.openFailure_ = SDL_GetError();
    // With ALSA and no card this waits for SDL's device-watching thread, up to 100 ms: one
    // more reason to be off the main thread.
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  } else {
    engine.openSucceeded_ = true;
  }
  SDL_Event event{};
  event.type = engine.OpenedEventType();
  SDL_PushEvent(&event);
  return 0;
}

void AudioEngine::JoinOpener() {
  if (!opener_) return;
  SDL_WaitThread(opener_, nullptr);
  opener_ = nullptr;
}

void AudioEngine::OnOpenAttemptEnded() {
  if (open_) return;
  JoinOpener();
  if (!openSucceeded_) {
    // Said once: a machine without sound would otherwise hear about it at every Play. A silent
    // device instead would keep waking the program for nothing, so it stays quiet.
    if (!failureReported_) {
      std::fprintf(stderr, "lumorra: no audio device (%s); running silently\n",
                   openFailure_.c_str());
      failureReported_ = true;
    }
    for (Slot& slot : slots_) slot.wanted = nullptr;
    return;
  }
  open_ = true;
  mixerChannels_ = Mixer().AllocateChannels(-1);
  Mixer().ChannelFinished(&PostChannelFinished);
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
  Mixer().ChannelFinished(nullptr);
  Close();
}

void AudioEngine::Close() {
  if (!open_) return;
  for (Slot& slot : slots_) slot.chunk.reset();
  Mixer().CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  open_ = false;
  mixerChannels_ = 0;
  closeDeadline_ = -1;
}

void AudioEngine::EnsureChannels(int count) {
  if (count <= mixerChannels_) return;
  mixerChannels_ = Mixer().AllocateChannels(count);
}

void AudioEngine::ArmIdleClose() {
  if (open_ && Mixer().Playing(-1) == 0) closeDeadline_ = clock_() + kIdleBeforeClose;
}

void AudioEngine::Play(int channel, const SoundData& data) {
  if (channel < 0 || channel >= static_cast<int>(slots_.size())) return;
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
      slot.chunk.reset(Mixer().QuickLoadRaw(pcm, static_cast<Uint32>(bytes)));
    }
  }
  if (!slot.chunk) {
    // Nothing to play: still cut off the previous play, as a restart would.
    Mixer().HaltChannel(channel);
    ArmIdleClose();
    return;
  }
  // On a busy channel this restarts the sound.
  if (Mixer().PlayChannelTimed(channel, slot.chunk.get(), 0, -1) < 0) {
    ArmIdleClose();
    return;
  }
  closeDeadline_ = -1;  // the end of this play arms it again
}

void AudioEngine::Stop(int channel) {
  if (channel < 0 || channel >= static_cast<int>(slots_.size())) return;
  slots_[channel].wanted = nullptr;
  if (!open_ || channel >= mixerChannels_) return;
  Mixer().HaltChannel(channel);  // a play that was cut short reports its end like any other
}

void AudioEngine::OnChannelFinished() { ArmIdleClose(); }

Micros AudioEngine::CloseWakeup(Micros now, Micros next) const {
  if (!open_ || closeDeadline_ < 0) return -1;
  const Micros at = std::max(closeDeadline_, now);
  if (next >= 0 && next - at < kCloseStall) return -1;  // would make the loop late
  return at;
}

void AudioEngine::Service(Micros now, Micros next) {
  if (!open_ || closeDeadline_ < 0 || now < closeDeadline_) return;
  if (next >= 0 && next - now < kCloseStall) return;  // later, when the loop has time
  if (Mixer().Playing(-1) == 0) {
    Close();
  } else {
    // Still busy: look again later rather than trusting that every end was reported.
    closeDeadline_ = now + kIdleBeforeClose;
  }
}

}  // namespace host::sdl
