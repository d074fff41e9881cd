#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "host/codec.h"
#include "host/controls.h"
#include "host/menu.h"
#include "host/picture.h"
#include "host/runtime.h"
#include "host/timer.h"
#include "host/window.h"

namespace lumorra {

// The full-screen scene: the photograph as the backdrop, the invisible chain over the
// photographed chain, the hidden strip along the top edge with "Quit" and "About", and the
// thirteen timers whose chain of Actions plays the light show.
class Window1 : public host::Window {
 public:
  // `gentleChoice` picks gentle mode (below) or the normal show; unset follows the desktop.
  explicit Window1(std::optional<bool> gentleChoice = std::nullopt) : gentleChoice_(gentleChoice) {}
  ~Window1() override;

  // The single instance, made and opened on the first request, with the show chosen then.
  static std::shared_ptr<Window1> Instance(std::optional<bool> gentleChoice = std::nullopt);

  // Construction.
  void Layout() override;
  void CreateControls() override;
  void CreateControls0();

  // The hover strip ("Quit", "About") and clicks on the window.
  void Canvas1_MouseExit();
  void Canvas1_MouseEnter();
  void StaticText1_MouseUp(int x, int y);
  bool StaticText1_MouseDown(int x, int y);
  void StaticText2_MouseUp(int x, int y);
  bool StaticText2_MouseDown(int x, int y);
  void Event_MouseUp(int x, int y) override;
  bool Event_MouseDown(int x, int y) override;

  // The light show.
  void Timer4_Action();
  void Timer5_Action(host::Timer& sender);
  void Timer2_Action();
  void Timer3_Action(host::Timer& sender);
  void Timer1_Action();
  void Timer6_Action();
  void Timer7_Action(host::Timer& sender);
  void Timer8_Action();
  void TimerTen_Action();
  void Timershort_Action();
  void Timer9_Action();
  void TimerFried_Action();

  // The pull chain.
  void Canvas2_MouseExit();
  void Canvas2_MouseEnter();
  void Canvas2_MouseUp(int x, int y);
  bool Canvas2_MouseDown(int x, int y);
  void chaintimer1_Action();

  // The menu items of the window's menu bar, by name (nil for a name not in the bar).
  std::shared_ptr<host::MenuItem> EditMenu();
  std::shared_ptr<host::MenuItem> EditClear();
  std::shared_ptr<host::MenuItem> EditPaste();
  std::shared_ptr<host::MenuItem> EditCopy();
  std::shared_ptr<host::MenuItem> EditCut();
  std::shared_ptr<host::MenuItem> UntitledMenu0();
  std::shared_ptr<host::MenuItem> EditUndo();
  std::shared_ptr<host::MenuItem> FileMenu();
  std::shared_ptr<host::QuitMenuItem> FileQuit();
  std::shared_ptr<host::MenuItem> UntitledMenu1();
  void AddMenuHandlers() override;

  void Event_Open() override;
  // How many top rows of a width x height photograph the scene reads on a screen of this size,
  // so that start-up decodes only those (the others are decoded if they are ever read).
  static int PhotographRowsShown(host::Size screen, int width, int height);
  // The copies of the masters a screen of this size (in pixels) shows, scaled to cover it; none
  // for a screen that shows the photographs, or the masters as they are.
  static std::optional<host::ScaledSize> MasterCopies(host::Size screen);
  // The built-in copy of the dark master (its number) that a screen of this size (in pixels)
  // shows as it is, in place of the dark master scaled to cover it: one made for exactly the
  // size the master would be scaled to. None for any other screen.
  static std::optional<int> DarkCopy(host::Size screen);

  // The keyboard: Space or Return pulls the chain, Escape quits, and once the screen is black
  // any key quits. A key held down is one press.
  bool Event_KeyDown(const host::InputEvent& key) override;

  // Gentle mode: the same show on the same timers, drawn without flashes or quick changes of
  // the picture. Chosen on the command line, or else as the desktop prefers, when the window
  // opens.
  bool AdjustsView() const override { return gentle; }
  host::Micros AdjustView(host::WindowView& view, host::Micros now) const override;

  // State of the scene.
  std::int32_t counter = 0;
  bool lit = false;
  bool fried = false;
  std::shared_ptr<host::Picture> darker;
  std::shared_ptr<host::Picture> lighter;
  std::shared_ptr<host::Picture> flash;
  std::shared_ptr<host::Picture> darker2;
  std::shared_ptr<host::Picture> lighter2;
  bool enditall = false;
  bool gentle = false;

  // The controls, made with the window and placed on it by CreateControls0 in this order, which
  // is also their stacking order. Never nil.
  const std::shared_ptr<host::Canvas> Canvas1 = std::make_shared<host::Canvas>();  // top strip
  const std::shared_ptr<host::StaticText> StaticText1 = std::make_shared<host::StaticText>();
  const std::shared_ptr<host::Timer> Timer4 = std::make_shared<host::Timer>();
  const std::shared_ptr<host::Timer> Timer5 = std::make_shared<host::Timer>();
  const std::shared_ptr<host::Timer> Timer2 = std::make_shared<host::Timer>();
  const std::shared_ptr<host::Timer> Timer3 = std::make_shared<host::Timer>();
  const std::shared_ptr<host::Timer> Timer1 = std::make_shared<host::Timer>();
  const std::shared_ptr<host::Timer> Timer6 = std::make_shared<host::Timer>();
  const std::shared_ptr<host::Timer> Timer7 = std::make_shared<host::Timer>();
  const std::shared_ptr<host::Timer> Timer8 = std::make_shared<host::Timer>();
  const std::shared_ptr<host::Timer> TimerTen = std::make_shared<host::Timer>();
  const std::shared_ptr<host::Canvas> Canvas2 = std::make_shared<host::Canvas>();  // the chain
  const std::shared_ptr<host::Timer> chaintimer1 = std::make_shared<host::Timer>();
  const std::shared_ptr<host::StaticText> StaticText2 = std::make_shared<host::StaticText>();
  const std::shared_ptr<host::Timer> Timershort = std::make_shared<host::Timer>();
  const std::shared_ptr<host::Timer> Timer9 = std::make_shared<host::Timer>();
  const std::shared_ptr<host::Timer> TimerFried = std::make_shared<host::Timer>();

 private:
  // The menu items are the application's bar's, which this window holds only as a host menu bar:
  // they are found by name, as the menu operations above promise (one names no item).
  std::shared_ptr<host::MenuItem> MenuItemNamed(const char* name);
  template <class... Timers>
  static void SwitchOff(const Timers&... timers) {
    (timers->SetMode(host::TimerMode::Off), ...);
  }
  template <class... Timers>
  static bool AnyArmed(const Timers&... timers) {
    return ((timers->Mode() != host::TimerMode::Off) || ...);
  }
  // When the show's timers will next make the screen black, or -1 if they are not on the way.
  host::Micros BlackoutDue() const;
  // Whether the chain is still moving from a pull: a timer that shows the rest of a pull's
  // pictures is armed.
  bool ChainMoving() const;
  // A pull by key: the pointer's turn on the chain is left as it was.
  void KeyPull();
  // Called by the timers that end a pull's pictures: makes the pull a key asked for while the
  // chain was moving, once it no longer moves.
  void ChainSettled();
  bool keyPullWaiting = false;

  const std::optional<bool> gentleChoice_;
};

}  // namespace lumorra
