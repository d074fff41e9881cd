// Start-up and the end of the run: command line, finalisation, window icon, shortcuts.

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/command_line.h"
#include "app/menubar1.h"
#include "host/icon.h"
#include "support/scene_fixture.h"

namespace lumorra::testing {
namespace {

using Action = CommandLine::Action;
CommandLine Parse(const std::string& args) {
  std::istringstream in("lumorra " + args);
  std::vector<std::string> words{std::istream_iterator<std::string>(in), {}};
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  return ParseCommandLine(static_cast<int>(words.size()), argv.data());
}

// One parse after another, as getopt's state must not carry over to the next.
TEST(CommandLine, EachArgumentListAsksForOneAnswer) {
  const std::pair<const char*, const char*> problems[] = {
      {"--bogus", "unknown option '--bogus'"},
      {"-x", "unknown option '-x'"},
      {"-xh", "unknown option '-x'"},
      {"--help=yes", "option '--help' takes no value"},
      {"photo.jpg", "unexpected argument 'photo.jpg'"},
      {"-- --help", "unexpected argument '--help'"},
  };
  for (auto [args, line] : problems) {
    const CommandLine c = Parse(args);
    EXPECT_EQ(c.action, Action::Usage) << args;
    EXPECT_EQ(c.exitStatus, 2) << args;
    EXPECT_EQ(c.text,
              "lumorra: " + std::string(line) + "\nTry 'lumorra --help' for more information.\n");
  }
  // The first request is answered.
  const std::pair<const char*, Action> answers[] = {
      {"", Action::Run},        {"--", Action::Run},
      {"--help", Action::Help}, {"-h", Action::Help},
      {"--he", Action::Help},   {"--help --bogus", Action::Help},
      {"-hx", Action::Help},    {"--version", Action::Version},
      {"-V", Action::Version},  {"--version -h", Action::Version}};
  for (auto [args, action] : answers) {
    const CommandLine c = Parse(args);
    EXPECT_EQ(c.action, action) << args;
    EXPECT_EQ(c.exitStatus, 0) << args;
    EXPECT_EQ(c.text == "lumorra " LUMORRA_TEST_VERSION "\n", action == Action::Version) << args;
    for (const char* part : {"Usage: lumorra", "Photosensitivity warning", "40 times a second"})
      EXPECT_EQ(c.text.find(part) != std::string::npos, action == Action::Help) << args << part;
  }
}

using StartUp = SceneTest;

TEST_F(StartUp, MakesOneOfEachAndFinalisationReleasesEverythingItKeeps) {
  FileTypes::pText->Register();
  EXPECT_EQ(runtime->FileTypes().size(), 1u) << "a second registration does nothing";
  EXPECT_EQ(backend.NativeWindows().size(), 1u);
  PullChain();
  driver->Advance(100);  // the chain and the rain sounds are loaded now
  ASSERT_NE(cache::chain_snd, nullptr);
  std::weak_ptr<host::Picture> dark = window->darker;
  std::weak_ptr<Window1> weakWindow = window;
  window.reset();
  Finalise();
  EXPECT_FALSE(cache::chain_snd || cache::quiet_snd || cache::showers_snd);
  EXPECT_FALSE(cache::lowlight1_permapic || cache::highlight_permapic);
  EXPECT_TRUE(runtime->Windows().empty());
  EXPECT_TRUE(weakWindow.expired()) << "the window lists held the last references";
  EXPECT_TRUE(dark.expired());
  EXPECT_EQ(FileTypes::pText, nullptr);
  EXPECT_FALSE(MenuBar1::HasInstance());
  EXPECT_TRUE(backend.NativeWindows().empty());
  runtime.reset();
}

TEST(WindowIcon, BothWindowsCarryTheBuiltInBulb) {
  host::headless::HeadlessBackend backend;
  host::Runtime runtime(backend, &EmbeddedResources());
  SetUpIcon(runtime);
  const auto icon = runtime.Icon();
  ASSERT_NE(icon, nullptr);
  ASSERT_EQ(std::pair(icon->width, icon->height), std::pair(64, 64));
  const std::uint8_t junk[] = {'n', 'o', 't', ' ', 'p', 'n', 'g'};
  EXPECT_EQ(host::DecodeIcon(junk), nullptr);

  InitFileTypes();
  NewAppInstance();
  MakeDefaultView();
  AboutWin::Instance()->Show();
  ASSERT_EQ(backend.NativeWindows().size(), 2u);
  for (const auto* native : backend.NativeWindows()) EXPECT_EQ(native->Spec().icon, icon);
  Finalise();
}

TEST_F(StartUp, OnlyCtrlQQuitsAlsoWithTheBoxUpAndTheEditShortcutsDoNothing) {
  driver->Click(*window, 120, 12);  // "About"
  ASSERT_NE(Box(), nullptr);
  auto quits = [&](host::InputEvent key) {
    key.type = host::InputEvent::Type::KeyDown;
    driver->Send(key);
    return runtime->QuitRequested();
  };
  for (char k : {'x', 'c', 'v', 'z'}) EXPECT_FALSE(quits({.key = k, .command = true})) << k;
  EXPECT_FALSE(quits({.key = 'q'})) << "Q";
  EXPECT_FALSE(quits({.key = 'q', .command = true, .shift = true})) << "Ctrl+Shift+Q";
  EXPECT_FALSE(quits({.key = 'q', .command = true, .option = true})) << "Ctrl+Alt+Q";
  EXPECT_FALSE(quits({.key = 'q', .command = true, .other = true})) << "Ctrl+Super+Q";
  EXPECT_FALSE(quits({.key = 'q', .command = true, .repeat = true})) << "a held key's repeat";
  EXPECT_TRUE(quits({.key = 'q', .command = true})) << "Ctrl+Q";
  EXPECT_EQ(runtime->ExitStatus(), 0);
}

// A pull, then the script ends: the loop runs every timer in virtual time, then ends with 0.
TEST(Program, HeadlessRunPlaysTheWholeShowAndExitsCleanly) {
  host::headless::HeadlessBackend backend;
  for (auto type : {host::InputEvent::Type::MouseMove, host::InputEvent::Type::MouseDown,
                    host::InputEvent::Type::MouseUp})
    backend.Push({.type = type, .window = 1, .x = 110, .y = 200});
  EXPECT_EQ(RunProgram(backend, EmbeddedResources()), 0);
  EXPECT_GE(backend.Now(), LastMoment("none") * host::kMillis) << "the show ran to the blackout";
  EXPECT_EQ(FileTypes::pText, nullptr);
}

}  // namespace
}  // namespace lumorra::testing
