#include "host/runtime.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "host/test_report.h"

namespace host {

namespace {
Runtime* current = nullptr;
}

Runtime::Runtime(Backend& backend, const ResourceTable* resources)
    : backend_(backend), previous_(current) {
  if (resources) resources_ = std::make_unique<ResourceStore>(*resources, backend);
  current = this;
}

Runtime::~Runtime() {
  // Windows and their timers go first, while this runtime is still the current one.
  implicit_.clear();
  windows_.clear();
  app_.reset();
  current = previous_;
}

Runtime& Runtime::Current() {
  if (!current) throw NilObjectError();
  return *current;
}

bool Runtime::Exists() { return current != nullptr; }

void Runtime::RegisterFileType(const FileType& type) {
  fileTypes_.push_back(
      RegisteredFileType{type.Name, type.MacCreator, type.MacType, type.Extensions});
}

Micros Runtime::NextDeadline() const {
  // A window whose view changes with time (a fade) wants to be looked at again on its own.
  Micros next = timers_.NextDeadline();
  for (const auto& w : windows_) {
    if (w->redrawAt_ >= 0 && w->Visible() && (next < 0 || w->redrawAt_ < next)) next = w->redrawAt_;
  }
  return next;
}

Window* Runtime::WindowWithNativeId(int id) const {
  for (const auto& w : windows_)
    if (w->Native() && w->Native()->Id() == id) return w.get();
  return nullptr;
}

void Runtime::HandleKey(const InputEvent& event) {
  // A shortcut is pressed with exactly its own modifiers: Ctrl+Shift+Q is not Ctrl+Q.
  if (!event.repeat && event.key != 0 && !event.other && app_ && app_->MenuBar) {
    auto item = app_->MenuBar->FindShortcut(
        KeyShortcut{event.key, event.command, event.shift, event.option});
    if (item && item->Enabled()) {
      if (item->QuitsApplication()) Quit(0);
      return;
    }
  }
  // Otherwise the window with the focus hears it; a platform that names none means the first.
  // A window that has no use for the key (a box of credits that took the focus as it appeared,
  // on a platform where it is a window of its own) leaves it to the main window, the first one
  // made: the program's keys work whichever of its windows has the focus.
  Window* main = windows_.empty() ? nullptr : windows_.front().get();
  Window* w = WindowWithNativeId(event.window);
  if (!w) w = main;
  bool used = false;
  if (w) w->Run(w->ClassName() + ".Event_KeyDown", [&] { used = w->Event_KeyDown(event); });
  if (!used && main && w != main && !quitRequested_)
    main->Run(main->ClassName() + ".Event_KeyDown", [&] { main->Event_KeyDown(event); });
}

void Runtime::Dispatch(const InputEvent& event) {
  using Type = InputEvent::Type;
  switch (event.type) {
    case Type::MouseMove:
      if (Window* w = WindowWithNativeId(event.window)) w->PointerMoved(event.x, event.y);
      break;
    case Type::MouseDown:
      if (Window* w = WindowWithNativeId(event.window)) w->PointerPressed(event.x, event.y);
      break;
    case Type::MouseUp:
      if (Window* w = WindowWithNativeId(event.window)) w->PointerReleased(event.x, event.y);
      break;
    case Type::MouseLeave:
      if (Window* w = WindowWithNativeId(event.window)) w->PointerLeft();
      break;
    case Type::KeyDown:
      HandleKey(event);
      break;
    case Type::CloseRequest:
      CloseRequested(event.window);
      break;
    case Type::QuitRequest:
      Quit(0);
      break;
    case Type::Expose:
      if (Window* w = WindowWithNativeId(event.window)) w->MarkChanged();
      break;
    case Type::Resized:
      if (Window* w = WindowWithNativeId(event.window)) w->Resized(Size{event.x, event.y});
      break;
    case Type::Wake:
      break;
  }
}

void Runtime::CloseRequested(int nativeId) {
  // Closing the application's main window, the first one made, ends the program. Any other
  // window is only put away, as its own way of closing would: the program runs on.
  Window* w = WindowWithNativeId(nativeId);
  if (!w || windows_.empty() || w == windows_.front().get()) {
    Quit(0);
    return;
  }
  w->Hide();
}

void Runtime::PresentChanged() {
  for (const auto& w : windows_) {
    w->RefreshHover();
    const bool changed = w->TakeChanged();
    if (!w->Visible() || !w->Native() || !(changed || w->AdjustsView())) continue;
    WindowView view = w->ViewToShow(Now());
    if (w->AdjustsView()) {
      // Looked at after every pass: only a view that differs goes out.
      if (!changed && view == w->lastShown_) continue;
      w->lastShown_ = view;
    }
    w->Native()->Present(view);
    if (presentObserver) presentObserver(*w);
  }
}

void Runtime::RunPass() {
  InputEvent event;
  while (!quitRequested_ && backend_.PollEvent(event)) Dispatch(event);
  if (!quitRequested_) timers_.FireDue([this] { return quitRequested_; }, timerObserver);
  if (!quitRequested_) PresentChanged();
}

void Runtime::Run() {
  PresentChanged();
  while (!quitRequested_) {
    InputEvent event;
    if (backend_.WaitEvent(NextDeadline(), event)) Dispatch(event);
    RunPass();
  }
}

void Runtime::Quit(int status) {
  test_report::QuitRequested();
  quitRequested_ = true;
  quitStatus_ = status;
  exitStatus_ = exitStatus_ != 0 ? exitStatus_ : status;
}

void Runtime::HandleUnhandledException(const std::exception_ptr& error) {
  const char* what = "unknown error";
  std::string text;
  try {
    if (error) std::rethrow_exception(error);
  } catch (const std::exception& e) {
    text = e.what();
    what = text.c_str();
  } catch (...) {
  }
  std::fprintf(stderr, "lumorra: unhandled error: %s\n", what);
  exitStatus_ = 1;
}

}  // namespace host
