#include "host/window.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <typeinfo>

#include "host/placement.h"

namespace host {

Window::Window() = default;

Window::~Window() {
  // Timers must leave the queue before the controls that own them go.
  controls_.clear();
}

void Window::SetSize(int width, int height) {
  if (built_) return;
  size_ = Size{width, height};
}

void Window::SetHasBackColor(bool v) {
  hasBackColor_ = v;
  MarkChanged();
}

void Window::SetBackColor(Color c) {
  backColor_ = c;
  MarkChanged();
}

void Window::SetBackdrop(std::shared_ptr<Picture> picture) {
  if (picture == backdrop_) return;
  backdrop_ = std::move(picture);
  MarkChanged();
}

void Window::SetMouseCursor(CursorKind cursor) {
  if (cursor == cursor_) return;
  cursor_ = cursor;
  if (native_) native_->SetCursor(cursor);
}

void Window::SetVisible(bool v) {
  if (built_)
    v ? Show() : Hide();
  else
    visible_ = v;
}

void Window::Show() {
  visible_ = true;
  if (native_) native_->Show();
  MarkChanged();
}

void Window::Hide() {
  // A hidden window takes no release: a press that began on it is over.
  pressed_ = nullptr;
  backgroundPressed_ = false;
  // The pointer is no longer over anything of a hidden window: controls under it get their
  // MouseExit, so a highlighted label is plain again when the window comes back.
  HoverTo(nullptr);
  pointerInside_ = false;
  visible_ = false;
  if (native_) native_->Hide();
}

void Window::AddControl(const std::string& name, std::shared_ptr<Control> control) {
  if (!control) throw NilObjectError();
  control->name_ = name;
  control->window_ = this;
  if (auto* timer = dynamic_cast<Timer*>(control.get())) timer->queue_ = context_.timers;
  controls_.push_back(std::move(control));
  MarkChanged();
  hoverStale_ = true;
}

std::shared_ptr<Control> Window::ControlNamed(const std::string& name) const {
  for (const auto& c : controls_)
    if (c->Name() == name) return c;
  ReportUnknownName(Errors(), ClassName(), name);
  return nullptr;
}

const std::string& Window::ClassName() const {
  if (className_.empty()) {
    int status = 0;
    char* full = abi::__cxa_demangle(typeid(*this).name(), nullptr, nullptr, &status);
    className_ = status == 0 && full ? full : typeid(*this).name();
    std::free(full);
    if (const auto colons = className_.rfind("::"); colons != std::string::npos)
      className_.erase(0, colons + 2);
  }
  return className_;
}

ErrorLog& Window::Errors() const {
  static ErrorLog unmade;  // for the handlers of a window that was never made
  return context_.errors ? *context_.errors : unmade;
}

std::string Window::Place(const Control& control, const char* event) const {
  return ClassName() + "." + control.Name() + "_" + event;
}

void Window::Run(const std::string& place, const std::function<void()>& handler) {
  RunHandler(Errors(), place, handler);
}

bool Window::RunClaim(const std::string& place, const std::function<bool()>& handler) {
  return RunClaimHandler(Errors(), place, handler);
}

namespace {

// Controls in the order they are stacked, bottom first: each control directly followed by
// its children, siblings in the order they were added.
std::vector<RectControl*> StackingOrder(const std::vector<std::shared_ptr<Control>>& controls) {
  std::vector<RectControl*> rects;
  for (const auto& c : controls)
    if (auto* r = dynamic_cast<RectControl*>(c.get())) rects.push_back(r);
  std::vector<RectControl*> order;
  order.reserve(rects.size());
  std::function<void(RectControl*)> visit = [&](RectControl* parent) {
    for (RectControl* r : rects)
      if (r->Parent() == parent) {
        order.push_back(r);
        visit(r);
      }
  };
  visit(nullptr);
  return order;
}

}  // namespace

RectControl* Window::HitTest(int x, int y) const {
  const auto order = StackingOrder(controls_);
  for (auto it = order.rbegin(); it != order.rend(); ++it)
    if ((*it)->EffectivelyVisible() && (*it)->Bounds().Contains(x, y)) return *it;
  return nullptr;
}

WindowView Window::View() const {
  WindowView view;
  view.size = size_;
  view.hasBackColor = hasBackColor_;
  view.backColor = backColor_;
  view.backdrop = backdrop_;
  for (RectControl* r : StackingOrder(controls_)) {
    auto* label = dynamic_cast<StaticText*>(r);
    if (!label || !label->EffectivelyVisible()) continue;
    view.labels.push_back(LabelView{
        label->Bounds(), label->Text(), label->TextFont, label->TextSize, label->TextColor(),
        label->TextAlign, label->MultiLine, label->Bold, label->Italic, label->Underline});
  }
  return view;
}

void Window::HoverTo(RectControl* target) {
  hovered_ = target;
  std::vector<RectControl*> chain;
  for (RectControl* c = target; c; c = c->Parent()) chain.insert(chain.begin(), c);
  if (chain == entered_) return;
  const std::vector<RectControl*> old = std::move(entered_);
  entered_ = chain;
  auto contains = [](const std::vector<RectControl*>& v, RectControl* c) {
    return std::find(v.begin(), v.end(), c) != v.end();
  };
  // Leaving the innermost first, then entering from the outermost: moving onto a child is
  // not leaving its parent.
  for (auto it = old.rbegin(); it != old.rend(); ++it)
    if (!contains(chain, *it) && (*it)->MouseExit) Run(Place(**it, "MouseExit"), (*it)->MouseExit);
  for (RectControl* c : chain)
    if (!contains(old, c) && c->MouseEnter) Run(Place(*c, "MouseEnter"), c->MouseEnter);
}

bool Window::DropLostPress() {
  // A control hidden or disabled while it is held no longer wants the release.
  if (!pressed_ || (pressed_->EffectivelyVisible() && pressed_->Enabled())) return false;
  pressed_ = nullptr;
  hoverStale_ = true;
  return true;
}

void Window::RefreshHover() {
  DropLostPress();
  // While a control holds the press, the pointer belongs to it: MouseEnter and MouseExit wait
  // for the release, as in every toolkit. Otherwise a drag off a control would raise its
  // MouseExit before its MouseUp, and state the exit restores would be undone by the release.
  if (pressed_) return;
  // Handlers raised here may show or hide more controls; a few rounds settle any chain.
  for (int round = 0; round < 8 && hoverStale_; ++round) {
    hoverStale_ = false;
    HoverTo(pointerInside_ && visible_ ? HitTest(pointerX_, pointerY_) : nullptr);
  }
}

void Window::PointerMoved(int x, int y) {
  pointerInside_ = true;
  pointerX_ = x;
  pointerY_ = y;
  hoverStale_ = true;
  RefreshHover();
}

void Window::PointerLeft() {
  pointerInside_ = false;
  hoverStale_ = true;
  RefreshHover();
}

void Window::PointerPressed(int x, int y) {
  pressed_ = nullptr;
  backgroundPressed_ = false;
  PointerMoved(x, y);
  // A click on a window of ours makes it the one that hears the keyboard, also where no
  // window manager would do that.
  if (native_) native_->Focus();
  // The press goes to the topmost control under the pointer that takes presses at all, so a
  // label lying over a click area leaves the click to the area. A disabled control takes the
  // press and does nothing with it. The window's own handlers hear only presses on its
  // background: a press inside a visible control that takes none goes nowhere.
  const auto order = StackingOrder(controls_);
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    RectControl* c = *it;
    if (!c->MouseDown || !c->EffectivelyVisible() || !c->Bounds().Contains(x, y)) continue;
    if (!c->Enabled()) return;
    if (RunClaim(Place(*c, "MouseDown"), [&] { return c->MouseDown(x - c->Left(), y - c->Top()); }))
      pressed_ = c;
    return;
  }
  if (HitTest(x, y)) return;
  backgroundPressed_ =
      RunClaim(ClassName() + ".Event_MouseDown", [&] { return Event_MouseDown(x, y); });
}

