#pragma once

#include <memory>
#include <string>

#include "host/menu.h"
#include "host/resources.h"
#include "host/types.h"

namespace host {

// The application object. The program derives its own and registers it with the runtime.
class Application {
 public:
  virtual ~Application() = default;

  std::shared_ptr<host::MenuBar> MenuBar;

  // The application's own resources, or nil when it has none.
  std::shared_ptr<host::ResourceFork> ResourceFork();
};

// A document type made known to the system.
class FileType {
 public:
  std::string Name;
  std::string Extensions;
  std::string MacType;
  std::string MacCreator;

  // Hands the type to the runtime once; a second call does nothing.
  void Register();
  bool Registered() const { return registered_; }

 private:
  bool registered_ = false;
};

struct RegisteredFileType {
  std::string name, creator, type, extensions;
};

// Globals of the framework, acting on the current runtime.
void Quit(int status = 0);
// The registered application object, or nil.
std::shared_ptr<Application> CurrentApplication();
void ShowURL(const std::string& url);
// Whether the desktop asks programs for less animation (false where it cannot say).
bool DesktopPrefersReducedMotion();

class Screen {
 public:
  int Width() const { return size_.width; }
  int Height() const { return size_.height; }
  explicit Screen(Size size) : size_(size) {}

 private:
  Size size_;
};
// Screen 0 is the main screen; any other number gives nil.
std::shared_ptr<host::Screen> GetScreen(int index);

}  // namespace host
