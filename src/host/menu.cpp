#include "host/menu.h"

#include <cctype>

namespace host {

KeyShortcut ParseShortcut(const std::string& text) {
  KeyShortcut shortcut;
  std::size_t start = 0;
  for (;;) {
    const std::size_t plus = text.find('+', start);
    const std::string part = text.substr(start, plus == std::string::npos ? plus : plus - start);
    if (plus == std::string::npos) {
      if (part.size() != 1 || !std::isalpha(static_cast<unsigned char>(part[0]))) return {};
      shortcut.key = static_cast<char>(std::tolower(static_cast<unsigned char>(part[0])));
      return shortcut;
    }
    if (part == "Cmd")
      shortcut.command = true;
    else if (part == "Shift")
      shortcut.shift = true;
    else if (part == "Alt" || part == "Option")
      shortcut.option = true;
    else
      return {};
    start = plus + 1;
  }
}

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

std::shared_ptr<MenuItem> MenuItem::FindShortcut(const KeyShortcut& pressed) const {
  if (pressed.key == 0) return nullptr;
  for (const auto& child : children_) {
    if (ParseShortcut(child->KeyboardShortcut) == pressed) return child;
    if (auto found = child->FindShortcut(pressed)) return found;
  }
  return nullptr;
}

}  // namespace host
