#pragma once

#include <climits>
#include <cstdint>
#include <functional>
#include <string>

#include "host/types.h"

namespace host {

class Window;

// Anything placed on a window under a name. The window owns its controls; the back-pointer
// to the window is a plain pointer, so nothing keeps a closed window alive.
class Control {
 public:
  virtual ~Control() = default;

  const std::string& Name() const { return name_; }
  Window* OwnerWindow() const { return window_; }

  std::int32_t Index = INT32_MIN;  // the lowest int32 means "no index"
  int TabPanelIndex = 0;

 private:
  friend class Window;
  std::string name_;
  Window* window_ = nullptr;
};

// A control with a rectangle on the window. Coordinates are window coordinates, also for a
// control whose parent is another control: the parent decides stacking and enter/exit, not
// the origin.
class RectControl : public Control {
 public:
  int Left() const { return bounds_.left; }
  int Top() const { return bounds_.top; }
  int Width() const { return bounds_.width; }
  int Height() const { return bounds_.height; }
  const Rect& Bounds() const { return bounds_; }
  void SetLeft(int v);
  void SetTop(int v);
  void SetWidth(int v);
  void SetHeight(int v);
  void SetBounds(const Rect& r);

  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) { enabled_ = v; }

  // Shown on screen: visible itself and every parent visible.
  bool EffectivelyVisible() const;

  RectControl* Parent() const { return parent_; }
  void SetParent(RectControl* parent) { parent_ = parent; }

  // A locked edge keeps its distance from the same edge of the window when the window is
  // given a size other than its designed one.
  bool LockLeft = false, LockTop = false, LockRight = false, LockBottom = false;
  bool AutoDeactivate = true;
  std::string HelpTag;

  // Events, wired by the window that owns the control. MouseDown returns true to claim the
  // press; only a claimed press is followed by MouseUp, wherever the button is released.
  std::function<void()> MouseEnter;
  std::function<void()> MouseExit;
  std::function<bool(int x, int y)> MouseDown;
  std::function<void(int x, int y)> MouseUp;

 protected:
  void Changed();  // something the window shows changed

 private:
  Rect bounds_;
  bool visible_ = true;
  bool enabled_ = true;
  RectControl* parent_ = nullptr;
};

// A rectangle that draws nothing of its own: here always an invisible mouse area.
class Canvas : public RectControl {
 public:
  bool AcceptFocus = false, AcceptTabs = false, UseFocusRing = true, EraseBackground = true;
};

class StaticText : public RectControl {
 public:
  const std::string& Text() const { return text_; }
  void SetText(std::string text);
  Color TextColor() const { return textColor_; }
  void SetTextColor(Color c);

  std::string TextFont = "System";
  int TextSize = 12;
  int TextAlign = 0;  // 0 left, 1 centre, 2 right
  bool Bold = false, Italic = false, Underline = false, MultiLine = false;
  std::string DataSource, DataField;

 private:
  std::string text_;
  Color textColor_;
};

}  // namespace host
