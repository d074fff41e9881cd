// The media built into the program, and the accessors that hand them out.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "host/codec.h"
#include "loudness.h"
#include "media/chain_box.h"
#include "media/media_table.h"
#include "support/scene_fixture.h"

namespace lumorra::testing {
namespace {

using host::ResourceKind;

std::shared_ptr<host::Picture> Decode(int number) {
  auto p = host::DecodePicture(EmbeddedResources().Find(ResourceKind::Picture, number));
  if (p) p->Pixels();  // wait for the body
  return p;
}

double Luma(std::uint32_t px) {
  return 0.2126 * ((px >> 16) & 255) + 0.7152 * ((px >> 8) & 255) + 0.0722 * (px & 255);
}

double MeanLuma(const host::Picture& p) {
  double sum = 0;
  for (int y = 0; y < p.Height(); y += 4)
    for (int x = 0; x < p.Width(); x += 4) sum += Luma(p.Pixel(x, y));
  return sum / ((p.Height() / 4) * (p.Width() / 4));
}

// Share of the difference between two pictures that lies inside `r`.
double DifferenceInside(const host::Picture& a, const host::Picture& b, host::Rect r) {
  double inside = 0, all = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      const double d = std::abs(Luma(a.Pixel(x, y)) - Luma(b.Pixel(x, y)));
      all += d;
      if (r.Contains(x, y)) inside += d;
    }
  return all == 0 ? 0 : inside / all;
}

TEST(Media, EveryMediumOfTheTableIsBuiltIn) {
  int pictures = 0, sounds = 0;
  for (const Medium& m : kMedia) {
    EXPECT_FALSE(EmbeddedResources().Find(m.kind, m.number).empty()) << m.file;
    (m.kind == ResourceKind::Picture ? pictures : sounds) += 1;
  }
  EXPECT_EQ(pictures, 5);
  EXPECT_EQ(sounds, 3);
}

TEST(Media, FivePhotographsOfOneSizeAndFiveDistinctImages) {
  std::vector<std::shared_ptr<host::Picture>> pictures;
  for (int n :
       {medium::chain1, medium::chain2, medium::highlight, medium::lowlight1, medium::lowlight2}) {
    auto p = Decode(n);
    ASSERT_NE(p, nullptr) << n;
    EXPECT_EQ(p->Width(), 1920);
    EXPECT_EQ(p->Height(), 1280);
    pictures.push_back(p);
  }
  for (std::size_t i = 0; i < pictures.size(); ++i)
    for (std::size_t j = i + 1; j < pictures.size(); ++j)
      EXPECT_GT(DifferenceInside(*pictures[i], *pictures[j], {0, 0, 1, 1}) + 1e-9, 0.0);
  // lit brighter than dark, and the flash the brightest
  const double dark = MeanLuma(*pictures[3]), lit = MeanLuma(*pictures[0]);
  const double flash = MeanLuma(*pictures[2]);
  EXPECT_GT(lit, dark * 2);
  EXPECT_GT(flash, lit * 1.3);
  EXPECT_GT(dark, 3.0) << "the dark room is still readable";
}

TEST(Media, PullVariantsDifferOnlyAroundTheChain) {
  // JPEG blocks may carry a difference a few pixels out of the chain's box.
  const host::Rect chainArea{kChainBox.left - 8, kChainBox.top - 8, kChainBox.width + 16,
                             kChainBox.height + 16};
  auto dark1 = Decode(medium::lowlight1), dark2 = Decode(medium::lowlight2);
  auto lit1 = Decode(medium::chain1), lit2 = Decode(medium::chain2);
  EXPECT_GT(DifferenceInside(*dark1, *dark2, chainArea), 0.9);
  EXPECT_GT(DifferenceInside(*lit1, *lit2, chainArea), 0.9);
}

TEST(Media, SoundsAreThereWithTheirLengths) {
  struct Expected {
    int number;
    double min, max;
  };
  for (auto [number, min, max] :
       {Expected{medium::chain, 0.3, 0.8}, Expected{medium::quiet, 1.0, 3.0},
        Expected{medium::showers, 34.0, 60.0}}) {
    auto data = host::DecodeSound(number, EmbeddedResources().Find(ResourceKind::Sound, number));
    ASSERT_NE(data, nullptr) << number;
    EXPECT_GE(data->Seconds(), min) << number;
    EXPECT_LE(data->Seconds(), max) << number;
    double energy = 0;
    for (auto s : data->Samples()) energy += double(s) * s;
    const double rms = std::sqrt(energy / data->Samples().size());
    EXPECT_GT(rms, 100.0) << number << " is not silent";
  }
}

// ---- What a person sees and hears -------------------------------------------------------

constexpr int kLit = medium::chain1, kFlash = medium::highlight, kDark = medium::lowlight1,
              kDarkPulled = medium::lowlight2;

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[static_cast<std::size_t>(p * (v.size() - 1))];
}

