#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/backend.h"
#include "host/controls.h"
#include "host/guard.h"
#include "host/icon.h"
#include "host/menu.h"
#include "host/picture.h"
#include "host/timer.h"
#include "host/types.h"

namespace host {

// What a window needs of the program around it, given when the window is made.
struct WindowContext {
  Backend* backend = nullptr;    // makes its native window
  TimerQueue* timers = nullptr;  // runs the timers placed on it
  ErrorLog* errors = nullptr;    // hears of its handlers' failures
  std::shared_ptr<const IconImage> icon;
};

// A window: its properties, its controls by name, what it shows, and the routing of the
// pointer among its controls. Subclasses fill in the construction hooks and the handlers.
//
// Every window is a plain box with no title bar, border or buttons, which the user can neither
// resize, zoom nor minimise: the only kind this program makes, so it is not a property.
class Window {
 public:
  Window();
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Properties set by Layout. Those that only matter when the window is made are plain. A
  // window that is not full screen is centred on the main screen.
  std::shared_ptr<host::MenuBar> MenuBar;
  std::string Title;
  bool FullScreen = false;

  int Width() const { return size_.width; }
  int Height() const { return size_.height; }
  // The designed size. Once the window is on screen its size is final.
  void SetSize(int width, int height);

  bool HasBackColor() const { return hasBackColor_; }
  void SetHasBackColor(bool v);
  Color BackColor() const { return backColor_; }
  void SetBackColor(Color c);

  // The picture drawn at the top-left at its own size, or nil. Reading returns the very
  // object last set.
  const std::shared_ptr<Picture>& Backdrop() const { return backdrop_; }
  void SetBackdrop(std::shared_ptr<Picture> picture);

  CursorKind MouseCursor() const { return cursor_; }
  void SetMouseCursor(CursorKind cursor);

  bool Visible() const { return visible_; }
  // Before the window is made, sets whether it appears when made.
  void SetVisible(bool v);
  void Show();
  void Hide();

  // Adds a control under a name. Controls are kept in the order they are added, which is
  // also their stacking order among siblings: a later sibling lies on top of an earlier one.
  void AddControl(const std::string& name, std::shared_ptr<Control> control);
  // The control of that name, or nil.
  std::shared_ptr<Control> ControlNamed(const std::string& name) const;
  template <class T>
  std::shared_ptr<T> Find(const std::string& name) const {
    return std::dynamic_pointer_cast<T>(ControlNamed(name));
  }
  const std::vector<std::shared_ptr<Control>>& Controls() const { return controls_; }

  // Pointer input in window coordinates, as the event loop routes it.
  void PointerMoved(int x, int y);
  void PointerLeft();
  void PointerPressed(int x, int y);
  void PointerReleased(int x, int y);

  // What the window's properties show now (before AdjustView).
  WindowView View() const;
  NativeWindow* Native() const { return native_.get(); }

  // The control under the point that takes the mouse: visible, children on top of their
  // parent, later siblings on top of earlier ones. Nil over the background.
  RectControl* HitTest(int x, int y) const;
  RectControl* Hovered() const { return hovered_; }

  // The window's class, as its handlers' failures are reported: "Window1".
  const std::string& ClassName() const;

 protected:
  // Construction hooks, in the order they are raised while the window is made.
  virtual void Layout() {}
  virtual void CreateControls() {}
  virtual void AddMenuHandlers() {}
  virtual void Event_Open() {}
  // The window's own press and release on its background. Unclaimed by default.
  virtual bool Event_MouseDown(int x, int y);
  virtual void Event_MouseUp(int x, int y);
  // A key pressed while the window has the keyboard focus, after the menu shortcuts had their
  // go. Auto-repeated presses come too, marked as such. Returns whether the window had a use for
  // it; a key the window with the focus leaves goes to the application's main window. None by
  // default.
  virtual bool Event_KeyDown(const InputEvent& key);

  // For a window whose picture depends on more than its properties (on its timers, on time
  // passing): adjusts the view about to be shown and returns when it must be made again, for the
  // next step of an animation, or a negative time when only a handler can change it. Such a
  // window says so with AdjustsView; the loop then makes its view after every pass and shows it
  // when it differs from the last one shown.
  virtual bool AdjustsView() const { return false; }
  virtual Micros AdjustView(WindowView& view, Micros now) const;

 private:
  friend class Runtime;
  friend class RectControl;

  // Raises the construction hooks, makes the native window and raises Open.
  void Build(WindowContext context);
  void Realise();
  // Runs a handler of this window or of one of its controls; `place` names it.
  void Run(const std::string& place, const std::function<void()>& handler);
  bool RunClaim(const std::string& place, const std::function<bool()>& handler);
  std::string Place(const Control& control, const char* event) const;
  ErrorLog& Errors() const;
  void ApplyLocks(int dx, int dy);
  // The window system gave the window a new size (the screen under a full-screen window
  // changed): the controls locked to its edges follow them.
  void Resized(Size size);
  void MarkChanged() { changed_ = true; }
  void HoverTo(RectControl* target);
  // After anything moved, appeared or vanished under a still pointer.
  void RefreshHover();
  // Lets go of a press whose control was hidden or disabled; true if it did.
  bool DropLostPress();
  bool TakeChanged();
  // The view to show, adjusted; sets redrawAt_.
  WindowView ViewToShow(Micros now);

  WindowContext context_;
  mutable std::string className_;
  Size size_{100, 100};
  bool hasBackColor_ = false;
  Color backColor_{255, 255, 255};
  std::shared_ptr<Picture> backdrop_;
  CursorKind cursor_ = CursorKind::Arrow;
  bool visible_ = true;
  bool built_ = false;
  bool changed_ = true;
  bool hoverStale_ = false;
  Micros redrawAt_ = -1;  // when AdjustView wants to be asked again
  WindowView lastShown_;

  std::vector<std::shared_ptr<Control>> controls_;
  std::unique_ptr<NativeWindow> native_;

  bool pointerInside_ = false;
  int pointerX_ = 0, pointerY_ = 0;
  RectControl* hovered_ = nullptr;     // deepest control under the pointer
  std::vector<RectControl*> entered_;  // it and its parents, outermost first
  RectControl* pressed_ = nullptr;     // the control that claimed the press
  bool backgroundPressed_ = false;
};

}  // namespace host
