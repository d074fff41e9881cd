#pragma once

// Pictures copied to a window by OpenGL ES framebuffer blits, on the context of SDL's renderer.

#include <SDL.h>
#include <SDL_opengles2.h>

#include <memory>

#include "host/picture.h"

namespace host::sdl {

// On software GL (llvmpipe) drawing a texture over the window runs a shader for each pixel, which
// on a large screen takes a good part of a frame's time. A framebuffer blit between buffers of
// one pixel layout, unscaled, is a plain copy of rows instead. It takes an OpenGL ES context
// (desktop GL makes its 8-bit window buffers sRGB, which no texture blits into as a copy) and
// textures in the window's own BGRA layout, which SDL's renderer does not make: so here the
// pictures' textures are made with calls of our own, on the renderer's context, and copied to the
// window before SDL draws the labels over them.
class Blitter {
 public:
  // Null unless the renderer is on such a context, with a window buffer without alpha (the
  // pictures' unused byte would become its alpha).
  static std::unique_ptr<Blitter> For(SDL_Window* window, SDL_Renderer* renderer);
  ~Blitter();
  // The top-left `width` x `height` of `picture` in a new texture; 0 when it cannot be made.
  GLuint Upload(const Picture& picture, int width, int height);
  void Delete(GLuint texture);
  // The texture's top-left `width` x `height` to the window's top-left.
  void Copy(GLuint texture, int width, int height, int windowHeight);

 private:
  struct Calls {
    PFNGLGETINTEGERVPROC getIntegerv = nullptr;
    PFNGLGENTEXTURESPROC genTextures = nullptr;
    PFNGLDELETETEXTURESPROC deleteTextures = nullptr;
    PFNGLBINDTEXTUREPROC bindTexture = nullptr;
    PFNGLTEXPARAMETERIPROC texParameteri = nullptr;
    PFNGLPIXELSTOREIPROC pixelStorei = nullptr;
    PFNGLTEXIMAGE2DPROC texImage2D = nullptr;
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DPROC framebufferTexture2D = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLISENABLEDPROC isEnabled = nullptr;
    PFNGLENABLEPROC enable = nullptr;
    PFNGLDISABLEPROC disable = nullptr;
    void(GL_APIENTRYP blitFramebuffer)(GLint, GLint, GLint, GLint, GLint, GLint, GLint, GLint,
                                       GLbitfield, GLenum) = nullptr;
  };
  // Taken from OpenGL ES 3, which SDL's headers for ES 2 lack.
  static constexpr GLenum kReadFramebuffer = 0x8CA8, kDrawFramebuffer = 0x8CA9;
  static constexpr GLenum kReadFramebufferBinding = 0x8CAA, kUnpackRowLength = 0x0CF2;

  bool Current() const;
  Calls gl_;
  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
  GLuint framebuffer_ = 0;
};

}  // namespace host::sdl
