#pragma once

#include <cstdint>
#include <future>
#include <memory>
#include <vector>

namespace host {

class NativeSound;

// Decoded sound: interleaved signed 16-bit stereo at 44.1 kHz, the core's own format; a
// backend opens its sound output in it (or adapts it), so playing needs no conversion. May still be
// decoding on a worker thread; Samples() waits for it.
class SoundData {
 public:
  static constexpr int kRate = 44100;
  static constexpr int kChannels = 2;

  // `decoded`, when given, is the decode still under way; the sound waits for it before it
  // goes, so whatever the decode reads need only outlive the sound.
  SoundData(int resourceId, std::shared_future<std::vector<std::int16_t>> samples,
            std::shared_future<void> decoded = {})
      : resourceId_(resourceId), samples_(std::move(samples)), decoded_(std::move(decoded)) {}
  ~SoundData() {
    if (decoded_.valid()) decoded_.wait();
  }
  SoundData(const SoundData&) = delete;
  SoundData& operator=(const SoundData&) = delete;

  int ResourceId() const { return resourceId_; }
  const std::vector<std::int16_t>& Samples() const { return samples_.get(); }
  double Seconds() const { return static_cast<double>(Samples().size()) / (kRate * kChannels); }

 private:
  int resourceId_;
  std::shared_future<std::vector<std::int16_t>> samples_;
  std::shared_future<void> decoded_;
};

// A sound stopped before its end fades out over this many frames (20 ms) instead of being cut
// off mid-wave, which clicks.
constexpr int kStopFadeFrames = SoundData::kRate / 50;

// Applies a stop's fade-out to `frames` interleaved stereo frames at `samples`, the stretch that
// begins `faded` frames after the stop: a raised cosine from full level to silence over
// kStopFadeFrames, then silence. The fade can be applied a buffer at a time, each call going on
// where the last ended; returns the frames faded so far.
int FadeOutStopped(std::int16_t* samples, int frames, int faded);

// An audio clip held by counted reference. Each sound plays on a voice of its own: Play
// restarts it from the beginning if it is still playing, Stop fades it out. Never looped.
class Sound {
 public:
  Sound(std::shared_ptr<const SoundData> data, std::unique_ptr<NativeSound> native);
  ~Sound();
  Sound(const Sound&) = delete;
  Sound& operator=(const Sound&) = delete;

  void Play();
  void Stop();
  const SoundData& Data() const { return *data_; }

 private:
  std::shared_ptr<const SoundData> data_;
  std::unique_ptr<NativeSound> native_;
};

}  // namespace host
