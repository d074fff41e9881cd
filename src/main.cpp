// Lumorra: the whole screen becomes a dark room with a light and a pull chain.

#include <cstdio>
#include <string>

#include "app/app.h"
#include "app/command_line.h"
#include "host/sdl/sdl_backend.h"
#include "host/test_report.h"
#include "media/media.h"

int main(int argc, char* argv[]) {
  // The command line is answered before SDL is touched, so --help opens no window.
  const lumorra::CommandLine commandLine = lumorra::ParseCommandLine(argc, argv);
  if (commandLine.action != lumorra::CommandLine::Action::Run)
    return lumorra::AnswerCommandLine(commandLine);

  std::string error;
  auto backend = host::sdl::SdlBackend::Create(error);
  if (!backend) {
    std::fprintf(stderr, "lumorra: %s\n", error.c_str());
    host::test_report::SinceStart("start to giving up");
    return 1;
  }
  const int status =
      lumorra::RunProgram(*backend, lumorra::EmbeddedResources(), commandLine.gentle);
  // The sound device goes with the backend: released, or abandoned when it does not answer in
  // time. What is left after this, the process's exit, is the system's.
  backend.reset();
  host::test_report::SinceQuit("quit to sound device released");
  return status;
}
