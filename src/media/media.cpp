#include "media/media.h"

#include <map>
#include <type_traits>

#include "host/application.h"
#include "media/media_table.h"

namespace lumorra {

namespace {

// The caches, nil until loaded.
namespace cache {
std::shared_ptr<host::Sound> chain_snd, quiet_snd, showers_snd;
std::shared_ptr<host::Picture> chain1_permapic, chain2_permapic, highlight_permapic,
    lowlight1_permapic, lowlight2_permapic;
std::map<int, std::shared_ptr<host::Picture>> masters;  // and the copies, by their own numbers
}  // namespace cache

std::shared_ptr<host::ResourceFork> Resources() {
  auto app = host::CurrentApplication();
  auto fork = app ? app->ResourceFork() : nullptr;
  if (!fork) throw host::NilObjectError();
  return fork;
}

std::shared_ptr<host::Sound> LoadSound(std::shared_ptr<host::Sound>& cache, int number) {
  if (!cache) cache = Resources()->GetSound(number);
  return cache;
}

std::shared_ptr<host::Picture> LoadPicture(std::shared_ptr<host::Picture>& cache, int number) {
  if (!cache) cache = Resources()->GetPicture(number);
  return cache;
}

}  // namespace

// One accessor for each medium, caching it in `<name>_snd` or `<name>_permapic`.
#define LUMORRA_CACHE_Sound(name) cache::name##_snd
#define LUMORRA_CACHE_Picture(name) cache::name##_permapic
#define LUMORRA_MEDIUM(kind, number, name, type) \
  std::shared_ptr<host::kind> name() { return Load##kind(LUMORRA_CACHE_##kind(name), number); }
#include "media/media_table.def"
#undef LUMORRA_MEDIUM

namespace {

// What the cache of the medium of that kind and number holds.
template <class T>
std::shared_ptr<T> Held(int wanted) {
#define LUMORRA_MEDIUM(kind, number, name, type)               \
  if constexpr (std::is_same_v<T, host::kind>) {               \
    if (wanted == (number)) return LUMORRA_CACHE_##kind(name); \
  }
#include "media/media_table.def"
#undef LUMORRA_MEDIUM
  return nullptr;
}

}  // namespace

#undef LUMORRA_CACHE_Picture
#undef LUMORRA_CACHE_Sound

std::shared_ptr<host::Sound> CachedSound(int number) { return Held<host::Sound>(number); }
std::shared_ptr<host::Picture> CachedPicture(int number) { return Held<host::Picture>(number); }

bool UsesMasters(int width, int height) { return width > 1920 || height > 1280; }

std::shared_ptr<host::Picture> Master(int photograph) {
  return LoadPicture(cache::masters[photograph], photograph + kMasterNumbers);
}

std::shared_ptr<host::Picture> ScaledMaster(int photograph, host::ScaledSize size) {
  return Resources()->GetScaledPicture(photograph + kMasterNumbers, size);
}

std::shared_ptr<host::Picture> BuiltInCopy(int number) {
  return LoadPicture(cache::masters[number], number);
}

void ReleaseMasters() { cache::masters.clear(); }

void ReleaseMedia() {
  cache::chain_snd.reset();
  cache::quiet_snd.reset();
  cache::showers_snd.reset();
  cache::chain1_permapic.reset();
  cache::chain2_permapic.reset();
  cache::highlight_permapic.reset();
  cache::lowlight1_permapic.reset();
  cache::lowlight2_permapic.reset();
  ReleaseMasters();
}

}  // namespace lumorra
