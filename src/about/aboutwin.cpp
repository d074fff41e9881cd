#include "about/aboutwin.h"

#include "host/binding.h"
#include "host/controls.h"
#include "host/timer.h"

namespace lumorra {

std::shared_ptr<AboutWin> AboutWin::Instance() { return host::ImplicitInstance<AboutWin>(); }

void AboutWin::Layout() {
  SetSize(200, 120);
  host::SetFixedBlackBox(*this);
  Title = "AboutBox";
  FullScreen = false;
}

void AboutWin::CreateControls() { CreateControls0(); }

void AboutWin::CreateControls0() {
  using M = host::MouseHandlers<AboutWin>;
  const host::LabelStyle credits{12, 1, true};
  const host::LabelStyle link{12, 1, false};
  host::AddLabel(*this, "StaticText1", StaticText1, {{7, 9, 186, 101}}, credits,
                 "Lumorra by\r\r\rThanks to\r\rfor the original photograph.");
  host::BindMouse(*this,
                  host::AddCanvas(*this, "Canvas1", Canvas1, {{58, 27, 85, 12}, StaticText1.get()}),
                  M{nullptr, nullptr, &AboutWin::Canvas1_MouseDown, &AboutWin::Canvas1_MouseUp});
  host::BindMouse(*this,
                  host::AddCanvas(*this, "Canvas2", Canvas2, {{57, 70, 88, 12}, StaticText1.get()}),
                  M{nullptr, nullptr, &AboutWin::Canvas2_MouseDown, &AboutWin::Canvas2_MouseUp});
  host::AddTimer(*this, "Timer1", Timer1, 5000, &AboutWin::Timer1_Action);
  host::BindMouse(*this,
                  host::AddLabel(*this, "StaticText2", StaticText2,
                                 {{61, 27, 82, 16}, StaticText1.get()}, link, "Corvane"),
                  M{&AboutWin::StaticText2_MouseEnter, &AboutWin::StaticText2_MouseExit});
  host::BindMouse(*this,
                  host::AddLabel(*this, "StaticText3", StaticText3,
                                 {{63, 70, 82, 12}, Canvas2.get()}, link, "Pellimore"),
                  M{&AboutWin::StaticText3_MouseEnter, &AboutWin::StaticText3_MouseExit});
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

void AboutWin::StaticText2_MouseEnter() { StaticText2->SetTextColor(host::RGB(0, 0, 255)); }

void AboutWin::StaticText2_MouseExit() { StaticText2->SetTextColor(host::RGB(255, 255, 255)); }

void AboutWin::StaticText3_MouseEnter() { StaticText3->SetTextColor(host::RGB(0, 0, 255)); }

void AboutWin::StaticText3_MouseExit() { StaticText3->SetTextColor(host::RGB(255, 255, 255)); }

void AboutWin::AddMenuHandlers() {}

void AboutWin::Event_Open() { Timer1->SetMode(host::TimerMode::Single); }

}  // namespace lumorra
