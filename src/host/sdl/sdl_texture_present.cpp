// How a picture reaches the screen through SDL's renderer: a texture uploaded once a picture.
#include <algorithm>
#include <memory>
#include <vector>

#include "host/sdl/gles_blitter.h"
#include "host/sdl/sdl_handles.h"
#include "host/sdl/sdl_present.h"

namespace host::sdl {

namespace {

// On SDL's renderer (native Wayland, screens SDL's window surfaces do not know) each picture is
// uploaded to a texture once; a present is then a copy the renderer makes on its own side.
class TexturePresenter final : public DirectPresenter {
 public:
  TexturePresenter(RendererPtr renderer, std::unique_ptr<Blitter> blitter)
      : renderer_(std::move(renderer)), blitter_(std::move(blitter)) {
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer_.get(), &info) == 0)
      maxWidth_ = info.max_texture_width, maxHeight_ = info.max_texture_height;
  }

  ~TexturePresenter() override {
    for (const Cached& cached : textures_)
      if (blitter_) blitter_->Delete(cached.copied);
  }

  bool Present(const WindowView& view, const std::vector<Rect>& patches, const ComposeArea& compose,
               bool /*whole: every frame is drawn whole*/) override {
    SDL_Renderer* renderer = renderer_.get();
    int width = 0, height = 0;
    SDL_GetRendererOutputSize(renderer, &width, &height);
    const Color back = view.hasBackColor ? view.backColor : Color{};
    const Cached* texture = TextureFor(view.backdrop, width, height);
    const int textureWidth = texture ? texture->width : 0;
    const int textureHeight = texture ? texture->height : 0;
    // On software GL a clear costs a pass over the screen: only where the picture leaves some.
    if (textureWidth < width || textureHeight < height) {
      SDL_SetRenderDrawColor(renderer, back.red, back.green, back.blue, 255);
      SDL_RenderClear(renderer);
    }
    if (texture) {
      const SDL_Rect area{0, 0, std::min(textureWidth, width), std::min(textureHeight, height)};
      const auto level = static_cast<Uint8>(std::clamp(view.brightness, 0, 255));
      if (texture->copied) {
        SDL_RenderFlush(renderer);  // the clear goes first
        blitter_->Copy(texture->copied, area.w, area.h, height);
        if (level < 255) {
          // A fade's step: black over the picture, letting `level` of it through.
          SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
          SDL_SetRenderDrawColor(renderer, 0, 0, 0, static_cast<Uint8>(255 - level));
          SDL_RenderFillRect(renderer, &area);
          SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
        }
      } else {
        // A fade's steps differ only in this: the renderer dims as it copies.
        SDL_SetTextureColorMod(texture->drawn.get(), level, level, level);
        SDL_RenderCopy(renderer, texture->drawn.get(), &area, &area);
      }
    }
    std::vector<TexturePtr> drawn;  // alive until the frame is presented
    ComposePatches(patches, width, height, scratch_, compose,
                   [&](SDL_Surface* patch, const Rect& at) {
                     TexturePtr texture(SDL_CreateTextureFromSurface(renderer, patch));
                     if (!texture) return;
                     const SDL_Rect where{at.left, at.top, at.width, at.height};
                     SDL_RenderCopy(renderer, texture.get(), nullptr, &where);
                     drawn.push_back(std::move(texture));
                   });
    SDL_RenderPresent(renderer);
    return true;
  }

  // Uploading a picture is slow on software GL, and its first present would wait for that in the
  // middle of the light show, where a frame is late: so the pictures the program holds are
  // uploaded ahead, one at each of the idle program's wakes. While one is still being made none
  // is, because the pictures a large screen's copies are scaled from are held only until then.
  bool ReadAhead() override {
    int width = 0, height = 0;
    SDL_GetRendererOutputSize(renderer_.get(), &width, &height);
    Forget(nullptr);
    std::shared_ptr<Picture> next;
    for (const std::shared_ptr<Picture>& picture : LivePictures()) {
      // Icons and the like go in a moment when they are first shown.
      constexpr long kSmallest = 64 * 1024;
      if (static_cast<long>(picture->Width()) * picture->Height() < kSmallest ||
          Find(*picture, width, height))
        continue;
      if (!picture->Made()) return true;  // again at the next wake
      if (!next) next = picture;
    }
    return next && TextureFor(next, width, height);
  }

