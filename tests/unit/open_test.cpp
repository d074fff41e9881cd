// Preparing the scene for the main screen's size.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "media/media_table.h"
#include "support/scene_fixture.h"

namespace lumorra::testing {
namespace {

// How the photographs are shown on a screen: as 1152x768 copies, as they are, scaled from the
// masters to cover it, or the masters as they are.
enum class Fit { Reduced, Full, Cover, Master };
// A screen: its size in points, how the photographs fit it, where the chain is grabbed (in
// points), the pixels behind the points where the desktop scales it (Wayland's output scale), and
// the copy of the dark master built in for those pixels that the dark room is shown from, if any.
struct ScreenCase {
  host::Size points;
  Fit fit;
  host::Rect chain;
  host::Size pixels = points;
  int darkCopy = 0;
};

constexpr int kPhotographs[] = {medium::lowlight1, medium::lowlight2, medium::chain1,
                                medium::chain2, medium::highlight};

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
  OpenOnScreen() : SceneTest(GetParam().points) { backend.SetScreenPixels(GetParam().pixels); }
};

// The pictures are made for the screen's pixels, and a pull lands where the chain is drawn.
TEST_P(OpenOnScreen, PicksThePictureSizeFitsTheScreenAndRunsTheShowInIt) {
  const auto [points, fit, chain, pixels, darkCopy] = GetParam();
  const int sw = pixels.width, sh = pixels.height;
  const bool large = fit == Fit::Cover || fit == Fit::Master;
  // Screens up to 1920x1280 never decode a master (nor does the test for them, below); larger
  // ones decode the masters and never the photographs, except the dark master where a copy of
  // it is built in for the screen: only that copy is decoded.
  const auto decodes = [this](int n) {
    return runtime->Resources()->Decodes(host::ResourceKind::Picture, n);
  };
  const auto checkDecodes = [&] {
    for (int n : kPhotographs) {
      const bool copied = darkCopy && n == medium::lowlight1;
      EXPECT_EQ(decodes(n + kMasterNumbers), large && !copied ? 1 : 0) << "master of " << n;
      EXPECT_EQ(decodes(n), large ? 0 : 1) << "photograph " << n;
    }
    for (const MasterCopy& copy : kMasterCopies)
      EXPECT_EQ(decodes(copy.number), copy.number == darkCopy ? 1 : 0) << "copy " << copy.number;
  };
  checkDecodes();
  const host::Size size = fit == Fit::Reduced ? host::Size{1152, 768}
                          : fit == Fit::Full  ? host::Size{1920, 1280}
                          : fit == Fit::Cover ? host::Size{sw, sh}
                                              : host::Size{3840, 2560};
  const std::shared_ptr<host::Picture> fields[] = {window->darker, window->darker2, window->lighter,
                                                   window->lighter2, window->flash};
  const std::array<std::shared_ptr<host::Picture>, 5> embedded =
      large ? std::array{Master(medium::lowlight1), Master(medium::lowlight2),
                         Master(medium::chain1), Master(medium::chain2), Master(medium::highlight)}
            : std::array{lowlight1(), lowlight2(), chain1(), chain2(), highlight()};
  // A copy's blocks average like the blocks of the picture they were scaled from: 80x80 blocks
  // of a photograph into 48x48 reduced ones, 96x96 blocks of a master into covering ones
  // anchored at the top-left (the covering screens here scale 96 to a whole number of pixels).
  const int from = fit == Fit::Reduced ? 80 : 96;
  const int to =
      fit == Fit::Reduced ? 48 : (sw * 1280 >= sh * 1920 ? 48 * sw / 1920 : 48 * sh / 1280);
  const bool shared = fit == Fit::Full || fit == Fit::Master;
  for (int i = 0; i < 5; ++i) {
    ASSERT_NE(fields[i], nullptr);
    // The dark room from a built-in copy: that very picture, covering the screen at the size the
    // master would be scaled to, cut off at the screen's edge.
    const bool copied = darkCopy && i == 0;
    const host::Size expected = copied ? host::Size{sw, (1280 * sw + 1919) / 1920} : size;
    EXPECT_EQ((host::Size{fields[i]->Width(), fields[i]->Height()}), expected);
    if (copied) {
      EXPECT_EQ(fields[i], BuiltInCopy(darkCopy));
    } else {
      EXPECT_EQ(fields[i] == embedded[i], shared) << "full and master size share, others copy";
    }
    for (int j = 0; j < 5; ++j) {
      if (j < i) {
        EXPECT_NE(fields[i], fields[j]);
      }
      if (fit == Fit::Reduced && j != i) {
        EXPECT_LT(ChainError(*fields[i], *embedded[i]), ChainError(*fields[i], *embedded[j]))
            << "copy " << i << " is closer to photograph " << j;
      }
    }
    int bad = 0;
    std::string first;
    for (int by = 0; !shared && (by + 1) * to <= size.height; ++by)
      for (int bx = 0; (bx + 1) * to <= size.width; ++bx)
        for (int shift : {0, 8, 16})
          if (std::abs(Mean(*fields[i], bx * to, by * to, to, shift) -
                       Mean(*embedded[i], bx * from, by * from, from, shift)) > 4.0 &&
              !bad++)
            first = std::to_string(bx) + "," + std::to_string(by);
    EXPECT_EQ(bad, 0) << "blocks off by more than 4 levels, first " << first;
  }
  EXPECT_EQ(window->Find<host::Canvas>("Canvas2")->Bounds(), chain);
  EXPECT_EQ(window->Find<host::RectControl>("StaticText1")->Bounds(),
            (host::Rect{24, 4, 168 + points.width - 415, 20}));
  Mark();
  // The middle of the chain as the pictures draw it (118,271 in a photograph), in points.
  driver->Click(*window, 118 * size.width / 1920 * points.width / sw,
                271 * size.width / 1920 * points.height / sh);
  driver->Advance(kPastTheShow);
  EXPECT_EQ(Timeline(), kWholeShow) << "every picture shown is one of the checked five";
  for (std::size_t i = markFrame_; i < Native().Frames().size(); ++i)
    EXPECT_EQ(Native().Frames()[i].view.size, points);
  if (!large) checkDecodes();
}

// The chain box in the reduced copies, in the photographs, and scaled with them: from the
// largest whole pixel at or before its scaled left and top to the smallest at or after its
// scaled right and bottom.
constexpr host::Rect kReducedChain{59, 26, 26, 279}, kChain{98, 26, 40, 490};
const ScreenCase kScreens[] = {
    {{1152, 768}, Fit::Reduced, kReducedChain},
    {{1024, 768}, Fit::Reduced, kReducedChain},
    {{640, 480}, Fit::Reduced, kReducedChain},
    {{1152, 769}, Fit::Full, kChain},
    {{1153, 768}, Fit::Full, kChain},
    {{1920, 1080}, Fit::Full, kChain},
    {{1920, 1280}, Fit::Full, kChain},
    {{1960, 1280}, Fit::Cover, {100, 26, 41, 501}},  // by width, 49/48
    {{1920, 1360}, Fit::Cover, {104, 27, 43, 522}},  // by height, 17/16
    {{2560, 1440}, Fit::Cover, {130, 34, 54, 654}, {2560, 1440}, medium::lowlight1_2560},  // 4/3
    {{3440, 1440}, Fit::Cover, {175, 46, 73, 879}, {3440, 1440}, medium::lowlight1_3440},
    {{2880, 1800}, Fit::Cover, {147, 39, 60, 735}},             // 3/2, no copy
    {{3840, 2160}, Fit::Master, {196, 52, 80, 980}},            // 2
    {{960, 540}, Fit::Full, {49, 13, 20, 245}, {1920, 1080}},   // scaled 2
    {{1280, 720}, Fit::Full, {65, 17, 27, 327}, {1920, 1080}},  // scaled 1.5
    {{2048, 1280},
     Fit::Cover,
     {104, 27, 44, 524},
     {2560, 1600},  // scaled 1.25, 4/3
     medium::lowlight1_2560}};
INSTANTIATE_TEST_SUITE_P(Screens, OpenOnScreen, ::testing::ValuesIn(kScreens),
                         [](const auto& info) {
                           const ScreenCase& c = info.param;
                           return std::to_string(c.points.width) + "x" +
                                  std::to_string(c.points.height) + "on" +
                                  std::to_string(c.pixels.width);
                         });

}  // namespace
}  // namespace lumorra::testing
