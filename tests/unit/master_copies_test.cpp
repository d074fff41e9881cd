// The copies of the dark master built into the program for the common larger screens: which
// screen shows one, and that each is the picture such a screen would otherwise get.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "host/codec.h"
#include "host/picture.h"
#include "media/media.h"
#include "media/media_table.h"
#include "scene/window1.h"

namespace lumorra::testing {
namespace {

// A screen shows a copy only where the master would be scaled to exactly the copy's size: the
// copy's top-left is then what the screen shows, with nothing scaled again. Every other screen
// keeps the path it had (the photographs, the master as it is, or the master scaled).
TEST(MasterCopies, AScreenShowsTheCopyMadeForItsCoverOnly) {
  const std::optional<int> none;
  const struct {
    host::Size screen;
    std::optional<int> copy;
  } cases[] = {
      {{2560, 1440}, medium::lowlight1_2560},  // 16:9
      {{2560, 1600}, medium::lowlight1_2560},  // 16:10
      {{2560, 1080}, medium::lowlight1_2560},  // 21:9
      {{2560, 1706}, medium::lowlight1_2560},  // all but the copy's last row
      {{2560, 1707}, none},                    // covered by height: 2560.5 wide, rounded up to 2561
      {{2000, 1707}, none},
      {{2561, 1440}, none},
      {{2559, 1440}, none},
      {{3440, 1440}, medium::lowlight1_3440},
      {{3440, 2293}, medium::lowlight1_3440},
      {{3440, 2294}, none},
      {{3000, 2293}, none},  // covered by height: 3440 wide, but 2293 high, a row short
      {{2880, 1800}, none},  // between the copies: the master scaled, as before
      {{1920, 1080}, none},  // the photographs
      {{1920, 1280}, none},
      {{1152, 768}, none},
      {{3840, 2160}, none},  // the master as it is
      {{5120, 2880}, none},  // the master scaled up
  };
  for (const auto& [screen, copy] : cases)
    EXPECT_EQ(Window1::DarkCopy(screen), copy) << screen.width << "x" << screen.height;
}

double Mean(const host::Picture& p, int x0, int y0, int side, int shift) {
  double sum = 0;
  for (int y = y0; y < y0 + side; ++y)
    for (int x = x0; x < x0 + side; ++x) sum += (p.Pixel(x, y) >> shift) & 255;
  return sum / (side * side);
}

// How sharp a crop is: the variance of the Laplacian of its green channel.
double Sharpness(const host::Picture& p, int x0, int y0, int side) {
  double sum = 0, squares = 0;
  const auto g = [&p](int x, int y) { return static_cast<double>((p.Pixel(x, y) >> 8) & 255); };
  for (int y = y0 + 1; y < y0 + side - 1; ++y)
    for (int x = x0 + 1; x < x0 + side - 1; ++x) {
      const double l = g(x - 1, y) + g(x + 1, y) + g(x, y - 1) + g(x, y + 1) - 4 * g(x, y);
      sum += l;
      squares += l * l;
    }
  const double n = static_cast<double>(side - 2) * (side - 2);
  return squares / n - (sum / n) * (sum / n);
}

// Each copy is its master scaled to the copy's size as the program scales it (and decodes in
// bands, as the master does): the same picture within what one JPEG generation changes, at
// least as sharp over the bulb and the chair, and with restart markers, so that it too is
// decoded on every processor.
TEST(MasterCopies, EachIsItsMasterAsTheProgramScalesIt) {
  ASSERT_GT(std::size(kMasterCopies), 0u);
  for (const MasterCopy& c : kMasterCopies) {
    SCOPED_TRACE(std::to_string(c.width));
    const auto bytes = EmbeddedResources().Find(host::ResourceKind::Picture, c.number);
    const auto copy = host::DecodePicture(bytes, {}, 1);
    ASSERT_NE(copy, nullptr);
    ASSERT_EQ(copy->Width(), c.width);
    ASSERT_EQ(copy->Height(), c.height);
    EXPECT_EQ(Window1::DarkCopy({c.width, c.height - 1}), c.number)
        << "a screen that tall shows it";
    const auto master =
        EmbeddedResources().Find(host::ResourceKind::Picture, c.photograph + kMasterNumbers);
    const auto scaled = host::DecodeScaledPicture(master, {c.width, c.height, c.width, c.height});
    ASSERT_NE(scaled, nullptr);
    // Bands from the restart markers give the very pixels of the one-band decode.
    const auto banded = host::DecodePicture(bytes, {}, 4);
    int differ = 0;
    for (int y = 0; y < c.height; y += 7)
      for (int x = 0; x < c.width; x += 5) differ += banded->Pixel(x, y) != copy->Pixel(x, y);
    EXPECT_EQ(differ, 0);
    // Pixel for pixel, one JPEG generation apart (2.3-3.2 levels, most of it the fine grain).
    double error = 0;
    long count = 0;
    for (int y = 0; y < c.height; y += 3)
      for (int x = 0; x < c.width; x += 3, ++count)
        for (int shift : {0, 8, 16})
          error += std::abs(static_cast<int>((copy->Pixel(x, y) >> shift) & 255) -
                            static_cast<int>((scaled->Pixel(x, y) >> shift) & 255));
    EXPECT_LT(error / (3.0 * count), 3.5) << "mean difference in levels";
    // 32x32 blocks average alike everywhere: nothing moved, nothing tinted.
    double worst = 0;
    for (int y = 0; y + 32 <= c.height; y += 32)
      for (int x = 0; x + 32 <= c.width; x += 32)
        for (int shift : {0, 8, 16})
          worst = std::max(worst,
                           std::abs(Mean(*copy, x, y, 32, shift) - Mean(*scaled, x, y, 32, shift)));
    EXPECT_LT(worst, 1.5) << "levels between the means of two 32x32 blocks";
    // The bulb and the chair as sharp as the master scaled (in the copy's pixels).
    const double k = c.width / 2560.0;
    for (const auto& [x, y, side] : {std::tuple{30, 80, 320}, {1040, 880, 480}}) {
      const int x0 = static_cast<int>(x * k), y0 = static_cast<int>(y * k),
                s = static_cast<int>(side * k);
      EXPECT_GE(Sharpness(*copy, x0, y0, s), Sharpness(*scaled, x0, y0, s))
          << "crop at " << x0 << "," << y0;
    }
  }
}

}  // namespace
}  // namespace lumorra::testing
