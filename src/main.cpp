// Lumorra: the whole screen becomes a dark room with a light and a pull chain.

#include <cstdio>
#include <string>

#include "app/app.h"
#include "host/sdl/sdl_backend.h"
#include "media/media.h"

int main() {
  std::string error;
  auto backend = host::sdl::SdlBackend::Create(error);
  if (!backend) {
    std::fprintf(stderr, "lumorra: %s\n", error.c_str());
    return 1;
  }
  return lumorra::RunProgram(*backend, lumorra::EmbeddedResources());
}
