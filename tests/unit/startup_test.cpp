// Start-up and the end of the run: command line, finalisation and shortcuts.

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/command_line.h"
#include "app/menubar1.h"
#include "media/media_table.h"
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
      {"-xh", "unknown option '-x'"},
      {"--help=yes", "option '--help' takes no value"},
      {"-- --help", "unexpected argument '--help'"},
      // After a request, a bad argument is still reported.
      {"--version extra", "unexpected argument 'extra'"},
      {"--help --bogus", "unknown option '--bogus'"},
      {"-hx", "unknown option '-x'"}};
  for (auto [args, line] : problems) {
    const CommandLine c = Parse(args);
    EXPECT_EQ(c.action, Action::Usage) << args;
    EXPECT_EQ(c.exitStatus, 2) << args;
    EXPECT_EQ(c.text,
              "lumorra: " + std::string(line) + "\nTry 'lumorra --help' for more information.\n");
  }
  // The first request is answered.
  const std::pair<Action, std::vector<const char*>> answers[] = {
      {Action::Run, {"", "--"}},
      {Action::Help, {"--help", "-h", "--he", "-hV"}},
      {Action::Version, {"--version", "-V", "--version -h"}}};
  for (const auto& [action, argLists] : answers)
    for (const char* args : argLists) {
      const CommandLine c = Parse(args);
      EXPECT_EQ(c.action, action) << args;
      EXPECT_EQ(c.exitStatus, 0) << args;
      EXPECT_EQ(c.text == "lumorra " LUMORRA_TEST_VERSION "\n", action == Action::Version) << args;
      for (const char* part : {"Usage: lumorra", "Photosensitivity warning", "40 times a second"})
        EXPECT_EQ(c.text.find(part) != std::string::npos, action == Action::Help) << args << part;
    }
  // The show's kind: the last choice counts; none follows the desktop.
  const std::pair<const char*, std::optional<bool>> shows[] = {
      {"", std::nullopt},        {"-g", true},
      {"--gentle", true},        {"--no-gentle", false},
      {"-g --no-gentle", false}, {"--no-gentle --gentle", true}};
  for (const auto& [args, gentle] : shows) {
    const CommandLine c = Parse(args);
    EXPECT_EQ(c.action, Action::Run) << args;
    EXPECT_EQ(c.gentle, gentle) << args;
  }
  EXPECT_EQ(Parse("--gentle=yes").text.find("option '--gentle' takes no value"), 9u);
}

using StartUp = SceneTest;

// The sounds go first, in a fixed order, then the windows; nothing the program kept outlives it.
TEST_F(StartUp, FinalisationReleasesEverythingItKeepsInOrder) {
  PullChain();
  driver->Advance(100);  // the chain and the rain sounds are loaded now
  ASSERT_NE(CachedSound(medium::chain), nullptr);
  std::weak_ptr<Window1> weakWindow = window;
  window.reset();
  Finalise();
  const std::vector<std::string> released = {
      "sound " + std::to_string(medium::chain), "sound " + std::to_string(medium::quiet),
      "sound " + std::to_string(medium::showers), "window 1"};
  EXPECT_EQ(backend.Released(), released);
  EXPECT_FALSE(CachedPicture(medium::highlight) || CachedPicture(medium::lowlight2));
  EXPECT_TRUE(weakWindow.expired()) << "the window lists held the last references";
  EXPECT_EQ(FileTypes::pText, nullptr);
  EXPECT_FALSE(MenuBar1::HasInstance());
  runtime.reset();
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
}

// A pull, then the script ends: the loop runs every timer in virtual time, then ends with 0.
TEST(Program, HeadlessRunPlaysTheWholeShowAndExitsCleanly) {
  host::headless::HeadlessBackend backend;
  for (auto type : {host::InputEvent::Type::MouseMove, host::InputEvent::Type::MouseDown,
                    host::InputEvent::Type::MouseUp})
    backend.Push({.type = type, .window = 1, .x = 110, .y = 200});
  EXPECT_EQ(RunProgram(backend, EmbeddedResources()), 0);
  EXPECT_GE(backend.Now(), LastMoment("none") * host::kMillis) << "the show ran to the blackout";
}

}  // namespace
}  // namespace lumorra::testing
