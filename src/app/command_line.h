#pragma once

#include <optional>
#include <string>

namespace lumorra {

// What the command line asks for. Anything but Run is answered on the terminal without
// touching the display: a user who only asked for help must never get a full-screen window
// that flashes.
struct CommandLine {
  enum class Action { Run, Help, Version, Usage };
  Action action = Action::Run;
  std::string text;  // what to print: on stdout for Help and Version, on stderr for Usage
  int exitStatus = 0;
  // For Run: --gentle or --no-gentle, the last one given; unset follows the desktop.
  std::optional<bool> gentle;
};

// Reads argv with getopt_long: -h/--help, -V/--version; -g/--gentle and --no-gentle run the
// program, as does no argument at all.
// Anything else is a usage error with exit status 2.
CommandLine ParseCommandLine(int argc, char* const argv[]);

// Prints what ParseCommandLine decided and returns the exit status; a failed write to stdout
// (`lumorra --help > /dev/full`) is an error too.
int AnswerCommandLine(const CommandLine& commandLine);

}  // namespace lumorra
