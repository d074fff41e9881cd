// The media built into the program, and the accessors that hand them out.

#include <gtest/gtest.h>

#include <cmath>

#include "host/codec.h"
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

TEST(Media, FivePhotographsOfOneSizeAndFiveDistinctImages) {
  std::vector<std::shared_ptr<host::Picture>> pictures;
  for (int n = 168; n <= 172; ++n) {
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
  // The chain lies in 98..138 x 26..516; JPEG blocks may carry a difference a few pixels out.
  const host::Rect chainArea{98 - 8, 26 - 8, 40 + 16, 490 + 16};
  auto dark1 = Decode(171), dark2 = Decode(172), lit1 = Decode(168), lit2 = Decode(169);
  EXPECT_GT(DifferenceInside(*dark1, *dark2, chainArea), 0.9);
  EXPECT_GT(DifferenceInside(*lit1, *lit2, chainArea), 0.9);
}

TEST(Media, SoundsAreThereWithTheirLengths) {
  struct Expected {
    int number;
    double min, max;
  };
  for (auto [number, min, max] :
       {Expected{168, 0.3, 0.8}, Expected{169, 1.0, 3.0}, Expected{170, 34.0, 60.0}}) {
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

TEST(Media, DamagedBytesDecodeToNil) {
  const std::uint8_t garbage[] = {0xFF, 0xD8, 0xFF, 0x00, 1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(host::DecodePicture(garbage), nullptr);
  EXPECT_EQ(host::DecodeSound(1, garbage), nullptr);
  EXPECT_EQ(host::DecodePicture({}), nullptr);
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
  table.Add(ResourceKind::Picture, 168, EmbeddedResources().Find(ResourceKind::Picture, 168));
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
