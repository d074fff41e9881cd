#include "media/media.h"

#include "host/application.h"

namespace lumorra {

namespace cache {
std::shared_ptr<host::Sound> chain_snd, quiet_snd, showers_snd;
std::shared_ptr<host::Picture> chain1_permapic, chain2_permapic, highlight_permapic,
    lowlight1_permapic, lowlight2_permapic;
}  // namespace cache

namespace {

std::shared_ptr<host::ResourceFork> Resources() {
  auto app = host::Runtime::Current().App();
  auto fork = app ? app->ResourceFork() : nullptr;
  if (!fork) throw host::NilObjectError();
  return fork;
}

std::shared_ptr<host::Sound> CachedSound(std::shared_ptr<host::Sound>& cache, int number) {
  if (!cache) cache = Resources()->GetSound(number);
  return cache;
}

std::shared_ptr<host::Picture> CachedPicture(std::shared_ptr<host::Picture>& cache, int number) {
  if (!cache) cache = Resources()->GetPicture(number);
  return cache;
}

}  // namespace

std::shared_ptr<host::Sound> chain() { return CachedSound(cache::chain_snd, 168); }
std::shared_ptr<host::Sound> quiet() { return CachedSound(cache::quiet_snd, 169); }
std::shared_ptr<host::Sound> showers() { return CachedSound(cache::showers_snd, 170); }
std::shared_ptr<host::Picture> chain1() { return CachedPicture(cache::chain1_permapic, 168); }
std::shared_ptr<host::Picture> chain2() { return CachedPicture(cache::chain2_permapic, 169); }
std::shared_ptr<host::Picture> highlight() { return CachedPicture(cache::highlight_permapic, 170); }
std::shared_ptr<host::Picture> lowlight1() { return CachedPicture(cache::lowlight1_permapic, 171); }
std::shared_ptr<host::Picture> lowlight2() { return CachedPicture(cache::lowlight2_permapic, 172); }

void ReleaseMedia() {
  cache::chain_snd.reset();
  cache::quiet_snd.reset();
  cache::showers_snd.reset();
  cache::chain1_permapic.reset();
  cache::chain2_permapic.reset();
  cache::highlight_permapic.reset();
  cache::lowlight1_permapic.reset();
  cache::lowlight2_permapic.reset();
}

}  // namespace lumorra