TEST(Photographs, TheChainStandsOutOfTheDarkAlongItsWholeLengthAndItsPullShows) {
  // The chain hangs in x 98..138; the wall beside it is read just outside that box. Along every
  // 24-row stretch of the chain, its brightest beads are 30 levels above that wall.
  for (int number : {kDark, kDarkPulled}) {
    auto p = Decode(number);
    ASSERT_NE(p, nullptr);
    int lit = 0, stretches = 0;
    for (int y0 = 140; y0 + 24 <= 440; y0 += 24) {
      std::vector<double> chain, wall;
      for (int y = y0; y < y0 + 24; ++y) {
        for (int x = 98; x < 138; ++x) chain.push_back(Luma(p->Pixel(x, y)));
        for (int x = 60; x < 90; ++x) wall.push_back(Luma(p->Pixel(x, y)));
      }
      const double contrast = Percentile(chain, 0.99) - Percentile(wall, 0.5);
      ++stretches;
      if (contrast >= 30) ++lit;
      EXPECT_GE(contrast, 30) << "picture " << number << ", rows " << y0 << "..";
    }
    EXPECT_EQ(lit, stretches);
  }
}

TEST(Photographs, TheFlashIsABurstFromTheBulbThatKeepsItsShadows) {
  auto flash = Decode(kFlash), lit = Decode(kLit);
  std::vector<double> luma;
  for (int y = 0; y < flash->Height(); y += 2)
    for (int x = 0; x < flash->Width(); x += 2) luma.push_back(Luma(flash->Pixel(x, y)));
  EXPECT_LE(Percentile(luma, 0.01), 40) << "the darkest 1 % of the flash";
  EXPECT_GT(MeanLuma(*flash), MeanLuma(*lit));
}

TEST(Photographs, AtFullHdTheFloorLineAndTheChairAreInTheTop1080Rows) {
  // Down the back wall left of the chair, the floor begins where the picture turns from wall to
  // the darker skirting and boards; that line, and everything standing on it, sits well inside
  // the rows a 1920x1080 screen shows.
  auto p = Decode(kLit);
  for (int x : {500, 650, 800}) {
    const double wall = Luma(p->Pixel(x, 700));
    int floorLine = p->Height();
    for (int y = 700; y < p->Height(); ++y)
      if (Luma(p->Pixel(x, y)) < wall * 0.6) {
        floorLine = y;
        break;
      }
    EXPECT_LT(floorLine, 1000) << "column " << x;
    EXPECT_GT(floorLine, 800) << "column " << x << ": still a room, not a ceiling";
  }
}

std::vector<float> Mono(int number) {
  auto data = host::DecodeSound(number, EmbeddedResources().Find(ResourceKind::Sound, number));
  std::vector<float> mono;
  if (!data) return mono;
  const auto& s = data->Samples();
  for (std::size_t i = 0; i < s.size(); i += host::SoundData::kChannels)
    mono.push_back(s[i] / 32768.0f);
  return mono;
}

// Fourth-order Butterworth low-pass or band-pass (as two biquads) over a copy of `x`.
std::vector<float> Filtered(std::vector<float> x, double lo, double hi) {
  struct Biquad {
    double b0, b1, b2, a1, a2, z1 = 0, z2 = 0;
    float Run(float in) {
      const double y = b0 * in + z1;
      z1 = b1 * in - a1 * y + z2;
      z2 = b2 * in - a2 * y;
      return static_cast<float>(y);
    }
  };
  auto make = [](bool high, double fc) {
    const double w = 2 * M_PI * fc / host::SoundData::kRate, c = std::cos(w);
    const double al = std::sin(w) / (2 * 0.7071), a0 = 1 + al;
    const double b0 = high ? (1 + c) / 2 : (1 - c) / 2, b1 = high ? -(1 + c) : 1 - c;
    return Biquad{b0 / a0, b1 / a0, b0 / a0, -2 * c / a0, (1 - al) / a0};
  };
  std::vector<Biquad> chain;
  if (lo > 0) chain.insert(chain.end(), {make(true, lo), make(true, lo)});
  chain.insert(chain.end(), {make(false, hi), make(false, hi)});
  for (Biquad& f : chain)
    for (float& v : x) v = f.Run(v);
  return x;
}

