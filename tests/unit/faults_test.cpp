// Missing or damaged media: the program starts, whatever can still run does, every way out works.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <span>
#include <string>
#include <utility>

#include "host/codec.h"
#include "media/media_table.h"
#include "support/scene_fixture.h"

namespace lumorra::testing {
namespace {

using Bytes = std::span<const std::uint8_t>;
using Key = std::pair<host::ResourceKind, int>;
constexpr auto kPicture = host::ResourceKind::Picture, kSound = host::ResourceKind::Sound;

// Bytes that are no medium at all, and bytes that start as a JPEG and then go wrong.
const std::uint8_t kNoise[] = {0x13, 0x37, 0x00, 0x42, 'n', 'o', 'i', 's', 'e', 0, 1, 2, 3, 4};
const std::uint8_t kBrokenJpeg[] = {0xFF, 0xD8, 0xFF, 0x00, 1, 2, 3, 4, 5, 6, 7, 8};
const Bytes kMissing;  // an empty span leaves the medium out

Bytes Embedded(Key k) { return EmbeddedResources().Find(k.first, k.second); }
Bytes FirstPart(Key k, int divisor) { return Embedded(k).first(Embedded(k).size() / divisor); }
using Spoil = std::function<Bytes(Key)>;  // what stands in for each medium
Spoil Only(Key which, Bytes with) {
  return [=](Key k) { return k == which ? with : Embedded(k); };
}

// The program's own media, with some left out or spoilt; the test starts the program.
class FaultyMedia : public SceneTest {
 protected:
  void SetUp() override {}
  const host::ResourceTable& resources() override { return table_; }

  // (Re)starts the program with spoilt media; returns what it said.
  std::string StartWith(const Spoil& spoil) {
    Stop();
    table_ = host::ResourceTable();
    for (const Medium& m : kMedia)
      if (const Bytes bytes = spoil({m.kind, m.number}); bytes.data() != nullptr)
        table_.Add(m.kind, m.number, bytes);
    ::testing::internal::CaptureStderr();
    Start();
    if (window->darker) window->darker->Pixels();  // what its decode says is captured too
    return ::testing::internal::GetCapturedStderr();
  }

  host::ResourceTable table_;
};

TEST_F(FaultyMedia, MissingMediaLeaveOutOnlyWhatNeedsThem) {
  StartWith(Only({kSound, medium::quiet}, kMissing));
  EXPECT_EQ(window->darker, nullptr) << "opening ends at the missing sound, before the pictures";
  PullChain();  // the show still runs, with nothing to show but the sounds
  driver->Advance(kPastTheShow);
  for (const auto& frame : Native().Frames()) EXPECT_EQ(frame.view.backdrop, nullptr);
  EXPECT_EQ(backend.Sounds().back().resourceId, medium::showers);
  EXPECT_TRUE(window->fried);
  // Without a dark picture the last flash never declares the black: a background click stays one.
  driver->Click(*window, 900, 600);
  EXPECT_FALSE(runtime->QuitRequested());

  StartWith(Only({kSound, medium::showers}, kMissing));  // the show runs on in silence
  Mark();
  PullChain();
  driver->Advance(kPastTheShow);
  EXPECT_EQ(Timeline(), kWholeShow);
}

TEST_F(FaultyMedia, NoiseForMediaShowsBlackAndLeavesTheChainArmed) {
  StartWith(Only({kSound, medium::chain}, kNoise));
  PullChain();  // ends at the unreadable sound, before the chain is disabled
  driver->Advance(kWholeShow[1].first);
  EXPECT_EQ(Showing(), "lighter");
  PullChain();  // so a second click without leaving the chain is the switch-off
  driver->Advance(400);
  EXPECT_EQ(Showing(), "darker");

  const std::string err = StartWith(Only({kPicture, medium::chain1}, kBrokenJpeg));
  EXPECT_LE(std::count(err.begin(), err.end(), '\n'), 1) << "one line at most: " << err;
  PullChain();
  driver->Advance(kWholeShow[1].first);
  EXPECT_EQ(Showing(), "none") << "the lit picture is missing";
  driver->Advance(kPastTheShow);
  driver->Click(*window, 600, 600);  // the final flash still told the dark from the black
  EXPECT_TRUE(runtime->QuitRequested());

  StartWith(Only({kPicture, medium::lowlight1}, kNoise));
  EXPECT_EQ(Showing(), "none");
  PullChain();
  EXPECT_EQ(Showing(), "lighter2") << "no picture counts as the light being out";

  backend.SetScreen({1024, 768});  // the reduced copy is made even from nothing, blank
  StartWith(Only({kPicture, medium::chain1}, kNoise));
  ASSERT_NE(window->lighter, nullptr);
  EXPECT_EQ(window->lighter->Width(), 1152);
  for (int y : {0, 400, 767}) EXPECT_EQ(window->lighter->Pixel(y * 3 / 2, y) & 0xFFFFFFu, 0u);
}

TEST_F(FaultyMedia, CutShortMediaShowAndPlayWhatTheyHold) {
  const Key dark{kPicture, medium::lowlight1}, rain{kSound, medium::showers};
  const std::string err =
      StartWith([&](Key k) { return k == dark || k == rain ? FirstPart(k, 3) : Embedded(k); });
  ASSERT_EQ(Showing(), "darker");
  EXPECT_NE(err.find("damaged picture"), std::string::npos) << err;
  // The top of the room came through as it is in the intact photograph.
  auto intact = host::DecodePicture(Embedded(dark));
  double diff = 0, n = 0;
  for (int y = 0; y < 200; y += 5)
    for (int x = 0; x < 1920; x += 5, ++n)
      for (int shift : {0, 8, 16})
        diff += std::abs(int((window->darker->Pixel(x, y) >> shift) & 255) -
                         int((intact->Pixel(x, y) >> shift) & 255));
  EXPECT_LT(diff / (3.0 * n), 6.0);
  PullChain();
  driver->Advance(kWholeShow[1].first);
  const auto rainSound = CachedSound(medium::showers);
  ASSERT_NE(rainSound, nullptr);
  EXPECT_EQ(backend.Sounds().back().resourceId, medium::showers);
  EXPECT_GT(rainSound->Data().Seconds(), 1.0);
  EXPECT_LT(rainSound->Data().Seconds(), 34.0) << "only part of the rain was there";
}

// Switched on, off and on again, the program still quits on Ctrl+Q.
TEST_F(FaultyMedia, QuitsWhateverIsWrongWithTheMedia) {
  for (const Spoil& spoil : std::initializer_list<Spoil>{
           [](Key) { return kMissing; },
           [](Key k) { return k.first == kSound ? kMissing : Embedded(k); },
           [](Key k) { return k.first == kPicture ? Bytes(kNoise) : Embedded(k); },
           [](Key k) { return FirstPart(k, 4); }}) {
    StartWith(spoil);  // damaged media report themselves; not our concern here
    PullChain();
    driver->Advance(2000);
    PullAgain();
    driver->Advance(300);
    PullAgain();
    driver->Advance(100);
    driver->Key('q');
    EXPECT_TRUE(runtime->QuitRequested());
  }
}

}  // namespace
}  // namespace lumorra::testing
