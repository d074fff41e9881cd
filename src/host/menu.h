#pragma once

#include <memory>
#include <string>
#include <vector>

namespace host {

// A menu item, a menu (an item with children) or a menu bar. Text "-" is a separator; "&"
// marks the mnemonic. KeyboardShortcut is written "Cmd+Q"; Cmd is the platform's command
// key, Ctrl on Linux.
class MenuItem {
 public:
  virtual ~MenuItem() = default;

  std::string Name;
  std::string Text;
  std::string KeyboardShortcut;
  bool AutoEnable = false;

  void Append(std::shared_ptr<MenuItem> item) { children_.push_back(std::move(item)); }
  // A direct child by name, or nil.
  std::shared_ptr<MenuItem> Child(const std::string& name) const;
  // Any item below this one by name, searched depth first in menu order, or nil.
  std::shared_ptr<MenuItem> FindItem(const std::string& name) const;
  // Any item below this one whose shortcut is `shortcut`, or nil.
  std::shared_ptr<MenuItem> FindShortcut(const std::string& shortcut) const;
  const std::vector<std::shared_ptr<MenuItem>>& Children() const { return children_; }

  // An item is enabled when it enables itself; no window here installs menu handlers.
  bool Enabled() const { return AutoEnable; }
  virtual bool QuitsApplication() const { return false; }

 private:
  std::vector<std::shared_ptr<MenuItem>> children_;
};

// Choosing it quits the application.
class QuitMenuItem : public MenuItem {
 public:
  bool QuitsApplication() const override { return true; }
};

class MenuBar : public MenuItem {};

}  // namespace host
