// Drawing a window's frame in software, into SDL's window surface or a patch of it.
#include "host/sdl/sdl_draw.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "host/sdl/sdl_exit.h"
#include "host/sdl/sdl_handles.h"

namespace host::sdl {

SDL_Surface* DrawableSurface(SDL_Window* window) {
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (!surface || SDL_ISPIXELFORMAT_INDEXED(surface->format->format)) {
    // A program that shows nothing must not look as if it ran: sound over a black screen
    // would leave the user guessing.
    ExitWithError(std::string("cannot draw on this screen: ") +
                  (surface ? "it has too few colours" : SDL_GetError()));
  }
  return surface;
}

void DimRow(std::uint32_t* to, const std::uint32_t* from, int width, std::uint32_t level) {
  for (int x = 0; x < width; ++x) {
    const std::uint32_t p = from[x];
    to[x] =
        (((p & 0xff00ffU) * level >> 8) & 0xff00ffU) | (((p & 0x00ff00U) * level >> 8) & 0x00ff00U);
  }
}

std::optional<Size> CopyPicture(Picture& picture, SDL_Surface* surface, bool mustLock,
                                int brightness) {
  const int width = std::min(picture.Width(), surface->w);
  const int height = std::min(picture.Height(), surface->h);
  // Waits if the picture is still decoding. Only the rows the window shows are read, so a
  // picture taller than the screen need not be decoded below it.
  const std::uint32_t* pixels = picture.TopRows(height);
  if (surface->format->format == SDL_PIXELFORMAT_RGB888) {
    // The picture's own layout: a row copy, no conversion.
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    // 255 comes out as 256: a full-bright scale must leave every value as it is.
    const auto level = static_cast<std::uint32_t>(std::clamp(brightness, 0, 255) + 1);
    for (int y = 0; y < height; ++y) {
      auto* to = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(surface->pixels) +
                                                  static_cast<std::size_t>(y) * surface->pitch);
      const std::uint32_t* from = pixels + static_cast<std::size_t>(y) * picture.Width();
      if (level > 255) {
        std::memcpy(to, from, rowBytes);
      } else {
        DimRow(to, from, width, level);
      }
    }
    return Size{width, height};
  }
  // Any other screen layout: let SDL convert while copying.
  SurfacePtr source(
      SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(pixels), picture.Width(),
                                         height, 32, picture.Width() * 4, SDL_PIXELFORMAT_RGB888));
  if (!source) return Size{0, 0};
  SDL_SetSurfaceBlendMode(source.get(), SDL_BLENDMODE_NONE);
  const auto level = static_cast<Uint8>(std::clamp(brightness, 0, 255));
  SDL_SetSurfaceColorMod(source.get(), level, level, level);
  if (mustLock) SDL_UnlockSurface(surface);
  SDL_Rect where{0, 0, width, height};
  SDL_BlitSurface(source.get(), nullptr, surface, &where);
  if (mustLock && SDL_LockSurface(surface) != 0) return std::nullopt;
  return Size{width, height};
}

void FillUncovered(SDL_Surface* surface, Size covered, Color back) {
  const Uint32 fill = SDL_MapRGB(surface->format, back.red, back.green, back.blue);
  if (covered.width < surface->w && covered.height > 0) {
    const SDL_Rect right{covered.width, 0, surface->w - covered.width, covered.height};
    SDL_FillRect(surface, &right, fill);
  }
  if (covered.height < surface->h) {
    const SDL_Rect below{0, covered.height, surface->w, surface->h - covered.height};
    SDL_FillRect(surface, &below, fill);
  }
}

Rect AtScale(const Rect& r, double scale) {
  const auto pixel = [scale](int v) { return static_cast<int>(std::lround(v * scale)); };
  return Rect{pixel(r.left), pixel(r.top), pixel(r.left + r.width) - pixel(r.left),
              pixel(r.top + r.height) - pixel(r.top)};
}

LabelView AtScale(LabelView label, double scale) {
  label.rect = AtScale(label.rect, scale);
  label.size = std::max(1, static_cast<int>(std::lround(label.size * scale)));
  return label;
}

void MapPages(void* pixels, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
  static const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  madvise(pixels, bytes / page * page, MADV_POPULATE_WRITE);
#else
  (void)pixels, (void)bytes;
#endif
}

}  // namespace host::sdl
