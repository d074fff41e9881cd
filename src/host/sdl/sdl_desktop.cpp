#include "host/sdl/sdl_desktop.h"

#include <SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#endif

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "host/placement.h"
#include "host/sdl/sdl_exit.h"
#include "host/sdl/x_library.h"

namespace host::sdl {

#if defined(SDL_VIDEO_DRIVER_X11)
namespace {

int ReportLostDisplay(Display* display) {
  static const auto name = XFunction<decltype(&XDisplayString)>("XDisplayString");
  const char* shown = name && display ? name(display) : nullptr;
  ExitWithError(std::string("lost the connection to the display ") + (shown ? shown : ""));
}

}  // namespace

bool MarkFullScreenBeforeShowing(SDL_Window* window) {
  SDL_SysWMinfo info;
  if (!OnX11(window, info)) return false;
  const auto intern = XFunction<decltype(&XInternAtom)>("XInternAtom");
  const auto change = XFunction<decltype(&XChangeProperty)>("XChangeProperty");
  if (!intern || !change) return true;  // then the borderless window is all there is
  Display* display = info.info.x11.display;
  const Atom state = intern(display, "_NET_WM_STATE", False);
  const Atom fullScreen = intern(display, "_NET_WM_STATE_FULLSCREEN", False);
  // Replaces what SDL put there for a plain borderless window, which is nothing.
  change(display, info.info.x11.window, state, XA_ATOM, 32, PropModeReplace,
         reinterpret_cast<const unsigned char*>(&fullScreen), 1);
  return true;
}

namespace {

// Asks the window manager to add or remove the full-screen state of a mapped window.
void SendFullScreenState(Display* display, ::Window window, bool add) {
  const auto intern = XFunction<decltype(&XInternAtom)>("XInternAtom");
  const auto send = XFunction<decltype(&XSendEvent)>("XSendEvent");
  if (!intern || !send) return;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = intern(display, "_NET_WM_STATE", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = add ? 1 : 0;
  event.xclient.data.l[1] = static_cast<long>(intern(display, "_NET_WM_STATE_FULLSCREEN", False));
  event.xclient.data.l[3] = 1;  // from an application
  send(display, DefaultRootWindow(display), False,
       SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

}  // namespace

void AskFullScreenWhenShown(SDL_Window* window) {
  SDL_SysWMinfo info;
  if (!OnX11(window, info)) return;
  const auto flush = XFunction<decltype(&XFlush)>("XFlush");
  SendFullScreenState(info.info.x11.display, info.info.x11.window, true);
  if (flush) flush(info.info.x11.display);
}

void GiveKeyboardFocus(SDL_Window* window) {
  SDL_SysWMinfo info;
  const auto attributes = XFunction<decltype(&XGetWindowAttributes)>("XGetWindowAttributes");
  const auto focus = XFunction<decltype(&XSetInputFocus)>("XSetInputFocus");
  const auto flush = XFunction<decltype(&XFlush)>("XFlush");
  if (!OnX11(window, info) || !attributes || !focus || !flush) {
    SDL_SetWindowInputFocus(window);
    return;
  }
  // Only a window on the screen can take the focus; asking for another is an X error, which
  // would end the program. A window manager may have iconified ours.
  XWindowAttributes now{};
  if (!attributes(info.info.x11.display, info.info.x11.window, &now) || now.map_state != IsViewable)
    return;
  focus(info.info.x11.display, info.info.x11.window, RevertToNone, CurrentTime);
  flush(info.info.x11.display);
}

bool XScreenHasTooFewColours() {
  const auto open = XFunction<decltype(&XOpenDisplay)>("XOpenDisplay");
  const auto close = XFunction<decltype(&XCloseDisplay)>("XCloseDisplay");
  const auto screen = XFunction<decltype(&XDefaultScreen)>("XDefaultScreen");
  const auto depth = XFunction<decltype(&XDefaultDepth)>("XDefaultDepth");
  if (!open || !close || !screen || !depth) return false;
  Display* display = open(nullptr);
  if (!display) return false;  // SDL says why, in its own words
  const bool palette = depth(display, screen(display)) < 15;
  close(display);
  return palette;
}

void ExitAtOnceWhenDisplayLost() {
  if (const auto set = XFunction<decltype(&XSetIOErrorHandler)>("XSetIOErrorHandler"))
    set(&ReportLostDisplay);
}

ScreenWatch::~ScreenWatch() {
  if (randr_) SDL_UnloadObject(randr_);
}

void ScreenWatch::Start() {
  if (started_) return;
  started_ = true;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || SDL_strcmp(driver, "x11") != 0) return;
  // SDL hands out its connection to the X server only through a window: a hidden one is made
  // for the asking and let go at once (cheap: the connection stays SDL's).
  SDL_Window* probe = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_HIDDEN);
  if (!probe) return;
  SDL_SysWMinfo info;
  const bool known = OnX11(probe, info);
  SDL_DestroyWindow(probe);
  if (!known) return;
  // SDL loaded the RandR library already; it tells where the monitors are now.
  randr_ = SDL_LoadObject("libXrandr.so.2");
  if (!randr_) return;
  display_ = info.info.x11.display;
  Listen();
  // Every X event now comes as a window-system event too; SDL's event filter lets through
  // only the screens' changes.
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
}

void ScreenWatch::Listen() const {
  if (!display_) return;
  // The root window's own changes of size tell of the screen's. SDL listens on the root window
  // too, so its mask is kept and only added to.
  const auto attributes = XFunction<decltype(&XGetWindowAttributes)>("XGetWindowAttributes");
  const auto select = XFunction<decltype(&XSelectInput)>("XSelectInput");
  auto* display = static_cast<Display*>(display_);
  XWindowAttributes root{};
  if (!attributes || !select || !attributes(display, DefaultRootWindow(display), &root)) return;
  if ((root.your_event_mask & StructureNotifyMask) == 0)
    select(display, DefaultRootWindow(display), root.your_event_mask | StructureNotifyMask);
}

bool ScreenWatch::IsScreenChange(const SDL_Event& event) const {
  if (event.type != SDL_SYSWMEVENT || !display_ || !event.syswm.msg) return false;
  const SDL_SysWMmsg& message = *event.syswm.msg;
  if (message.subsystem != SDL_SYSWM_X11) return false;
  const XEvent& x = message.msg.x11.event;
  auto* display = static_cast<Display*>(display_);
  return x.type == ConfigureNotify && x.xconfigure.window == DefaultRootWindow(display);
}

bool ScreenWatch::MainScreen(SDL_Rect& bounds) const {
  if (!display_) return false;
  using GetMonitors = XRRMonitorInfo* (*)(Display*, ::Window, Bool, int*);
  using FreeMonitors = void (*)(XRRMonitorInfo*);
  const auto get = reinterpret_cast<GetMonitors>(SDL_LoadFunction(randr_, "XRRGetMonitors"));
  const auto release = reinterpret_cast<FreeMonitors>(SDL_LoadFunction(randr_, "XRRFreeMonitors"));
  if (!get || !release) return false;
  auto* display = static_cast<Display*>(display_);
  int count = 0;
  XRRMonitorInfo* monitors = get(display, DefaultRootWindow(display), True, &count);
  if (!monitors) return false;
  std::vector<Monitor> listed;
  for (int i = 0; i < count; ++i) {
    const XRRMonitorInfo& m = monitors[i];
    listed.push_back(Monitor{Rect{m.x, m.y, m.width, m.height}, m.primary != 0});
  }
  release(monitors);
  const std::optional<Rect> main = MainMonitor(listed);
  if (main) bounds = SDL_Rect{main->left, main->top, main->width, main->height};
  return main.has_value();
}

void ScreenWatch::Cover(SDL_Window* window, const SDL_Rect& bounds) const {
  SDL_SysWMinfo info;
  if (!display_ || !OnX11(window, info)) return;
  // SDL keeps a full-screen window's size to itself, so the X server is asked directly. That
  // is all it takes without a window manager; a window manager that keeps the window's full-
  // screen state but not its size is asked to take the state away and give it back, which
  // fits the window to the screen as it is now.
  Fit(window, bounds);
  const auto flush = XFunction<decltype(&XFlush)>("XFlush");
  if (!flush) return;
  for (const bool add : {false, true})
    SendFullScreenState(info.info.x11.display, info.info.x11.window, add);
  flush(info.info.x11.display);
}

void ScreenWatch::Fit(SDL_Window* window, const SDL_Rect& bounds) const {
  SDL_SysWMinfo info;
  if (!display_ || !OnX11(window, info)) return;
  // SDL pinned the smallest and largest size to the first size (the window is not resizable),
  // and a window manager that honours that (openbox) would keep the old size, so the pins move
  // to the new size first. A window manager that honours them refits a full-screen window as
  // soon as they change.
  const auto hints = XFunction<decltype(&XSetWMNormalHints)>("XSetWMNormalHints");
  const auto move = XFunction<decltype(&XMoveResizeWindow)>("XMoveResizeWindow");
  const auto flush = XFunction<decltype(&XFlush)>("XFlush");
  if (!hints || !move || !flush) return;
  Display* display = info.info.x11.display;
  XSizeHints size{};
  size.flags = PPosition | PSize | PMinSize | PMaxSize;
  size.x = bounds.x;
  size.y = bounds.y;
  size.width = size.min_width = size.max_width = bounds.w;
  size.height = size.min_height = size.max_height = bounds.h;
  hints(display, info.info.x11.window, &size);
  move(display, info.info.x11.window, bounds.x, bounds.y, static_cast<unsigned>(bounds.w),
       static_cast<unsigned>(bounds.h));
  flush(display);
}

#else
bool MarkFullScreenBeforeShowing(SDL_Window*) { return false; }
bool XScreenHasTooFewColours() { return false; }
void AskFullScreenWhenShown(SDL_Window*) {}
void GiveKeyboardFocus(SDL_Window* window) { SDL_SetWindowInputFocus(window); }
void ExitAtOnceWhenDisplayLost() {}
ScreenWatch::~ScreenWatch() = default;
void ScreenWatch::Start() {}
void ScreenWatch::Listen() const {}
bool ScreenWatch::IsScreenChange(const SDL_Event&) const { return false; }
bool ScreenWatch::MainScreen(SDL_Rect&) const { return false; }
void ScreenWatch::Cover(SDL_Window*, const SDL_Rect&) const {}
void ScreenWatch::Fit(SDL_Window*, const SDL_Rect&) const {}
#endif

#if defined(SDL_VIDEO_DRIVER_WAYLAND)
void ExitIfDisplayLost(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WAYLAND) return;
  // SDL has the Wayland library loaded already; this only finds it again.
  static void* library = SDL_LoadObject("libwayland-client.so.0");
  using GetError = int (*)(wl_display*);
  const auto error =
      library ? reinterpret_cast<GetError>(SDL_LoadFunction(library, "wl_display_get_error"))
              : nullptr;
  if (!error || error(info.info.wl.display) == 0) return;
  const char* name = SDL_getenv("WAYLAND_DISPLAY");
  ExitWithError(std::string("lost the connection to the display ") +
                (name && *name ? name : "wayland-0"));
}
#else
void ExitIfDisplayLost(SDL_Window*) {}
#endif

}  // namespace host::sdl
