#include "host/application.h"

#include <cctype>
#include <cstdio>
#include <vector>

namespace host {

namespace {
Runtime* current = nullptr;
}

std::shared_ptr<host::ResourceFork> Application::ResourceFork() {
  if (!Runtime::Exists()) return nullptr;
  ResourceStore* store = Runtime::Current().Resources();
  if (!store) return nullptr;
  return std::make_shared<host::ResourceFork>(*store);
}

void FileType::Register() {
  if (registered_) return;
  Runtime::Current().RegisterFileType(*this);
  registered_ = true;
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
  timers_.clear();
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

void Runtime::Arm(Timer& timer) {
  timer.armedSeq_ = nextSeq_++;
  timers_.insert(QueueKey{timer.deadline_, timer.armedSeq_, &timer});
}

void Runtime::Disarm(Timer& timer) {
  if (timer.armedSeq_ == 0) return;
  timers_.erase(QueueKey{timer.deadline_, timer.armedSeq_, &timer});
  timer.armedSeq_ = 0;
}

Micros Runtime::NextDeadline() const {
  return timers_.empty() ? -1 : timers_.begin()->deadline;
}

void Runtime::FireDueTimers() {
  const Micros now = Now();
  // Only what is due at the start of the pass fires in it, each timer once: a period-0 timer
  // armed by a handler here waits for the next pass, after the frame has been presented.
  std::vector<QueueKey> due;
  for (const QueueKey& key : timers_) {
    if (key.deadline > now) break;
    due.push_back(key);
  }
  for (const QueueKey& key : due) {
    if (quitRequested_) return;
    Timer& timer = *key.timer;
    // A handler that ran earlier in this pass may have stopped or re-armed this timer.
    if (timer.armedSeq_ != key.seq) continue;
    Disarm(timer);
    if (timer.mode_ == 2) {
      // A fixed rate keeps a repeating timer on its schedule; after a stall it starts afresh
      // from now rather than firing a burst of late ticks.
      timer.deadline_ = key.deadline + static_cast<Micros>(timer.period_) * kMillis;
      if (timer.deadline_ <= now) timer.deadline_ = now + static_cast<Micros>(timer.period_) * kMillis;
      if (timer.period_ == 0) timer.deadline_ = now + 1;
      Arm(timer);
    } else {
      timer.mode_ = 0;
    }
    const Micros started = Now();
    if (timer.Action) Invoke([&] { timer.Action(timer); });
    if (timerObserver) timerObserver(timer, key.deadline, started);
  }
}

Window* Runtime::WindowWithNativeId(int id) const {
  for (const auto& w : windows_)
    if (w->Native() && w->Native()->Id() == id) return w.get();
  return nullptr;
}

void Runtime::HandleKey(const InputEvent& event) {
  if (!event.command || event.repeat || event.key == 0) return;
  // Shortcuts are written "Cmd+Q"; Cmd is the platform's command key, Ctrl here.
  const std::string shortcut =
      std::string("Cmd+") + static_cast<char>(std::toupper(static_cast<unsigned char>(event.key)));
  if (!app_ || !app_->MenuBar) return;
  auto item = app_->MenuBar->FindShortcut(shortcut);
  if (item && item->Enabled() && item->QuitsApplication()) Quit(0);
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
    case Type::QuitRequest:
      Quit(0);
      break;
    case Type::Expose:
      if (Window* w = WindowWithNativeId(event.window)) w->MarkChanged();
      break;
    case Type::Wake:
      break;
  }
}

void Runtime::PresentChanged() {
  for (const auto& w : windows_) {
    w->RefreshHover();
    if (w->TakeChanged() && w->Visible() && w->Native()) {
      w->Native()->Present(w->View());
      if (presentObserver) presentObserver(*w);
    }
  }
}

void Runtime::RunPass() {
  InputEvent event;
  while (!quitRequested_ && backend_.PollEvent(event)) Dispatch(event);
  if (!quitRequested_) FireDueTimers();
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
  quitRequested_ = true;
  quitStatus_ = status;
  exitStatus_ = exitStatus_ != 0 ? exitStatus_ : status;
}

void Runtime::HandleUnhandledException(std::exception_ptr error) {
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

void Quit(int status) { Runtime::Current().Quit(status); }

void ShowURL(const std::string& url) { Runtime::Current().GetBackend().OpenURL(url); }

std::shared_ptr<Screen> GetScreen(int index) {
  if (index != 0) return nullptr;
  return std::make_shared<Screen>(Runtime::Current().GetBackend().MainScreenSize());
}

}  // namespace host
