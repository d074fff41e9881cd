#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <typeindex>
#include <utility>
#include <vector>

#include "host/application.h"
#include "host/backend.h"
#include "host/resources.h"
#include "host/timer.h"
#include "host/types.h"
#include "host/window.h"

namespace host {

// The running host framework: the event loop, the timer queue, the open windows, the
// implicit window instances, the application object and its resources. Windows and timers get
// what they need of it when they are made; only the framework's globals (Quit, ShowURL, the
// screens, the implicit instances) reach the current one through Runtime::Current().
class Runtime {
 public:
  explicit Runtime(Backend& backend, const ResourceTable* resources = nullptr);
  ~Runtime();
  Runtime(const Runtime&) = delete;
  Runtime& operator=(const Runtime&) = delete;

  static Runtime& Current();
  static bool Exists();

  Backend& GetBackend() { return backend_; }
  Micros Now() { return backend_.Now(); }

  // Application object and file types.
  void RegisterApplication(std::shared_ptr<Application> app) { app_ = std::move(app); }
  const std::shared_ptr<Application>& App() const { return app_; }
  void RegisterFileType(const FileType& type);
  const std::vector<RegisteredFileType>& FileTypes() const { return fileTypes_; }
  ResourceStore* Resources() { return resources_.get(); }
  // The icon every window made from now on carries; nil leaves the platform's default.
  void SetIcon(std::shared_ptr<const IconImage> icon) { icon_ = std::move(icon); }
  const std::shared_ptr<const IconImage>& Icon() const { return icon_; }

  // The live implicit instance of a window class, made (and shown, if visible) on the first
  // request from `args`, which later requests leave unused. At most one exists per class.
  template <class T, class... Args>
  std::shared_ptr<T> ImplicitInstance(Args&&... args) {
    auto& slot = implicit_[std::type_index(typeid(T))];
    if (!slot) {
      auto window = std::make_shared<T>(std::forward<Args>(args)...);
      slot = window;
      windows_.push_back(window);
      window->Build(WindowContext{&backend_, &timers_, &errors_, icon_});
    }
    return std::static_pointer_cast<T>(slot);
  }
  const std::vector<std::shared_ptr<Window>>& Windows() const { return windows_; }
  void ReleaseWindows() { windows_.clear(); }
  void ReleaseImplicitInstances() { implicit_.clear(); }

  // Runs the event loop until Quit. Blocks in the backend until input or the next timer
  // deadline; with no timer armed it waits for input alone and uses no CPU.
  void Run();
  // Ends the event loop after the current handler.
  void Quit(int status = 0);
  bool QuitRequested() const { return quitRequested_; }

  // One pass of the loop without blocking: the input that is waiting, the timers that are
  // due (each at most once), then every window that changed is presented.
  void RunPass();
  // Handles one input event (used by the loop and by scripted input).
  void Dispatch(const InputEvent& event);
  // The earliest timer deadline or window redraw, or a negative value when there is none.
  Micros NextDeadline() const;

  // Exceptions that escape start-up or the loop: one line on stderr, and the exit status
  // becomes non-zero so that a failure is never reported as success.
  void HandleUnhandledException(const std::exception_ptr& error);
  int ExitStatus() const { return exitStatus_; }

  // Called after every timer Action with its due time and the time it started (benchmarks).
  std::function<void(const Timer&, Micros due, Micros ran)> timerObserver;
  // Called after a window was presented (benchmarks).
  std::function<void(const Window&)> presentObserver;

 private:
  void PresentChanged();
  Window* WindowWithNativeId(int id) const;
  void HandleKey(const InputEvent& event);
  void CloseRequested(int nativeId);

  Backend& backend_;
  std::unique_ptr<ResourceStore> resources_;
  std::shared_ptr<const IconImage> icon_;
  std::shared_ptr<Application> app_;
  ErrorLog errors_;
  TimerQueue timers_{backend_, errors_};
  std::vector<RegisteredFileType> fileTypes_;
  std::map<std::type_index, std::shared_ptr<Window>> implicit_;
  std::vector<std::shared_ptr<Window>> windows_;
  bool quitRequested_ = false;
  int quitStatus_ = 0;
  int exitStatus_ = 0;
  Runtime* previous_ = nullptr;
};

// The live implicit instance of a window class in the current runtime, made on first request.
template <class T, class... Args>
std::shared_ptr<T> ImplicitInstance(Args&&... args) {
  return Runtime::Current().ImplicitInstance<T>(std::forward<Args>(args)...);
}

}  // namespace host
