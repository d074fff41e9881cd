#pragma once

// The seam between the host core and the platform. The core decides all behaviour (event
// routing, timers, what a window shows); a backend only carries it out: it opens native
// windows, draws a finished view, reads input, plays sound and tells the time. One backend
// runs on SDL2, another in memory with a manual clock for tests and benchmarks.

#include <memory>
#include <string>
#include <vector>

#include "host/icon.h"
#include "host/picture.h"
#include "host/sound.h"
#include "host/types.h"

namespace host {

enum class CursorKind { Arrow, HandOpen };

// Input, already translated out of the platform's terms. Coordinates are window pixels.
struct InputEvent {
  enum class Type {
    MouseMove,     // pointer moved to (x, y) in `window`
    MouseDown,     // primary button pressed at (x, y)
    MouseUp,       // primary button released at (x, y), reported to the window that saw the press
    MouseLeave,    // pointer left `window`
    KeyDown,       // `key` (a lowercase Latin letter or 0) or `special`, with the modifiers held
    CloseRequest,  // the window manager asked `window` to close
    QuitRequest,   // the session or a signal asked the program to end
    Expose,        // `window` lost its pixels and must be drawn again
    Resized,       // `window` is now x wide and y high (the window system resized it)
    Wake,          // nothing to do; the backend needed the loop to run a pass
  };
  Type type = Type::Wake;
  int window = 0;
  int x = 0, y = 0;
  char key = 0;
  // The keys that are not letters, as far as the core tells them apart. A modifier pressed on
  // its own is no key at all: Nothing with `key` 0. (Not "None", which X11 defines as a macro.)
  enum class Special { Nothing, Space, Return, Escape, Other };
  Special special = Special::Nothing;
  bool command = false;  // the platform's command key: Ctrl, or Cmd on macOS
  bool shift = false;
  bool option = false;  // Alt, or Option on macOS
  bool other = false;   // any further modifier (Super, AltGr, Ctrl on macOS)
  bool repeat = false;
};

// A label as it is drawn.
struct LabelView {
  Rect rect;
  std::string text;  // '\r' or '\n' breaks lines when multiLine is set
  std::string font;
  int size = 12;
  Color color;
  int align = 0;  // 0 left, 1 centre, 2 right
  bool multiLine = false, bold = false, italic = false, underline = false;
  friend bool operator==(const LabelView&, const LabelView&) = default;
};

// Everything a window shows: its back colour, its backdrop at the top-left at its own size,
// and its visible labels from bottom to top.
struct WindowView {
  Size size;
  bool hasBackColor = false;
  Color backColor;
  std::shared_ptr<Picture> backdrop;
  // How bright the backdrop is drawn: 255 as it is, down to 0 for black. A fade is a few views
  // that differ only in this, so the backend draws each from the one picture it already has.
  int brightness = kFullBrightness;
  std::vector<LabelView> labels;
  static constexpr int kFullBrightness = 255;
  friend bool operator==(const WindowView&, const WindowView&) = default;
};

struct NativeWindowSpec {
  std::string title;
  Rect rect;                // in screen coordinates
  bool fullScreen = false;  // covers the main screen, borderless
  bool keepAbove = false;   // a small box that must stay above the full-screen window
  // The icon task bars show for the window; nil leaves the platform's default.
  std::shared_ptr<const IconImage> icon;
};

class NativeWindow {
 public:
  virtual ~NativeWindow() = default;
  virtual int Id() const = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual void Present(const WindowView& view) = 0;
  virtual void SetCursor(CursorKind cursor) = 0;
  // Gives the window the keyboard focus, unless it has it already.
  virtual void Focus() {}
};

class NativeSound {
 public:
  virtual ~NativeSound() = default;
  virtual void Play() = 0;
  virtual void Stop() = 0;
};

class Backend {
 public:
  virtual ~Backend() = default;

  virtual Size MainScreenSize() = 0;
  // The main screen's place on the desktop: beside other monitors it need not start at 0,0.
  virtual Rect MainScreenBounds() {
    const Size size = MainScreenSize();
    return Rect{0, 0, size.width, size.height};
  }
  // The main screen's size in its own pixels. Window coordinates (the sizes above, and where the
  // pointer is) are the screen's pixels on most desktops, but a desktop that scales its screens
  // (Wayland's output scale: 2 on most HiDPI laptops, or 1.5) gives programs a smaller size in
  // points and has more pixels behind each. Known for sure once a full-screen window is on it.
  virtual Size MainScreenPixels() { return MainScreenSize(); }
  virtual Micros Now() = 0;

  // Blocks until input arrives or the clock reaches `deadline` (no deadline when negative).
  // Returns false when the deadline passed with no input.
  virtual bool WaitEvent(Micros deadline, InputEvent& event) = 0;
  virtual bool PollEvent(InputEvent& event) = 0;

  virtual std::unique_ptr<NativeWindow> CreateNativeWindow(const NativeWindowSpec& spec) = 0;
  virtual std::unique_ptr<NativeSound> CreateSound(std::shared_ptr<const SoundData> data) = 0;
  virtual void OpenURL(const std::string& url) = 0;

  // Whether the desktop asks programs to keep animation to a minimum (a setting for people whom
  // motion and flashing make unwell). False where the desktop does not say.
  virtual bool PrefersReducedMotion() { return false; }
};

}  // namespace host
