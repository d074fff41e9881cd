#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <utility>

#include "host/codec.h"
#include "host/picture.h"
#include "host/sound.h"

namespace host {

class Backend;

enum class ResourceKind { Sound, Picture };

// The application's own resources: encoded media by kind and number. Sounds and pictures are
// numbered separately. The table borrows the bytes: they must outlive every picture and sound
// decoded from them (the program's are built into the executable).
class ResourceTable {
 public:
  void Add(ResourceKind kind, int number, std::span<const std::uint8_t> bytes) {
    entries_[{kind, number}] = bytes;
  }
  // Empty when there is no such resource.
  std::span<const std::uint8_t> Find(ResourceKind kind, int number) const {
    auto it = entries_.find({kind, number});
    return it == entries_.end() ? std::span<const std::uint8_t>() : it->second;
  }

 private:
  std::map<std::pair<ResourceKind, int>, std::span<const std::uint8_t>> entries_;
};

// Turns resource bytes into pictures and sounds, and starts that work early: the pictures the
// program asks for first are decoding on a worker thread while the window is being made.
// A resource handed out once is decoded afresh when asked for again.
class ResourceStore {
 public:
  ResourceStore(const ResourceTable& table, Backend& backend);

  // Starts decoding these resources now, in this order. What is prefetched is what start-up
  // waits for: a picture that can be decoded in bands of rows at once (see DecodePicture) gets
  // every processor. One decoded when asked for is made while the program runs, beside it:
  // on the worker alone, which also holds less memory at once.
  void Prefetch(std::span<const std::pair<ResourceKind, int>> order);

  // Pictures decoded from now on first decode only the top rows this gives for their size; the
  // others are decoded when something reads them. A screen that shows only the top of a picture
  // then neither waits for the rest nor holds it in memory.
  void DecodeFirst(FirstRows rows) { firstRows_ = std::move(rows); }

  // Starts decoding picture `number` scaled to `size` now (see DecodeScaledPicture).
  void PrefetchScaled(int number, ScaledSize size);

  std::shared_ptr<Sound> GetSound(int number);
  std::shared_ptr<Picture> GetPicture(int number);
  // Picture `number` scaled to `size`: the one prefetched at that size, or one decoded now.
  std::shared_ptr<Picture> GetScaledPicture(int number, ScaledSize size);

  // How many times a resource's decode has been started: what a run needed, and what it
  // never touched.
  int Decodes(ResourceKind kind, int number) const {
    auto it = decodes_.find({kind, number});
    return it == decodes_.end() ? 0 : it->second;
  }

 private:
  std::shared_ptr<const SoundData> LoadSoundData(int number);
  // In `bands` bands of rows at once (see DecodePicture).
  std::shared_ptr<Picture> LoadPicture(int number, int bands);
  std::shared_ptr<Picture> LoadScaledPicture(int number, ScaledSize size, int bands);

  const ResourceTable& table_;
  Backend& backend_;
  std::map<int, std::shared_ptr<const SoundData>> sounds_;
  std::map<int, std::shared_ptr<Picture>> pictures_;
  std::map<int, std::pair<ScaledSize, std::shared_ptr<Picture>>> scaled_;
  std::map<std::pair<ResourceKind, int>, int> decodes_;
  FirstRows firstRows_;
};

// The application's resources as the program sees them.
class ResourceFork {
 public:
  explicit ResourceFork(ResourceStore& store) : store_(store) {}
  // Nil when the resource is missing or cannot be decoded.
  std::shared_ptr<Sound> GetSound(int number) { return store_.GetSound(number); }
  std::shared_ptr<Picture> GetPicture(int number) { return store_.GetPicture(number); }
  std::shared_ptr<Picture> GetScaledPicture(int number, ScaledSize size) {
    return store_.GetScaledPicture(number, size);
  }

 private:
  ResourceStore& store_;
};

}  // namespace host
