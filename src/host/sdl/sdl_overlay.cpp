// Overlays: how they are drawn into their host's frame and which pointer events are theirs.
#include "host/sdl/sdl_overlay.h"

#include "host/sdl/sdl_draw.h"
#include "host/sdl/sdl_handles.h"
#include "host/sdl/sdl_window.h"

namespace host::sdl {

Rect OverlayWindow::Bounds(const Context& context) const {
  int width = 0, height = 0;
  if (const SdlWindow* host = context.Find(host_); host && host->Native())
    WindowSize(host->Native(), width, height);
  return Rect{(width - size_.width) / 2, (height - size_.height) / 2, size_.width, size_.height};
}

void OverlayWindow::DrawOn(SDL_Surface* surface, const Context& context, TextRenderer& text,
                           double scale, SDL_Point origin) const {
  if (!hasView_) return;
  const Rect bounds = Bounds(context);
  Rect pixels = AtScale(bounds, scale);
  pixels.left -= origin.x;
  pixels.top -= origin.y;
  const SDL_Rect area{pixels.left, pixels.top, pixels.width, pixels.height};
  SDL_SetClipRect(surface, &area);
  const Color back = view_.hasBackColor ? view_.backColor : Color{};
  SDL_FillRect(surface, &area, SDL_MapRGB(surface->format, back.red, back.green, back.blue));
  if (view_.backdrop) {
    Picture& picture = *view_.backdrop;
    SurfacePtr source(SDL_CreateRGBSurfaceWithFormatFrom(picture.Pixels(), picture.Width(),
                                                         picture.Height(), 32, picture.Width() * 4,
                                                         SDL_PIXELFORMAT_RGB888));
    SDL_Rect where = area;
    if (source) SDL_BlitSurface(source.get(), nullptr, surface, &where);
  }
  SDL_SetClipRect(surface, nullptr);
  // Laid out in points on the box; placed in the window, then scaled, then moved to the surface.
  for (LabelView label : view_.labels) {
    label.rect.left += bounds.left;
    label.rect.top += bounds.top;
    if (scale != 1.0) label = AtScale(label, scale);
    label.rect.left -= origin.x;
    label.rect.top -= origin.y;
    text.Draw(surface, label);
  }
}

void OverlayWindow::RequestHostDraw(const Context& context) const {
  if (SdlWindow* host = context.Find(host_)) host->RequestDraw();
}

OverlayWindow* Context::FindOverlay(int id) const {
  for (OverlayWindow* overlay : overlays) {
    if (overlay->Id() == id) return overlay;
  }
  return nullptr;
}

bool Context::WindowRect(int window, Rect& rect) const {
  if (const OverlayWindow* overlay = FindOverlay(window)) {
    if (!WindowRect(overlay->Host(), rect)) return false;
    const Rect bounds = overlay->Bounds(*this);
    rect = Rect{rect.left + bounds.left, rect.top + bounds.top, bounds.width, bounds.height};
    return true;
  }
  const SdlWindow* found = Find(window);
  if (!found || !found->Native()) return false;
  SDL_GetWindowPosition(found->Native(), &rect.left, &rect.top);
  WindowSize(found->Native(), rect.width, rect.height);
  return true;
}

int Context::Aim(int window, int& x, int& y) {
  if (window == 0 || overlays.empty()) return window;
  hostPointerWindow = window;
  hostPointerX = x;
  hostPointerY = y;
  // A press keeps the pointer, over the overlay or not, until its release.
  const int pressed = pointer.PressedWindow();
  const OverlayWindow* holder = FindOverlay(pressed);
  if (pressed != 0 && !(holder && holder->Host() == window)) return window;
  for (auto it = overlays.rbegin(); it != overlays.rend(); ++it) {
    const OverlayWindow* overlay = *it;
    if (overlay->Host() != window || !(overlay->Shown() || overlay == holder)) continue;
    const Rect bounds = overlay->Bounds(*this);
    if (overlay != holder && !bounds.Contains(x, y)) continue;
    x -= bounds.left;
    y -= bounds.top;
    return overlay->Id();
  }
  return window;
}

int Context::Crossed(int window) const {
  for (const int held : {pointer.PressedWindow(), pointer.PointerWindow()}) {
    if (const OverlayWindow* overlay = FindOverlay(held); overlay && overlay->Host() == window)
      return held;
  }
  return window;
}

}  // namespace host::sdl