double Energy(const std::vector<float>& x) {
  double e = 0;
  for (float v : x) e += double(v) * v;
  return e;
}

TEST(Sounds, QuietIsHeardOnSmallSpeakers) {
  const auto quiet = Mono(medium::quiet);
  ASSERT_FALSE(quiet.empty());
  EXPECT_LE(Energy(Filtered(quiet, 0, 80)) / Energy(quiet), 0.5) << "share of energy below 80 Hz";
  EXPECT_GE(mg::MeasureLoudness(quiet, host::SoundData::kRate).integrated, -32.0);
}

TEST(Sounds, ThePullIsAsLoudAsTheRainAtItsLoudest) {
  const auto chain = Mono(medium::chain), showers = Mono(medium::showers);
  ASSERT_FALSE(chain.empty());
  ASSERT_FALSE(showers.empty());
  const double c = mg::MeasureLoudness(chain, host::SoundData::kRate).maxMomentary;
  const double r = mg::MeasureLoudness(showers, host::SoundData::kRate).maxMomentary;
  EXPECT_NEAR(c, r, 3.0) << "loudest 400 ms of the chain and of the rain, LUFS";
}

TEST(Sounds, RainTapsOnThePaneTenToThirtyTimesASecond) {
  // In the 2-6 kHz band, 5 ms frames; a tap is a frame at least 10 dB above the band's median
  // level that follows a quieter frame. Counted over the body of the shower, fades left out.
  const auto showers = Mono(medium::showers);
  ASSERT_FALSE(showers.empty());
  const auto band = Filtered(showers, 2000, 6000);
  const std::size_t frame = host::SoundData::kRate / 200;
  const std::size_t from = 3 * host::SoundData::kRate, to = 32 * host::SoundData::kRate;
  ASSERT_GT(band.size(), to);
  std::vector<double> level;
  for (std::size_t at = from; at + frame <= to; at += frame) {
    double e = 0;
    for (std::size_t i = at; i < at + frame; ++i) e += double(band[i]) * band[i];
    level.push_back(10 * std::log10(e / frame + 1e-20));
  }
  const double median = Percentile(level, 0.5);
  int taps = 0;
  for (std::size_t i = 1; i < level.size(); ++i)
    if (level[i] >= median + 10 && level[i - 1] < median + 10) ++taps;
  const double perSecond = taps / ((to - from) / double(host::SoundData::kRate));
  EXPECT_GE(perSecond, 10.0);
  EXPECT_LE(perSecond, 30.0);
}

// ---- Accessors ---------------------------------------------------------------------------

using Accessors = SceneTest;

TEST_F(Accessors, SameObjectEveryTimeAndSoundsAndPicturesNumberedApart) {
  EXPECT_EQ(chain(), chain());
  EXPECT_EQ(chain1(), chain1());
  EXPECT_EQ(quiet(), cache::quiet_snd);
  EXPECT_EQ(chain()->Data().ResourceId(), 168);
  EXPECT_EQ(chain1()->Width(), 1920) << "picture 168 is a picture, not the sound 168";
  EXPECT_EQ(window->darker, lowlight1()) << "full size: the fields share the cached pictures";
}

TEST_F(Accessors, PictureHeldByTheWindowOutlivesTheCache) {
  auto dark = window->darker;
  ReleaseMedia();
  EXPECT_EQ(cache::lowlight1_permapic, nullptr);
  EXPECT_EQ(window->darker, dark);
  EXPECT_EQ(window->darker->Width(), 1920);
  EXPECT_NE(lowlight1(), dark) << "asked again after the release: a new object";
}

class MissingMedia : public SceneTest {
 protected:
  const host::ResourceTable& resources() override { return table; }
  host::ResourceTable table;
};

TEST_F(MissingMedia, AMissingMediumIsAskedForAgainEachTime) {
  EXPECT_EQ(chain1(), nullptr);
  EXPECT_EQ(cache::chain1_permapic, nullptr);
  table.Add(ResourceKind::Picture, medium::chain1,
            EmbeddedResources().Find(ResourceKind::Picture, medium::chain1));
  auto p = chain1();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(chain1(), p);
}

TEST_F(MissingMedia, NoResourcesAtAllIsTheNilObjectError) {
  runtime->RegisterApplication(nullptr);
  EXPECT_THROW(chain(), host::NilObjectError);
}

}  // namespace
}  // namespace lumorra::testing
