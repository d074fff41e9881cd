// The OpenGL ES blitter: textures in the window's own layout, copied rather than drawn.
#include "host/sdl/gles_blitter.h"

#include <type_traits>

namespace host::sdl {

std::unique_ptr<Blitter> Blitter::For(SDL_Window* window, SDL_Renderer* renderer) {
  SDL_RendererInfo info{};
  if (SDL_GetRendererInfo(renderer, &info) != 0 || SDL_strcmp(info.name, "opengles2") != 0)
    return nullptr;
  auto blitter = std::make_unique<Blitter>();
  blitter->window_ = window;
  blitter->context_ = SDL_GL_GetCurrentContext();  // the renderer's, just made
  Calls& gl = blitter->gl_;
  const auto load = [](auto& f, const char* name) {
    f = reinterpret_cast<std::remove_reference_t<decltype(f)>>(SDL_GL_GetProcAddress(name));
    return f != nullptr;
  };
  const auto getString = reinterpret_cast<PFNGLGETSTRINGPROC>(SDL_GL_GetProcAddress("glGetString"));
  if (!blitter->context_ || !getString || !load(gl.getIntegerv, "glGetIntegerv") ||
      !load(gl.genTextures, "glGenTextures") || !load(gl.deleteTextures, "glDeleteTextures") ||
      !load(gl.bindTexture, "glBindTexture") || !load(gl.texParameteri, "glTexParameteri") ||
      !load(gl.pixelStorei, "glPixelStorei") || !load(gl.texImage2D, "glTexImage2D") ||
      !load(gl.genFramebuffers, "glGenFramebuffers") ||
      !load(gl.deleteFramebuffers, "glDeleteFramebuffers") ||
      !load(gl.bindFramebuffer, "glBindFramebuffer") ||
      !load(gl.framebufferTexture2D, "glFramebufferTexture2D") ||
      !load(gl.checkFramebufferStatus, "glCheckFramebufferStatus") ||
      !load(gl.isEnabled, "glIsEnabled") || !load(gl.enable, "glEnable") ||
      !load(gl.disable, "glDisable") || !load(gl.blitFramebuffer, "glBlitFramebuffer"))
    return nullptr;
  // Blits and row lengths came with version 3; SDL asks for 2, and gets 3 where there is one.
  const auto* version = reinterpret_cast<const char*>(getString(GL_VERSION));
  int major = 0;
  if (!version || SDL_sscanf(version, "OpenGL ES %d", &major) != 1 || major < 3 ||
      !SDL_GL_ExtensionSupported("GL_EXT_texture_format_BGRA8888"))
    return nullptr;
  GLint alpha = -1;
  gl.getIntegerv(GL_ALPHA_BITS, &alpha);
  if (alpha != 0) return nullptr;
  gl.genFramebuffers(1, &blitter->framebuffer_);
  if (!blitter->framebuffer_) return nullptr;
  return blitter;
}

Blitter::~Blitter() {
  if (framebuffer_ && Current()) gl_.deleteFramebuffers(1, &framebuffer_);
}

// SDL's renderer makes its context current only as it draws; another window's could be.
bool Blitter::Current() const {
  return SDL_GL_GetCurrentContext() == context_ || SDL_GL_MakeCurrent(window_, context_) == 0;
}

GLuint Blitter::Upload(const Picture& picture, int width, int height) {
  if (!Current()) return 0;
  GLint bound = 0;  // SDL's renderer remembers what it bound
  gl_.getIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  GLuint texture = 0;
  gl_.genTextures(1, &texture);
  gl_.bindTexture(GL_TEXTURE_2D, texture);
  gl_.texParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  gl_.texParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  gl_.pixelStorei(kUnpackRowLength, picture.Width());
  // 0x00RRGGBB words are B, G, R, 0 bytes in memory on this machine's byte order.
  gl_.texImage2D(GL_TEXTURE_2D, 0, GL_BGRA_EXT, width, height, 0, GL_BGRA_EXT, GL_UNSIGNED_BYTE,
                 picture.TopRows(height));
  gl_.pixelStorei(kUnpackRowLength, 0);
  gl_.bindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
  // A texture the context cannot read a blit from is drawn SDL's way instead.
  GLint read = 0;
  gl_.getIntegerv(kReadFramebufferBinding, &read);
  gl_.bindFramebuffer(kReadFramebuffer, framebuffer_);
  gl_.framebufferTexture2D(kReadFramebuffer, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  const bool readable = gl_.checkFramebufferStatus(kReadFramebuffer) == GL_FRAMEBUFFER_COMPLETE;
  gl_.bindFramebuffer(kReadFramebuffer, static_cast<GLuint>(read));
  if (!readable) Delete(texture);
  return readable ? texture : 0;
}

void Blitter::Delete(GLuint texture) {
  if (texture && Current()) gl_.deleteTextures(1, &texture);
}

void Blitter::Copy(GLuint texture, int width, int height, int windowHeight) {
  if (!Current()) return;
  GLint read = 0, draw = 0;
  gl_.getIntegerv(kReadFramebufferBinding, &read);
  gl_.getIntegerv(GL_FRAMEBUFFER_BINDING, &draw);  // the window's, as SDL left it
  const bool scissor = gl_.isEnabled(GL_SCISSOR_TEST);
  if (scissor) gl_.disable(GL_SCISSOR_TEST);
  gl_.bindFramebuffer(kReadFramebuffer, framebuffer_);
  gl_.framebufferTexture2D(kReadFramebuffer, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  // The texture's first row is the picture's top; the window's rows count up from its bottom.
  gl_.blitFramebuffer(0, 0, width, height, 0, windowHeight, width, windowHeight - height,
                      GL_COLOR_BUFFER_BIT, GL_NEAREST);
  gl_.bindFramebuffer(kReadFramebuffer, static_cast<GLuint>(read));
  gl_.bindFramebuffer(kDrawFramebuffer, static_cast<GLuint>(draw));
  if (scissor) gl_.enable(GL_SCISSOR_TEST);
}

}  // namespace host::sdl
