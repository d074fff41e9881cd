// Starting SDL: the hints it must see first, the display to use, and what to say when none works.
#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "host/display_choice.h"
#include "host/sdl/sdl_backend.h"
#include "host/sdl/sdl_context.h"
#include "host/sdl/sdl_desktop.h"
#include "host/sdl/sdl_keys.h"
#include "host/sdl/sdl_present.h"
#include "host/sdl/sdl_screen_pointer.h"

namespace host::sdl {

namespace {

bool IsHeadlessDriver(const char* driver) {
  if (!driver) return true;
  if (SDL_strcasecmp(driver, "offscreen") != 0 && SDL_strcasecmp(driver, "dummy") != 0 &&
      SDL_strcasecmp(driver, "evdev") != 0) {
    return false;
  }
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  return !(asked && SDL_strcasecmp(asked, driver) == 0);
}

std::string EnvironmentValue(const char* name) {
  const char* value = SDL_getenv(name);
  return value ? value : "";
}

DisplayEnvironment ReadDisplayEnvironment() {
  DisplayEnvironment env{EnvironmentValue("SDL_VIDEODRIVER"), EnvironmentValue("DISPLAY"),
                         EnvironmentValue("WAYLAND_DISPLAY"), EnvironmentValue("XDG_SESSION_TYPE")};
  // Looked at before SDL connects: a socket that is not there would have the Wayland library
  // print its own complaint before SDL went on to X11. A socket handed down by the compositor
  // that started the program is there by definition.
  const std::string socket = WaylandSocketPath(env.wayland, EnvironmentValue("XDG_RUNTIME_DIR"));
  struct stat status {};
  env.waylandReachable =
      !EnvironmentValue("WAYLAND_SOCKET").empty() ||
      (!socket.empty() && stat(socket.c_str(), &status) == 0 && S_ISSOCK(status.st_mode));
  return env;
}

std::string NoDisplayReason() {
  const char* x11 = SDL_getenv("DISPLAY");
  const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
  if ((!x11 || !*x11) && (!wayland || !*wayland)) return "DISPLAY is not set";
  std::string names;
  for (const char* name : {x11, wayland}) {
    if (!name || !*name) continue;
    names += names.empty() ? "" : " or ";
    names += name;
  }
  return "cannot connect to " + names;
}

// SDL opens an X input method as it starts, in the locale of the environment. In a UTF-8 locale
// that means parsing the whole compose table before the first frame can be drawn, and nothing
// here ever takes text: keys are read only as shortcuts, by their key codes.
// So SDL starts with the environment saying "C", and the user's own locale is back in place
// before anything else (a browser opened from the credits box included) can see the change.
class PlainLocaleWhileSdlStarts {
 public:
  PlainLocaleWhileSdlStarts() {
    if (const char* was = std::getenv("LC_ALL")) saved_ = was, hadValue_ = true;
    setenv("LC_ALL", "C", 1);
  }
  ~PlainLocaleWhileSdlStarts() {
    if (hadValue_) {
      setenv("LC_ALL", saved_.c_str(), 1);
    } else {
      unsetenv("LC_ALL");
    }
  }
  PlainLocaleWhileSdlStarts(const PlainLocaleWhileSdlStarts&) = delete;
  PlainLocaleWhileSdlStarts& operator=(const PlainLocaleWhileSdlStarts&) = delete;

