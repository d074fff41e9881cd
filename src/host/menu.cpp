#include "host/menu.h"

namespace host {

std::shared_ptr<MenuItem> MenuItem::Child(const std::string& name) const {
  for (const auto& child : children_)
    if (child->Name == name) return child;
  return nullptr;
}

std::shared_ptr<MenuItem> MenuItem::FindItem(const std::string& name) const {
  for (const auto& child : children_) {
    if (child->Name == name) return child;
    if (auto found = child->FindItem(name)) return found;
  }
  return nullptr;
}

std::shared_ptr<MenuItem> MenuItem::FindShortcut(const std::string& shortcut) const {
  for (const auto& child : children_) {
    if (!shortcut.empty() && child->KeyboardShortcut == shortcut) return child;
    if (auto found = child->FindShortcut(shortcut)) return found;
  }
  return nullptr;
}

}  // namespace host
