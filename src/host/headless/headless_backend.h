#pragma once

// A backend that lives in memory: a manual clock, scripted input, and a record of what every
// window showed and every sound did. Tests and benchmarks drive the real host core with it.

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "host/backend.h"
#include "host/runtime.h"

namespace host::headless {

class HeadlessBackend;

struct Frame {
  Micros time = 0;
  WindowView view;
};

class HeadlessWindow final : public NativeWindow {
 public:
  HeadlessWindow(HeadlessBackend& backend, int id, NativeWindowSpec spec)
      : backend_(backend), id_(id), spec_(std::move(spec)) {}

  int Id() const override { return id_; }
  // A window shown takes the keyboard focus, as desktops give it to a window that appears; a
  // window hidden gives it back to the one that had it before.
  void Show() override;
  void Hide() override;
  void Present(const WindowView& view) override;
  void SetCursor(CursorKind cursor) override { cursor_ = cursor; }
  void Focus() override;

  const NativeWindowSpec& Spec() const { return spec_; }
  bool Shown() const { return shown_; }
  int ShowCount() const { return showCount_; }
  CursorKind Cursor() const { return cursor_; }
  const std::vector<Frame>& Frames() const { return frames_; }
  // The last frame presented; empty view before the first.
  const WindowView& Showing() const;

 private:
  HeadlessBackend& backend_;
  int id_;
  NativeWindowSpec spec_;
  bool shown_ = false;
  int showCount_ = 0;
  CursorKind cursor_ = CursorKind::Arrow;
  std::vector<Frame> frames_;
};

struct SoundEvent {
  enum class Kind { Play, Stop };
  Micros time = 0;
  Kind kind = Kind::Play;
  int resourceId = 0;
  friend bool operator==(const SoundEvent&, const SoundEvent&) = default;
};

class HeadlessBackend final : public Backend {
 public:
  explicit HeadlessBackend(Size screen = Size{1920, 1080}) : screen_(screen) {}

  Size MainScreenSize() override { return screen_; }
  Rect MainScreenBounds() override {
    return Rect{screenOrigin_.left, screenOrigin_.top, screen_.width, screen_.height};
  }
  Size MainScreenPixels() override { return pixels_.width > 0 ? pixels_ : screen_; }
  Micros Now() override { return now_; }
  // With input queued, returns it; otherwise the clock jumps to the deadline. With neither,
  // the script has ended and the program is asked to quit, so a headless run never hangs.
  bool WaitEvent(Micros deadline, InputEvent& event) override;
  bool PollEvent(InputEvent& event) override;
  std::unique_ptr<NativeWindow> CreateNativeWindow(const NativeWindowSpec& spec) override;
  std::unique_ptr<NativeSound> CreateSound(std::shared_ptr<const SoundData> data) override;
  void OpenURL(const std::string& url) override { urls_.push_back(url); }
  bool PrefersReducedMotion() override { return reducedMotion_; }

  void SetScreen(Size screen) { screen_ = screen; }
  // A desktop that scales its screens: `pixels` behind the screen's size in points.
  void SetScreenPixels(Size pixels) { pixels_ = pixels; }
  // Where the main screen starts on a desktop of several monitors.
  void SetScreenOrigin(int left, int top) { screenOrigin_ = Rect{left, top, 0, 0}; }
  void SetNow(Micros now) { now_ = now; }
  // Wakes up for a deadline, as late as `wakeLateness` says for this wake-up.
  void WakeAt(Micros deadline) {
    now_ = std::max(now_, deadline + (wakeLateness ? wakeLateness() : 0));
  }
  // How late each wake-up for a deadline comes, drawn afresh every time, as on a busy machine;
  // none when unset.
  std::function<Micros()> wakeLateness;
  void SetPrefersReducedMotion(bool prefers) { reducedMotion_ = prefers; }
  void Push(const InputEvent& event) { input_.push_back(event); }

  const std::vector<HeadlessWindow*>& NativeWindows() const { return windows_; }
  HeadlessWindow* NativeFor(const Window& window) const;
  const std::vector<SoundEvent>& Sounds() const { return sounds_; }
  const std::vector<std::string>& Urls() const { return urls_; }
  // What the host let go of, in order: "sound <resource>", "window <id>".
  const std::vector<std::string>& Released() const { return released_; }
  // The native id of the window with the keyboard focus, 0 for none (another program has it).
  // Keys go to that window, as on a desktop.
  int FocusedId() const { return focused_; }
  void SetFocusedId(int id);

 private:
  friend class HeadlessWindow;
  friend class HeadlessSound;
  void Forget(HeadlessWindow* window);

  Size screen_;
  Size pixels_;  // none: the screen's size
  Rect screenOrigin_;
  Micros now_ = 0;
  int nextId_ = 1;
  int focused_ = 0;
  std::vector<int> focusHistory_;  // windows that had the focus, the latest last
  bool reducedMotion_ = false;
  std::deque<InputEvent> input_;
  std::vector<HeadlessWindow*> windows_;
  std::vector<SoundEvent> sounds_;
  std::vector<std::string> urls_;
  std::vector<std::string> released_;
};

// Scripted input and a manual clock for a runtime on the headless backend. Every call runs
// the loop until nothing more is due, as the real loop would.
class Driver {
 public:
  Driver(Runtime& runtime, HeadlessBackend& backend) : runtime_(runtime), backend_(backend) {}

  void MoveTo(const Window& window, int x, int y);
  void Leave(const Window& window);
  void Press(const Window& window, int x, int y);
  void Release(const Window& window, int x, int y);
  // Moves there, presses and releases.
  void Click(const Window& window, int x, int y);
  // A key pressed on the keyboard: it goes to the window with the focus, or nowhere of ours
  // when another program has it.
  void Key(char key, bool command = true);
  // A key that is no letter (Space, Escape ...), pressed or auto-repeated.
  void Key(InputEvent::Special key, bool repeat = false);
  void Send(const InputEvent& event);
  void SendPointer(InputEvent::Type type, const Window& window, int x, int y);
  // Lets `ms` milliseconds pass, firing every timer on its due time.
  void Advance(double ms);
  Micros NowMs() const { return backend_.Now() / kMillis; }

 private:
  int IdOf(const Window& window) const;
  // Sends the key to the window with the focus, if one of ours has it.
  void KeyToFocus(InputEvent key);
  Runtime& runtime_;
  HeadlessBackend& backend_;
};

}  // namespace host::headless
