#include "app/command_line.h"

#include <getopt.h>

#include <cstdio>

namespace lumorra {

namespace {

constexpr char kHelp[] =
    "Usage: lumorra [OPTION]\n"
    "Turns the whole screen into a dark room with a light bulb on a pull chain.\n"
    "Click the chain, or press Space or Return, to switch the light on. Escape or\n"
    "Ctrl+Q quits at any time; once the screen has gone black, so does any key.\n"
    "\n"
    "  -g, --gentle     a gentle show: no flicker, no flash, a slow fade at the end\n"
    "      --no-gentle  the full show, even if the desktop asks for less animation\n"
    "  -h, --help       show this help and exit\n"
    "  -V, --version    show the version and exit\n"
    "\n"
    "Photosensitivity warning: the light flickers and flashes, up to 40 times a second,\n"
    "unless the show is gentle. It is gentle with --gentle, and without either option\n"
    "when the desktop asks for reduced animation (on X11, the Gtk/EnableAnimations\n"
    "setting is 0, as it is when animations are turned off in the desktop's settings).\n"
    "\n"
    "SDL_VIDEODRIVER and SDL_AUDIODRIVER choose the display and sound drivers.\n"
    "See lumorra(6) for more.\n";

constexpr int kNoGentle = 256;  // a long option with no letter

constexpr char kHint[] = "Try 'lumorra --help' for more information.\n";

CommandLine UsageError(const std::string& problem) {
  return {CommandLine::Action::Usage, "lumorra: " + problem + "\n" + kHint, 2, std::nullopt};
}

// What getopt refused. For a long option the offending word is the argument getopt just
// stepped over; for a short one it is the letter in optopt.
CommandLine BadOption(const char* word) {
  const bool isLong = word[0] == '-' && word[1] == '-';
  std::string name = isLong ? std::string(word) : std::string("-") + char(optopt);
  if (isLong && name.find('=') != std::string::npos) {
    name.resize(name.find('='));
    return UsageError("option '" + name + "' takes no value");
  }
  return UsageError("unknown option '" + name + "'");
}

}  // namespace

CommandLine ParseCommandLine(int argc, char* const argv[]) {
  static const option kOptions[] = {
      {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, 'V'},
      {"gentle", no_argument, nullptr, 'g'},
      {"no-gentle", no_argument, nullptr, kNoGentle},
      {nullptr, 0, nullptr, 0},
  };
  // getopt keeps its position in globals: start afresh on every call, and report problems
  // here rather than in getopt's own words. The leading '+' stops at the first operand
  // instead of reordering argv. Every argument is read before anything is answered, so that
  // a bad one is reported even after --help or --version; the first of those is the answer.
  optind = 0;
  opterr = 0;
  CommandLine answer;
  std::optional<bool> gentle;
  for (;;) {
    const int previous = optind == 0 ? 1 : optind;
    const int c = getopt_long(argc, argv, "+:hVg", kOptions, nullptr);
    if (c == -1) break;
    switch (c) {
      case 'h':
        if (answer.action == CommandLine::Action::Run)
          answer = {CommandLine::Action::Help, kHelp, 0, std::nullopt};
        break;
      case 'V':
        if (answer.action == CommandLine::Action::Run)
          answer = {CommandLine::Action::Version, "lumorra " LUMORRA_VERSION "\n", 0, std::nullopt};
        break;
      case 'g':
      case kNoGentle:
        gentle = c == 'g';
        break;
      default:
        return BadOption(argv[previous < argc ? previous : argc - 1]);
    }
  }
  if (optind < argc) return UsageError(std::string("unexpected argument '") + argv[optind] + "'");
  if (answer.action == CommandLine::Action::Run) answer.gentle = gentle;
  return answer;
}

int AnswerCommandLine(const CommandLine& commandLine) {
  if (commandLine.action == CommandLine::Action::Usage) {
    std::fputs(commandLine.text.c_str(), stderr);
    return commandLine.exitStatus;
  }
  std::fputs(commandLine.text.c_str(), stdout);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::perror("lumorra: cannot write the answer");
    return 1;
  }
  return commandLine.exitStatus;
}

}  // namespace lumorra
