// What every presenter shares: the small areas labels and overlays cover, composed one by one.
#include "host/sdl/sdl_present.h"

#include <algorithm>

#include "host/sdl/sdl_handles.h"

namespace host::sdl {

Rect Clipped(const Rect& rect, int width, int height) {
  const int left = std::max(rect.left, 0), top = std::max(rect.top, 0);
  const int right = std::min(rect.left + rect.width, width);
  const int bottom = std::min(rect.top + rect.height, height);
  if (right <= left || bottom <= top) return Rect{};
  return Rect{left, top, right - left, bottom - top};
}

namespace {

// A surface of `area`'s size on `scratch`'s pixels, made larger first when it is too small.
SurfacePtr PatchSurface(SurfacePtr& scratch, const Rect& area) {
  if (!scratch || scratch->w < area.width || scratch->h < area.height) {
    scratch.reset(SDL_CreateRGBSurfaceWithFormat(0, std::max(area.width, scratch ? scratch->w : 0),
                                                 std::max(area.height, scratch ? scratch->h : 0),
                                                 32, SDL_PIXELFORMAT_RGB888));
    if (!scratch) return nullptr;
  }
  return SurfacePtr(SDL_CreateRGBSurfaceWithFormatFrom(scratch->pixels, area.width, area.height, 32,
                                                       scratch->pitch, SDL_PIXELFORMAT_RGB888));
}

}  // namespace

void ComposePatches(const std::vector<Rect>& patches, int width, int height, SurfacePtr& scratch,
                    const ComposeArea& compose, const ComposeArea& put) {
  for (const Rect& area : patches) {
    const Rect clipped = Clipped(area, width, height);
    if (clipped.width == 0) continue;
    SurfacePtr patch = PatchSurface(scratch, clipped);
    if (!patch) continue;
    compose(patch.get(), clipped);
    put(patch.get(), clipped);
  }
}

}  // namespace host::sdl