 private:
  struct Cached {
    std::weak_ptr<Picture> picture;
    TexturePtr drawn;   // SDL's texture, or
    GLuint copied = 0;  // the blitter's
    int width = 0, height = 0;
  };

  // Lets go of the textures of the pictures that are gone, and of `replaced`'s.
  void Forget(const Picture* replaced) {
    std::erase_if(textures_, [this, replaced](const Cached& cached) {
      const std::shared_ptr<Picture> held = cached.picture.lock();
      if (held && held.get() != replaced) return false;
      if (blitter_) blitter_->Delete(cached.copied);
      return true;
    });
  }

  // How much of the picture a window of `width` x `height` shows, in the texture it needs.
  Size Shown(const Picture& picture, int width, int height) const {
    const auto fit = [](int size, int window, int most) {
      return std::min(size, most > 0 ? std::min(window, most) : window);
    };
    return {fit(picture.Width(), width, maxWidth_), fit(picture.Height(), height, maxHeight_)};
  }

  // The picture's texture, if it has one large enough for the window.
  const Cached* Find(const Picture& picture, int width, int height) const {
    const Size shown = Shown(picture, width, height);
    for (const Cached& cached : textures_)
      if (cached.picture.lock().get() == &picture && cached.width >= shown.width &&
          cached.height >= shown.height)
        return &cached;
    return nullptr;
  }

  // Only the part the window shows is uploaded; a window grown since gets it again, larger.
  const Cached* TextureFor(const std::shared_ptr<Picture>& picture, int width, int height) {
    if (!picture) return nullptr;
    if (const Cached* found = Find(*picture, width, height)) return found;
    Forget(picture.get());
    Cached made;
    made.picture = picture;
    const Size shown = Shown(*picture, width, height);
    made.width = shown.width;
    made.height = shown.height;
    if (made.width <= 0 || made.height <= 0) return nullptr;
    if (blitter_) made.copied = blitter_->Upload(*picture, made.width, made.height);
    if (!made.copied) {
      made.drawn.reset(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_RGB888,
                                         SDL_TEXTUREACCESS_STATIC, made.width, made.height));
      if (!made.drawn) return nullptr;
      SDL_SetTextureBlendMode(made.drawn.get(), SDL_BLENDMODE_NONE);
      SDL_UpdateTexture(made.drawn.get(), nullptr, picture->TopRows(made.height),
                        picture->Width() * 4);
    }
    textures_.push_back(std::move(made));
    return &textures_.back();
  }

  RendererPtr renderer_;
  std::unique_ptr<Blitter> blitter_;  // goes before the renderer, whose context it uses
  int maxWidth_ = 0, maxHeight_ = 0;
  std::vector<Cached> textures_;
  SurfacePtr scratch_;
};

// The index of SDL's render driver `name`, or -1 for SDL's own choice.
int RenderDriver(const char* name) {
  for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
    SDL_RendererInfo info{};
    if (SDL_GetRenderDriverInfo(i, &info) == 0 && SDL_strcmp(info.name, name) == 0) return i;
  }
  return -1;
}

}  // namespace

std::unique_ptr<DirectPresenter> NewTexturePresenter(SDL_Window* window) {
  if (!window) return nullptr;
  // On Wayland OpenGL ES lets pictures be copied rather than drawn (see Blitter); on X11 its window
  // buffers are those of desktop GL, where it only costs more. One named in the environment wins.
  const char* asked = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
  const bool wayland = SDL_strcmp(SDL_GetCurrentVideoDriver(), "wayland") == 0;
  RendererPtr renderer;
  if (wayland && (!asked || !*asked))
    renderer.reset(SDL_CreateRenderer(window, RenderDriver("opengles2"), 0));
  if (!renderer) renderer.reset(SDL_CreateRenderer(window, -1, 0));
  if (!renderer) return nullptr;
  auto blitter = Blitter::For(window, renderer.get());
  return std::make_unique<TexturePresenter>(std::move(renderer), std::move(blitter));
}

}  // namespace host::sdl
