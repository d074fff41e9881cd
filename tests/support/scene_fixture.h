#pragma once

// A started program on the headless backend: the file type, the application object and the
// main window exist and the scene is open, as after start-up, but the loop is driven by the
// test (scripted input and a manual clock) instead of blocking.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "about/aboutwin.h"
#include "app/app.h"
#include "host/headless/headless_backend.h"
#include "media/media.h"
#include "scene/window1.h"

namespace lumorra::testing {

class SceneTest : public ::testing::Test {
 protected:
  explicit SceneTest(host::Size screen = {1920, 1080}) : backend(screen) {}

  void SetUp() override { Start(); }
  void TearDown() override { Stop(); }

  void Start() {
    runtime = std::make_unique<host::Runtime>(backend, &resources());
    InitFileTypes();
    NewAppInstance();
    ApplicationAddMenuHandlers();
    MakeDefaultView();
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

  // The middle of the chain, wherever the scene placed it.
  void PullChain() {
    auto chain = window->Find<host::RectControl>("Canvas2");
    const int x = chain->Left() + chain->Width() / 2, y = chain->Top() + chain->Height() / 2;
    driver->MoveTo(*window, x, y);
    driver->Press(*window, x, y);
    driver->Release(*window, x, y);
  }
  // Moves off the chain and back, which allows the next pull.
  void LeaveChain() { driver->MoveTo(*window, 700, 700); }
  void PullAgain() {
    LeaveChain();
    PullChain();
  }

  host::Timer& TimerNamed(const char* name) { return *window->Find<host::Timer>(name); }

  host::headless::HeadlessBackend backend;
  std::unique_ptr<host::Runtime> runtime;
  std::unique_ptr<host::headless::Driver> driver;
  std::shared_ptr<Window1> window;
};

}  // namespace lumorra::testing
