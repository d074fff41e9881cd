// Lumorra: the whole screen becomes a dark room with a light and a pull chain.

#include <cstdio>
#include <string>

#include "app/app.h"
#include "app/command_line.h"
#include "host/sdl/sdl_backend.h"
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
    return 1;
  }
  return lumorra::RunProgram(*backend, lumorra::EmbeddedResources(), commandLine.gentle);
}
