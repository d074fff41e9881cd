#pragma once

#include <memory>
#include <string>
#include <vector>

namespace host {

// A keyboard shortcut: its letter (lowercase) and exactly the modifiers it is pressed with.
// Written "Cmd+Q", "Cmd+Shift+Z"; Cmd is the platform's command key, Alt also reads "Option".
struct KeyShortcut {
  char key = 0;  // 0: no shortcut
  bool command = false, shift = false, option = false;
  friend bool operator==(const KeyShortcut&, const KeyShortcut&) = default;
};
// The shortcut a text names; key 0 for an empty text or one that names no letter shortcut.
KeyShortcut ParseShortcut(const std::string& text);

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
  // Any item below this one whose shortcut is `pressed`, modifiers and all, or nil.
  std::shared_ptr<MenuItem> FindShortcut(const KeyShortcut& pressed) const;
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
