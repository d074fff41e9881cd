#pragma once

#include <memory>

#include "host/controls.h"
#include "host/runtime.h"
#include "host/timer.h"
#include "host/window.h"

namespace lumorra {

// Where the two names of the credits lead.
namespace links {
inline constexpr const char* kAuthor = "https://corvane.example.org/";
inline constexpr const char* kPhotographer = "https://pellimore.example.org/";
}  // namespace links

// The credits box: a small black box over the scene. Each name is a link; the box hides
// itself 5 s after it is made, or when a name is clicked.
class AboutWin : public host::Window {
 public:
  AboutWin() = default;

  // The single instance, made on the first request; a hidden box is still the same box.
  static std::shared_ptr<AboutWin> Instance();

  void Layout() override;
  void CreateControls() override;
  void CreateControls0();
  void Canvas1_MouseUp(int x, int y);
  bool Canvas1_MouseDown(int x, int y);
  void Canvas2_MouseUp(int x, int y);
  bool Canvas2_MouseDown(int x, int y);
  void Timer1_Action();
  void StaticText2_MouseExit();
  void StaticText2_MouseEnter();
  void StaticText3_MouseExit();
  void StaticText3_MouseEnter();
  void AddMenuHandlers() override;
  void Event_Open() override;

  // The controls, made with the box and placed on it by CreateControls0 in this order. Never nil.
  // The canvases lie over the two names and take their clicks.
  const std::shared_ptr<host::StaticText> StaticText1 = std::make_shared<host::StaticText>();
  const std::shared_ptr<host::Canvas> Canvas1 = std::make_shared<host::Canvas>();
  const std::shared_ptr<host::Canvas> Canvas2 = std::make_shared<host::Canvas>();
  const std::shared_ptr<host::Timer> Timer1 = std::make_shared<host::Timer>();
  const std::shared_ptr<host::StaticText> StaticText2 = std::make_shared<host::StaticText>();
  const std::shared_ptr<host::StaticText> StaticText3 = std::make_shared<host::StaticText>();
};

}  // namespace lumorra
