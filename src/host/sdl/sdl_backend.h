#pragma once

// The backend that runs the host core on a real desktop through SDL2: windows drawn in
// software, mouse and keyboard input, fonts found through fontconfig, sound through SDL_mixer.

#include <memory>
#include <string>

#include "host/backend.h"

namespace host::sdl {

struct Context;

class SdlBackend final : public host::Backend {
 public:
  // Initialises SDL (video only; audio is opened lazily on the first Play). Returns nullptr and
  // sets `error` to one clear line (e.g. "cannot open display: <reason>") when there is no
  // display.
  static std::unique_ptr<SdlBackend> Create(std::string& error);
  ~SdlBackend() override;  // frees cursors, fonts, closes audio, SDL_Quit

  SdlBackend(const SdlBackend&) = delete;
  SdlBackend& operator=(const SdlBackend&) = delete;

  Size MainScreenSize() override;
  Rect MainScreenBounds() override;
  // Larger than the size where the desktop scales the screen, once the full-screen window is made.
  Size MainScreenPixels() override;
  Micros Now() override;
  bool WaitEvent(Micros deadline, InputEvent& event) override;
  bool PollEvent(InputEvent& event) override;
  // Windows and sounds may outlive the backend; after it is gone they do nothing.
  std::unique_ptr<NativeWindow> CreateNativeWindow(const NativeWindowSpec& spec) override;
  std::unique_ptr<NativeSound> CreateSound(std::shared_ptr<const SoundData> data) override;
  void OpenURL(const std::string& url) override;
  // On X11: the desktop's Gtk/EnableAnimations setting is 0.
  bool PrefersReducedMotion() override;

 private:
  SdlBackend();

  std::shared_ptr<Context> context_;
};

}  // namespace host::sdl
