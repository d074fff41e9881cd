// The menu tree and the main window's seventeen controls as written down for the product,
// checked against what start-up and the window's construction actually build.

#include <string>
#include <vector>

#include "app/menubar1.h"
#include "support/scene_fixture.h"

namespace lumorra::testing {
namespace {

using Construction = SceneTest;

struct MenuRow {
  const char* parent;  // "" for the bar itself
  const char* name;
  const char* text;
  const char* shortcut;
  bool autoEnable;
  bool quits;
};

TEST_F(Construction, MenuTreeIsFileThenEditWithTheirItemsInOrder) {
  const std::vector<MenuRow> rows = {
      {"", "FileMenu", "&File", "", false, false},
      {"FileMenu", "FileQuit", "Quit", "Cmd+Q", true, true},
      {"", "EditMenu", "&Edit", "", false, false},
      {"EditMenu", "EditUndo", "Undo", "Cmd+Z", false, false},
      {"EditMenu", "UntitledMenu0", "-", "", false, false},
      {"EditMenu", "EditCut", "Cut", "Cmd+X", false, false},
      {"EditMenu", "EditCopy", "Copy", "Cmd+C", false, false},
      {"EditMenu", "EditPaste", "Paste", "Cmd+V", false, false},
      {"EditMenu", "EditClear", "Clear", "", false, false},
  };
  auto& bar = host::Deref(window->MenuBar);
  EXPECT_EQ(window->MenuBar, MenuBar1::Instance()) << "one bar for the application and window";
  std::vector<std::string> built, expected;
  for (const auto& top : bar.Children()) {
    built.push_back(top->Name);
    for (const auto& item : top->Children()) built.push_back(top->Name + "/" + item->Name);
  }
  for (const auto& row : rows) {
    expected.push_back(*row.parent ? std::string(row.parent) + "/" + row.name : row.name);
    auto item = bar.FindItem(row.name);
    ASSERT_TRUE(item) << row.name;
    EXPECT_EQ(item->Text, row.text) << row.name;
    EXPECT_EQ(item->KeyboardShortcut, row.shortcut) << row.name;
    EXPECT_EQ(item->AutoEnable, row.autoEnable) << row.name;
    EXPECT_EQ(item->QuitsApplication(), row.quits) << row.name;
  }
  EXPECT_EQ(built, expected);
  EXPECT_EQ(window->EditCut(), bar.FindItem("EditCut")) << "found two levels below the bar";
  EXPECT_EQ(host::Deref(window->EditCut()).Text, "Cut");
  EXPECT_EQ(window->UntitledMenu1(), nullptr);
  EXPECT_TRUE(window->FileQuit());
}

struct ControlRow {
  const char* name;
  const char* kind;  // "Canvas", "StaticText" or "Timer"
  host::Rect bounds;
  bool visible;
  const char* parent;  // "" for the window
  bool lockedLeftTopRight;
  int period;  // timers only
};

std::string KindOf(const host::Control& c) {
  if (dynamic_cast<const host::Canvas*>(&c)) return "Canvas";
  if (dynamic_cast<const host::StaticText*>(&c)) return "StaticText";
  if (dynamic_cast<const host::Timer*>(&c)) return "Timer";
  return "other";
}

// Checked on a window built but not opened: opening places the chain and the window's full
// width moves the locked controls.
TEST_F(Construction, MainWindowBuildsItsSeventeenControlsInOrder) {
  const std::vector<ControlRow> rows = {
      {"Canvas1", "Canvas", {4, 0, 406, 24}, true, "", true, 0},
      {"StaticText1", "StaticText", {24, 4, 168, 20}, false, "Canvas1", true, 0},
      {"Timer4", "Timer", {}, false, "", false, 9000},
      {"Timer5", "Timer", {}, false, "", false, 100},
      {"Timer2", "Timer", {}, false, "", false, 20000},
      {"Timer3", "Timer", {}, false, "", false, 25},
      {"Timer1", "Timer", {}, false, "", false, 600},
      {"Timer6", "Timer", {}, false, "", false, 3000},
      {"Timer7", "Timer", {}, false, "", false, 50},
      {"Timer8", "Timer", {}, false, "", false, 0},
      {"TimerTen", "Timer", {}, false, "", false, 200},
      {"Canvas2", "Canvas", {59, 26, 26, 279}, true, "", false, 0},
      {"chaintimer1", "Timer", {}, false, "", false, 50},
      {"StaticText2", "StaticText", {97, 4, 50, 20}, false, "StaticText1", false, 0},
      {"Timershort", "Timer", {}, false, "", false, 150},
      {"Timer9", "Timer", {}, false, "", false, 200},
      {"TimerFried", "Timer", {}, false, "", false, 500},
  };
  Window1 fresh;
  fresh.CreateControls();
  const auto& controls = fresh.Controls();
  ASSERT_EQ(controls.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto& row = rows[i];
    const host::Control& c = *controls[i];
    SCOPED_TRACE(row.name);
    EXPECT_EQ(c.Name(), row.name);
    ASSERT_EQ(KindOf(c), row.kind);
    if (auto* timer = dynamic_cast<const host::Timer*>(&c)) {
      EXPECT_EQ(timer->Period(), row.period);
      EXPECT_EQ(timer->Mode(), 0) << "no timer runs until a handler starts it";
      continue;
    }
    const auto& r = dynamic_cast<const host::RectControl&>(c);
    EXPECT_EQ(r.Bounds(), row.bounds);
    EXPECT_EQ(r.Visible(), row.visible);
    EXPECT_EQ(r.Parent() ? r.Parent()->Name() : "", row.parent);
    EXPECT_EQ(r.LockLeft && r.LockTop && r.LockRight, row.lockedLeftTopRight);
    EXPECT_FALSE(r.LockBottom);
    EXPECT_EQ(r.Index, INT32_MIN);
    EXPECT_TRUE(r.Enabled());
  }
  EXPECT_EQ(host::Deref(fresh.Find<host::StaticText>("StaticText1")).Text(), "Quit");
  EXPECT_EQ(host::Deref(fresh.Find<host::StaticText>("StaticText2")).Text(), "About");
  EXPECT_EQ(host::Deref(fresh.Find<host::StaticText>("StaticText2")).TextSize, 14);
}

}  // namespace
}  // namespace lumorra::testing
