#include "host/guard.h"

#include <cstdio>

#include "host/types.h"

namespace host {

namespace {

// The handler running now on this thread, innermost first: a handler may raise another one
// (hiding a window raises MouseExit), and a name it misspells belongs to it alone.
struct Running {
  ErrorLog& log;
  const std::string& place;
  bool reported = false;  // its failure has been said already
  Running* outer;
};
thread_local Running* running = nullptr;

template <class R, class F>
R Run(ErrorLog& log, const std::string& place, const F& handler, R failed) {
  Running frame{log, place, false, running};
  running = &frame;
  try {
    R result = handler();
    running = frame.outer;
    return result;
  } catch (const NilObjectError&) {
    running = frame.outer;
    if (!frame.reported) log.Report(place, "used a nil object");
    return failed;
  } catch (...) {
    running = frame.outer;
    throw;
  }
}

}  // namespace

void ErrorLog::Report(const std::string& place, const std::string& what) {
  if (!said_.insert(place + '\n' + what).second) return;
  std::fprintf(stderr, "lumorra: %s: %s\n", place.c_str(), what.c_str());
}

void RunHandler(ErrorLog& log, const std::string& place, const std::function<void()>& handler) {
  Run(
      log, place, [&] { return handler(), true; }, false);
}

bool RunClaimHandler(ErrorLog& log, const std::string& place,
                     const std::function<bool()>& handler) {
  return Run(log, place, handler, false);
}

void ReportUnknownName(ErrorLog& log, const std::string& owner, const std::string& name) {
  const std::string what = "no control named \"" + name + "\"";
  if (!running) return log.Report(owner, what);
  running->log.Report(running->place, what);
  running->reported = true;
}

}  // namespace host
