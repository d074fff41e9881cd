// The hidden strip along the top edge: "Quit" and "About" appear while the pointer is over it.
// Once the show has ended in black, a click anywhere on the window quits.

#include "about/aboutwin.h"
#include "scene/window1.h"

namespace lumorra {

void Window1::Canvas1_MouseEnter() {
  StaticText1->SetVisible(true);
  StaticText2->SetVisible(true);
}

void Window1::Canvas1_MouseExit() {
  StaticText1->SetVisible(false);
  StaticText2->SetVisible(false);
}

bool Window1::StaticText1_MouseDown(int, int) { return true; }

void Window1::StaticText1_MouseUp(int, int) { host::Quit(0); }

bool Window1::StaticText2_MouseDown(int, int) { return true; }

void Window1::StaticText2_MouseUp(int, int) { host::Deref(AboutWin::Instance()).Show(); }

bool Window1::Event_MouseDown(int, int) { return true; }

void Window1::Event_MouseUp(int, int) {
  if (enditall) host::Quit(0);
}

}  // namespace lumorra
