#include "host/controls.h"

#include "host/window.h"

namespace host {

void RectControl::Changed() {
  if (Window* w = OwnerWindow()) {
    w->MarkChanged();
    w->hoverStale_ = true;
  }
}

void RectControl::SetLeft(int v) {
  bounds_.left = v;
  Changed();
}
void RectControl::SetTop(int v) {
  bounds_.top = v;
  Changed();
}
void RectControl::SetWidth(int v) {
  bounds_.width = v;
  Changed();
}
void RectControl::SetHeight(int v) {
  bounds_.height = v;
  Changed();
}
void RectControl::SetBounds(const Rect& r) {
  bounds_ = r;
  Changed();
}

void RectControl::SetVisible(bool v) {
  if (visible_ == v) return;
  visible_ = v;
  Changed();
}

bool RectControl::EffectivelyVisible() const {
  for (const RectControl* c = this; c; c = c->parent_)
    if (!c->visible_) return false;
  return true;
}

void StaticText::SetText(std::string text) {
  text_ = std::move(text);
  Changed();
}

void StaticText::SetTextColor(Color c) {
  if (textColor_ == c) return;
  textColor_ = c;
  Changed();
}

}  // namespace host
