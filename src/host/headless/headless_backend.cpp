#include "host/headless/headless_backend.h"

#include <algorithm>
#include <string>

namespace host::headless {

namespace {

class HeadlessSound final : public NativeSound {
 public:
  HeadlessSound(std::vector<SoundEvent>& log, std::vector<std::string>& released, Backend& clock,
                int id)
      : log_(log), released_(released), clock_(clock), id_(id) {}
  ~HeadlessSound() override { released_.push_back("sound " + std::to_string(id_)); }
  void Play() override { log_.push_back({clock_.Now(), SoundEvent::Kind::Play, id_}); }
  void Stop() override { log_.push_back({clock_.Now(), SoundEvent::Kind::Stop, id_}); }

 private:
  std::vector<SoundEvent>& log_;
  std::vector<std::string>& released_;
  Backend& clock_;
  int id_;
};

// Removes itself from the backend's list when the host closes it.
class OwnedWindow final : public NativeWindow {
 public:
  OwnedWindow(HeadlessBackend& backend, std::unique_ptr<HeadlessWindow> window,
              void (*forget)(HeadlessBackend&, HeadlessWindow*))
      : backend_(backend), window_(std::move(window)), forget_(forget) {}
  ~OwnedWindow() override { forget_(backend_, window_.get()); }
  int Id() const override { return window_->Id(); }
  void Show() override { window_->Show(); }
  void Hide() override { window_->Hide(); }
  void Present(const WindowView& view) override { window_->Present(view); }
  void SetCursor(CursorKind cursor) override { window_->SetCursor(cursor); }
  void Focus() override { window_->Focus(); }

 private:
  HeadlessBackend& backend_;
  std::unique_ptr<HeadlessWindow> window_;
  void (*forget_)(HeadlessBackend&, HeadlessWindow*);
};

}  // namespace

void HeadlessWindow::Show() {
  shown_ = true;
  ++showCount_;
  backend_.SetFocusedId(id_);
}

void HeadlessWindow::Hide() {
  shown_ = false;
  if (backend_.focused_ != id_) return;
  std::erase(backend_.focusHistory_, id_);
  int next = 0;
  for (int id : backend_.focusHistory_) {
    for (const HeadlessWindow* w : backend_.windows_)
      if (w->Id() == id && w->Shown()) next = id;
  }
  backend_.SetFocusedId(next);
}

void HeadlessWindow::Focus() { backend_.SetFocusedId(id_); }

void HeadlessBackend::SetFocusedId(int id) {
  focused_ = id;
  if (id == 0) return;
  std::erase(focusHistory_, id);
  focusHistory_.push_back(id);
}

void HeadlessWindow::Present(const WindowView& view) {
  frames_.push_back(Frame{backend_.Now(), view});
}

const WindowView& HeadlessWindow::Showing() const {
  static const WindowView empty;
  return frames_.empty() ? empty : frames_.back().view;
}

bool HeadlessBackend::WaitEvent(Micros deadline, InputEvent& event) {
  if (PollEvent(event)) return true;
  if (deadline >= 0) {
    WakeAt(deadline);
    return false;
  }
  event = InputEvent{};
  event.type = InputEvent::Type::QuitRequest;
  return true;
}

bool HeadlessBackend::PollEvent(InputEvent& event) {
  if (input_.empty()) return false;
  event = input_.front();
  input_.pop_front();
  return true;
}

std::unique_ptr<NativeWindow> HeadlessBackend::CreateNativeWindow(const NativeWindowSpec& spec) {
  auto window = std::make_unique<HeadlessWindow>(*this, nextId_++, spec);
  windows_.push_back(window.get());
  return std::make_unique<OwnedWindow>(*this, std::move(window),
                                       [](HeadlessBackend& b, HeadlessWindow* w) { b.Forget(w); });
}

void HeadlessBackend::Forget(HeadlessWindow* window) {
  released_.push_back("window " + std::to_string(window->Id()));
  std::erase(focusHistory_, window->Id());
  if (focused_ == window->Id()) focused_ = 0;
  windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
}

std::unique_ptr<NativeSound> HeadlessBackend::CreateSound(std::shared_ptr<const SoundData> data) {
  return std::make_unique<HeadlessSound>(sounds_, released_, *this, data ? data->ResourceId() : 0);
}

HeadlessWindow* HeadlessBackend::NativeFor(const Window& window) const {
  if (!window.Native()) return nullptr;
  for (HeadlessWindow* w : windows_)
    if (w->Id() == window.Native()->Id()) return w;
  return nullptr;
}

int Driver::IdOf(const Window& window) const { return window.Native() ? window.Native()->Id() : 0; }

void Driver::Send(const InputEvent& event) {
  backend_.Push(event);
  runtime_.RunPass();
}

void Driver::SendPointer(InputEvent::Type type, const Window& window, int x, int y) {
  InputEvent e;
  e.type = type;
  e.window = IdOf(window);
  e.x = x;
  e.y = y;
  Send(e);
}

void Driver::MoveTo(const Window& window, int x, int y) {
  SendPointer(InputEvent::Type::MouseMove, window, x, y);
}

void Driver::Leave(const Window& window) {
  InputEvent e;
  e.type = InputEvent::Type::MouseLeave;
  e.window = IdOf(window);
  Send(e);
}

void Driver::Press(const Window& window, int x, int y) {
  SendPointer(InputEvent::Type::MouseDown, window, x, y);
}

void Driver::Release(const Window& window, int x, int y) {
  SendPointer(InputEvent::Type::MouseUp, window, x, y);
}

void Driver::Click(const Window& window, int x, int y) {
  MoveTo(window, x, y);
  Press(window, x, y);
  Release(window, x, y);
}

void Driver::Key(char key, bool command) {
  InputEvent e;
  e.key = key;
  e.command = command;
  KeyToFocus(e);
}

void Driver::Key(InputEvent::Special key, bool repeat) {
  InputEvent e;
  e.special = key;
  e.repeat = repeat;
  KeyToFocus(e);
}

void Driver::KeyToFocus(InputEvent key) {
  if (backend_.FocusedId() == 0) return;  // another program has the keyboard
  key.type = InputEvent::Type::KeyDown;
  key.window = backend_.FocusedId();
  Send(key);
}

void Driver::Advance(double ms) {
  const Micros target = backend_.Now() + static_cast<Micros>(ms * kMillis);
  for (;;) {
    if (runtime_.QuitRequested()) return;
    const Micros next = runtime_.NextDeadline();
    if (next < 0 || next > target) break;
    backend_.WakeAt(next);
    runtime_.RunPass();
  }
  backend_.SetNow(std::max(backend_.Now(), target));
  runtime_.RunPass();
}

}  // namespace host::headless
