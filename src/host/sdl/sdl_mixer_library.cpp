#include "host/sdl/sdl_mixer_library.h"

#include <SDL_loadso.h>

#include <mutex>

namespace host::sdl {

namespace {

// The library's run-time name, as its -dev package links it.
constexpr const char* kSoname = "libSDL2_mixer-2.0.so.0";

MixerLibrary library;
bool loaded = false;
std::string loadError;

template <typename Function>
bool Find(void* object, const char* name, Function& into) {
  into = reinterpret_cast<Function>(SDL_LoadFunction(object, name));
  return into != nullptr;
}

void Load() {
  // Kept for the rest of the run: the mixer's thread may still be inside it at exit.
  void* object = SDL_LoadObject(kSoname);
  if (!object) {
    loadError = SDL_GetError();
    return;
  }
  MixerLibrary& l = library;
  loaded = Find(object, "Mix_OpenAudioDevice", l.OpenAudioDevice) &&
           Find(object, "Mix_CloseAudio", l.CloseAudio) &&
           Find(object, "Mix_AllocateChannels", l.AllocateChannels) &&
           Find(object, "Mix_ChannelFinished", l.ChannelFinished) &&
           Find(object, "Mix_QuickLoad_RAW", l.QuickLoadRaw) &&
           Find(object, "Mix_FreeChunk", l.FreeChunk) &&
           Find(object, "Mix_PlayChannelTimed", l.PlayChannelTimed) &&
           Find(object, "Mix_HaltChannel", l.HaltChannel) &&
           Find(object, "Mix_Playing", l.Playing) && Find(object, "Mix_SetPostMix", l.SetPostMix) &&
           Find(object, "Mix_RegisterEffect", l.RegisterEffect) &&
           Find(object, "Mix_UnregisterAllEffects", l.UnregisterAllEffects) &&
           Find(object, "Mix_ExpireChannel", l.ExpireChannel);
  if (!loaded) loadError = SDL_GetError();
}

}  // namespace

const MixerLibrary* LoadMixerLibrary(std::string& error) {
  static std::once_flag once;
  std::call_once(once, Load);
  if (!loaded) {
    error = loadError;
    return nullptr;
  }
  return &library;
}

const MixerLibrary& Mixer() { return library; }

}  // namespace host::sdl
