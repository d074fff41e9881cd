// The built-in media, measured as a person sees and hears them, and the accessors handing them out.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <map>
#include <numeric>
#include <tuple>

#include "biquad.h"
#include "host/codec.h"
#include "host/sound.h"
#include "loudness.h"
#include "measure.h"
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

// The mean light of a picture: its mean luminance in linear light, which reducing a picture by
// averaging in linear light keeps.
double MeanLight(const host::Picture& p) {
  const auto linear = [](std::uint32_t v) {
    const double c = (v & 255) / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  double sum = 0;
  for (int y = 0; y < p.Height(); y += 2)
    for (int x = 0; x < p.Width(); ++x) {
      const std::uint32_t v = p.Pixel(x, y);
      sum += 0.2126 * linear(v >> 16) + 0.7152 * linear(v >> 8) + 0.0722 * linear(v);
    }
  return sum / (p.Width() * ((p.Height() + 1) / 2));
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

// Brightness, the flash's shadows, where the pulled chain differs, its contrast, the floor line:
// in the photographs and in their masters (k = 2: every length twice as long), which must also
// be the same pictures.
TEST(MediaPhotographs, FiveShowTheRoomAsComposed) {
  std::map<int, double> photographLight;
  for (int k : {1, 2}) {
    std::map<int, std::shared_ptr<host::Picture>> p;
    for (int n : {kLit, kLitPulled, kFlash, kDark, kDarkPulled}) {
      p[n] = host::DecodePicture(
          EmbeddedResources().Find(host::ResourceKind::Picture, k == 1 ? n : n + kMasterNumbers));
      ASSERT_NE(p[n], nullptr) << n;
      EXPECT_EQ(p[n]->Width(), 1920 * k);
      EXPECT_EQ(p[n]->Height(), 1280 * k);
      p[n]->Pixels();  // waits for the body
      if (k == 1)
        photographLight[n] = MeanLight(*p[n]);
      else
        EXPECT_NEAR(MeanLight(*p[n]) / photographLight[n], 1.0, 0.02) << "master of " << n;
    }
    const auto at = [k](host::Rect r) {
      return host::Rect{r.left * k, r.top * k, r.width * k, r.height * k};
    };
    const double dark = MeanLuma(*p[kDark]), lit = MeanLuma(*p[kLit]), flash = MeanLuma(*p[kFlash]);
    EXPECT_GT(lit, dark * 2);
    EXPECT_GT(flash, lit * 1.3);
    EXPECT_LE(Percentile(Lumas(*p[kFlash], at({0, 0, 1920, 1280}), 2 * k), 0.01), 40)
        << "flash shadows";
    // JPEG blocks may carry a difference a few pixels out of the chain's box.
    const host::Rect chainArea =
        at({kChainBox.left - 8, kChainBox.top - 8, kChainBox.width + 16, kChainBox.height + 16});
    EXPECT_GT(DifferenceInside(*p[kDark], *p[kDarkPulled], chainArea), 0.9);
    EXPECT_GT(DifferenceInside(*p[kLit], *p[kLitPulled], chainArea), 0.9);
    // Along every 24-row stretch of the chain (x 98..138) in the dark, its brightest beads are
    // 30 levels above the wall just beside it.
    for (int n : {kDark, kDarkPulled})
      for (int y0 = 140; y0 + 24 <= 440; y0 += 24)
        EXPECT_GE(Percentile(Lumas(*p[n], at({98, y0, 40, 24})), 0.99) -
                      Percentile(Lumas(*p[n], at({60, y0, 30, 24})), 0.5),
                  30)
            << "picture " << n << " at " << k << "x, rows " << y0 << "..";
    // Down the back wall, the floor begins where the wall turns to the darker skirting; that
    // line and the chair standing on it lie well inside the top 1080 rows a full HD screen shows.
    for (int x : {500, 650, 800}) {
      const double wall = Luma(p[kLit]->Pixel(x * k, 700 * k));
      int floorLine = 700 * k;
      while (floorLine < 1280 * k && Luma(p[kLit]->Pixel(x * k, floorLine)) >= wall * 0.6)
        ++floorLine;
      EXPECT_LT(floorLine, 1000 * k) << "column " << x << " at " << k << "x";
    }
  }
}

// The first row in [from, to) where the two pictures differ, or -1.
int FirstDifferentRow(const host::Picture& a, const host::Picture& b, int from, int to) {
  const std::uint32_t *pa = a.TopRows(to), *pb = b.TopRows(to);
  const auto row = [](const std::uint32_t* p, int y, int width) {
    return p + std::size_t(y) * width;
  };
  for (int y = from; y < to; ++y)
    if (std::memcmp(row(pa, y, a.Width()), row(pb, y, b.Width()), a.Width() * 4u) != 0) return y;
  return -1;
}

// A photograph decoded first only as far down as a screen shows it: the rows read later, and
// the copies scaled from it, are those of the whole decode.
TEST(MediaPhotographs, DecodedTopFirstReadsAsTheWholeDecode) {
  const auto bytes = EmbeddedResources().Find(host::ResourceKind::Picture, kDark);
  const auto whole = host::DecodePicture(bytes);
  const auto top = [&](int rows) {
    return host::DecodePicture(bytes, [rows](int, int) { return rows; });
  };
  const auto part = top(1080);
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(part->Height(), 1280);
  // Read right behind the decoder, a few rows at a time.
  for (int y = 0; y < 1080; y += 8) ASSERT_EQ(FirstDifferentRow(*part, *whole, y, y + 8), -1);
  EXPECT_EQ(FirstDifferentRow(*part, *whole, 1080, 1081), -1) << "the rest goes on at row 1080";
  EXPECT_EQ(FirstDifferentRow(*part, *whole, 1081, 1280), -1);
  // Cut off 300 rows down, shown as it is, scaled up to cover (2560x1440) and reduced, from a
  // photograph not decoded at all yet: a copy must ask for every row it reads. A whole large
  // screen is scaled in bands, each asking only for the rows above its own bottom.
  for (const auto& [width, height, scaledWidth, scaledHeight] : {std::tuple{600, 300, 1920, 1280},
                                                                 {600, 300, 2560, 1707},
                                                                 {600, 300, 1152, 768},
                                                                 {2560, 1440, 2560, 1707}}) {
    const auto a = host::NewScaledPicture(top(0), width, height, scaledWidth, scaledHeight);
    const auto b = host::NewScaledPicture(whole, width, height, scaledWidth, scaledHeight);
    EXPECT_EQ(FirstDifferentRow(*a, *b, 0, height), -1) << width << " scaled to " << scaledWidth;
  }
}

namespace measure = mg::measure;

// A photograph or its master (k = 2) as the program decodes it, for the measuring functions.
struct Decoded {
  std::shared_ptr<host::Picture> picture;
  std::uint32_t operator()(int x, int y) const { return picture->Pixel(x, y); }
};
Decoded Photograph(int n, int k) {
  Decoded d{host::DecodePicture(
      EmbeddedResources().Find(host::ResourceKind::Picture, k == 1 ? n : n + kMasterNumbers))};
  d.picture->Pixels();  // waits for the body
  return d;
}

// A clear bulb, lit: a thin bright coil inside glass that stays dim, even in the neck right
// above the coil, where reflections of the coil and highlights of its light would glow.
TEST(MediaPhotographs, LitBulbShowsAThinCoilInDimGlass) {
  for (int n : {kLit, kLitPulled})
    for (int k : {1, 2}) {
      const Decoded p = Photograph(n, k);
      EXPECT_EQ(measure::CountAtLeast(p, measure::Scaled(measure::kNeck, k), 235), 0)
          << "glowing pixels in the neck of " << n << " at " << k << "x";
      EXPECT_LE(measure::BrightHeight(p, measure::Scaled(measure::kCoil, k), 235), 10 * k)
          << "rows of the coil's glare in " << n << " at " << k << "x";
      EXPECT_GE(measure::CountAtLeast(p, measure::Scaled(measure::kCoil, k), 235), 20 * k * k)
          << "the coil glows in " << n << " at " << k << "x";
    }
}

// The lit walls: warm as a bare bulb's light, neither green nor magenta; the flash is the same
// light, brighter, so its walls are no cooler; and its flare stays near the bulb.
TEST(MediaPhotographs, LitWallsWarmWithoutTintAndFlareNearTheBulb) {
  for (int k : {1, 2}) {
    const Decoded lit = Photograph(kLit, k), flash = Photograph(kFlash, k);
    double litCct = 0, flashCct = 0;
    for (const measure::Box& b : measure::kWalls) {
      const measure::Tint t = measure::TintOf(lit, measure::Scaled(b, k));
      EXPECT_NEAR(t.duv, 0.0, 0.003) << "wall at " << b.left << "," << b.top << ", " << k << "x";
      litCct += t.cct / std::size(measure::kWalls);
      flashCct += measure::TintOf(flash, measure::Scaled(b, k)).cct / std::size(measure::kWalls);
    }
    EXPECT_GE(litCct, 3800) << k << "x";
    EXPECT_LE(litCct, 4000) << k << "x";
    EXPECT_NEAR(flashCct, litCct, 200) << "the flash's walls against the lit ones, " << k << "x";
    const auto& f = *flash.picture;
    EXPECT_LE(measure::FlareBeyond(flash, f.Width(), f.Height(), k), 4.0)
        << "flare lines more than 160 px from the bulb, levels, " << k << "x";
  }
}

// An embedded sound as the program plays it: interleaved left and right, in [-1, 1].
const std::vector<float>& Played(int n) {
  static std::map<int, std::vector<float>> decoded;
  auto& x = decoded[n];
  if (x.empty()) {
    auto data = host::DecodeSound(n, EmbeddedResources().Find(host::ResourceKind::Sound, n));
    if (data)
      for (std::int16_t v : data->Samples()) x.push_back(v / 32768.0f);
  }
  return x;
}
constexpr int kRate = host::SoundData::kRate;

double Seconds(const std::vector<float>& x) { return x.size() / 2.0 / kRate; }

// Both channels through `filters` in turn: a small loudspeaker, or a band to measure.
std::vector<float> Through(std::vector<float> x, std::initializer_list<mg::Biquad> filters) {
  for (const mg::Biquad& f : filters)
    for (std::size_t ch = 0; ch < 2; ++ch) mg::Filter(x, f, ch, 2);
  return x;
}

double Energy(const std::vector<float>& x) {
  return std::inner_product(x.begin(), x.end(), x.begin(), 0.0);
}

// Power of the left plus right channel at each of `hz`, averaged over Hann-windowed blocks of
// 16384 samples (2.7 Hz apart) from `from` seconds for `seconds`: one Goertzel filter a frequency.
std::vector<double> PowerAt(const std::vector<float>& x, double from, double seconds,
                            const std::vector<double>& hz) {
  constexpr std::size_t kBlock = 16384;
  std::vector<double> power(hz.size());
  const std::size_t first = static_cast<std::size_t>(from * kRate);
  const std::size_t blocks = static_cast<std::size_t>(seconds * kRate) / kBlock;
  std::vector<double> window(kBlock);
  for (std::size_t i = 0; i < kBlock; ++i) window[i] = 0.5 - 0.5 * std::cos(2 * M_PI * i / kBlock);
  for (std::size_t k = 0; k < hz.size(); ++k) {
    const double c = 2 * std::cos(2 * M_PI * hz[k] / kRate);
    for (std::size_t b = 0; b < blocks; ++b) {
      double s1 = 0, s2 = 0;
      for (std::size_t i = 0; i < kBlock; ++i) {
        const std::size_t at = 2 * (first + b * kBlock + i);
        const double s0 = window[i] * (x[at] + x[at + 1]) + c * s1 - s2;
        s2 = s1;
        s1 = s0;
      }
      power[k] += s1 * s1 + s2 * s2 - c * s1 * s2;
    }
  }
  return power;
}

// What a listener hears of each sound and when: the lengths, the loudness on a laptop's
// speaker as well as on good ones, and the pull heard over the rain.
TEST(MediaSounds, HeardOnAnySpeaker) {
  std::map<int, mg::Loudness> full;
  for (auto [n, min, max] :
       {std::tuple{medium::chain, 0.3, 0.8}, std::tuple{medium::quiet, 1.0, 3.0},
        std::tuple{medium::showers, 34.0, 60.0}}) {
    const auto& x = Played(n);
    ASSERT_FALSE(x.empty()) << n;
    EXPECT_TRUE(Seconds(x) >= min && Seconds(x) <= max) << n << " lasts " << Seconds(x) << " s";
    // A laptop's loudspeaker plays next to nothing below 200 Hz.
    const auto laptop =
        Through(x, {mg::Highpass(200, M_SQRT1_2, kRate), mg::Highpass(200, M_SQRT1_2, kRate)});
    full[n] = mg::MeasureLoudness(x, 2, kRate);
    const double small = mg::MeasureLoudness(laptop, 2, kRate).integrated;
    EXPECT_GE(small, -28.0) << n << ": LUFS on a laptop";
    EXPECT_LE(full[n].integrated - small, 2.0) << n << ": LU lost on a laptop";
  }
  EXPECT_NEAR(full[medium::chain].maxMomentary, full[medium::showers].maxMomentary, 3.0)
      << "the pull is as loud as the rain at its loudest (400 ms, LUFS)";
}

// The chain plays as the light changes: its loudest moment, the switch, must come with it.
TEST(MediaSounds, ChainSnapsAtOnce) {
  const auto& x = Played(medium::chain);
  ASSERT_FALSE(x.empty());
  constexpr std::size_t kWindow = kRate * 5 / 1000;
  std::vector<double> sum(x.size() / 2 + 1);
  for (std::size_t i = 0; i + 1 < sum.size(); ++i)
    sum[i + 1] = sum[i] + x[2 * i] * x[2 * i] + x[2 * i + 1] * x[2 * i + 1];
  std::size_t loudest = 0;
  for (std::size_t i = 0; i + kWindow < sum.size(); ++i)
    if (sum[i + kWindow] - sum[i] > sum[loudest + kWindow] - sum[loudest]) loudest = i;
  EXPECT_LE(loudest * 1000.0 / kRate, 15.0) << "ms from the start to the loudest 5 ms";
}

// The rain goes on after the bulb has died: no mains hum in it, and no rumble.
TEST(MediaSounds, RainWithoutHumOrRumble) {
  const auto& x = Played(medium::showers);
  ASSERT_GE(Seconds(x), 20.0);
  std::vector<double> hz;
  for (double f = 30; f <= 420; f += 5) hz.push_back(f);
  const auto power = PowerAt(x, 8.0, 12.0, hz);
  for (std::size_t k = 4; k + 4 < hz.size(); ++k) {
    // Against the mean of its neighbours 10 to 20 Hz away on both sides.
    double around = 0;
    for (std::size_t d = 2; d <= 4; ++d) around += (power[k - d] + power[k + d]) / 6;
    EXPECT_LE(10 * std::log10(power[k] / around), 6.0) << "a line at " << hz[k] << " Hz";
  }
  const auto low =
      Through(x, {mg::Lowpass(120, M_SQRT1_2, kRate), mg::Lowpass(120, M_SQRT1_2, kRate)});
  EXPECT_LT(Energy(low) / Energy(x), 0.1) << "share of the energy below 120 Hz";
}

// A room and rain have width: their two channels differ.
TEST(MediaSounds, AmbienceInStereo) {
  for (int n : {medium::quiet, medium::showers}) {
    const auto& x = Played(n);
    double lr = 0, ll = 0, rr = 0;
    for (std::size_t i = 0; i + 1 < x.size(); i += 2) {
      lr += x[i] * x[i + 1];
      ll += x[i] * x[i];
      rr += x[i + 1] * x[i + 1];
    }
    EXPECT_LT(lr / std::sqrt(ll * rr), 0.8) << n << ": correlation of left and right";
  }
}

// Rain is many drops: its level from one millisecond to the next swings far more than that of
// noise with the very same spectrum, and the drumming on the roof gives it body.
TEST(MediaSounds, RainIsDropsWithBody) {
  const auto& x = Played(medium::showers);
  ASSERT_GE(Seconds(x), 30.0);
  for (int ch : {0, 1}) {
    const auto all = measure::Channel(x, 2, ch);
    const std::vector<double> mid(all.begin() + 6 * kRate, all.begin() + 30 * kRate);
    EXPECT_GE(measure::LevelSpread(mid, kRate),
              2 * measure::LevelSpread(measure::Surrogate(mid, 7), kRate))
        << "dB between the 10th and 90th percentile of 1 ms levels, channel " << ch;
    const auto power = measure::Spectrum(all, 0, all.size(), 8192);
    EXPECT_GE(measure::OctaveDb(power, kRate, 250), measure::OctaveDb(power, kRate, 4000) - 12)
        << "the 250 Hz octave against the 4 kHz one, channel " << ch;
  }
}

// The rain cut off when the bulb dies fades out quickly, without a click: from where it stops,
// played in buffers of any size, no step from one sample to the next is larger than the rain's
// own, and it is silent 10 to 30 ms later.
TEST(MediaSounds, StoppedRainFadesOutWithoutAClick) {
  const auto data = host::DecodeSound(
      medium::showers, EmbeddedResources().Find(host::ResourceKind::Sound, medium::showers));
  ASSERT_NE(data, nullptr);
  const std::vector<std::int16_t>& all = data->Samples();
  double ownStep = 0;
  for (std::size_t i = 2; i < all.size(); ++i)
    ownStep = std::max(ownStep, std::fabs(double(all[i]) - all[i - 2]));
  for (double at : {9.0, 17.3, 24.0})
    for (int buffer : {1024, 333, 4096}) {
      const std::size_t stop = static_cast<std::size_t>(at * kRate) * 2;
      std::vector<std::int16_t> heard(all.begin() + stop - 2, all.begin() + stop + 2 * kRate / 10);
      int faded = 0;
      for (std::size_t f = 1; f < heard.size() / 2; f += buffer) {
        const int n = std::min<int>(buffer, static_cast<int>(heard.size() / 2 - f));
        faded = host::FadeOutStopped(&heard[2 * f], n, faded);
      }
      double step = 0;
      std::size_t last = 0;
      for (std::size_t i = 2; i < heard.size(); ++i) {
        step = std::max(step, std::fabs(double(heard[i]) - heard[i - 2]));
        if (heard[i] != 0) last = i;
      }
      EXPECT_LE(step, ownStep) << "stopped at " << at << " s, in buffers of " << buffer;
      const double silentAfterMs = (last / 2) * 1000.0 / kRate;
      EXPECT_GE(silentAfterMs, 10.0) << "stopped at " << at << " s";
      EXPECT_LE(silentAfterMs, 30.0) << "stopped at " << at << " s";
    }
}

// The chain's beads each ring their own way, so no narrow band holds the jingle; the switch
// clacks with the body of the socket rather than ticking.
TEST(MediaSounds, ChainJinglesUntunedAfterAFullClack) {
  const auto x = measure::Channel(Played(medium::chain), 2, 0);
  ASSERT_GT(x.size(), std::size_t(kRate * 44 / 100));
  const auto beads = measure::Spectrum(x, kRate * 3 / 100, kRate * 41 / 100, 4096);
  EXPECT_LE(measure::WidestBandShare(beads, kRate, 600), 0.15)
      << "share of the beads' energy in the fullest 600 Hz band";
  const auto snap = measure::Spectrum(x, 0, kRate * 3 / 100, 2048);
  EXPECT_GE(measure::BandShare(snap, kRate, 0, 1000), 0.2)
      << "share of the switch's first 30 ms below 1 kHz";
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
