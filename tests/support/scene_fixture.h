#pragma once

// A started program on the headless backend, as after start-up, with the loop driven by the test
// (scripted input and a manual clock) instead of blocking.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "about/aboutwin.h"
#include "app/app.h"
#include "host/headless/headless_backend.h"
#include "media/media.h"
#include "scene/window1.h"

namespace lumorra::testing {

using Step = std::pair<long, std::string>;  // ms after a moment, picture shown then

// What the first switch-on shows, to the millisecond after the pull.
inline const std::vector<Step> kWholeShow = {
    {0, "lighter2"},   {50, "lighter"},    {20075, "flash"},  {20100, "lighter"},
    {20125, "flash"},  {20150, "lighter"}, {29275, "darker"}, {29375, "lighter"},
    {29475, "darker"}, {32625, "flash"},   {32675, "none"}};

// When, in ms after the pull, the whole show last shows `picture` ("none": the blackout).
inline long LastMoment(const std::string& picture) {
  long ms = -1;
  for (const auto& [at, name] : kWholeShow)
    if (name == picture) ms = at;
  return ms;
}

inline constexpr long kPastTheShow = 40000;  // ms after the pull: the show is over by then

class SceneTest : public ::testing::Test {
 protected:
  explicit SceneTest(host::Size screen = {1920, 1080}) : backend(screen) {}

  void SetUp() override { Start(); }
  void TearDown() override { Stop(); }

  void Start() {
    runtime = std::make_unique<host::Runtime>(backend, &resources());
    PrefetchMedia(*runtime);
    InitFileTypes();
    NewAppInstance();
    ApplicationAddMenuHandlers();
    MakeDefaultView(gentleChoice);
    window = Window1::Instance();
    driver = std::make_unique<host::headless::Driver>(*runtime, backend);
    driver->Advance(0);
  }

  void Stop() {
    if (!runtime) return;
    window.reset();
    Finalise();
    driver.reset();
    runtime.reset();
  }

  virtual const host::ResourceTable& resources() { return EmbeddedResources(); }

  // Which of the scene's pictures the main window shows now, by identity.
  std::string Showing() const { return NameOf(Native().Showing().backdrop); }
  std::string NameOf(const std::shared_ptr<host::Picture>& p) const {
    if (!p) return "none";
    if (p == window->darker) return "darker";
    if (p == window->darker2) return "darker2";
    if (p == window->lighter) return "lighter";
    if (p == window->lighter2) return "lighter2";
    if (p == window->flash) return "flash";
    return "other";
  }
  host::headless::HeadlessWindow& Native() const { return *backend.NativeFor(*window); }

  // Timeline() is every change of the backdrop since the last Mark(), in ms after it.
  void Mark() {
    markMs_ = driver->NowMs();
    markFrame_ = Native().Frames().size();
    markSound_ = backend.Sounds().size();
  }
  std::vector<Step> Timeline() const {
    std::vector<Step> steps;
    const auto& frames = Native().Frames();
    std::string last = markFrame_ > 0 ? NameOf(frames[markFrame_ - 1].view.backdrop) : "";
    for (std::size_t i = markFrame_; i < frames.size(); ++i) {
      const std::string name = NameOf(frames[i].view.backdrop);
      if (name != last) steps.emplace_back(frames[i].time / host::kMillis - markMs_, name);
      last = name;
    }
    return steps;
  }

  // The credits box, once "About" has made it.
  std::shared_ptr<AboutWin> Box() const {
    for (const auto& w : runtime->Windows())
      if (auto box = std::dynamic_pointer_cast<AboutWin>(w)) return box;
    return nullptr;
  }

  // Clicks the middle of the chain, wherever the scene placed it.
  void PullChain() {
    const auto& chain = *window->Find<host::RectControl>("Canvas2");
    driver->Click(*window, chain.Left() + chain.Width() / 2, chain.Top() + chain.Height() / 2);
  }
  void LeaveChain() { driver->MoveTo(*window, 700, 700); }  // allows the next pull
  void PullAgain() {
    LeaveChain();
    PullChain();
  }

  host::headless::HeadlessBackend backend;
  std::optional<bool> gentleChoice;  // the command line's, for the next Start
  std::unique_ptr<host::Runtime> runtime;
  std::unique_ptr<host::headless::Driver> driver;
  std::shared_ptr<Window1> window;
  long markMs_ = 0;
  std::size_t markFrame_ = 0, markSound_ = 0;
};

}  // namespace lumorra::testing
