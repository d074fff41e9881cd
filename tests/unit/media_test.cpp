// The media built into the program, measured as a person sees and hears them, and the accessors
// that hand them out.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "host/codec.h"
#include "loudness.h"
#include "media/chain_box.h"
#include "media/media_table.h"
#include "support/scene_fixture.h"

namespace lumorra::testing {
namespace {

using host::ResourceKind;
constexpr int kLit = medium::chain1, kLitPulled = medium::chain2, kFlash = medium::highlight,
              kDark = medium::lowlight1, kDarkPulled = medium::lowlight2;

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

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[static_cast<std::size_t>(p * (v.size() - 1))];
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

TEST(MediaPhotographs, OneSizeLitBrighterThanDarkAndThePullVariantsDifferAroundTheChain) {
  std::map<int, std::shared_ptr<host::Picture>> p;
  for (int n : {kLit, kLitPulled, kFlash, kDark, kDarkPulled}) {
    p[n] = Decode(n);
    ASSERT_NE(p[n], nullptr) << n;
    EXPECT_EQ(p[n]->Width(), 1920);
    EXPECT_EQ(p[n]->Height(), 1280);
  }
  const double dark = MeanLuma(*p[kDark]), lit = MeanLuma(*p[kLit]), flash = MeanLuma(*p[kFlash]);
  EXPECT_GT(lit, dark * 2);
  EXPECT_GT(flash, lit * 1.3);
  EXPECT_GT(dark, 3.0) << "the dark room is still readable";
  // JPEG blocks may carry a difference a few pixels out of the chain's box.
  const host::Rect chainArea{kChainBox.left - 8, kChainBox.top - 8, kChainBox.width + 16,
                             kChainBox.height + 16};
  EXPECT_GT(DifferenceInside(*p[kDark], *p[kDarkPulled], chainArea), 0.9);
  EXPECT_GT(DifferenceInside(*p[kLit], *p[kLitPulled], chainArea), 0.9);
}

// Along every 24-row stretch of the chain (x 98..138), its brightest beads are 30 levels above
// the wall just beside it.
TEST(MediaPhotographs, TheChainStandsOutOfTheDarkAlongItsWholeLengthAndItsPullShows) {
  for (int number : {kDark, kDarkPulled}) {
    auto p = Decode(number);
    ASSERT_NE(p, nullptr);
    for (int y0 = 140; y0 + 24 <= 440; y0 += 24) {
      std::vector<double> chain, wall;
      for (int y = y0; y < y0 + 24; ++y) {
        for (int x = 98; x < 138; ++x) chain.push_back(Luma(p->Pixel(x, y)));
        for (int x = 60; x < 90; ++x) wall.push_back(Luma(p->Pixel(x, y)));
      }
      EXPECT_GE(Percentile(chain, 0.99) - Percentile(wall, 0.5), 30)
          << "picture " << number << ", rows " << y0 << "..";
    }
  }
}

TEST(MediaPhotographs, TheFlashKeepsItsShadows) {
  auto flash = Decode(kFlash);
  std::vector<double> luma;
  for (int y = 0; y < flash->Height(); y += 2)
    for (int x = 0; x < flash->Width(); x += 2) luma.push_back(Luma(flash->Pixel(x, y)));
  EXPECT_LE(Percentile(luma, 0.01), 40) << "the darkest 1 % of the flash";
}

// Down the back wall, the floor begins where the wall turns to the darker skirting; that line
// sits well inside the rows a 1920x1080 screen shows.
TEST(MediaPhotographs, AtFullHdTheFloorLineAndTheChairAreInTheTop1080Rows) {
  auto p = Decode(kLit);
  for (int x : {500, 650, 800}) {
    const double wall = Luma(p->Pixel(x, 700));
    int floorLine = 700;
    while (floorLine < p->Height() && Luma(p->Pixel(x, floorLine)) >= wall * 0.6) ++floorLine;
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

double Energy(const std::vector<float>& x, std::size_t from = 0, std::size_t to = SIZE_MAX) {
  double e = 0;
  for (std::size_t i = from; i < std::min(to, x.size()); ++i) e += double(x[i]) * x[i];
  return e;
}

TEST(MediaSounds, LengthsAndLoudness) {
  struct Expected {
    int number;
    double minSeconds, maxSeconds;
  };
  std::map<int, std::vector<float>> mono;
  for (auto [number, min, max] :
       {Expected{medium::chain, 0.3, 0.8}, Expected{medium::quiet, 1.0, 3.0},
        Expected{medium::showers, 34.0, 60.0}}) {
    mono[number] = Mono(number);
    const double seconds = mono[number].size() / double(host::SoundData::kRate);
    EXPECT_GE(seconds, min) << number;
    EXPECT_LE(seconds, max) << number;
    EXPECT_GT(std::sqrt(Energy(mono[number]) / mono[number].size()), 0.003)
        << number << " is not silent";
  }
  const auto& quiet = mono[medium::quiet];
  EXPECT_LE(Energy(Filtered(quiet, 0, 80)) / Energy(quiet), 0.5) << "share of energy below 80 Hz";
  EXPECT_GE(mg::MeasureLoudness(quiet, host::SoundData::kRate).integrated, -32.0)
      << "heard on small speakers";
  EXPECT_NEAR(mg::MeasureLoudness(mono[medium::chain], host::SoundData::kRate).maxMomentary,
              mg::MeasureLoudness(mono[medium::showers], host::SoundData::kRate).maxMomentary, 3.0)
      << "the pull is as loud as the rain at its loudest (400 ms, LUFS)";
}

// In the 2-6 kHz band, in 5 ms frames, a tap is a frame 10 dB above the median that follows a
// quieter one. Counted over the body of the shower, fades left out.
TEST(MediaSounds, RainTapsOnThePaneTenToThirtyTimesASecond) {
  const auto band = Filtered(Mono(medium::showers), 2000, 6000);
  const std::size_t frame = host::SoundData::kRate / 200;
  const std::size_t from = 3 * host::SoundData::kRate, to = 32 * host::SoundData::kRate;
  ASSERT_GT(band.size(), to);
  std::vector<double> level;
  for (std::size_t at = from; at + frame <= to; at += frame)
    level.push_back(10 * std::log10(Energy(band, at, at + frame) / frame + 1e-20));
  const double loud = Percentile(level, 0.5) + 10;
  int taps = 0;
  for (std::size_t i = 1; i < level.size(); ++i) taps += level[i] >= loud && level[i - 1] < loud;
  const double perSecond = taps / ((to - from) / double(host::SoundData::kRate));
  EXPECT_GE(perSecond, 10.0);
  EXPECT_LE(perSecond, 30.0);
}

using MediaAccessors = SceneTest;

TEST_F(MediaAccessors, SameObjectEveryTimeAndSoundsAndPicturesNumberedApart) {
  EXPECT_EQ(chain(), chain());
  EXPECT_EQ(chain1(), chain1());
  EXPECT_EQ(quiet(), cache::quiet_snd);
  EXPECT_EQ(chain()->Data().ResourceId(), 168);
  EXPECT_EQ(chain1()->Width(), 1920) << "picture 168 is a picture, not the sound 168";
  EXPECT_EQ(window->darker, lowlight1()) << "full size: the fields share the cached pictures";
}

TEST_F(MediaAccessors, PictureHeldByTheWindowOutlivesTheCache) {
  auto dark = window->darker;
  ReleaseMedia();
  EXPECT_EQ(cache::lowlight1_permapic, nullptr);
  EXPECT_EQ(window->darker->Width(), 1920);
  EXPECT_NE(lowlight1(), dark) << "asked again after the release: a new object";
}

class MissingMedia : public SceneTest {
 protected:
  const host::ResourceTable& resources() override { return table; }
  host::ResourceTable table;
};

TEST_F(MissingMedia, AMissingMediumIsAskedForAgainEachTimeAndNoApplicationIsANilObject) {
  EXPECT_EQ(chain1(), nullptr);
  EXPECT_EQ(cache::chain1_permapic, nullptr);
  table.Add(ResourceKind::Picture, kLit, EmbeddedResources().Find(ResourceKind::Picture, kLit));
  auto p = chain1();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(chain1(), p);
  runtime->RegisterApplication(nullptr);
  EXPECT_THROW(chain(), host::NilObjectError);
}

}  // namespace
}  // namespace lumorra::testing
