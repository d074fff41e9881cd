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
  return std::make_shared<Screen>(Runtime::Current().GetBackend().MainScreenSize());
}

}  // namespace host
