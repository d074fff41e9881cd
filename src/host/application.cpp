#include "host/application.h"

#include <memory>
#include <string>

#include "host/runtime.h"

namespace host {

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

void Quit(int status) { Runtime::Current().Quit(status); }

std::shared_ptr<Application> CurrentApplication() {
  return Runtime::Exists() ? Runtime::Current().App() : nullptr;
}

void ShowURL(const std::string& url) { Runtime::Current().GetBackend().OpenURL(url); }

bool DesktopPrefersReducedMotion() {
  return Runtime::Current().GetBackend().PrefersReducedMotion();
}

std::shared_ptr<Screen> GetScreen(int index) {
  if (index != 0) return nullptr;
  Backend& backend = Runtime::Current().GetBackend();
  return std::make_shared<Screen>(backend.MainScreenSize(), backend.MainScreenPixels());
}

Rect Screen::FromPixels(const Rect& pixels) const {
  if (pixels_ == size_ || pixels_.width <= 0 || pixels_.height <= 0) return pixels;
  const auto down = [](long v, long points, long of) { return static_cast<int>(v * points / of); };
  const auto up = [](long v, long points, long of) {
    return static_cast<int>((v * points + of - 1) / of);
  };
  const int left = down(pixels.left, size_.width, pixels_.width);
  const int top = down(pixels.top, size_.height, pixels_.height);
  return Rect{left, top, up(pixels.left + pixels.width, size_.width, pixels_.width) - left,
              up(pixels.top + pixels.height, size_.height, pixels_.height) - top};
}

}  // namespace host