void Window::PointerReleased(int x, int y) {
  // The release is where the pointer is now; the pressed control hears of it before any
  // MouseExit or MouseEnter the release lets through.
  pointerX_ = x;
  pointerY_ = y;
  DropLostPress();
  if (RectControl* c = pressed_) {
    pressed_ = nullptr;
    if (c->MouseUp) Run(Place(*c, "MouseUp"), [&] { c->MouseUp(x - c->Left(), y - c->Top()); });
  } else if (backgroundPressed_) {
    backgroundPressed_ = false;
    Run(ClassName() + ".Event_MouseUp", [&] { Event_MouseUp(x, y); });
  }
  hoverStale_ = true;
  RefreshHover();
}

bool Window::Event_MouseDown(int, int) { return false; }
void Window::Event_MouseUp(int, int) {}
bool Window::Event_KeyDown(const InputEvent&) { return false; }
Micros Window::AdjustView(WindowView&, Micros) const { return -1; }

WindowView Window::ViewToShow(Micros now) {
  WindowView view = View();
  redrawAt_ = AdjustsView() ? AdjustView(view, now) : -1;
  return view;
}

bool Window::TakeChanged() {
  const bool changed = changed_;
  changed_ = false;
  return changed;
}

void Window::ApplyLocks(int dx, int dy) {
  for (const auto& c : controls_) {
    auto* r = dynamic_cast<RectControl*>(c.get());
    if (!r) continue;
    Rect b = r->Bounds();
    if (r->LockLeft && r->LockRight)
      b.width += dx;
    else if (r->LockRight)
      b.left += dx;
    if (r->LockTop && r->LockBottom)
      b.height += dy;
    else if (r->LockBottom)
      b.top += dy;
    r->SetBounds(b);
  }
}

void Window::Resized(Size size) {
  MarkChanged();  // a new size brings new pixels to fill
  if (size == size_ || size.width <= 0 || size.height <= 0) return;
  ApplyLocks(size.width - size_.width, size.height - size_.height);
  size_ = size;
  hoverStale_ = true;  // what is under a still pointer may have moved
}

void Window::Realise() {
  Backend& backend = Deref(context_.backend);
  const Rect screen = backend.MainScreenBounds();
  NativeWindowSpec spec;
  spec.title = Title;
  spec.icon = context_.icon;
  if (FullScreen) {
    ApplyLocks(screen.width - size_.width, screen.height - size_.height);
    size_ = Size{screen.width, screen.height};
    spec.fullScreen = true;
  } else {
    // Every placement puts a small window in the middle of the main screen, above the
    // full-screen scene.
    spec.keepAbove = true;
  }
  spec.rect = PlaceOnScreen(screen, size_, FullScreen);
  native_ = backend.CreateNativeWindow(spec);
  // The window appears with its back colour at once. Making and first filling a screen-sized
  // window is the slow part of showing anything, and this way it overlaps the decoding of the
  // first picture instead of following it.
  native_->Present(View());
  if (visible_) native_->Show();
}

void Window::Build(WindowContext context) {
  context_ = std::move(context);
  Run(ClassName() + ".Layout", [&] { Layout(); });
  Run(ClassName() + ".CreateControls", [&] { CreateControls(); });
  Run(ClassName() + ".AddMenuHandlers", [&] { AddMenuHandlers(); });
  Realise();
  built_ = true;
  Run(ClassName() + ".Event_Open", [&] { Event_Open(); });
  MarkChanged();
}

}  // namespace host
