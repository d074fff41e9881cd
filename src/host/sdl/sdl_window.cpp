// A window's frame on the screen: straight from the pictures where a presenter can, else drawn.
#include "host/sdl/sdl_window.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <system_error>
#include <vector>

#include "host/sdl/sdl_draw.h"
#include "host/sdl/sdl_overlay.h"

namespace host::sdl {

// Fresh memory costs a page fault per page at its first write, and a screenful of them made up
// much of the first frame's cost. A shared-memory window surface
// can be made while the window is still hidden, so its pages are written once on a thread of
// their own while the main thread waits for the desktop to map the window and the first picture
// decodes. Nothing else touches the surface until the first Draw, which waits for the thread.
void SdlWindow::StartFirstTouch() {
  if (SDL_GetHintBoolean(SDL_HINT_FRAMEBUFFER_ACCELERATION, SDL_TRUE)) return;  // a texture
  // Pictures the X server reads from their own memory need no window surface.
  if (auto context = context_.lock(); context && context->sharedPixels) return;
  SDL_Surface* surface = SDL_GetWindowSurface(window_.get());
  if (!surface || !surface->pixels) return;
  auto* pixels = static_cast<std::uint8_t*>(surface->pixels);
  const std::size_t bytes = static_cast<std::size_t>(surface->h) * surface->pitch;
  try {
    firstTouch_ = std::thread([pixels, bytes] {
      MapPages(pixels, bytes);
      std::memset(pixels, 0, bytes);
    });
  } catch (const std::system_error&) {
    // No thread to spare: the first Draw pays for the pages as before.
  }
}

// Draws into `patch` what `view` shows over `area` of its window, in the window's pixels, which
// are `scale` times its points: the picture at the view's brightness, the back colour beyond it,
// and the labels and overlays that reach into it, each clipped as it is on the whole frame.
static void ComposePatch(SDL_Surface* patch, const Rect& area, const WindowView& view, int window,
                         Context& context, double scale) {
  const Color back = view.hasBackColor ? view.backColor : Color{};
  SDL_FillRect(patch, nullptr, SDL_MapRGB(patch->format, back.red, back.green, back.blue));
  if (view.backdrop) {
    const Picture& picture = *view.backdrop;
    const int width = std::min(area.left + area.width, picture.Width()) - area.left;
    const int height = std::min(area.top + area.height, picture.Height()) - area.top;
    const std::uint32_t* pixels = picture.TopRows(area.top + std::max(height, 0));
    const auto level = static_cast<std::uint32_t>(std::clamp(view.brightness, 0, 255) + 1);
    for (int y = 0; y < height && width > 0; ++y) {
      auto* to = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(patch->pixels) +
                                                  static_cast<std::size_t>(y) * patch->pitch);
      const std::uint32_t* from =
          pixels + static_cast<std::size_t>(area.top + y) * picture.Width() + area.left;
      if (level > 255) {
        std::memcpy(to, from, static_cast<std::size_t>(width) * 4);
      } else {
        DimRow(to, from, width, level);
      }
    }
  }
  for (const LabelView& label : view.labels) {
    LabelView drawn = scale == 1.0 ? label : AtScale(label, scale);
    drawn.rect.left -= area.left;
    drawn.rect.top -= area.top;
    if (drawn.rect.left >= patch->w || drawn.rect.top >= patch->h ||
        drawn.rect.left + drawn.rect.width <= 0 || drawn.rect.top + drawn.rect.height <= 0)
      continue;
    context.text.Draw(patch, drawn);
  }
  for (const OverlayWindow* overlay : context.overlays) {
    if (overlay->Host() == window && overlay->Shown())
      overlay->DrawOn(patch, context, context.text, scale, SDL_Point{area.left, area.top});
  }
}

// The picture goes to the screen without the program copying it; only the areas labels and
// overlays cover are composed here. False where that cannot be done for this view.
void SdlWindow::MakePresenter(Context& context) {
  if (directTried_) return;
  directTried_ = true;
  if (context.sharedPixels) {
    direct_ = NewSharedMemoryPresenter(window_.get(), context.sharedPixels);
  } else if (context.waylandPixels) {
    direct_ = NewWaylandPresenter(window_.get(), context.waylandPixels);
    if (!direct_) direct_ = NewTexturePresenter(window_.get());
  } else if (context.textures) {
    direct_ = NewPixmapPresenter(window_.get());
    if (!direct_) direct_ = NewTexturePresenter(window_.get());
  }
  frames_ = WaylandFrames::For(window_.get());
}

