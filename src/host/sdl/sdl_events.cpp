// SDL's events turned into the core's: the pointer, the keys, the windows, the screen, sound.
#include "host/sdl/sdl_events.h"

#include <utility>

#include "host/sdl/sdl_overlay.h"
#include "host/sdl/sdl_window.h"

namespace host::sdl {

namespace {

// A window's own event; false when the core has nothing to hear of it.
bool TranslateWindowEvent(Context& context, const SDL_WindowEvent& sdl, InputEvent& event) {
  using Type = InputEvent::Type;
  event.window = static_cast<int>(sdl.windowID);
  SdlWindow* window = context.Find(event.window);
  switch (sdl.event) {
    case SDL_WINDOWEVENT_ENTER:
      context.pointer.Enter(context.Crossed(event.window));
      return false;
    case SDL_WINDOWEVENT_LEAVE:
      if (context.hostPointerWindow == event.window) context.hostPointerWindow = 0;
      context.pointer.Leave(context.Crossed(event.window), context.pending);
      return false;
    case SDL_WINDOWEVENT_EXPOSED:
      // The backend keeps each window's last frame and puts it back at once; the core hears of
      // it too, in case it wants to draw something newer.
      if (window) window->Redraw();
      event.type = Type::Expose;
      return true;
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_RESTORED:
      if (window) window->Configured();
      event.type = Type::Expose;
      return true;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_MOVED:
    case SDL_WINDOWEVENT_MAXIMIZED:
      if (window) window->Configured();
      return false;
    case SDL_WINDOWEVENT_SIZE_CHANGED:  // the core draws the new size
      if (context.refitting) context.FollowScreen(true);
      event.type = Type::Resized;
      event.x = sdl.data1;
      event.y = sdl.data2;
      return true;
    case SDL_WINDOWEVENT_CLOSE:
      event.type = Type::CloseRequest;
      return true;
    default:
      return false;
  }
}

}  // namespace

void Translate(Context& context, const SDL_Event& sdl) {
  using Type = InputEvent::Type;
  std::deque<InputEvent>& out = context.pending;
  InputEvent event;
  switch (sdl.type) {
    case SDL_MOUSEMOTION: {
      int x = sdl.motion.x, y = sdl.motion.y;
      const int window = context.Aim(static_cast<int>(sdl.motion.windowID), x, y);
      context.pointer.Motion(window, x, y, (sdl.motion.state & SDL_BUTTON_LMASK) != 0, out);
      return;
    }
    case SDL_MOUSEBUTTONDOWN: {
      if (sdl.button.button != SDL_BUTTON_LEFT) return;
      int x = sdl.button.x, y = sdl.button.y;
      const int window = context.Aim(static_cast<int>(sdl.button.windowID), x, y);
      context.pointer.Press(window, x, y, out);
      return;
    }
    case SDL_MOUSEBUTTONUP: {
      if (sdl.button.button != SDL_BUTTON_LEFT) return;
      int x = sdl.button.x, y = sdl.button.y;
      const int window = context.Aim(static_cast<int>(sdl.button.windowID), x, y);
      context.pointer.Release(window, x, y, out);
      return;
    }
    case SDL_WINDOWEVENT:
      if (!TranslateWindowEvent(context, sdl.window, event)) return;
      break;
    case SDL_QUIT:
      // SDL turns a compositor's death into a plain quit request: look at the connection.
      if (const SdlWindow* window = MadeWindow(context, false)) ExitIfDisplayLost(window->Native());
      event.type = Type::QuitRequest;
      break;
    case SDL_SYSWMEVENT:  // only the screens' changes pass the event filter
      if (std::exchange(context.screenChanged, false)) context.FollowScreen();
      return;
    case SDL_KEYDOWN:
      event.type = Type::KeyDown;
      event.window = static_cast<int>(sdl.key.windowID);
      context.keys.Read(sdl.key, event);
      break;
    case SDL_AUDIODEVICEREMOVED:
      if (!sdl.adevice.iscapture) context.audio.OnDeviceLost();
      return;
    default:
      if (sdl.type == context.audio.OpenedEventType()) {
        context.audio.OnOpenAttemptEnded();
        return;
      }
      if (sdl.type != context.audio.FinishedEventType()) return;
      context.audio.OnChannelFinished();
      event.type = Type::Wake;
      break;
  }
  out.push_back(event);
}

int FilterEvents(void* data, SDL_Event* event) {
  if (event->type != SDL_SYSWMEVENT && event->type != SDL_KEYDOWN) return 1;
  // Both come from reading the window system, on the main thread.
  auto* context = static_cast<Context*>(data);
  context->keys.Queued(*event);
  if (event->type != SDL_SYSWMEVENT) return 1;
  if (!context->screens.IsScreenChange(*event)) return 0;
  context->screenChanged = true;
  return 1;
}

}  // namespace host::sdl
