// Start-up, the menu shortcuts, and the end of the run.

#include <gtest/gtest.h>

#include "app/menubar1.h"
#include "support/scene_fixture.h"

namespace lumorra::testing {
namespace {

using StartUp = SceneTest;

TEST_F(StartUp, MakesOneOfEachAndSharesTheMenuBar) {
  EXPECT_EQ(runtime->FileTypes().size(), 1u);
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
  EXPECT_EQ(window->Backdrop(), window->darker) << "Open ran before the loop";
  EXPECT_EQ(window->counter, 0);
  EXPECT_FALSE(window->lit || window->fried || window->enditall);
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
  EXPECT_GE(backend.Now(), LastMoment("none") * host::kMillis) << "the show ran to the blackout";
  EXPECT_EQ(FileTypes::pText, nullptr);
}

}  // namespace
}  // namespace lumorra::testing
