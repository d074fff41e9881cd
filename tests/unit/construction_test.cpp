// The menu tree and the main window's seventeen controls as start-up and construction build them.

#include <string>
#include <tuple>
#include <vector>

#include "support/scene_fixture.h"

namespace lumorra::testing {
namespace {

using Construction = SceneTest;

TEST_F(Construction, MenuTreeIsFileThenEditWithTheirItemsInOrder) {
  // clang-format off
  const std::vector<std::string> expected = {  // parent/name|text|shortcut[|on][|quits]
      "FileMenu|&File|", "FileMenu/FileQuit|Quit|Cmd+Q|on|quits", "EditMenu|&Edit|",
      "EditMenu/EditUndo|Undo|Cmd+Z", "EditMenu/UntitledMenu0|-|", "EditMenu/EditCut|Cut|Cmd+X",
      "EditMenu/EditCopy|Copy|Cmd+C", "EditMenu/EditPaste|Paste|Cmd+V", "EditMenu/EditClear|Clear|"};
  // clang-format on
  std::vector<std::string> built;
  const auto& bar = host::Deref(window->MenuBar);
  for (const auto& top : bar.Children())
    for (std::size_t i = 0; i <= top->Children().size(); ++i) {
      const host::MenuItem& item = i ? *top->Children()[i - 1] : *top;
      std::string row = i ? top->Name + "/" : std::string();
      row += item.Name + "|" + item.Text + "|" + item.KeyboardShortcut;
      if (item.AutoEnable) row += "|on";
      built.push_back(item.QuitsApplication() ? row + "|quits" : row);
    }
  ASSERT_EQ(built, expected);
  EXPECT_EQ(window->EditCut(), bar.Children()[1]->Children()[2]) << "two levels below the bar";
  EXPECT_EQ(window->UntitledMenu1(), nullptr);
}

// name, kind, bounds, visible, parent ("" for the window), locked left, top and right, period
using ControlRow = std::tuple<const char*, const char*, host::Rect, bool, const char*, bool, int>;

ControlRow Timer(const char* name, int ms) { return {name, "Timer", {}, false, "", false, ms}; }

std::string KindOf(const host::Control& c) {
  if (dynamic_cast<const host::Canvas*>(&c)) return "Canvas";
  if (dynamic_cast<const host::StaticText*>(&c)) return "StaticText";
  return dynamic_cast<const host::Timer*>(&c) ? "Timer" : "other";
}

// On a window built but not opened: opening places the chain and widens the locked controls.
TEST_F(Construction, MainWindowBuildsItsSeventeenControlsInOrder) {
  // clang-format off
  const std::vector<ControlRow> rows = {
      {"Canvas1", "Canvas", {4, 0, 406, 24}, true, "", true, 0},
      {"StaticText1", "StaticText", {24, 4, 168, 20}, false, "Canvas1", true, 0},
      Timer("Timer4", 9000), Timer("Timer5", 100), Timer("Timer2", 20000), Timer("Timer3", 25),
      Timer("Timer1", 600), Timer("Timer6", 3000), Timer("Timer7", 50), Timer("Timer8", 0),
      Timer("TimerTen", 200),
      {"Canvas2", "Canvas", {59, 26, 26, 279}, true, "", false, 0},
      Timer("chaintimer1", 50),
      {"StaticText2", "StaticText", {97, 4, 50, 20}, false, "StaticText1", false, 0},
      Timer("Timershort", 150), Timer("Timer9", 200), Timer("TimerFried", 500)};
  // clang-format on
  Window1 fresh;
  fresh.CreateControls();
  const auto& controls = fresh.Controls();
  ASSERT_EQ(controls.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto& [name, kind, bounds, visible, parent, locked, period] = rows[i];
    const host::Control& c = *controls[i];
    SCOPED_TRACE(name);
    EXPECT_EQ(c.Name(), name);
    ASSERT_EQ(KindOf(c), kind);
    if (auto* timer = dynamic_cast<const host::Timer*>(&c)) {
      EXPECT_EQ(timer->Period(), period);
      EXPECT_EQ(timer->Mode(), host::TimerMode::Off) << "no timer runs until a handler starts it";
      continue;
    }
    const auto& r = dynamic_cast<const host::RectControl&>(c);
    EXPECT_EQ(r.Bounds(), bounds);
    EXPECT_EQ(r.Visible(), visible);
    EXPECT_EQ(r.Parent() ? r.Parent()->Name() : "", parent);
    EXPECT_EQ(r.LockLeft && r.LockTop && r.LockRight, locked);
  }
  EXPECT_EQ(dynamic_cast<const host::StaticText&>(*controls[1]).Text(), "Quit");
  EXPECT_EQ(dynamic_cast<const host::StaticText&>(*controls[13]).Text(), "About");
}

}  // namespace
}  // namespace lumorra::testing
