// The command line: what each argument list asks for and what it prints.

#include "app/command_line.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace lumorra::testing {
namespace {

using Action = CommandLine::Action;

CommandLine Parse(std::initializer_list<const char*> args) {
  std::vector<std::string> words{"lumorra"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  return ParseCommandLine(static_cast<int>(words.size()), argv.data());
}

TEST(CommandLine, NoArgumentsOrAnEmptyOptionListRunTheProgram) {
  EXPECT_EQ(Parse({}).action, Action::Run);
  EXPECT_EQ(Parse({"--"}).action, Action::Run);
}

TEST(CommandLine, HelpWarnsOfFlashingAndListsTheOptions) {
  for (const char* arg : {"--help", "-h", "--he"}) {
    const CommandLine c = Parse({arg});
    EXPECT_EQ(c.action, Action::Help) << arg;
    EXPECT_EQ(c.exitStatus, 0) << arg;
    EXPECT_NE(c.text.find("Usage: lumorra"), std::string::npos);
    EXPECT_NE(c.text.find("Photosensitivity warning"), std::string::npos);
    EXPECT_NE(c.text.find("40 times a second"), std::string::npos);
    EXPECT_NE(c.text.find("--version"), std::string::npos);
  }
  EXPECT_EQ(Parse({"--help", "--bogus"}).action, Action::Help) << "the first request is answered";
}

TEST(CommandLine, VersionIsOneLineWithTheProjectVersion) {
  for (const char* arg : {"--version", "-V"}) {
    const CommandLine c = Parse({arg});
    EXPECT_EQ(c.action, Action::Version) << arg;
    EXPECT_EQ(c.exitStatus, 0);
    EXPECT_EQ(c.text, "lumorra " LUMORRA_TEST_VERSION "\n");
  }
}

TEST(CommandLine, ProblemsGiveOneLineAndAHintWithStatusTwo) {
  const struct {
    std::initializer_list<const char*> args;
    const char* line;
  } cases[] = {
      {{"--bogus"}, "lumorra: unknown option '--bogus'"},
      {{"-x"}, "lumorra: unknown option '-x'"},
      {{"-hx"}, nullptr},  // -h comes first and is answered
      {{"-xh"}, "lumorra: unknown option '-x'"},
      {{"--help=yes"}, "lumorra: option '--help' takes no value"},
      {{"--version", "-h"}, nullptr},
      {{"photo.jpg"}, "lumorra: unexpected argument 'photo.jpg'"},
      {{"--", "--help"}, "lumorra: unexpected argument '--help'"},
  };
  for (const auto& k : cases) {
    const CommandLine c = Parse(k.args);
    const std::string first = *k.args.begin();
    if (!k.line) {
      EXPECT_NE(c.action, Action::Usage) << first;
      continue;
    }
    EXPECT_EQ(c.action, Action::Usage) << first;
    EXPECT_EQ(c.exitStatus, 2) << first;
    EXPECT_EQ(c.text, std::string(k.line) + "\nTry 'lumorra --help' for more information.\n");
  }
}

TEST(CommandLine, ParsingTwiceGivesTheSameAnswer) {
  // getopt keeps state between calls; a second parse must not inherit the first one's place.
  EXPECT_EQ(Parse({"--bogus"}).action, Action::Usage);
  EXPECT_EQ(Parse({"-V"}).action, Action::Version);
  EXPECT_EQ(Parse({}).action, Action::Run);
}

}  // namespace
}  // namespace lumorra::testing
