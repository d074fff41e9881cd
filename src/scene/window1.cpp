#include "scene/window1.h"

#include "host/application.h"
#include "host/binding.h"

namespace lumorra {

std::shared_ptr<Window1> Window1::Instance(std::optional<bool> gentleChoice) {
  return host::ImplicitInstance<Window1>(gentleChoice);
}

Window1::~Window1() {
  darker.reset();
  lighter.reset();
  flash.reset();
  darker2.reset();
  lighter2.reset();
}

// The scene shares the application's menu bar, set up before the scene is made.
void Window1::Layout() {
  if (auto app = host::CurrentApplication()) MenuBar = app->MenuBar;
  SetSize(415, 591);
  host::SetFixedBlackBox(*this);
  Title = "Untitled";
  FullScreen = true;
}

void Window1::CreateControls() { CreateControls0(); }

void Window1::CreateControls0() {
  using M = host::MouseHandlers<Window1>;
  const host::LabelStyle menuText{14, 0, false};
  // 1 to 17, in the order that also sets their stacking. Timers start off.
  host::BindMouse(
      *this, host::AddCanvas(*this, "Canvas1", Canvas1, {{4, 0, 406, 24}, nullptr, true, true}),
      M{&Window1::Canvas1_MouseEnter, &Window1::Canvas1_MouseExit});
  host::BindMouse(
      *this,
      host::AddLabel(*this, "StaticText1", StaticText1,
                     {{24, 4, 168, 20}, Canvas1.get(), false, true}, menuText, "Quit"),
      M{nullptr, nullptr, &Window1::StaticText1_MouseDown, &Window1::StaticText1_MouseUp});
  host::AddTimer(*this, "Timer4", Timer4, 9000, &Window1::Timer4_Action);
  host::AddTimer(*this, "Timer5", Timer5, 100, &Window1::Timer5_Action);
  host::AddTimer(*this, "Timer2", Timer2, 20000, &Window1::Timer2_Action);
  host::AddTimer(*this, "Timer3", Timer3, 25, &Window1::Timer3_Action);
  host::AddTimer(*this, "Timer1", Timer1, 600, &Window1::Timer1_Action);
  host::AddTimer(*this, "Timer6", Timer6, 3000, &Window1::Timer6_Action);
  host::AddTimer(*this, "Timer7", Timer7, 50, &Window1::Timer7_Action);
  host::AddTimer(*this, "Timer8", Timer8, 0, &Window1::Timer8_Action);
  host::AddTimer(*this, "TimerTen", TimerTen, 200, &Window1::TimerTen_Action);
  host::BindMouse(
      *this, host::AddCanvas(*this, "Canvas2", Canvas2, {{59, 26, 26, 279}, nullptr, true, false}),
      M{&Window1::Canvas2_MouseEnter, &Window1::Canvas2_MouseExit, &Window1::Canvas2_MouseDown,
        &Window1::Canvas2_MouseUp});
  host::AddTimer(*this, "chaintimer1", chaintimer1, 50, &Window1::chaintimer1_Action);
  host::BindMouse(
      *this,
      host::AddLabel(*this, "StaticText2", StaticText2,
                     {{97, 4, 50, 20}, StaticText1.get(), false, false}, menuText, "About"),
      M{nullptr, nullptr, &Window1::StaticText2_MouseDown, &Window1::StaticText2_MouseUp});
  host::AddTimer(*this, "Timershort", Timershort, 150, &Window1::Timershort_Action);
  host::AddTimer(*this, "Timer9", Timer9, 200, &Window1::Timer9_Action);
  host::AddTimer(*this, "TimerFried", TimerFried, 500, &Window1::TimerFried_Action);
}

// ---- Menu items ----------------------------------------------------------------------

std::shared_ptr<host::MenuItem> Window1::MenuItemNamed(const char* name) {
  return host::Deref(MenuBar).FindItem(name);
}

std::shared_ptr<host::MenuItem> Window1::EditMenu() { return MenuItemNamed("EditMenu"); }
std::shared_ptr<host::MenuItem> Window1::EditClear() { return MenuItemNamed("EditClear"); }
std::shared_ptr<host::MenuItem> Window1::EditPaste() { return MenuItemNamed("EditPaste"); }
std::shared_ptr<host::MenuItem> Window1::EditCopy() { return MenuItemNamed("EditCopy"); }
std::shared_ptr<host::MenuItem> Window1::EditCut() { return MenuItemNamed("EditCut"); }
std::shared_ptr<host::MenuItem> Window1::UntitledMenu0() { return MenuItemNamed("UntitledMenu0"); }
std::shared_ptr<host::MenuItem> Window1::EditUndo() { return MenuItemNamed("EditUndo"); }
std::shared_ptr<host::MenuItem> Window1::FileMenu() { return MenuItemNamed("FileMenu"); }
std::shared_ptr<host::QuitMenuItem> Window1::FileQuit() {
  return std::dynamic_pointer_cast<host::QuitMenuItem>(MenuItemNamed("FileQuit"));
}
std::shared_ptr<host::MenuItem> Window1::UntitledMenu1() { return MenuItemNamed("UntitledMenu1"); }

// No menu handler is installed: only Quit, which enables itself, ever acts.
void Window1::AddMenuHandlers() {}

}  // namespace lumorra
