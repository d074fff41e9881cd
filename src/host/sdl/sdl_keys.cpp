#include "host/sdl/sdl_keys.h"

#include <SDL_syswm.h>

#include <vector>

#include "host/keys.h"
#include "host/sdl/x_library.h"

namespace host::sdl {

namespace {

#ifdef __APPLE__
constexpr Uint16 kCommandModifier = KMOD_GUI;
constexpr Uint16 kOtherModifiers = KMOD_CTRL | KMOD_MODE;
#else
constexpr Uint16 kCommandModifier = KMOD_CTRL;
constexpr Uint16 kOtherModifiers = KMOD_GUI | KMOD_MODE;
#endif

// An X keyboard has at most four layouts ("groups"); the one in use is in bits 13 and 14 of a
// key event's state.
constexpr int kMaxLayouts = 4;
constexpr unsigned LayoutOfState(unsigned state) { return (state >> 13) & 3; }

char UsLetter(SDL_Scancode scancode) {
  // Scancodes name positions on a US keyboard.
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
    return static_cast<char>('a' + (scancode - SDL_SCANCODE_A));
  return 0;
}

// SDL names a key that types a character by its code point and any other key by its scancode
// with a flag; X key symbols are Latin-1 code points up to 0xff and Unicode code points above
// 0x1000000.
KeySym KeySymOf(SDL_Keycode sym) {
  if (sym <= 0 || (sym & SDLK_SCANCODE_MASK) != 0) return 0;
  const auto point = static_cast<KeySym>(sym);
  return point <= 0xff ? point : 0x1000000 + point;
}

// What a key that is no letter is to the core; a modifier on its own is no key at all.
InputEvent::Special SpecialKey(SDL_Keycode symbol, SDL_Scancode scancode) {
  using Special = InputEvent::Special;
  if (symbol == SDLK_SPACE) return Special::Space;
  if (symbol == SDLK_RETURN || symbol == SDLK_KP_ENTER) return Special::Return;
  if (symbol == SDLK_ESCAPE) return Special::Escape;
  const bool modifier = (scancode >= SDL_SCANCODE_LCTRL && scancode <= SDL_SCANCODE_RGUI) ||
                        scancode == SDL_SCANCODE_MODE || scancode == SDL_SCANCODE_CAPSLOCK ||
                        scancode == SDL_SCANCODE_NUMLOCKCLEAR || scancode == SDL_SCANCODE_UNKNOWN;
  return modifier ? Special::Nothing : Special::Other;
}

}  // namespace

void KeyReader::Start() { SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE); }

void KeyReader::Queued(const SDL_Event& event) {
  if (event.type == SDL_KEYDOWN) {
    // More than a screenful of presses queued and never read means they are being dropped.
    constexpr std::size_t kMostQueued = 256;
    if (queued_.size() >= kMostQueued) queued_.pop_front();
    queued_.push_back(pending_);
    pending_ = RawPress{};
    return;
  }
  if (event.type != SDL_SYSWMEVENT || !event.syswm.msg) return;
  // Any other raw event in between means SDL made no press of that one.
  pending_ = RawPress{};
#if defined(SDL_VIDEO_DRIVER_X11)
  const SDL_SysWMmsg& message = *event.syswm.msg;
  if (message.subsystem != SDL_SYSWM_X11 || message.msg.x11.event.type != KeyPress) return;
  const XKeyEvent& key = message.msg.x11.event.xkey;
  pending_ = RawPress{true, key.display, key.keycode, key.state};
#endif
}

void KeyReader::Read(const SDL_KeyboardEvent& key, InputEvent& event) {
  const Uint16 mod = key.keysym.mod;
  event.command = (mod & kCommandModifier) != 0;
  event.shift = (mod & KMOD_SHIFT) != 0;
  event.option = (mod & KMOD_ALT) != 0;
  event.other = (mod & kOtherModifiers) != 0;
  event.repeat = key.repeat != 0;

  // SDL's own view: its symbol, as an X key symbol.
  std::vector<KeySym> symbols{KeySymOf(key.keysym.sym)};
  int active = 0;
  RawPress raw;
  if (!queued_.empty()) {
    raw = queued_.front();
    queued_.pop_front();
  }
#if defined(SDL_VIDEO_DRIVER_X11)
  if (raw.known) {
    using KeycodeToKeysym = KeySym (*)(Display*, KeyCode, int, int);
    static const auto keysymOf = XFunction<KeycodeToKeysym>("XkbKeycodeToKeysym");
    if (keysymOf) {
      symbols.clear();
      // Level 0 is the key's unshifted symbol; a layout the key lacks gives no symbol.
      for (int layout = 0; layout < kMaxLayouts; ++layout) {
        symbols.push_back(keysymOf(static_cast<Display*>(raw.display),
                                   static_cast<KeyCode>(raw.keycode), layout, 0));
      }
      active = static_cast<int>(LayoutOfState(raw.state));
    }
  }
#endif
  event.key = ShortcutLetter(symbols, active, UsLetter(key.keysym.scancode));
  if (!event.key) event.special = SpecialKey(key.keysym.sym, key.keysym.scancode);
}

}  // namespace host::sdl
