#include "host/sound.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "host/backend.h"

namespace host {

int FadeOutStopped(std::int16_t* samples, int frames, int faded) {
  for (int i = 0; i < frames; ++i) {
    const double gain =
        faded >= kStopFadeFrames
            ? 0.0
            : 0.5 + 0.5 * std::cos(std::numbers::pi * (faded + 1) / (kStopFadeFrames + 1));
    faded = std::min(faded + 1, kStopFadeFrames);
    for (int c = 0; c < SoundData::kChannels; ++c) {
      std::int16_t& v = samples[static_cast<std::size_t>(i) * SoundData::kChannels + c];
      v = static_cast<std::int16_t>(std::lround(v * gain));
    }
  }
  return faded;
}

Sound::Sound(std::shared_ptr<const SoundData> data, std::unique_ptr<NativeSound> native)
    : data_(std::move(data)), native_(std::move(native)) {}

Sound::~Sound() = default;

void Sound::Play() {
  if (native_) native_->Play();
}

void Sound::Stop() {
  if (native_) native_->Stop();
}

}  // namespace host
