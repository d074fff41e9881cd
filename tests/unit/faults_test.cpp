// Missing or damaged media: the program starts, whatever can still run does, every way out works.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "host/codec.h"
#include "media/media_table.h"
#include "support/scene_fixture.h"

namespace lumorra::testing {
namespace {

using Key = std::pair<host::ResourceKind, int>;
using Spoilt = std::map<Key, std::span<const std::uint8_t>>;
constexpr host::ResourceKind kPicture = host::ResourceKind::Picture,
                             kSound = host::ResourceKind::Sound;

// Bytes that are no medium at all, and bytes that start as a JPEG and then go wrong.
const std::uint8_t kNoise[] = {0x13, 0x37, 0x00, 0x42, 'n', 'o', 'i', 's', 'e', 0, 1, 2, 3, 4};
const std::uint8_t kBrokenJpeg[] = {0xFF, 0xD8, 0xFF, 0x00, 1, 2, 3, 4, 5, 6, 7, 8};
const std::span<const std::uint8_t> kMissing;  // an empty span leaves the medium out

std::span<const std::uint8_t> Embedded(Key k) {
  return EmbeddedResources().Find(k.first, k.second);
}
std::span<const std::uint8_t> FirstPart(Key k, int divisor) {
  return Embedded(k).first(Embedded(k).size() / divisor);
}
// Every picture and/or every sound spoilt the same way.
Spoilt All(bool pictures, bool sounds, std::span<const std::uint8_t> (*how)(Key)) {
  Spoilt spoilt;
  for (const Medium& m : kMedia)
    if (m.kind == kPicture ? pictures : sounds)
      spoilt[{m.kind, m.number}] = how({m.kind, m.number});
  return spoilt;
}

// The program's own media, with some left out or spoilt; the test starts the program.
class FaultyMedia : public SceneTest {
 protected:
  explicit FaultyMedia(host::Size screen = {1920, 1080}) : SceneTest(screen) {}
  void SetUp() override {}
  const host::ResourceTable& resources() override { return table_; }

  // (Re)starts the program with `spoilt` in place of the embedded media; returns what it said.
  std::string StartWith(const Spoilt& spoilt) {
    Stop();
    table_ = host::ResourceTable();
    for (const Medium& m : kMedia) {
      auto it = spoilt.find({m.kind, m.number});
      const auto bytes = it == spoilt.end() ? Embedded({m.kind, m.number}) : it->second;
      if (bytes.data() != nullptr) table_.Add(m.kind, m.number, bytes);
    }
    ::testing::internal::CaptureStderr();
    Start();
    if (window->darker) window->darker->Pixels();  // what its decode says is captured too
    return ::testing::internal::GetCapturedStderr();
  }
  int Plays(int id) const {
    return static_cast<int>(
        std::count_if(backend.Sounds().begin(), backend.Sounds().end(), [&](const auto& e) {
          return e.kind == host::headless::SoundEvent::Kind::Play && e.resourceId == id;
        }));
  }
  bool AllBlack(const host::Picture& p) const {
    for (int y = 0; y < p.Height(); y += 7)
      for (int x = 0; x < p.Width(); x += 7)
        if ((p.Pixel(x, y) & 0xFFFFFFu) != 0) return false;
    return true;
  }
  std::vector<Step> RunTheShow() {
    Mark();
    PullChain();
    driver->Advance(LastMoment("none"));
    return Timeline();
  }
  // After a show the credits box opens and a name hides it, "Quit" ends it, and so does Ctrl+Q.
  void ExpectWaysOut(const Spoilt& spoilt) {
    StartWith(spoilt);  // damaged media report themselves; not our concern here
    PullChain();
    driver->Advance(2000);
    PullAgain();
    driver->Advance(kPastTheShow);
    driver->Click(*window, 120, 12);  // "About"
    ASSERT_TRUE(Box() && backend.NativeFor(*Box())->Shown());
    driver->Click(*Box(), 100, 75);
    EXPECT_FALSE(backend.NativeFor(*Box())->Shown());
    EXPECT_FALSE(runtime->QuitRequested());
    driver->MoveTo(*window, 600, 10);
    driver->Click(*window, 30, 12);  // "Quit"
    EXPECT_TRUE(runtime->QuitRequested());
    EXPECT_EQ(runtime->ExitStatus(), 0);
    StartWith(spoilt);
    PullChain();
    driver->Advance(100);
    driver->Key('q');
    EXPECT_TRUE(runtime->QuitRequested());
  }

