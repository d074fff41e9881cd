// Missing or damaged media, and screens from the smallest to the largest: the program starts,
// whatever can still run does, and every way out keeps working.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "host/codec.h"
#include "support/scene_fixture.h"

namespace lumorra::testing {
namespace {

using host::ResourceKind;
using host::headless::SoundEvent;

constexpr int kChainSound = 168, kOpeningSound = 169, kRainSound = 170;
constexpr int kLitPicture = 168, kDarkPicture = 171;

// Bytes that are no medium at all, and bytes that start as a JPEG and then go wrong.
const std::uint8_t kNoise[] = {0x13, 0x37, 0x00, 0x42, 'n',  'o',  'i',  's',
                               'e',  0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
const std::uint8_t kBrokenJpeg[] = {0xFF, 0xD8, 0xFF, 0x00, 1, 2, 3, 4, 5, 6, 7, 8};

std::span<const std::uint8_t> Embedded(ResourceKind kind, int number) {
  return EmbeddedResources().Find(kind, number);
}

// The program's own media, with some left out or spoilt. The program is started by the test
// once the table is ready.
class FaultyMedia : public SceneTest {
 protected:
  explicit FaultyMedia(host::Size screen = {1920, 1080}) : SceneTest(screen) {}

  void SetUp() override {}
  const host::ResourceTable& resources() override { return table_; }

  void LeaveOut(ResourceKind kind, int number) { missing_.insert({kind, number}); }
  void Spoil(ResourceKind kind, int number, std::span<const std::uint8_t> bytes) {
    replaced_[{kind, number}] = bytes;
  }
  std::span<const std::uint8_t> FirstPart(ResourceKind kind, int number, int divisor) {
    auto bytes = Embedded(kind, number);
    return bytes.first(bytes.size() / divisor);
  }

  void StartProgram() {
    table_ = host::ResourceTable();
    auto add = [&](ResourceKind kind, int number) {
      if (missing_.count({kind, number})) return;
      auto it = replaced_.find({kind, number});
      table_.Add(kind, number, it != replaced_.end() ? it->second : Embedded(kind, number));
    };
    for (int n = 168; n <= 172; ++n) add(ResourceKind::Picture, n);
    for (int n = 168; n <= 170; ++n) add(ResourceKind::Sound, n);
    Start();
  }

  int Plays(int id) const {
    int n = 0;
    for (const auto& e : backend.Sounds())
      n += e.kind == SoundEvent::Kind::Play && e.resourceId == id;
    return n;
  }
  int Stops(int id) const {
    int n = 0;
    for (const auto& e : backend.Sounds())
      n += e.kind == SoundEvent::Kind::Stop && e.resourceId == id;
    return n;
  }
  bool AllBlack(const host::Picture& p, host::Rect r) const {
    for (int y = r.top; y < r.top + r.height; y += 7)
      for (int x = r.left; x < r.left + r.width; x += 7)
        if ((p.Pixel(x, y) & 0xFFFFFFu) != 0) return false;
    return true;
  }
  void ClickQuit() {
    driver->MoveTo(*window, 600, 10);
    driver->Click(*window, 30, 12);
  }

  host::ResourceTable table_;
  std::set<std::pair<ResourceKind, int>> missing_;
  std::map<std::pair<ResourceKind, int>, std::span<const std::uint8_t>> replaced_;
};

// ---- Sounds --------------------------------------------------------------------------------

TEST_F(FaultyMedia, NoOpeningSoundLeavesTheSceneUnpreparedButAlive) {
  LeaveOut(ResourceKind::Sound, kOpeningSound);
  StartProgram();
  // Opening the scene ends at the missing sound, before any picture was asked for.
  EXPECT_EQ(cache::lowlight1_permapic, nullptr);
  for (const auto& p :
       {window->darker, window->darker2, window->lighter, window->lighter2, window->flash})
    EXPECT_EQ(p, nullptr);
  EXPECT_EQ(Showing(), "none");
  EXPECT_EQ(Native().Showing().backColor, host::RGB(0, 0, 0));
  EXPECT_TRUE(backend.Sounds().empty());

  // A pull still switches on and runs the show, with nothing to show but the sounds.
  PullChain();
  EXPECT_TRUE(window->lit);
  driver->Advance(kPastTheShow);
  for (const auto& frame : Native().Frames()) EXPECT_EQ(frame.view.backdrop, nullptr);
  EXPECT_EQ(Plays(kChainSound), 1);
  EXPECT_EQ(Plays(kRainSound), 1);
  EXPECT_TRUE(window->fried);
  EXPECT_FALSE(window->Find<host::RectControl>("Canvas2")->Visible());
  // With no dark picture the last flash never tells the black apart, so the screen is never
  // declared black and a background click stays a plain click; "Quit" still ends it.
  EXPECT_FALSE(window->enditall);
  driver->Click(*window, 900, 600);
  EXPECT_FALSE(runtime->QuitRequested());
  ClickQuit();
  EXPECT_TRUE(runtime->QuitRequested());
  EXPECT_EQ(runtime->ExitStatus(), 0);
}

TEST_F(FaultyMedia, UnreadableChainSoundStillPullsAndLeavesTheChainArmed) {
  Spoil(ResourceKind::Sound, kChainSound, kNoise);
  StartProgram();
  EXPECT_EQ(Showing(), "darker");
  PullChain();
  EXPECT_EQ(Showing(), "lighter2");
  EXPECT_EQ(TimerNamed("chaintimer1").Mode(), 1);
  EXPECT_TRUE(window->Find<host::RectControl>("Canvas2")->Enabled())
      << "the pull ended at the missing sound, before the chain was disabled";
  driver->Advance(1000);
  EXPECT_EQ(Showing(), "lighter");
  EXPECT_EQ(Plays(kRainSound), 1);
  EXPECT_EQ(Plays(kChainSound), 0);

  // So a second click without leaving the chain is a pull of its own: the switch-off.
  PullChain();
  driver->Advance(400);
  EXPECT_EQ(Showing(), "darker");
  EXPECT_EQ(Stops(kRainSound), 1);
  driver->Key('q');
  EXPECT_TRUE(runtime->QuitRequested());
}

TEST_F(FaultyMedia, NoRainSoundRunsTheWholeShowSilently) {
  LeaveOut(ResourceKind::Sound, kRainSound);
  StartProgram();
  const long pullMs = driver->NowMs();
  const std::size_t frame = Native().Frames().size();
  PullChain();
  driver->Advance(kPastTheShow);
  EXPECT_EQ(TimelineFrom(frame, pullMs), kWholeShow);
  EXPECT_EQ(Plays(kRainSound), 0);
  EXPECT_EQ(Plays(kChainSound), 1);
  ASSERT_TRUE(window->enditall);
  driver->Click(*window, 900, 600);
  EXPECT_TRUE(runtime->QuitRequested());
}

TEST_F(FaultyMedia, CutShortRainSoundPlaysWhatItHas) {
  Spoil(ResourceKind::Sound, kRainSound, FirstPart(ResourceKind::Sound, kRainSound, 3));
  StartProgram();
  PullChain();
  driver->Advance(1000);
  EXPECT_EQ(Plays(kRainSound), 1);
  ASSERT_NE(cache::showers_snd, nullptr);
  const double seconds = cache::showers_snd->Data().Seconds();
  EXPECT_GT(seconds, 1.0);
  EXPECT_LT(seconds, 34.0) << "only part of the rain was there";
  driver->Advance(kPastTheShow);
  EXPECT_TRUE(window->enditall);
}

// ---- Pictures ------------------------------------------------------------------------------

TEST_F(FaultyMedia, UnreadableLitPictureShowsBlackInItsPlaceAndTheShowEnds) {
  Spoil(ResourceKind::Picture, kLitPicture, kBrokenJpeg);
  ::testing::internal::CaptureStderr();
  StartProgram();
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_LE(std::count(err.begin(), err.end(), '\n'), 1) << "one line at most: " << err;
  EXPECT_EQ(window->lighter, nullptr);
  EXPECT_NE(window->darker, nullptr);
  EXPECT_EQ(Showing(), "darker");
  const long pullMs = driver->NowMs();
  const std::size_t frame = Native().Frames().size();
  PullChain();
  driver->Advance(kPastTheShow);
  const auto timeline = TimelineFrom(frame, pullMs);
  ASSERT_GE(timeline.size(), 3u);
  EXPECT_EQ(timeline[0], (Step{0, "lighter2"}));
  EXPECT_EQ(timeline[1], (Step{50, "none"})) << "the lit picture is missing";
  EXPECT_EQ(timeline.back(), (Step{LastMoment("none"), "none"}));
  for (const auto& [ms, name] : timeline) EXPECT_NE(name, "other") << ms;
  EXPECT_TRUE(window->fried);
  ASSERT_TRUE(window->enditall) << "the final flash still tells the dark from the black";
  driver->Click(*window, 900, 600);
  EXPECT_TRUE(runtime->QuitRequested());
}

TEST_F(FaultyMedia, UnreadableDarkPictureOpensBlackAndStillSwitchesOn) {
  Spoil(ResourceKind::Picture, kDarkPicture, kNoise);
  StartProgram();
  EXPECT_EQ(window->darker, nullptr);
  EXPECT_EQ(Showing(), "none");
  PullChain();
  EXPECT_EQ(Showing(), "lighter2") << "no picture counts as the light being out";
  EXPECT_TRUE(window->lit);
  driver->Advance(kPastTheShow);
  EXPECT_TRUE(window->enditall);
  EXPECT_EQ(Showing(), "none");
  driver->Click(*window, 900, 600);
  EXPECT_TRUE(runtime->QuitRequested());
}

TEST_F(FaultyMedia, CutShortDarkPictureIsShownAsFarAsItDecodes) {
  Spoil(ResourceKind::Picture, kDarkPicture, FirstPart(ResourceKind::Picture, kDarkPicture, 3));
  ::testing::internal::CaptureStderr();
  StartProgram();
  ASSERT_NE(window->darker, nullptr);
  window->darker->Pixels();  // the decode has finished
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(Showing(), "darker");
  EXPECT_EQ(window->darker->Width(), 1920);
  EXPECT_EQ(window->darker->Height(), 1280);
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_NE(err.find("damaged picture"), std::string::npos) << err;
  // The top of the room came through as it is in the intact photograph.
  auto intact = host::DecodePicture(Embedded(ResourceKind::Picture, kDarkPicture));
  ASSERT_NE(intact, nullptr);
  double diff = 0;
  int n = 0;
  for (int y = 0; y < 200; y += 5)
    for (int x = 0; x < 1920; x += 5, ++n)
      for (int shift : {0, 8, 16})
        diff += std::abs(int((window->darker->Pixel(x, y) >> shift) & 255) -
                         int((intact->Pixel(x, y) >> shift) & 255));
  EXPECT_LT(diff / (3.0 * n), 6.0);
  PullChain();
  driver->Advance(kPastTheShow);
  EXPECT_TRUE(window->enditall);
}

class FaultyMediaOnSmallScreen : public FaultyMedia {
 protected:
  FaultyMediaOnSmallScreen() : FaultyMedia({1024, 768}) {}
};

TEST_F(FaultyMediaOnSmallScreen, UnreadableLitPictureBecomesABlankReducedCopy) {
  Spoil(ResourceKind::Picture, kLitPicture, kNoise);
  StartProgram();
  ASSERT_NE(window->lighter, nullptr) << "the reduced copy is made even from nothing";
  EXPECT_EQ(window->lighter->Width(), 1152);
  EXPECT_EQ(window->lighter->Height(), 768);
  EXPECT_TRUE(AllBlack(*window->lighter, {0, 0, 1152, 768}));
  EXPECT_FALSE(AllBlack(*window->darker, {0, 0, 1152, 768}));
  PullChain();
  driver->Advance(1000);
  EXPECT_EQ(Showing(), "lighter");
  driver->Advance(kPastTheShow);
  EXPECT_TRUE(window->enditall);
  driver->Click(*window, 600, 600);
  EXPECT_TRUE(runtime->QuitRequested());
}

// ---- Every way out, whatever is damaged -------------------------------------------------

struct Damage {
  const char* name;
  std::vector<std::pair<ResourceKind, int>> missing;
  std::vector<std::pair<ResourceKind, int>> noise;
  std::vector<std::pair<ResourceKind, int>> cutShort;
};

class FaultWaysOut : public FaultyMedia, public ::testing::WithParamInterface<Damage> {
 protected:
  void Prepare() {
    for (const auto& r : GetParam().missing) LeaveOut(r.first, r.second);
    for (const auto& r : GetParam().noise) Spoil(r.first, r.second, kNoise);
    for (const auto& r : GetParam().cutShort)
      Spoil(r.first, r.second, FirstPart(r.first, r.second, 4));
    ::testing::internal::CaptureStderr();  // damaged media report themselves; not our concern here
  }
  void TearDown() override {
    FaultyMedia::TearDown();
    ::testing::internal::GetCapturedStderr();
  }
};

TEST_P(FaultWaysOut, CreditsQuitLabelAndCtrlQStillWork) {
  Prepare();
  StartProgram();
  PullChain();
  driver->Advance(2000);
  PullAgain();
  driver->Advance(kPastTheShow);

  driver->Click(*window, 120, 12);  // "About"
  ASSERT_NE(Box(), nullptr);
  EXPECT_TRUE(backend.NativeFor(*Box())->Shown());
  driver->Click(*Box(), 100, 75);
  EXPECT_EQ(backend.Urls(), std::vector<std::string>{links::kPhotographer});
  EXPECT_FALSE(backend.NativeFor(*Box())->Shown());
  EXPECT_FALSE(runtime->QuitRequested());
  ClickQuit();
  EXPECT_TRUE(runtime->QuitRequested());
  EXPECT_EQ(runtime->ExitStatus(), 0);

  Stop();
  StartProgram();
  PullChain();
  driver->Advance(100);
  driver->Key('q');
  EXPECT_TRUE(runtime->QuitRequested());
  EXPECT_EQ(runtime->ExitStatus(), 0);
}

using Resources = std::vector<std::pair<ResourceKind, int>>;
const Resources kPictures = {{ResourceKind::Picture, 168},
                             {ResourceKind::Picture, 169},
                             {ResourceKind::Picture, 170},
                             {ResourceKind::Picture, 171},
                             {ResourceKind::Picture, 172}};
const Resources kSounds = {
    {ResourceKind::Sound, 168}, {ResourceKind::Sound, 169}, {ResourceKind::Sound, 170}};
Resources Both() {
  Resources all = kPictures;
  all.insert(all.end(), kSounds.begin(), kSounds.end());
  return all;
}

const Damage kDamages[] = {
    {"NothingAtAll", Both(), {}, {}},
    {"NoSounds", kSounds, {}, {}},
    {"PicturesAreNoise", {}, kPictures, {}},
    {"EverythingCutShort", {}, {}, Both()},
};

INSTANTIATE_TEST_SUITE_P(Fault, FaultWaysOut, ::testing::ValuesIn(kDamages),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lumorra::testing
