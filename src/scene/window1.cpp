#include "scene/window1.h"

#include "app/menubar1.h"

namespace lumorra {

std::shared_ptr<Window1> Window1::Instance() {
  return host::Runtime::Current().ImplicitInstance<Window1>();
}

Window1::~Window1() {
  darker.reset();
  lighter.reset();
  flash.reset();
  darker2.reset();
  lighter2.reset();
}

host::Timer& Window1::TimerNamed(const char* name) { return host::Deref(Find<host::Timer>(name)); }

host::RectControl& Window1::ControlRect(const char* name) {
  return host::Deref(Find<host::RectControl>(name));
}

void Window1::Layout() {
  MenuBar = MenuBar1::Instance();
  SetSize(415, 591);
  Placement = 3;
  MinWidth = 64;
  MinHeight = 64;
  MaxWidth = 32000;
  MaxHeight = 32000;
  Frame = 4;
  Composite = false;
  SetHasBackColor(true);
  SetBackColor(host::RGB(0, 0, 0));
  Title = "Untitled";
  SetVisible(true);
  FullScreen = true;
  MenuBarVisible = false;
  CloseButton = true;
  Resizeable = false;
  LiveResize = false;
  MaximizeButton = false;
  MinimizeButton = false;
  BalloonHelp = "";
  MacProcId = 0;
}

void Window1::CreateControls() { CreateControls0(); }

namespace {

void SetUpCanvas(host::Canvas& c, host::Rect r, bool visible, host::RectControl* parent,
                 bool lockLeftTopRight) {
  c.Index = INT32_MIN;
  c.SetBounds(r);
  c.SetVisible(visible);
  c.SetEnabled(true);
  c.SetParent(parent);
  c.LockLeft = c.LockTop = c.LockRight = lockLeftTopRight;
  c.LockBottom = false;
  c.AutoDeactivate = true;
  c.AcceptFocus = false;
  c.AcceptTabs = false;
  c.UseFocusRing = true;
  c.EraseBackground = true;
  c.HelpTag = "";
  c.TabPanelIndex = 0;
}

void SetUpLabel(host::StaticText& t, host::Rect r, host::RectControl* parent, bool lockLeftTopRight,
                const char* text) {
  t.Index = INT32_MIN;
  t.SetBounds(r);
  t.SetVisible(false);
  t.SetEnabled(true);
  t.SetParent(parent);
  t.LockLeft = t.LockTop = t.LockRight = lockLeftTopRight;
  t.LockBottom = false;
  t.AutoDeactivate = true;
  t.TextFont = "System";
  t.TextSize = 14;
  t.SetTextColor(host::RGB(255, 255, 255));
  t.TextAlign = 0;
  t.Bold = t.Italic = t.Underline = t.MultiLine = false;
  t.HelpTag = t.DataSource = t.DataField = "";
  t.TabPanelIndex = 0;
  t.SetText(text);
}

}  // namespace

void Window1::CreateControls0() {
  // 1 to 17, in the order that also sets their stacking.
  AddControl("Canvas1", std::make_shared<host::Canvas>());
  {
    auto& c = host::Deref(Find<host::Canvas>("Canvas1"));
    SetUpCanvas(c, {4, 0, 406, 24}, true, nullptr, true);
    host::Deref(Find<host::Canvas>("Canvas1")).MouseExit = [this] { Canvas1_MouseExit(); };
    host::Deref(Find<host::Canvas>("Canvas1")).MouseEnter = [this] { Canvas1_MouseEnter(); };
  }

  AddControl("StaticText1", std::make_shared<host::StaticText>());
  {
    auto& t = host::Deref(Find<host::StaticText>("StaticText1"));
    SetUpLabel(t, {24, 4, 168, 20}, Find<host::Canvas>("Canvas1").get(), true, "Quit");
    host::Deref(Find<host::StaticText>("StaticText1")).MouseUp = [this](int x, int y) {
      StaticText1_MouseUp(x, y);
    };
    host::Deref(Find<host::StaticText>("StaticText1")).MouseDown = [this](int x, int y) {
      return StaticText1_MouseDown(x, y);
    };
  }

  struct TimerRow {
    const char* name;
    std::int32_t period;
    void (Window1::*plain)();
    void (Window1::*withSender)(host::Timer&);
  };
  auto addTimer = [this](const TimerRow& row) {
    AddControl(row.name, std::make_shared<host::Timer>());
    auto& timer = host::Deref(Find<host::Timer>(row.name));
    timer.SetPeriod(row.period);
    // Mode starts off; a new timer is never armed.
    if (row.plain)
      host::Deref(Find<host::Timer>(row.name)).Action = [this, fn = row.plain](host::Timer&) {
        (this->*fn)();
      };
    else
      host::Deref(Find<host::Timer>(row.name)).Action =
          [this, fn = row.withSender](host::Timer& sender) { (this->*fn)(sender); };
  };
  addTimer({"Timer4", 9000, &Window1::Timer4_Action, nullptr});
  addTimer({"Timer5", 100, nullptr, &Window1::Timer5_Action});
  addTimer({"Timer2", 20000, &Window1::Timer2_Action, nullptr});
  addTimer({"Timer3", 25, nullptr, &Window1::Timer3_Action});
  addTimer({"Timer1", 600, &Window1::Timer1_Action, nullptr});
  addTimer({"Timer6", 3000, &Window1::Timer6_Action, nullptr});
  addTimer({"Timer7", 50, nullptr, &Window1::Timer7_Action});
  addTimer({"Timer8", 0, &Window1::Timer8_Action, nullptr});
  addTimer({"TimerTen", 200, &Window1::TimerTen_Action, nullptr});

  AddControl("Canvas2", std::make_shared<host::Canvas>());
  {
    auto& c = host::Deref(Find<host::Canvas>("Canvas2"));
    SetUpCanvas(c, {59, 26, 26, 279}, true, nullptr, false);
    host::Deref(Find<host::Canvas>("Canvas2")).MouseExit = [this] { Canvas2_MouseExit(); };
    host::Deref(Find<host::Canvas>("Canvas2")).MouseEnter = [this] { Canvas2_MouseEnter(); };
    host::Deref(Find<host::Canvas>("Canvas2")).MouseUp = [this](int x, int y) {
      Canvas2_MouseUp(x, y);
    };
    host::Deref(Find<host::Canvas>("Canvas2")).MouseDown = [this](int x, int y) {
      return Canvas2_MouseDown(x, y);
    };
  }

  addTimer({"chaintimer1", 50, &Window1::chaintimer1_Action, nullptr});

  AddControl("StaticText2", std::make_shared<host::StaticText>());
  {
    auto& t = host::Deref(Find<host::StaticText>("StaticText2"));
    SetUpLabel(t, {97, 4, 50, 20}, Find<host::StaticText>("StaticText1").get(), false, "About");
    host::Deref(Find<host::StaticText>("StaticText2")).MouseUp = [this](int x, int y) {
      StaticText2_MouseUp(x, y);
    };
    host::Deref(Find<host::StaticText>("StaticText2")).MouseDown = [this](int x, int y) {
      return StaticText2_MouseDown(x, y);
    };
  }

  addTimer({"Timershort", 150, &Window1::Timershort_Action, nullptr});
  addTimer({"Timer9", 200, &Window1::Timer9_Action, nullptr});
  addTimer({"TimerFried", 500, &Window1::TimerFried_Action, nullptr});
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
