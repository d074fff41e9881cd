// Preparing the scene for the main screen's size.

#include <gtest/gtest.h>

#include <cmath>

#include "media/media_table.h"
#include "support/scene_fixture.h"

namespace lumorra::testing {
namespace {

struct ScreenCase {
  host::Size screen;
  bool fullSize;
  friend void PrintTo(const ScreenCase& c, std::ostream* os) {
    *os << c.screen.width << "x" << c.screen.height;
  }
};

class OpenOnScreen : public SceneTest, public ::testing::WithParamInterface<ScreenCase> {
 protected:
  OpenOnScreen() : SceneTest(GetParam().screen) {}
};

TEST_P(OpenOnScreen, PicksThePictureSizeFitsTheScreenAndRunsTheShowInIt) {
  const bool full = GetParam().fullSize;
  const int w = full ? 1920 : 1152, h = full ? 1280 : 768;
  const std::shared_ptr<host::Picture> fields[] = {window->darker, window->darker2, window->lighter,
                                                   window->lighter2, window->flash};
  const std::shared_ptr<host::Picture> embedded[] = {lowlight1(), lowlight2(), chain1(), chain2(),
                                                     highlight()};
  for (int i = 0; i < 5; ++i) {
    ASSERT_NE(fields[i], nullptr);
    EXPECT_EQ(fields[i]->Width(), w);
    EXPECT_EQ(fields[i]->Height(), h);
    EXPECT_EQ(fields[i] == embedded[i], full) << "full size shares, reduced copies";
    for (int j = 0; j < i; ++j) EXPECT_NE(fields[i], fields[j]);
  }
  const host::Rect chain = full ? host::Rect{98, 26, 40, 490} : host::Rect{59, 26, 26, 279};
  EXPECT_EQ(window->Find<host::Canvas>("Canvas2")->Bounds(), chain);
  EXPECT_EQ(Showing(), "darker");
  EXPECT_LT(runtime->NextDeadline(), 0) << "no timer runs after the scene opens";
  EXPECT_EQ(backend.Sounds().size(), 1u) << "only the opening sound";
  EXPECT_EQ(backend.Sounds()[0].resourceId, medium::quiet);

  // Whatever the screen, the strip and the credits box fit it, and the show runs its course in
  // pictures of the chosen size.
  const host::Size screen = GetParam().screen;
  driver->Click(*window, 120, 12);  // "About"
  ASSERT_NE(Box(), nullptr);
  EXPECT_EQ(backend.NativeFor(*Box())->Spec().rect,
            (host::Rect{(screen.width - 200) / 2, (screen.height - 120) / 2, 200, 120}));
  driver->Click(*Box(), 100, 30);
  EXPECT_FALSE(backend.NativeFor(*Box())->Shown());

  EXPECT_EQ(window->Find<host::RectControl>("StaticText1")->Bounds(),
            (host::Rect{24, 4, 168 + screen.width - 415, 20}));
  driver->MoveTo(*window, screen.width - 10, 10);
  EXPECT_EQ(Native().Showing().labels.size(), 2u);
  driver->MoveTo(*window, 700 * screen.width / 1920, 400);
  EXPECT_TRUE(Native().Showing().labels.empty());

  Mark();
  PullChain();
  driver->Advance(kPastTheShow);
  EXPECT_EQ(Timeline(), kWholeShow);
  for (std::size_t i = markFrame_; i < Native().Frames().size(); ++i) {
    const auto& view = Native().Frames()[i].view;
    EXPECT_EQ(view.size, screen);
    if (!view.backdrop) continue;
    EXPECT_EQ(view.backdrop->Width(), w);
    EXPECT_EQ(view.backdrop->Height(), h);
  }
  driver->Click(*window, screen.width / 2, screen.height / 2);
  EXPECT_TRUE(runtime->QuitRequested());
}

INSTANTIATE_TEST_SUITE_P(
    Screens, OpenOnScreen,
    ::testing::Values(ScreenCase{{1152, 768}, false}, ScreenCase{{1024, 768}, false},
                      ScreenCase{{640, 480}, false}, ScreenCase{{1152, 769}, true},
                      ScreenCase{{1153, 768}, true}, ScreenCase{{2560, 1440}, true},
                      ScreenCase{{7680, 4320}, true}),
    [](const auto& info) {
      return std::to_string(info.param.screen.width) + "x" +
             std::to_string(info.param.screen.height);
    });

class OpenOnSmallScreen : public SceneTest {
 protected:
  OpenOnSmallScreen() : SceneTest({1024, 768}) {}
};

TEST_F(OpenOnSmallScreen, ReducedPicturesAreTheWholeSceneScaled) {
  // Each 48 x 48 block of a reduced picture is the 80 x 80 block of the photograph it came
  // from: compare block averages.
  const std::pair<std::shared_ptr<host::Picture>, std::shared_ptr<host::Picture>> pairs[] = {
      {window->darker, lowlight1()}, {window->lighter, chain1()}, {window->flash, highlight()}};
  for (const auto& [reduced, source] : pairs) {
    double worst = 0;
    for (int by = 0; by < 16; ++by)
      for (int bx = 0; bx < 24; ++bx)
        for (int shift : {0, 8, 16}) {
          double a = 0, b = 0;
          for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 48; ++x)
              a += (reduced->Pixel(bx * 48 + x, by * 48 + y) >> shift) & 255;
          for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 80; ++x)
              b += (source->Pixel(bx * 80 + x, by * 80 + y) >> shift) & 255;
          worst = std::max(worst, std::abs(a / (48 * 48) - b / (80 * 80)));
        }
    EXPECT_LT(worst, 4.0);
  }
  // The backdrop is shown from the top-left at its own size, larger than this screen.
  EXPECT_EQ(Native().Showing().backdrop->Width(), 1152);
}

TEST(DrawPicture, NilSourceDrawsNothingAndClipsToTheTarget) {
  auto target = host::NewPicture(10, 10, 32);
  target->Graphics()->DrawPicture(nullptr, 0, 0, 10, 10, 0, 0, 10, 10);
  EXPECT_EQ(target->Pixel(5, 5) & 0xFFFFFF, 0u);
  auto source = host::NewPicture(4, 4, 32);
  std::fill(source->Pixels(), source->Pixels() + 16, 0xFFFFFFu);
  target->Graphics()->DrawPicture(source, 8, 8, 4, 4, 0, 0, 4, 4);
  EXPECT_EQ(target->Pixel(9, 9) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(target->Pixel(7, 7) & 0xFFFFFF, 0u);
  EXPECT_EQ(host::NewPicture(0, 10, 32), nullptr);
  EXPECT_EQ(host::NewPicture(10, 10, 7), nullptr);
}

}  // namespace
}  // namespace lumorra::testing
