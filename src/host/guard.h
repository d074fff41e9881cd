#pragma once

#include <functional>
#include <set>
#include <string>

namespace host {

// What went wrong in handlers, said once on stderr for each place, so that a handler ended by
// the nil-object error or a control name nobody added leaves a trace without flooding the log
// of a timer that fails forty times a second.
class ErrorLog {
 public:
  // One line "lumorra: <place>: <what>", unless this place has said the same before.
  void Report(const std::string& place, const std::string& what);

 private:
  std::set<std::string> said_;
};

// Runs one handler (`place` names it: "Window1.Canvas2_MouseUp"). The nil-object error ends
// only that handler, what it did before stays done, and it is recorded in `log`. The claiming
// form returns what the handler returned, and false for a handler that ended that way.
void RunHandler(ErrorLog& log, const std::string& place, const std::function<void()>& handler);
bool RunClaimHandler(ErrorLog& log, const std::string& place, const std::function<bool()>& handler);

// A look-up by control name that found nothing: recorded in the handler running now (with its
// place), or else in `log` under `owner`.
void ReportUnknownName(ErrorLog& log, const std::string& owner, const std::string& name);

}  // namespace host
