#include "about/aboutwin.h"

#include "host/controls.h"
#include "host/timer.h"

namespace lumorra {

std::shared_ptr<AboutWin> AboutWin::Instance() {
  return host::Runtime::Current().ImplicitInstance<AboutWin>();
}

void AboutWin::Layout() {
  SetSize(200, 120);
  Placement = 0;
  MinWidth = 64;
  MinHeight = 64;
  MaxWidth = 32000;
  MaxHeight = 32000;
  Frame = 4;
  Composite = false;
  SetHasBackColor(true);
  SetBackColor(host::RGB(0, 0, 0));
  Title = "AboutBox";
  SetVisible(true);
  FullScreen = false;
  MenuBarVisible = false;
  CloseButton = false;
  Resizeable = false;
  LiveResize = false;
  MaximizeButton = false;
  MinimizeButton = false;
  BalloonHelp = "";
  MacProcId = 0;
}

void AboutWin::CreateControls() { CreateControls0(); }

namespace {

void SetUpLabel(host::StaticText& t, host::Rect r, host::RectControl* parent, bool multiLine,
                const char* text) {
  t.Index = INT32_MIN;
  t.SetBounds(r);
  t.SetVisible(true);
  t.SetEnabled(true);
  t.SetParent(parent);
  t.AutoDeactivate = true;
  t.TextFont = "System";
  t.TextSize = 12;
  t.SetTextColor(host::RGB(255, 255, 255));
  t.TextAlign = 1;
  t.Bold = t.Italic = t.Underline = false;
  t.MultiLine = multiLine;
  t.HelpTag = t.DataSource = t.DataField = "";
  t.TabPanelIndex = 0;
  t.SetText(text);
}

void SetUpArea(host::Canvas& c, host::Rect r, host::RectControl* parent) {
  c.Index = INT32_MIN;
  c.SetBounds(r);
  c.SetVisible(true);
  c.SetEnabled(true);
  c.SetParent(parent);
  c.AutoDeactivate = true;
  c.UseFocusRing = true;
  c.AcceptFocus = false;
  c.AcceptTabs = false;
  c.EraseBackground = true;
  c.HelpTag = "";
  c.TabPanelIndex = 0;
}

}  // namespace

void AboutWin::CreateControls0() {
  AddControl("StaticText1", std::make_shared<host::StaticText>());
  SetUpLabel(host::Deref(Find<host::StaticText>("StaticText1")), {7, 9, 186, 101}, nullptr, true,
             "Lumorra by\r\r\rThanks to\r\rfor the original photograph.");

  AddControl("Canvas1", std::make_shared<host::Canvas>());
  SetUpArea(host::Deref(Find<host::Canvas>("Canvas1")), {58, 27, 85, 12},
            Find<host::StaticText>("StaticText1").get());
  host::Deref(Find<host::Canvas>("Canvas1")).MouseUp = [this](int x, int y) {
    Canvas1_MouseUp(x, y);
  };
  host::Deref(Find<host::Canvas>("Canvas1")).MouseDown = [this](int x, int y) {
    return Canvas1_MouseDown(x, y);
  };

  AddControl("Canvas2", std::make_shared<host::Canvas>());
  SetUpArea(host::Deref(Find<host::Canvas>("Canvas2")), {57, 70, 88, 12},
            Find<host::StaticText>("StaticText1").get());
  host::Deref(Find<host::Canvas>("Canvas2")).MouseUp = [this](int x, int y) {
    Canvas2_MouseUp(x, y);
  };
  host::Deref(Find<host::Canvas>("Canvas2")).MouseDown = [this](int x, int y) {
    return Canvas2_MouseDown(x, y);
  };

  AddControl("Timer1", std::make_shared<host::Timer>());
  host::Deref(Find<host::Timer>("Timer1")).SetPeriod(5000);
  host::Deref(Find<host::Timer>("Timer1")).Action = [this](host::Timer&) { Timer1_Action(); };

  AddControl("StaticText2", std::make_shared<host::StaticText>());
  SetUpLabel(host::Deref(Find<host::StaticText>("StaticText2")), {61, 27, 82, 16},
             Find<host::StaticText>("StaticText1").get(), false, "Corvane");
  host::Deref(Find<host::StaticText>("StaticText2")).MouseExit = [this] {
    StaticText2_MouseExit();
  };
  host::Deref(Find<host::StaticText>("StaticText2")).MouseEnter = [this] {
    StaticText2_MouseEnter();
  };

  AddControl("StaticText3", std::make_shared<host::StaticText>());
  SetUpLabel(host::Deref(Find<host::StaticText>("StaticText3")), {63, 70, 82, 12},
             Find<host::Canvas>("Canvas2").get(), false, "Pellimore");
  host::Deref(Find<host::StaticText>("StaticText3")).MouseExit = [this] {
    StaticText3_MouseExit();
  };
  host::Deref(Find<host::StaticText>("StaticText3")).MouseEnter = [this] {
    StaticText3_MouseEnter();
  };
}

bool AboutWin::Canvas1_MouseDown(int, int) { return true; }

void AboutWin::Canvas1_MouseUp(int, int) {
  host::ShowURL(links::kAuthor);
  Hide();
}

bool AboutWin::Canvas2_MouseDown(int, int) { return true; }

void AboutWin::Canvas2_MouseUp(int, int) {
  host::ShowURL(links::kPhotographer);
  Hide();
}

void AboutWin::Timer1_Action() { Hide(); }

void AboutWin::StaticText2_MouseEnter() {
  host::Deref(Find<host::StaticText>("StaticText2")).SetTextColor(host::RGB(0, 0, 255));
}

void AboutWin::StaticText2_MouseExit() {
  host::Deref(Find<host::StaticText>("StaticText2")).SetTextColor(host::RGB(255, 255, 255));
}

void AboutWin::StaticText3_MouseEnter() {
  host::Deref(Find<host::StaticText>("StaticText3")).SetTextColor(host::RGB(0, 0, 255));
}

void AboutWin::StaticText3_MouseExit() {
  host::Deref(Find<host::StaticText>("StaticText3")).SetTextColor(host::RGB(255, 255, 255));
}

void AboutWin::AddMenuHandlers() {}

void AboutWin::Event_Open() { host::Deref(Find<host::Timer>("Timer1")).SetMode(1); }

}  // namespace lumorra
