#include "host/sdl/sdl_exit.h"

#include <unistd.h>

#include <cstdio>

namespace host::sdl {

void ExitWithError(const std::string& what) {
  std::fprintf(stderr, "lumorra: %s\n", what.c_str());
  std::fflush(stderr);
  _exit(1);
}

}  // namespace host::sdl