  host::ResourceTable table_;
};

TEST_F(FaultyMedia, MissingMediaLeaveTheSceneUnpreparedButAlive) {
  StartWith({{{kSound, medium::quiet}, kMissing}});
  // Opening the scene ends at the missing sound, before any picture was asked for.
  EXPECT_EQ(window->darker, nullptr);
  EXPECT_EQ(Showing(), "none");
  EXPECT_EQ(Native().Showing().backColor, host::RGB(0, 0, 0));
  // A pull still runs the show, with nothing to show but the sounds.
  PullChain();
  driver->Advance(kPastTheShow);
  for (const auto& frame : Native().Frames()) EXPECT_EQ(frame.view.backdrop, nullptr);
  EXPECT_EQ(Plays(medium::chain), 1);
  EXPECT_EQ(Plays(medium::showers), 1);
  EXPECT_TRUE(window->fried);
  // Without a dark picture the last flash never declares the black: a background click stays one.
  EXPECT_FALSE(window->enditall);
  driver->Click(*window, 900, 600);
  EXPECT_FALSE(runtime->QuitRequested());
  ExpectWaysOut(All(true, true, [](Key) { return kMissing; }));
}

TEST_F(FaultyMedia, NoSoundsRunTheWholeShowSilently) {
  StartWith({{{kSound, medium::showers}, kMissing}});
  EXPECT_EQ(RunTheShow(), kWholeShow);
  EXPECT_EQ(Plays(medium::showers), 0);
  driver->Click(*window, 600, 600);
  EXPECT_TRUE(runtime->QuitRequested());
  ExpectWaysOut(All(false, true, [](Key) { return kMissing; }));
}

TEST_F(FaultyMedia, NoiseForMediaShowsBlackAndLeavesTheChainArmed) {
  StartWith({{{kSound, medium::chain}, kNoise}});
  PullChain();
  EXPECT_TRUE(window->Find<host::RectControl>("Canvas2")->Enabled())
      << "the pull ended at the missing sound, before the chain was disabled";
  driver->Advance(kWholeShow[1].first);
  EXPECT_EQ(Showing(), "lighter");
  EXPECT_EQ(Plays(medium::chain), 0);
  PullChain();  // so a second click without leaving the chain is the switch-off
  driver->Advance(400);
  EXPECT_EQ(Showing(), "darker");

  const std::string err = StartWith({{{kPicture, medium::chain1}, kBrokenJpeg}});
  EXPECT_LE(std::count(err.begin(), err.end(), '\n'), 1) << "one line at most: " << err;
  const auto timeline = RunTheShow();
  ASSERT_GE(timeline.size(), 3u);
  EXPECT_EQ(timeline[1], (Step{kWholeShow[1].first, "none"})) << "the lit picture is missing";
  EXPECT_EQ(timeline.back(), (Step{LastMoment("none"), "none"}));
  driver->Click(*window, 600, 600);  // the final flash still told the dark from the black
  EXPECT_TRUE(runtime->QuitRequested());

  StartWith({{{kPicture, medium::lowlight1}, kNoise}});
  EXPECT_EQ(Showing(), "none");
  PullChain();
  EXPECT_EQ(Showing(), "lighter2") << "no picture counts as the light being out";
  ExpectWaysOut(All(true, false, [](Key) -> std::span<const std::uint8_t> { return kNoise; }));
}

TEST_F(FaultyMedia, CutShortMediaShowAndPlayWhatTheyHold) {
  const Key dark{kPicture, medium::lowlight1}, rain{kSound, medium::showers};
  const std::string err = StartWith({{dark, FirstPart(dark, 3)}, {rain, FirstPart(rain, 3)}});
  ASSERT_EQ(Showing(), "darker");
  EXPECT_EQ(window->darker->Width(), 1920);
  EXPECT_EQ(window->darker->Height(), 1280);
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
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
  EXPECT_EQ(Plays(medium::showers), 1);
  ASSERT_NE(cache::showers_snd, nullptr);
  EXPECT_GT(cache::showers_snd->Data().Seconds(), 1.0);
  EXPECT_LT(cache::showers_snd->Data().Seconds(), 34.0) << "only part of the rain was there";
  ExpectWaysOut(All(true, true, [](Key k) { return FirstPart(k, 4); }));
}

class FaultyMediaOnSmallScreen : public FaultyMedia {
 protected:
  FaultyMediaOnSmallScreen() : FaultyMedia({1024, 768}) {}
};

TEST_F(FaultyMediaOnSmallScreen, UnreadableLitPictureBecomesABlankReducedCopy) {
  StartWith({{{kPicture, medium::chain1}, kNoise}});
  ASSERT_NE(window->lighter, nullptr) << "the reduced copy is made even from nothing";
  EXPECT_TRUE(AllBlack(*window->lighter));
  EXPECT_FALSE(AllBlack(*window->darker));
}

}  // namespace
}  // namespace lumorra::testing
