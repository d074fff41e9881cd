// Start-up, the menu bar, the main window's controls, and the end of the run.

#include <gtest/gtest.h>

#include "app/menubar1.h"
#include "support/scene_fixture.h"

namespace lumorra::testing {
namespace {

using StartUp = SceneTest;

TEST_F(StartUp, MakesOneOfEachAndSharesTheMenuBar) {
  EXPECT_EQ(runtime->FileTypes().size(), 1u);
  const auto& type = runtime->FileTypes()[0];
  EXPECT_EQ(type.name, "text");
  EXPECT_EQ(type.creator, "R*ch");
  EXPECT_EQ(type.type, "TEXT");
  EXPECT_EQ(type.extensions, "");
  FileTypes::pText->Register();
  EXPECT_EQ(runtime->FileTypes().size(), 1u) << "a second registration does nothing";

  ASSERT_NE(runtime->App(), nullptr);
  EXPECT_NE(std::dynamic_pointer_cast<App>(runtime->App()), nullptr);
  EXPECT_EQ(runtime->App()->MenuBar, MenuBar1::Instance());
  EXPECT_EQ(window->MenuBar, runtime->App()->MenuBar);
  EXPECT_EQ(Window1::Instance(), window);
  EXPECT_EQ(runtime->Windows().size(), 1u);
  EXPECT_EQ(backend.NativeWindows().size(), 1u);
}

TEST_F(StartUp, MainWindowIsBlackBorderlessFullScreenAndOpened) {
  const auto& native = Native();
  EXPECT_TRUE(native.Spec().fullScreen);
  EXPECT_EQ(native.Spec().rect, (host::Rect{0, 0, 1920, 1080}));
  EXPECT_TRUE(native.Shown());
  EXPECT_TRUE(native.Showing().hasBackColor);
  EXPECT_EQ(native.Showing().backColor, host::RGB(0, 0, 0));
  EXPECT_EQ(window->Title, "Untitled");
  EXPECT_EQ(window->Frame, 4);
  EXPECT_FALSE(window->MenuBarVisible);
  EXPECT_EQ(window->Backdrop(), window->darker) << "Open ran before the loop";
  EXPECT_EQ(window->counter, 0);
  EXPECT_FALSE(window->lit || window->fried || window->enditall);
}

TEST_F(StartUp, MenuTreeHasQuitAndTheEditCommandsInOrder) {
  auto bar = MenuBar1::Instance();
  ASSERT_EQ(bar->Children().size(), 2u);
  EXPECT_EQ(bar->Children()[0]->Text, "&File");
  EXPECT_EQ(bar->Children()[1]->Text, "&Edit");
  const auto& file = bar->Child("FileMenu")->Children();
  ASSERT_EQ(file.size(), 1u);
  EXPECT_TRUE(file[0]->QuitsApplication());
  EXPECT_EQ(file[0]->KeyboardShortcut, "Cmd+Q");
  EXPECT_TRUE(file[0]->AutoEnable);
  std::vector<std::string> edit;
  for (const auto& item : bar->Child("EditMenu")->Children())
    edit.push_back(item->Text + "|" + item->KeyboardShortcut + "|" +
                   (item->AutoEnable ? "on" : "off"));
  EXPECT_EQ(edit, (std::vector<std::string>{"Undo|Cmd+Z|off", "-||off", "Cut|Cmd+X|off",
                                            "Copy|Cmd+C|off", "Paste|Cmd+V|off", "Clear||off"}));
}

TEST_F(StartUp, WindowMenuOperationsSearchTheWholeTree) {
  ASSERT_NE(window->EditCut(), nullptr);
  EXPECT_EQ(window->EditCut()->Text, "Cut");
  EXPECT_EQ(window->FileQuit()->Name, "FileQuit");
  EXPECT_EQ(window->UntitledMenu0()->Text, "-");
  EXPECT_EQ(window->UntitledMenu1(), nullptr);
}

TEST_F(StartUp, SeventeenControlsWithTheirKindsPlacesAndPeriods) {
  struct Expected {
    const char* name;
    host::Rect rect;
    bool visible;
    const char* parent;
  };
  // Full-size pictures on this 1920 x 1080 screen: the chain canvas was fitted to them and
  // the strip and "Quit" widened by 1920 - 415.
  const Expected rects[] = {
      {"Canvas1", {4, 0, 406 + 1505, 24}, true, nullptr},
      {"StaticText1", {24, 4, 168 + 1505, 20}, false, "Canvas1"},
      {"Canvas2", {98, 26, 40, 490}, true, nullptr},
      {"StaticText2", {97, 4, 50, 20}, false, "StaticText1"},
  };
  for (const auto& e : rects) {
    auto c = window->Find<host::RectControl>(e.name);
    ASSERT_NE(c, nullptr) << e.name;
    EXPECT_EQ(c->Bounds(), e.rect) << e.name;
    EXPECT_EQ(c->Visible(), e.visible) << e.name;
    EXPECT_EQ(c->Parent() ? c->Parent()->Name() : "", e.parent ? e.parent : "") << e.name;
  }
  EXPECT_NE(window->Find<host::Canvas>("Canvas2"), nullptr);
  EXPECT_EQ(window->Find<host::StaticText>("StaticText1")->Text(), "Quit");
  EXPECT_EQ(window->Find<host::StaticText>("StaticText2")->Text(), "About");
  EXPECT_EQ(window->Find<host::StaticText>("StaticText2")->TextSize, 14);

  const std::pair<const char*, int> timers[] = {
      {"Timer4", 9000},   {"Timer5", 100},     {"Timer2", 20000},   {"Timer3", 25},
      {"Timer1", 600},    {"Timer6", 3000},    {"Timer7", 50},      {"Timer8", 0},
      {"TimerTen", 200},  {"chaintimer1", 50}, {"Timershort", 150}, {"Timer9", 200},
      {"TimerFried", 500}};
  for (const auto& [name, period] : timers) {
    auto t = window->Find<host::Timer>(name);
    ASSERT_NE(t, nullptr) << name;
    EXPECT_EQ(t->Period(), period) << name;
    EXPECT_EQ(t->Mode(), 0) << name;
  }
  EXPECT_EQ(window->Controls().size(), 17u);
  std::vector<std::string> order;
  for (const auto& c : window->Controls()) order.push_back(c->Name());
  EXPECT_EQ(order, (std::vector<std::string>{"Canvas1", "StaticText1", "Timer4", "Timer5", "Timer2",
                                             "Timer3", "Timer1", "Timer6", "Timer7", "Timer8",
                                             "TimerTen", "Canvas2", "chaintimer1", "StaticText2",
                                             "Timershort", "Timer9", "TimerFried"}));
  EXPECT_LT(runtime->NextDeadline(), 0) << "no timer runs after start-up";
}

TEST_F(StartUp, CtrlQQuitsAndEditShortcutsDoNothing) {
  for (char key : {'x', 'c', 'v', 'z'}) {
    driver->Key(key);
    EXPECT_FALSE(runtime->QuitRequested()) << key;
  }
  driver->Key('q', /*command=*/false);
  EXPECT_FALSE(runtime->QuitRequested());
  driver->Key('q');
  EXPECT_TRUE(runtime->QuitRequested());
}

TEST_F(StartUp, FinalisationReleasesEverythingItKeeps) {
  PullChain();
  driver->Advance(100);  // the chain and the rain sounds are loaded now
  ASSERT_NE(cache::chain_snd, nullptr);
  std::weak_ptr<host::Picture> dark = window->darker;
  std::weak_ptr<Window1> weakWindow = window;
  window.reset();
  Finalise();
  EXPECT_EQ(cache::chain_snd, nullptr);
  EXPECT_EQ(cache::quiet_snd, nullptr);
  EXPECT_EQ(cache::showers_snd, nullptr);
  EXPECT_EQ(cache::lowlight1_permapic, nullptr);
  EXPECT_EQ(cache::highlight_permapic, nullptr);
  EXPECT_TRUE(runtime->Windows().empty());
  EXPECT_TRUE(weakWindow.expired()) << "the window lists held the last references";
  EXPECT_TRUE(dark.expired());
  EXPECT_EQ(FileTypes::pText, nullptr);
  EXPECT_FALSE(MenuBar1::HasInstance());
  EXPECT_TRUE(backend.NativeWindows().empty());
  runtime.reset();
}

TEST(Program, HeadlessRunPlaysTheWholeShowAndExitsCleanly) {
  // The whole process on the headless backend: a pull, then the script ends. The loop runs
  // every timer in virtual time; with nothing left to do the run ends with status 0.
  host::headless::HeadlessBackend backend;
  host::InputEvent e;
  e.window = 1;
  e.x = 110;
  e.y = 200;
  for (auto type : {host::InputEvent::Type::MouseMove, host::InputEvent::Type::MouseDown,
                    host::InputEvent::Type::MouseUp}) {
    e.type = type;
    backend.Push(e);
  }
  EXPECT_EQ(RunProgram(backend, EmbeddedResources()), 0);
  EXPECT_GE(backend.Now(), 32675 * host::kMillis) << "the show ran to the blackout";
  EXPECT_EQ(FileTypes::pText, nullptr);
}

}  // namespace
}  // namespace lumorra::testing