bool SdlWindow::DrawDirect(Context& context) {
  MakePresenter(context);
  if (!direct_) return false;
  // Where a desktop scales its screens (Wayland's output scale) the window has more pixels than
  // points. The pictures are made for the pixels and go on screen one for one; the labels, laid
  // out in points, are drawn at the pixels' size so that they are as sharp.
  int points = 0, pixels = 0, unused = 0;
  SDL_GetWindowSize(window_.get(), &points, &unused);
  SDL_GetWindowSizeInPixels(window_.get(), &pixels, &unused);
  const double scale = points > 0 && pixels > points ? static_cast<double>(pixels) / points : 1.0;
  std::vector<Rect> patches;
  patches.reserve(view_.labels.size());
  for (const LabelView& label : view_.labels) patches.push_back(AtScale(label.rect, scale));
  for (const OverlayWindow* overlay : context.overlays) {
    if (overlay->Host() == id_ && overlay->Shown())
      patches.push_back(AtScale(overlay->Bounds(context), scale));
  }
  const auto compose = [&](SDL_Surface* patch, const Rect& area) {
    ComposePatch(patch, area, view_, id_, context, scale);
  };
  if (!direct_->Present(view_, patches, compose, whole_)) return false;
  whole_ = false;
  // Not at once: right after the first frame the server would be busy reading while the
  // desktop shows that frame, and whatever else asks the server for something waits.
  readAheadAt_ = Clock() + kReadAheadDelay;
  return true;
}

bool SdlWindow::PutFirstFrame() {
  if (!window_ || !hasView_ || !view_.labels.empty() ||
      view_.brightness != WindowView::kFullBrightness)
    return false;
  if (auto context = context_.lock()) {
    for (const OverlayWindow* overlay : context->overlays)
      if (overlay->Host() == id_ && overlay->Shown()) return false;
  }
  // Only the back colour: the server paints it already.
  if (!view_.backdrop) return background_ == BackColor();
  int width = 0, height = 0;
  SDL_GetWindowSize(window_.get(), &width, &height);
  Picture& picture = *view_.backdrop;
  if (picture.Width() < width || picture.Height() < height) return false;
  // Goes out as it decodes; only the rows the window shows are read.
  PutRows(
      window_.get(), [&picture](int rows) { return picture.TopRows(rows); }, picture.Width(), width,
      height);
  // The surface is made and shown with this same frame on the loop's next pass: the frame
  // that first changes the picture, at the pull, then does not wait for its memory to be
  // mapped, neither here nor in the server.
  drawDirect_ = false;
  drawPending_ = true;
  return true;
}

// What is drawn from now on takes over from the server's painting, which would now only flicker
// where another window goes from over this one.
void SdlWindow::TakeOverFromServer(const Context& context) {
  background_.reset();
  SetBackground(window_.get(), std::nullopt);
  if (context.sharedPixels) return;  // the window's surface is never drawn on
  if (SDL_Surface* fresh = DrawableSurface(window_.get()))
    MapPages(fresh->pixels, static_cast<std::size_t>(fresh->h) * fresh->pitch);
}

void SdlWindow::Draw() {
  if (drawDirect_ && PutFirstFrame()) return;
  drawDirect_ = false;
  if (firstTouch_.joinable()) firstTouch_.join();
  if (!window_ || !hasView_) return;
  auto context = context_.lock();
  if (!context) return;
  if (frames_) {
    const Uint64 nowMs = static_cast<Uint64>(Clock() / kMillis);
    if (!frames_->Ready(nowMs)) {
      drawPending_ = true;  // drawn when the compositor has shown the last frame
      return;
    }
    frames_->Presenting(nowMs);
  }
  if (background_) TakeOverFromServer(*context);
  if (DrawDirect(*context)) {
    drawPending_ = false;
    context->text.EndFrame();
    return;
  }
  SDL_Surface* surface = DrawableSurface(window_.get());
  const bool mustLock = SDL_MUSTLOCK(surface);
  if (mustLock && SDL_LockSurface(surface) != 0) return;

  Size covered{0, 0};
  if (view_.backdrop) {
    const auto copied = CopyPicture(*view_.backdrop, surface, mustLock, view_.brightness);
    if (!copied) return;
    covered = *copied;
  }
  if (mustLock) SDL_UnlockSurface(surface);

  FillUncovered(surface, covered, view_.hasBackColor ? view_.backColor : Color{});
  for (const LabelView& label : view_.labels) context->text.Draw(surface, label);
  for (const OverlayWindow* overlay : context->overlays) {
    if (overlay->Host() == id_ && overlay->Shown())
      overlay->DrawOn(surface, *context, context->text, 1.0);
  }
  drawPending_ = false;
  context->text.EndFrame();
  SDL_UpdateWindowSurface(window_.get());
}

}  // namespace host::sdl
