#pragma once

#include <string>

namespace host::sdl {

// The backend's one way out when the program cannot go on: the display went away, or the screen
// cannot be drawn on. Prints "lumorra: <what>" as one line and ends the process at once with
// status 1.
//
// At once, without exit(): exit() would run the destructors of everything still alive, and those
// talk to what just failed. A sound still playing stops its channel, the mixer reports that
// through the dead display connection, and the loss is reported a second time from inside exit();
// a sound device may also never answer at all.
[[noreturn]] void ExitWithError(const std::string& what);

}  // namespace host::sdl
