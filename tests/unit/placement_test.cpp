// Where windows go on the main screen, also when it is one of several monitors and does not
// start at the desktop's origin.

#include <gtest/gtest.h>

#include "host/placement.h"
#include "support/scene_fixture.h"

namespace lumorra::testing {
namespace {

TEST(Placement, FullScreenTakesTheScreenAndSmallWindowsAreCentredOnIt) {
  const host::Rect main{1280, 0, 1920, 1080};
  EXPECT_EQ(host::PlaceOnScreen(main, {200, 120}, true), main);
  EXPECT_EQ(host::PlaceOnScreen(main, {200, 120}, false), (host::Rect{2140, 480, 200, 120}));
  // A main screen left of and above the desktop's origin.
  EXPECT_EQ(host::PlaceOnScreen({-1024, -768, 1024, 768}, {200, 120}, false),
            (host::Rect{-612, -444, 200, 120}));
  // A window larger than the screen still has its middle on the screen's middle.
  EXPECT_EQ(host::PlaceOnScreen({0, 0, 100, 100}, {200, 120}, false),
            (host::Rect{-50, -10, 200, 120}));
}

// The main monitor to the right of a 1280x1024 one.
class OffsetMainScreen : public SceneTest {
 protected:
  void SetUp() override {
    backend.SetScreenOrigin(1280, 0);
    Start();
  }
};

TEST_F(OffsetMainScreen, SceneCoversTheMainMonitorAndTheCreditsBoxOpensInItsMiddle) {
  const auto& main = Native().Spec();
  EXPECT_TRUE(main.fullScreen);
  EXPECT_EQ(main.rect, (host::Rect{1280, 0, 1920, 1080}));
  driver->Click(*window, 120, 12);  // "About" on the top strip
  ASSERT_NE(Box(), nullptr);
  EXPECT_EQ(backend.NativeFor(*Box())->Spec().rect, (host::Rect{2140, 480, 200, 120}));
}

}  // namespace
}  // namespace lumorra::testing