 private:
  std::string saved_;
  bool hadValue_ = false;
};

// SDL_Init(SDL_INIT_VIDEO) with the environment's locale kept out of its way, as above.
int StartSdlVideo() {
  const PlainLocaleWhileSdlStarts plain;
  return SDL_Init(SDL_INIT_VIDEO);
}

}  // namespace

std::unique_ptr<SdlBackend> SdlBackend::Create(std::string& error) {
  // Hints are read when SDL starts or when a window is made, so they go first.
  // A click that focuses a window is still a click.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // Asking the compositor to step aside makes some desktops flicker.
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  // X already gives a press's moves and its release to the pressed window, wherever the pointer
  // goes, and lets go when the button comes up. SDL's own capture adds an active grab of the
  // whole pointer, which only ends when SDL next reads its events: a handler that runs long
  // inside a press would keep the pointer from every other program until then. (The credits box
  // is drawn inside the scene, so there is no second window of ours for a press to go astray to.)
  SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
  // SDL keeps the screensaver away while it runs; a toy left on a desk must not keep the session
  // from blanking and locking. Nothing here needs the screen kept awake, not even the light: the
  // show ends in black about half a minute after the pull that started it, and that pull was
  // input, which restarted the screensaver's count anyway.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // Where a Wayland desktop scales its screens, SDL 2 gives sizes and positions in the desktop's
  // points and the window's pixels apart, and the labels are drawn at the pixels' size. SDL 2
  // over SDL 3 instead passes every size off as pixels unless told otherwise, so labels and the
  // credits box came out at half their size and the pointer missed them. It sets its own value
  // as it starts, so this one must take precedence; a value in the environment still wins.
  constexpr const char* kWaylandScaleToDisplay = "SDL_VIDEO_WAYLAND_SCALE_TO_DISPLAY";
  if (!SDL_getenv(kWaylandScaleToDisplay))
    SDL_SetHintWithPriority(kWaylandScaleToDisplay, "0", SDL_HINT_OVERRIDE);
  // Every window here is borderless, so on a compositor that draws no decorations (GNOME,
  // Weston) there is nothing for the decoration library to draw. Loaded all the same, it loads
  // a toolkit of its own into the process (GTK, for libdecor's default plugin on newer systems)
  // whose own display connection ends the process with the toolkit's message, not ours, when the
  // compositor goes away.
  SDL_SetHint(SDL_HINT_VIDEO_WAYLAND_ALLOW_LIBDECOR, "0");

  // With no display to try there is nothing to start, and trying would let the display
  // libraries print their own complaints before ours.
  const DisplayEnvironment environment = ReadDisplayEnvironment();
  const DisplayChoice display = ChooseDisplay(environment);
  if (!display.error.empty()) {
    error = "cannot open display: " + display.error;
    return nullptr;
  }
  if (!display.drivers.empty()) SDL_SetHint(SDL_HINT_VIDEODRIVER, display.drivers.c_str());
  // On an X screen with a colour palette SDL is not even started: it has nothing to show there.
  const bool onX11 =
      display.drivers == "x11" ||
      (display.drivers.empty() && SDL_strcasecmp(environment.asked.c_str(), "x11") == 0);
  if (onX11 && XScreenHasTooFewColours()) {
    error = "cannot draw on this screen: it has too few colours";
    return nullptr;
  }

  IgnoreStaleWakeupErrors();  // before SDL, so that SDL keeps it underneath its own
  // Errors reach the user in this program's own words, once. SDL 2 keeps its internal log to
  // itself unless asked; SDL 2 over SDL 3 prints every error it logs, so that a compositor going
  // away was announced twice, SDL's line first. SDL_LOGGING in the environment still decides.
  if (!SDL_getenv("SDL_LOGGING")) SDL_LogSetAllPriority(SDL_LOG_PRIORITY_CRITICAL);
  // Video only: other subsystems poll in the background and would wake an idle program.
  // SDL's own SIGINT/SIGTERM handlers stay; they turn a signal into a quit request.
  if (StartSdlVideo() != 0) {
    error = "cannot open display: " + NoDisplayReason() + " (" + SDL_GetError() + ")";
    SDL_Quit();
    return nullptr;
  }
  // With no desktop to talk to, SDL settles for a driver that draws into memory and never
  // blocks for input. That is no way to show anything, unless it was asked for by name.
  if (IsHeadlessDriver(SDL_GetCurrentVideoDriver())) {
    error = "cannot open display: " + NoDisplayReason();
    SDL_Quit();
    return nullptr;
  }
  const int displays = SDL_GetNumVideoDisplays();
  if (displays < 1) {
    error = std::string("cannot open display: ") +
            (displays < 0 ? SDL_GetError() : "the display has no screen");
    SDL_Quit();
    return nullptr;
  }
  SDL_StopTextInput();  // on by default; it would turn key presses into text events too
  KeyReader::Start();
  ExitAtOnceWhenDisplayLost();

  // Window surfaces in plain shared memory: copying a picture there is far cheaper than going
  // through a GL texture on a machine without a GPU. SDL offers that only on X11, and it is
  // taken only for screens of at most 8 bits a colour, where a picture's levels are written as
  // they are. SDL 2 knows no deeper layout; SDL 3 (under SDL 2 over SDL 3) takes a 30-bit
  // surface for HDR10 and converts the pictures into that colour space, which shows them far too
  // bright. Elsewhere the window surface is a texture of SDL's renderer, slower but drawn
  // everywhere, and on a 30-bit X screen the pixmap presenter spreads each level over the bits
  // itself. SDL reads this once, at the first window surface.
  SDL_DisplayMode mode{};
  const bool sharedMemory = SDL_strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0 &&
                            SDL_GetDesktopDisplayMode(0, &mode) == 0 &&
                            mode.format != SDL_PIXELFORMAT_UNKNOWN &&
                            SDL_BITSPERPIXEL(mode.format) <= 24;
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, sharedMemory ? "0" : "1");
  std::unique_ptr<SdlBackend> backend(new SdlBackend());
  // Better still, the X server copies each picture from the memory it was decoded into (where
  // it can map that memory), and SDL's renderer from a texture uploaded once.
  if (sharedMemory) {
    backend->context_->sharedPixels = ShareThePictures();
  } else {
    // On Wayland the compositor maps the pictures' memory itself, as an X server does.
    backend->context_->waylandPixels = ShareThePicturesOnWayland();
    backend->context_->textures = !backend->context_->waylandPixels;
  }
  return backend;
}

}  // namespace host::sdl
