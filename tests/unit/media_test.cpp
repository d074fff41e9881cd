// The built-in media, measured as a person sees and hears them, and the accessors handing them out.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <map>
#include <numeric>
#include <tuple>

#include "host/codec.h"
#include "loudness.h"
#include "media/chain_box.h"
#include "media/media_table.h"
#include "support/scene_fixture.h"

namespace lumorra::testing {
namespace {

constexpr int kLit = medium::chain1, kLitPulled = medium::chain2, kFlash = medium::highlight,
              kDark = medium::lowlight1, kDarkPulled = medium::lowlight2;

double Luma(std::uint32_t px) {
  return 0.2126 * ((px >> 16) & 255) + 0.7152 * ((px >> 8) & 255) + 0.0722 * (px & 255);
}

// The luma of every `step`-th pixel of every `step`-th row inside `r`.
std::vector<double> Lumas(const host::Picture& p, host::Rect r, int step = 1) {
  std::vector<double> v;
  for (int y = r.top; y < r.top + r.height; y += step)
    for (int x = r.left; x < r.left + r.width; x += step) v.push_back(Luma(p.Pixel(x, y)));
  return v;
}

double MeanLuma(const host::Picture& p) {
  const auto v = Lumas(p, {0, 0, p.Width(), p.Height()}, 4);
  return std::accumulate(v.begin(), v.end(), 0.0) / v.size();
}

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[static_cast<std::size_t>(p * (v.size() - 1))];
}

// Share of the difference between two pictures that lies inside `r`.
double DifferenceInside(const host::Picture& a, const host::Picture& b, host::Rect r) {
  double inside = 0, outside = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      (r.Contains(x, y) ? inside : outside) += std::abs(Luma(a.Pixel(x, y)) - Luma(b.Pixel(x, y)));
  return inside / (inside + outside);
}

// Brightness, the flash's shadows, where the pulled chain differs, its contrast, the floor line.
TEST(MediaPhotographs, FiveShowTheRoomAsComposed) {
  std::map<int, std::shared_ptr<host::Picture>> p;
  for (int n : {kLit, kLitPulled, kFlash, kDark, kDarkPulled}) {
    p[n] = host::DecodePicture(EmbeddedResources().Find(host::ResourceKind::Picture, n));
    ASSERT_NE(p[n], nullptr) << n;
    p[n]->Pixels();  // waits for the body
  }
  const double dark = MeanLuma(*p[kDark]), lit = MeanLuma(*p[kLit]), flash = MeanLuma(*p[kFlash]);
  EXPECT_GT(lit, dark * 2);
  EXPECT_GT(flash, lit * 1.3);
  EXPECT_LE(Percentile(Lumas(*p[kFlash], {0, 0, 1920, 1280}, 2), 0.01), 40) << "flash shadows";
  // JPEG blocks may carry a difference a few pixels out of the chain's box.
  const host::Rect chainArea{kChainBox.left - 8, kChainBox.top - 8, kChainBox.width + 16,
                             kChainBox.height + 16};
  EXPECT_GT(DifferenceInside(*p[kDark], *p[kDarkPulled], chainArea), 0.9);
  EXPECT_GT(DifferenceInside(*p[kLit], *p[kLitPulled], chainArea), 0.9);
  // Along every 24-row stretch of the chain (x 98..138) in the dark, its brightest beads are 30
  // levels above the wall just beside it.
  for (int n : {kDark, kDarkPulled})
    for (int y0 = 140; y0 + 24 <= 440; y0 += 24)
      EXPECT_GE(Percentile(Lumas(*p[n], {98, y0, 40, 24}), 0.99) -
                    Percentile(Lumas(*p[n], {60, y0, 30, 24}), 0.5),
                30)
          << "picture " << n << ", rows " << y0 << "..";
  // Down the back wall, the floor begins where the wall turns to the darker skirting; that line
  // and the chair standing on it lie well inside the top 1080 rows a full HD screen shows.
  for (int x : {500, 650, 800}) {
    const double wall = Luma(p[kLit]->Pixel(x, 700));
    int floorLine = 700;
    while (floorLine < 1280 && Luma(p[kLit]->Pixel(x, floorLine)) >= wall * 0.6) ++floorLine;
    EXPECT_LT(floorLine, 1000) << "column " << x;
  }
}

// Energy of `x` below `hi` Hz, from its discrete Fourier transform.
double EnergyBelow(const std::vector<float>& x, double hi) {
  const std::size_t n = x.size();
  double e = 0;
  for (std::size_t k = 0; k <= hi * n / host::SoundData::kRate; ++k) {
    std::complex<double> sum = 0, z = 1, w = std::polar(1.0, -2 * M_PI * k / n);
    for (std::size_t i = 0; i < n; ++i, z *= w) sum += double(x[i]) * z;
    e += std::norm(sum) * (k == 0 ? 1 : 2) / n;
  }
  return e;
}

TEST(MediaSounds, LengthsAndLoudness) {
  std::map<int, std::vector<float>> mono;
  for (auto [n, min, max] :
       {std::tuple{medium::chain, 0.3, 0.8}, std::tuple{medium::quiet, 1.0, 3.0},
        std::tuple{medium::showers, 34.0, 60.0}}) {
    auto data = host::DecodeSound(n, EmbeddedResources().Find(host::ResourceKind::Sound, n));
    ASSERT_NE(data, nullptr) << n;
    for (std::size_t i = 0; i < data->Samples().size(); i += host::SoundData::kChannels)
      mono[n].push_back(data->Samples()[i] / 32768.0f);
    const double seconds = mono[n].size() / double(host::SoundData::kRate);
    EXPECT_TRUE(seconds >= min && seconds <= max) << n << " lasts " << seconds << " s";
  }
  auto lufs = [](const auto& x) { return mg::MeasureLoudness(x, host::SoundData::kRate); };
  const auto& quiet = mono[medium::quiet];
  const double energy = std::inner_product(quiet.begin(), quiet.end(), quiet.begin(), 0.0);
  EXPECT_LE(EnergyBelow(quiet, 80) / energy, 0.5) << "share of energy below 80 Hz";
  EXPECT_GE(lufs(quiet).integrated, -32.0) << "heard on small speakers";
  EXPECT_NEAR(lufs(mono[medium::chain]).maxMomentary, lufs(mono[medium::showers]).maxMomentary, 3.0)
      << "the pull is as loud as the rain at its loudest (400 ms, LUFS)";
}

using MediaAccessors = SceneTest;

TEST_F(MediaAccessors, SameObjectEveryTimeUntilReleasedAndSoundsAndPicturesNumberedApart) {
  EXPECT_EQ(chain(), chain());
  EXPECT_EQ(chain1()->Width(), 1920) << "picture 168 is a picture, not the sound 168";
  auto dark = lowlight1();
  ReleaseMedia();
  EXPECT_EQ(window->darker->Width(), 1920) << "the window's picture outlives the cache";
  EXPECT_NE(lowlight1(), dark) << "asked again after the release: a new object";
}

}  // namespace
}  // namespace lumorra::testing
