// Preparing the scene for the main screen's size.

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "media/media_table.h"
#include "support/scene_fixture.h"

namespace lumorra::testing {
namespace {

// Screen width and height; whether the photographs are shown as they are or as 1152x768 copies.
using ScreenCase = std::tuple<int, int, bool>;

double Mean(const host::Picture& p, int x0, int y0, int side, int shift) {
  double sum = 0;
  for (int y = y0; y < y0 + side; ++y)
    for (int x = x0; x < x0 + side; ++x) sum += (p.Pixel(x, y) >> shift) & 255;
  return sum / (side * side);
}

// How far a reduced copy is from `source` down the chain, where the pull variants differ: 6x6
// blocks of the copy against the 10x10 blocks of the photograph they come from.
double ChainError(const host::Picture& copy, const host::Picture& source) {
  double error = 0;
  for (int y = 24; y < 306; y += 6)
    for (int x = 57; x < 87; x += 6)
      error += std::abs(Mean(copy, x, y, 6, 8) - Mean(source, x * 5 / 3, y * 5 / 3, 10, 8));
  return error;
}

class OpenOnScreen : public SceneTest, public ::testing::WithParamInterface<ScreenCase> {
 protected:
  OpenOnScreen() : SceneTest({std::get<0>(GetParam()), std::get<1>(GetParam())}) {}
};

TEST_P(OpenOnScreen, PicksThePictureSizeFitsTheScreenAndRunsTheShowInIt) {
  const auto [sw, sh, full] = GetParam();
  const host::Size size = full ? host::Size{1920, 1280} : host::Size{1152, 768};
  const std::shared_ptr<host::Picture> fields[] = {window->darker, window->darker2, window->lighter,
                                                   window->lighter2, window->flash};
  const std::shared_ptr<host::Picture> embedded[] = {lowlight1(), lowlight2(), chain1(), chain2(),
                                                     highlight()};
  for (int i = 0; i < 5; ++i) {
    ASSERT_NE(fields[i], nullptr);
    EXPECT_EQ((host::Size{fields[i]->Width(), fields[i]->Height()}), size);
    EXPECT_EQ(fields[i] == embedded[i], full) << "full size shares, reduced copies";
    for (int j = 0; j < 5; ++j) {
      if (j < i) {
        EXPECT_NE(fields[i], fields[j]);
      }
      if (!full && j != i) {
        EXPECT_LT(ChainError(*fields[i], *embedded[i]), ChainError(*fields[i], *embedded[j]))
            << "copy " << i << " is closer to photograph " << j;
      }
    }
    // Each 48x48 block of a reduced copy averages like the 80x80 block it came from.
    for (int by = 0; !full && by < 16; ++by)
      for (int bx = 0; bx < 24; ++bx)
        for (int shift : {0, 8, 16})
          EXPECT_NEAR(Mean(*fields[i], bx * 48, by * 48, 48, shift),
                      Mean(*embedded[i], bx * 80, by * 80, 80, shift), 4.0);
  }
  const host::Rect chain = full ? host::Rect{98, 26, 40, 490} : host::Rect{59, 26, 26, 279};
  EXPECT_EQ(window->Find<host::Canvas>("Canvas2")->Bounds(), chain);
  EXPECT_EQ(window->Find<host::RectControl>("StaticText1")->Bounds(),
            (host::Rect{24, 4, 168 + sw - 415, 20}));
  Mark();
  PullChain();
  driver->Advance(kPastTheShow);
  EXPECT_EQ(Timeline(), kWholeShow) << "every picture shown is one of the checked five";
  for (std::size_t i = markFrame_; i < Native().Frames().size(); ++i)
    EXPECT_EQ(Native().Frames()[i].view.size, (host::Size{sw, sh}));
}

const ScreenCase kScreens[] = {{1152, 768, false}, {1024, 768, false}, {640, 480, false},
                               {1152, 769, true},  {1153, 768, true},  {2560, 1440, true},
                               {7680, 4320, true}};
INSTANTIATE_TEST_SUITE_P(Screens, OpenOnScreen, ::testing::ValuesIn(kScreens),
                         [](const auto& info) {
                           return std::to_string(std::get<0>(info.param)) + "x" +
                                  std::to_string(std::get<1>(info.param));
                         });

}  // namespace
}  // namespace lumorra::testing
