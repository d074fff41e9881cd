#pragma once

// Owning handles for the SDL objects this backend creates. Each one is released exactly once,
// by the deleter that matches the function that made it.

#include <SDL.h>
#include <SDL_ttf.h>

#include <memory>

#include "host/sdl/sdl_mixer_library.h"

namespace host::sdl {

struct SdlDeleter {
  void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
  void operator()(SDL_Renderer* renderer) const { SDL_DestroyRenderer(renderer); }
  void operator()(SDL_Texture* texture) const { SDL_DestroyTexture(texture); }
  void operator()(SDL_Cursor* cursor) const { SDL_FreeCursor(cursor); }
  void operator()(TTF_Font* font) const { TTF_CloseFont(font); }
  void operator()(Mix_Chunk* chunk) const { Mixer().FreeChunk(chunk); }
};

using WindowPtr = std::unique_ptr<SDL_Window, SdlDeleter>;
using SurfacePtr = std::unique_ptr<SDL_Surface, SdlDeleter>;
using RendererPtr = std::unique_ptr<SDL_Renderer, SdlDeleter>;
using TexturePtr = std::unique_ptr<SDL_Texture, SdlDeleter>;
using CursorPtr = std::unique_ptr<SDL_Cursor, SdlDeleter>;
using FontPtr = std::unique_ptr<TTF_Font, SdlDeleter>;
using ChunkPtr = std::unique_ptr<Mix_Chunk, SdlDeleter>;

}  // namespace host::sdl
