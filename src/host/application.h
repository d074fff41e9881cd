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

// A screen's size in window coordinates, and in its own pixels, which a desktop that scales its
// screens has more of. Pictures meant to be sharp are made for the pixels; the pointer and the
// controls are in window coordinates.
class Screen {
 public:
  int Width() const { return size_.width; }
  int Height() const { return size_.height; }
  int PixelWidth() const { return pixels_.width; }
  int PixelHeight() const { return pixels_.height; }
  explicit Screen(Size size) : size_(size), pixels_(size) {}
  Screen(Size size, Size pixels) : size_(size), pixels_(pixels) {}

  // The rectangle in window coordinates that covers `pixels`, a rectangle of the screen's own
  // pixels: from the last point at or before its left and top to the first at or after its right
  // and bottom, so that whatever is drawn there can be hit.
  Rect FromPixels(const Rect& pixels) const;

 private:
  Size size_;
  Size pixels_;
};
// Screen 0 is the main screen; any other number gives nil.
std::shared_ptr<host::Screen> GetScreen(int index);

}  // namespace host
