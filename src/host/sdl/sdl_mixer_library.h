#pragma once

// SDL_mixer, loaded when the sound device is first opened instead of by the dynamic loader
// before main. Debian's build of it brings some forty codec and synthesiser libraries that
// this program never asks it to use, and loading them all ahead of main delayed the first
// frame. Only the mixing is used: the sounds arrive decoded.

#include <SDL_mixer.h>

#include <string>

namespace host::sdl {

struct MixerLibrary {
  decltype(&Mix_OpenAudioDevice) OpenAudioDevice = nullptr;
  decltype(&Mix_CloseAudio) CloseAudio = nullptr;
  decltype(&Mix_AllocateChannels) AllocateChannels = nullptr;
  decltype(&Mix_ChannelFinished) ChannelFinished = nullptr;
  decltype(&Mix_QuickLoad_RAW) QuickLoadRaw = nullptr;
  decltype(&Mix_FreeChunk) FreeChunk = nullptr;
  decltype(&Mix_PlayChannelTimed) PlayChannelTimed = nullptr;
  decltype(&Mix_HaltChannel) HaltChannel = nullptr;
  decltype(&Mix_Playing) Playing = nullptr;
  decltype(&Mix_SetPostMix) SetPostMix = nullptr;
  decltype(&Mix_RegisterEffect) RegisterEffect = nullptr;
  decltype(&Mix_UnregisterAllEffects) UnregisterAllEffects = nullptr;
  decltype(&Mix_ExpireChannel) ExpireChannel = nullptr;
};

// Loads the library once, on whichever thread asks first; every later call gives the same
// answer. Null, with `error` saying why, when it cannot be loaded.
const MixerLibrary* LoadMixerLibrary(std::string& error);

// The library, for code that only runs after LoadMixerLibrary succeeded.
const MixerLibrary& Mixer();

}  // namespace host::sdl
