#include "host/resources.h"

#include "host/backend.h"
#include "host/codec.h"

namespace host {

ResourceStore::ResourceStore(const ResourceTable& table, Backend& backend)
    : table_(table), backend_(backend) {}

void ResourceStore::Prefetch(std::span<const std::pair<ResourceKind, int>> order) {
  for (const auto& [kind, number] : order) {
    if (kind == ResourceKind::Picture) {
      if (!pictures_.count(number)) pictures_[number] = LoadPicture(number, 0);
    } else if (!sounds_.count(number)) {
      sounds_[number] = LoadSoundData(number);
    }
  }
}

std::shared_ptr<const SoundData> ResourceStore::LoadSoundData(int number) {
  auto bytes = table_.Find(ResourceKind::Sound, number);
  if (!bytes.empty()) ++decodes_[{ResourceKind::Sound, number}];
  return bytes.empty() ? nullptr : DecodeSound(number, bytes);
}

std::shared_ptr<Picture> ResourceStore::LoadPicture(int number, int bands) {
  auto bytes = table_.Find(ResourceKind::Picture, number);
  if (!bytes.empty()) ++decodes_[{ResourceKind::Picture, number}];
  return bytes.empty() ? nullptr : DecodePicture(bytes, firstRows_, bands);
}

std::shared_ptr<Picture> ResourceStore::LoadScaledPicture(int number, ScaledSize size, int bands) {
  auto bytes = table_.Find(ResourceKind::Picture, number);
  if (!bytes.empty()) ++decodes_[{ResourceKind::Picture, number}];
  return bytes.empty() ? nullptr : DecodeScaledPicture(bytes, size, bands);
}

void ResourceStore::PrefetchScaled(int number, ScaledSize size) {
  if (!scaled_.count(number)) scaled_[number] = {size, LoadScaledPicture(number, size, 0)};
}

std::shared_ptr<Picture> ResourceStore::GetScaledPicture(int number, ScaledSize size) {
  if (auto it = scaled_.find(number); it != scaled_.end()) {
    auto [made, picture] = std::move(it->second);
    scaled_.erase(it);
    if (made == size) return picture;
  }
  return LoadScaledPicture(number, size, 1);
}

std::shared_ptr<Sound> ResourceStore::GetSound(int number) {
  std::shared_ptr<const SoundData> data;
  if (auto it = sounds_.find(number); it != sounds_.end()) {
    data = std::move(it->second);
    sounds_.erase(it);
  } else {
    data = LoadSoundData(number);
  }
  if (!data) return nullptr;
  return std::make_shared<Sound>(data, backend_.CreateSound(data));
}

std::shared_ptr<Picture> ResourceStore::GetPicture(int number) {
  if (auto it = pictures_.find(number); it != pictures_.end()) {
    auto picture = std::move(it->second);
    pictures_.erase(it);
    return picture;
  }
  return LoadPicture(number, 1);
}

}  // namespace host
