#include "host/sound.h"

#include "host/backend.h"

namespace host {

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
